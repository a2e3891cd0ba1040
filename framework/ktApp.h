/// @file
/// ktApp, the per-window registry `apps`, the window-mode globals and the GLUT callbacks.
///
/// An application object covers the window and receives its events through virtual hooks with
/// default behaviour (Escape ends the program, F1 toggles full screen). The registry `apps` maps a
/// GLUT window identifier to its object; the `*_cb` functions are the GLUT callbacks that dispatch to
/// it. Event positions are window pixels with the origin at the bottom-left and y up.
#ifndef KT_FRAMEWORK_KTAPP_H
#define KT_FRAMEWORK_KTAPP_H

#include "framework/ktGeo.h"

/// An application object: a rectangular region of the window that receives the window's events and
/// draws itself. A program derives its own class, overrides the hooks it needs and starts it with
/// selfStart(). Every position given to a hook is in window pixels, origin at the bottom-left, y up.
class ktApp : public ktGeo {
public:
    float X;  ///< left edge of the region, window pixels (0 after construction)
    float Y;  ///< bottom edge of the region, window pixels (0 after construction)
    float W;  ///< width of the region in pixels (100 after construction; the window width once sized)
    float H;  ///< height of the region in pixels (100 after construction; the window height once sized)

    /// Region (0, 0, 100, 100); sets ::aaGrabCount to -1 and clears ::aaValidWindowSize, so drawing
    /// waits for the next non-zero window width.
    ktApp();

    /// Starts the program around this object: registers it in ::apps for the current window, installs
    /// the GLUT callbacks, calls resize() with the window size from `KTU_WINDOW_SIZE`, calls
    /// setFocus(true) and enters the GLUT main loop. Does not return. Call after ktuOpen().
    virtual void selfStart();
    /// Registers this object in ::apps for the current window and installs the GLUT callbacks, without
    /// sizing, focusing or entering the main loop.
    virtual void subStart();
    /// Focus hook; selfStart() calls it once with true. Default: nothing.
    /// @param focused whether the object has the focus.
    virtual void setFocus(bool focused);
    /// Parent hook; the framework never calls it. Default: nothing.
    /// @param parent an owner of the caller's choosing.
    virtual void setParent(void* parent);
    /// Sets the region: X = x, Y = y, W = w, H = h (window pixels). reshape_cb() calls it with
    /// (0, 0, width, height) whenever the window size changes.
    virtual void resize(float x, float y, float w, float h);
    /// Whether (x, y) lies in the region's size: 0 <= x < W and 0 <= y < H. X and Y are not
    /// subtracted; a NaN coordinate gives false.
    virtual bool pointInside(float x, float y);
    /// The pointer moved with no button held (passive motion), to window position (x, y). Default: nothing.
    virtual void mouseMove(float x, float y);
    /// A mouse button was pressed at window position (x, y); `button` is GLUT's button number
    /// (0 left, 1 middle, 2 right). Default: nothing.
    virtual void mouseDown(float x, float y, int button);
    /// The pointer moved to (x, y) with a button held; called before the three-argument form. Default: nothing.
    virtual void mouseDrag(float x, float y);
    /// The pointer moved to (x, y) with a button held; called after the two-argument form. `button`
    /// is that of the last press or release (::aaLastMouseButton), 0 before any. Default: nothing.
    virtual void mouseDrag(float x, float y, int button);
    /// A mouse button was released at window position (x, y); `button` is GLUT's button number
    /// (0 left, 1 middle, 2 right). Default: nothing.
    virtual void mouseUp(float x, float y, int button);
    /// A character key was pressed (GLUT's character code; the pointer position is not passed).
    /// Default: Escape (27) calls ktuClose(); every other key is ignored.
    virtual void keyDown(char key);
    /// A special key was pressed (GLUT's special-key code, e.g. GLUT_KEY_F1 = 1).
    /// Default: F1 toggles between full screen and a window; every other key is ignored.
    virtual void specialKeyDown(int key);
};

/// The application's factory, supplied by the program's module: returns a heap-allocated object of a
/// class derived from ktApp. main() calls it once, after ktuOpen(), and never deletes the object.
extern "C" ktApp* makeApp();

/// Number of entries in ::apps: GLUT window identifiers 1 to 9 fit.
const int ktuMaxWindows = 10;
/// The per-window registry: entry i is the object registered for GLUT window i (null when none). Every
/// GLUT callback dispatches to the entry of the window GLUT reports as current.
extern ktApp* apps[ktuMaxWindows];

/// 1 while the window is full screen (the state at start), else 0.
extern int aafullScreen;
/// 0 until the window first leaves full screen, then 1 for good.
extern int aahaveShrunk;
/// Left edge, screen pixels, of the geometry the window takes when it leaves full screen.
extern int aaWinX;
/// Top edge, screen pixels (y down), of the geometry the window takes when it leaves full screen.
extern int aaWinY;
/// Width in pixels of the geometry the window takes when it leaves full screen.
extern int aaWinW;
/// Height in pixels of the geometry the window takes when it leaves full screen.
extern int aaWinH;
/// Width of the object's region recorded when the window last left full screen; read by nothing.
extern int aafullWidth;
/// Height of the object's region recorded when the window last left full screen; read by nothing.
extern int aafullHeight;
/// Drawing latch: set by the first display_cb() that finds a non-zero window width, never cleared
/// afterwards (ktApp's constructor clears it). Until it is set nothing is drawn or swapped.
extern unsigned char aaValidWindowSize;
/// GLUT button number of the last press or release, passed to the three-argument ktApp::mouseDrag().
extern int aaLastMouseButton;
/// Set to -1 by ktApp's constructor; read by nothing.
extern int aaGrabCount;

/// Display callback: once a non-zero window width has been seen, opens the outermost view frame,
/// calls the registered object's draw() and closes the frame (which swaps the buffers).
void display_cb();
/// Idle callback: the registered object's idle(), then a redisplay request.
void idle_cb();
/// Mouse-button callback: a press (state 0) calls ktApp::mouseDown(), a release (state 1)
/// ktApp::mouseUp(), with y turned upwards (y' = ktuWindowHeight - 1 - y); then records the button
/// in ::aaLastMouseButton.
/// @param button GLUT button number. @param state GLUT_DOWN (0) or GLUT_UP (1).
/// @param x GLUT x (pixels from the left). @param y GLUT y (pixels from the top).
void mouse_cb(int button, int state, int x, int y);
/// Motion callback (a button held): both ktApp::mouseDrag() forms, two-argument first, y turned upwards.
/// @param x GLUT x. @param y GLUT y (from the top).
void motion_cb(int x, int y);
/// Passive-motion callback (no button held): ktApp::mouseMove() with y turned upwards.
/// @param x GLUT x. @param y GLUT y (from the top).
void passive_motion_cb(int x, int y);
/// Keyboard callback: ktApp::keyDown() with the key; the pointer position is dropped.
/// @param key GLUT character code. @param x unused. @param y unused.
void keyboard_cb(unsigned char key, int x, int y);
/// Special-key callback: ktApp::specialKeyDown() with the key; the pointer position is dropped.
/// @param key GLUT special-key code. @param x unused. @param y unused.
void special_key_cb(int key, int x, int y);
/// Reshape callback: stores the size in ::ktuWindowWidth and ::ktuWindowHeight and calls the object's
/// resize(0, 0, width, height). The viewport is set by the next view frame.
/// @param width drawing-area width in pixels. @param height drawing-area height in pixels.
void reshape_cb(int width, int height);

#endif
