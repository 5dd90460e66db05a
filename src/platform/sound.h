#pragma once

#include <QString>

namespace korvatel
{

// Plays one of the program's sound resources by its resource name (any case): "SHT_SWAV" (the
// short shutter) or "SHT_LWAV" (the long shutter). Returns at once; the sound plays on. Any
// failure is silent: unknown names, no application object, a call from another thread than
// the application's, and a machine without an audio device (which also prints nothing).
void PlayResourceSound(const QString &name);

// The qrc URL of a sound resource name; empty for a name the program has no sound for.
QString SoundResourceUrl(const QString &name);

} // namespace korvatel
