// The full-screen toggle behind ktApp's default F1 handler (internal).
#ifndef KT_FRAMEWORK_KTAPPFULLSCREEN_H
#define KT_FRAMEWORK_KTAPPFULLSCREEN_H

class ktApp;

// Leaves full screen for the windowed geometry aaWinX..aaWinH, or records the current windowed
// geometry there and enters full screen, as aafullScreen says.
void aaToggleFullScreen(ktApp* app);

#endif
