#include "platform/drive_watch.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

namespace korvatel
{

namespace
{

// A card reader's partitions and a desktop's automounter come within a fraction of a second.
constexpr int kSettleMs = 300;

} // namespace

TDriveWatch::TDriveWatch(std::function<TDriveTable()> read, TDriveTable known, QObject *parent)
    : QObject(parent)
    , FRead(std::move(read))
    , FKnown(std::move(known))
    , FMountinfo(std::make_unique<QFile>(QStringLiteral("/proc/self/mountinfo")))
{
    FDelay = new QTimer(this);
    FDelay->setSingleShot(true);
    FDelay->setInterval(kSettleMs);
    connect(FDelay, &QTimer::timeout, this, &TDriveWatch::Check);
    if (!FMountinfo->open(QIODevice::ReadOnly))
        return;
    // The file need not be read again: the kernel clears the event once poll has reported it.
    FNotifier = new QSocketNotifier(FMountinfo->handle(), QSocketNotifier::Exception, this);
    connect(FNotifier, &QSocketNotifier::activated, FDelay, qOverload<>(&QTimer::start));
}

TDriveWatch::~TDriveWatch()
{
    // The notifier goes before the file whose descriptor it watches.
    delete FNotifier;
}

bool TDriveWatch::Watching() const
{
    return FNotifier != nullptr;
}

void TDriveWatch::Check()
{
    if (!FRead)
        return;
    TDriveTable drives = FRead();
    if (drives == FKnown)
        return;
    FKnown = std::move(drives);
    Q_EMIT drivesChanged(FKnown);
}

} // namespace korvatel
