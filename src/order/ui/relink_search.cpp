#include "order/ui/relink_search.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressDialog>

namespace korvatel
{

TRelinkSearch SearchMovedPictures(const TThumbNails &list,
    const QList<const TThumbNail *> &vanished, const QStringList &roots,
    const QStringList &candidates, QWidget *parent, const TRelinkLimits &limits)
{
    QProgressDialog dialog(
        QStringLiteral("移動した画像を探しています…"), QStringLiteral("キャンセル"), 0, 0, parent);
    dialog.setObjectName(QStringLiteral("RelinkSearch"));
    dialog.setWindowTitle(QStringLiteral("画像の検索"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(400);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);

    // The search runs here, between events: the window is pumped at most every 50 ms, so a
    // walk over many small folders does not spend its time drawing.
    QElapsedTimer pumped;
    pumped.start();
    const auto pump = [&] {
        if (pumped.elapsed() < 50)
            return;
        pumped.restart();
        dialog.setValue(0);
        QApplication::processEvents();
    };
    TRelinkProgress progress;
    progress.cancelled = [&] {
        pump();
        return dialog.wasCanceled();
    };
    progress.folder = [&](const QString &folder, int files) {
        dialog.setLabelText(
            QStringLiteral("移動した画像を探しています…\n%1\n%2ファイルを調べました")
                .arg(QDir::toNativeSeparators(folder))
                .arg(files));
        pump();
    };
    return FindMovedPictures(list, vanished, roots, candidates, limits, progress);
}

} // namespace korvatel
