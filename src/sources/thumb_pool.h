#pragma once

class QThreadPool;

namespace korvatel
{

// The threads that make thumbnails, one per core: the browser's loader and the command line's
// batch of thumbnails share them, so a folder of camera pictures uses every core while the
// thread of the window only paints.
QThreadPool &ThumbPool();

} // namespace korvatel
