// Window geometry requests: direct GLUT requests while the window is windowed, held back while it
// leaves full screen (see ktuWindow.h for why), then checked and issued again while a window
// manager still drops them. One window at a time holds a request.
#include "framework/ktuWindow.h"

#include <GL/freeglut.h>

namespace {

bool windowOpen = false;

// A size and a position, either of which may be asked for; the position is the frame's corner.
struct Geometry {
    bool hasSize = false;
    int width = 0;
    int height = 0;
    bool hasPosition = false;
    int x = 0;
    int y = 0;

    bool any() const { return hasSize || hasPosition; }
    void request() const {
        if (hasSize) glutReshapeWindow(width, height);
        if (hasPosition) glutPositionWindow(x, y);
    }
};

struct HeldGeometry {
    bool active = false;
    int window = 0;
    Geometry geometry;
    bool fullScreen = false;  // enter full screen again once the leave has gone through
    int heldWidth = 0;        // the window's reported size when the hold began
    int heldHeight = 0;
    int heldAt = 0;  // GLUT_ELAPSED_TIME when the hold began
    // Full screen was asked for but GLUT has not reported it yet (a second F1 right after the
    // first): the leave waits for the enter, or the two would be applied in one pass and the
    // window stay full screen.
    bool enterPending = false;
};

// The window for which full screen was last asked, until a hold begins for it.
int enteringWindow = 0;

HeldGeometry held;
// Bumped whenever the held request is replaced or dropped, so that stale timer ticks do nothing.
int heldGeneration = 0;

// Geometry issued after a leave from full screen, checked until the window shows it. A window
// manager may still hold the window at its full-screen place when the request arrives, and then
// drops it; so it is issued again, a bounded number of times (a tiling manager never grants it).
struct IssuedGeometry {
    bool active = false;
    int window = 0;
    Geometry geometry;
    int retriesLeft = 0;
};

IssuedGeometry issued;
int issuedGeneration = 0;
const unsigned int checkMilliseconds = 150;
const int maxRetries = 12;
// Polling interval while waiting for the window to leave full screen.
const unsigned int pollMilliseconds = 1;
// Longest wait for the restored size to be reported before entering full screen again.
const int restoreReportMilliseconds = 250;

int atLeastOnePixel(int size) { return size < 1 ? 1 : size; }

// Without a window manager freeglut offsets the full-screen window by its windowed position;
// starting from the screen's origin makes it cover the screen exactly.
void enterFullScreen() {
    enteringWindow = glutGetWindow();
    glutPositionWindow(0, 0);
    glutFullScreen();
}

void heldRequestTick(int generation);
void issuedCheckTick(int generation);

void forgetIssued() {
    issued = IssuedGeometry();
    issuedGeneration++;
}

// Position requests place the frame's outer corner; GLUT reports the drawing area's, which the
// window manager's decoration (left border, title bar) offsets.
bool issuedGeometryShown() {
    const Geometry& want = issued.geometry;
    if (want.hasSize &&
        (glutGet(GLUT_WINDOW_WIDTH) != want.width || glutGet(GLUT_WINDOW_HEIGHT) != want.height))
        return false;
    if (want.hasPosition && (glutGet(GLUT_WINDOW_X) - ktuWindowDecorationLeft() != want.x ||
                             glutGet(GLUT_WINDOW_Y) - ktuWindowDecorationTop() != want.y))
        return false;
    return true;
}

void issuedCheckTick(int generation) {
    if (generation != issuedGeneration || !issued.active) return;
    int previous = glutGetWindow();
    if (previous != issued.window) glutSetWindow(issued.window);
    if (glutGet(GLUT_FULL_SCREEN) || issuedGeometryShown() || issued.retriesLeft <= 0) {
        forgetIssued();
    } else {
        issued.retriesLeft--;
        issued.geometry.request();
        glutTimerFunc(checkMilliseconds, issuedCheckTick, issuedGeneration);
    }
    if (previous != 0 && previous != glutGetWindow()) glutSetWindow(previous);
}

void armTimer(unsigned int delay) { glutTimerFunc(delay, heldRequestTick, heldGeneration); }

// Issues the held geometry if its window has left full screen; otherwise asks again to leave
// (a leave asked for before freeglut processed an earlier enter is otherwise lost). Returns true
// when nothing is held any more.
bool issueIfWindowed() {
    if (!held.active) return true;
    int previous = glutGetWindow();
    if (previous != held.window) glutSetWindow(held.window);
    bool done = false;
    if (held.enterPending) {
        bool waited = glutGet(GLUT_ELAPSED_TIME) - held.heldAt > restoreReportMilliseconds;
        if (glutGet(GLUT_FULL_SCREEN) || waited) {
            held.enterPending = false;
        } else {
            if (previous != 0 && previous != glutGetWindow()) glutSetWindow(previous);
            return false;
        }
    }
    // freeglut marks the window windowed before the restored size is reported, and ignores a
    // full-screen request made in between, the window still looking full-screen sized.
    bool restoreReported = glutGet(GLUT_WINDOW_WIDTH) != held.heldWidth ||
                           glutGet(GLUT_WINDOW_HEIGHT) != held.heldHeight ||
                           glutGet(GLUT_ELAPSED_TIME) - held.heldAt > restoreReportMilliseconds;
    if (glutGet(GLUT_FULL_SCREEN)) {
        glutLeaveFullScreen();
    } else if (!held.fullScreen || restoreReported) {
        held.geometry.request();
        if (held.fullScreen) {
            enterFullScreen();
        } else if (held.geometry.any()) {
            forgetIssued();
            issued.active = true;
            issued.window = held.window;
            issued.geometry = held.geometry;
            issued.retriesLeft = maxRetries;
            glutTimerFunc(checkMilliseconds, issuedCheckTick, issuedGeneration);
        }
        held = HeldGeometry();
        heldGeneration++;
        done = true;
    }
    if (previous != 0 && previous != glutGetWindow()) glutSetWindow(previous);
    return done;
}

void heldRequestTick(int generation) {
    if (generation != heldGeneration) return;
    if (!issueIfWindowed()) armTimer(pollMilliseconds);
}

// Starts holding for the current window, or keeps holding if a request is already held for it.
// Returns false when the window is windowed and nothing is held: the caller requests directly.
bool holdForCurrentWindow() {
    int window = glutGetWindow();
    if (held.active && held.window == window) return true;
    bool fullScreen = glutGet(GLUT_FULL_SCREEN) != 0;
    if (!fullScreen && enteringWindow != window) return false;
    held = HeldGeometry();
    held.enterPending = !fullScreen;
    enteringWindow = 0;
    held.active = true;
    held.window = window;
    held.heldWidth = glutGet(GLUT_WINDOW_WIDTH);
    held.heldHeight = glutGet(GLUT_WINDOW_HEIGHT);
    held.heldAt = glutGet(GLUT_ELAPSED_TIME);
    heldGeneration++;
    glutLeaveFullScreen();
    armTimer(0);
    return true;
}

}  // namespace

