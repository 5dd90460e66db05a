#include "sources/thumb_pool.h"

#include <QThread>
#include <algorithm>

namespace korvatel
{

int ThumbWorkers()
{
    return std::max(1, QThread::idealThreadCount());
}

} // namespace korvatel
