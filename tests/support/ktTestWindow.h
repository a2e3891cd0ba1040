// Test rig for code that needs a real window and OpenGL context: opens the framework's window once
// per process (ktuOpen) on the X server in DISPLAY and lets GLUT deliver its pending events.
#ifndef KT_TESTS_SUPPORT_KTTESTWINDOW_H
#define KT_TESTS_SUPPORT_KTTESTWINDOW_H

// Calls ktuOpen the first time, installs a display callback that draws nothing when none is set,
// and pumps events until the first reshape has reported the window size. The GL context is current
// afterwards. Later calls only make the context current again.
void ktTestOpenWindow();

// Lets GLUT process its event queue `rounds` times (glutMainLoopEvent), sleeping 10 ms between.
void ktTestPumpEvents(int rounds);

#endif
