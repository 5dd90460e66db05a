#include "sources/thumb_pool.h"

#include <QThread>
#include <QThreadPool>
#include <algorithm>

namespace korvatel
{

QThreadPool &ThumbPool()
{
    // Never destroyed: a loader may still be ending its work while the program exits.
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool;
        made->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        return made;
    }();
    return *pool;
}

} // namespace korvatel
