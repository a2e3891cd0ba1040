// Window geometry requests of the framework (internal). freeglut drops a size or position that is
// requested while the window is full screen: leaving full screen restores the geometry the window
// had before, in the same pass. So a request made while full screen asks to leave at once and holds
// the geometry back until the window is out of full screen; an idle turn or a timer tick then
// issues it. A window manager may still drop geometry that arrives just after the leave, so it is
// checked on a timer and issued again until the window shows it (a bounded number of times).
// Requests are ignored before ktuOpen has created the window.
#ifndef KT_FRAMEWORK_KTUWINDOW_H
#define KT_FRAMEWORK_KTUWINDOW_H

// Set by ktuOpen once the GLUT window exists; until then the requests below do nothing.
void ktuWindowMarkOpen();
bool ktuWindowIsOpen();

// Asks for a window size (at least 1 x 1 pixel is requested); ends full-screen mode.
void ktuRequestWindowSize(int width, int height);
// Asks for a window position: the upper-left corner of the window's frame where a window manager
// decorates it, else of the drawing area (screen pixels, y down).
void ktuRequestWindowPosition(int x, int y);
// The window manager's decoration above and left of the drawing area (0 without one, and while
// full screen): GLUT's reported position minus these is the frame's corner.
int ktuWindowDecorationLeft();
int ktuWindowDecorationTop();
// Pins the window's origin to the screen's and asks for full screen; if a leave is still on its
// way, drops the held geometry and asks for full screen once the window is out.
void ktuRequestFullScreen();
// Issues held geometry once the window has left full screen; called on every idle turn.
void ktuIssueHeldWindowRequest();

#endif
