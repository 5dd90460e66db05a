#pragma once

namespace korvatel::test
{

// With KORVATEL_TEST_XVFB set, a test program whose platform is not X11 yet starts an X
// server of its own (Xvfb, 1280 × 800, on a display it picks itself) and points DISPLAY and
// QT_QPA_PLATFORM at it, so that its windows are drawn as on a screen; the server ends with
// the program. Without Xvfb the program stays offscreen. Called before the QApplication.
void StartOwnXServerIfAsked();

} // namespace korvatel::test
