#include "platform/ui/busy_box.h"

#include <QProgressDialog>

namespace korvatel
{

bool RunBusy(QWidget *parent, const QString &text, const std::function<void(TJobControl &)> &work,
    const QString &title)
{
    // A busy bar only: QProgressDialog::setValue would pump events itself.
    QProgressDialog box(text, QStringLiteral("キャンセル"), 0, 0, parent);
    box.setObjectName(QStringLiteral("BusyBox"));
    if (!title.isEmpty())
        box.setWindowTitle(title);
    box.setWindowModality(Qt::ApplicationModal);
    box.setMinimumDuration(0);
    box.setAutoClose(false);
    box.setAutoReset(false);
    bool done = false;
    // The job is destroyed before the box: a cancelled run's thread is joined here, once the
    // transfer below it has seen the stop.
    TBackgroundJob job;
    QObject::connect(&job, &TBackgroundJob::finished, &box, [&] {
        done = true;
        box.accept();
    });
    QObject::connect(&box, &QProgressDialog::canceled, &job, &TBackgroundJob::Cancel);
    QObject::connect(
        &job, &TBackgroundJob::progress, &box, [&box](qint64, qint64, const QString &shown) {
            if (!shown.isEmpty())
                box.setLabelText(shown);
        });
    job.Start(work);
    box.exec();
    job.Stop();
    return done;
}

} // namespace korvatel
