#include "order/ui/relink_search.h"

#include "platform/ui/busy_box.h"

#include <QDir>
#include <QElapsedTimer>

namespace korvatel
{

TRelinkSearch SearchMovedPictures(const TThumbNails &list,
    const QList<const TThumbNail *> &vanished, const QStringList &roots,
    const QStringList &candidates, QWidget *parent, const TRelinkLimits &limits)
{
    const QString text = QStringLiteral("移動した画像を探しています…");
    // The search runs on a job under a busy box; the folder shown changes at most every
    // 50 ms, so a walk over many small folders does not spend its time drawing. A cancelled
    // search gives what it found so far, marked as stopped.
    TRelinkSearch search;
    RunBusy(
        parent, text,
        [&](TJobControl &control) {
            QElapsedTimer shown;
            shown.start();
            TRelinkProgress progress;
            progress.cancelled = [&control] { return control.Stopped(); };
            progress.folder = [&](const QString &folder, int files) {
                if (shown.elapsed() < 50)
                    return;
                shown.restart();
                control.Progress(files, 0,
                    text
                        + QStringLiteral("\n%1\n%2ファイルを調べました")
                              .arg(QDir::toNativeSeparators(folder))
                              .arg(files));
            };
            search = FindMovedPictures(list, vanished, roots, candidates, limits, progress);
        },
        QStringLiteral("画像の検索"));
    return search;
}

} // namespace korvatel