void ktuWindowMarkOpen() { windowOpen = true; }

int ktuWindowDecorationLeft() { return windowOpen ? glutGet(GLUT_WINDOW_BORDER_WIDTH) : 0; }

int ktuWindowDecorationTop() { return windowOpen ? glutGet(GLUT_WINDOW_HEADER_HEIGHT) : 0; }

bool ktuWindowIsOpen() { return windowOpen; }

void ktuRequestWindowSize(int width, int height) {
    if (!windowOpen) return;
    // X rejects a zero or negative size with a fatal protocol error.
    width = atLeastOnePixel(width);
    height = atLeastOnePixel(height);
    forgetIssued();
    if (holdForCurrentWindow()) {
        held.fullScreen = false;  // the latest request wins
        held.geometry.hasSize = true;
        held.geometry.width = width;
        held.geometry.height = height;
    } else {
        glutReshapeWindow(width, height);
    }
}

void ktuRequestWindowPosition(int x, int y) {
    if (!windowOpen) return;
    forgetIssued();
    if (held.active && held.window == glutGetWindow()) {
        held.fullScreen = false;
        held.geometry.hasPosition = true;
        held.geometry.x = x;
        held.geometry.y = y;
    } else {
        glutPositionWindow(x, y);
    }
}

void ktuRequestFullScreen() {
    if (!windowOpen) return;
    forgetIssued();
    if (held.active && held.window == glutGetWindow()) {
        // A leave is still on its way: the held geometry is dropped and full screen is asked for
        // again once the window is out.
        held.geometry = Geometry();
        held.fullScreen = true;
        return;
    }
    enterFullScreen();
}

void ktuIssueHeldWindowRequest() {
    if (!windowOpen) return;
    issueIfWindowed();
}
