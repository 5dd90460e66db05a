#pragma once

namespace korvatel
{

// How many workers make thumbnails at once: one per core. The browser's loader and the command
// line's batch of thumbnails run that many on their background jobs, so a folder of camera
// pictures uses every core while the thread of the window only paints.
int ThumbWorkers();

} // namespace korvatel
