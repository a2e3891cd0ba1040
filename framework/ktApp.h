// ktApp: an application object covering the window, receiving its events through virtual hooks
// with default behaviour (Escape ends the program, F1 toggles full screen). The registry `apps`
// maps a GLUT window identifier to its object; the *_cb functions are the GLUT callbacks that
// dispatch to it. Event positions are window pixels with the origin at the bottom-left, y up.
#ifndef KT_FRAMEWORK_KTAPP_H
#define KT_FRAMEWORK_KTAPP_H

#include "framework/ktGeo.h"

class ktApp : public ktGeo {
public:
    float X;  // region, window pixels
    float Y;
    float W;
    float H;

    ktApp();

    virtual void selfStart();  // registers, sizes and focuses the object, runs the main loop
    virtual void subStart();   // registers the object and the callbacks for the current window
    virtual void setFocus(bool focused);
    virtual void setParent(void* parent);
    virtual void resize(float x, float y, float w, float h);
    virtual bool pointInside(float x, float y);  // 0 <= x < W and 0 <= y < H
    virtual void mouseMove(float x, float y);
    virtual void mouseDown(float x, float y, int button);
    virtual void mouseDrag(float x, float y);
    virtual void mouseDrag(float x, float y, int button);
    virtual void mouseUp(float x, float y, int button);
    virtual void keyDown(char key);          // Escape (27) calls ktuClose
    virtual void specialKeyDown(int key);    // F1 toggles full screen
};

// The application module supplies the factory; main calls it once after ktuOpen.
extern "C" ktApp* makeApp();

const int ktuMaxWindows = 10;
extern ktApp* apps[ktuMaxWindows];  // indexed by GLUT window identifier

// Window-mode and dispatch state.
extern int aafullScreen;  // 1 while full screen
extern int aahaveShrunk;  // 1 once the window has left full screen
extern int aaWinX;        // geometry taken when leaving full screen
extern int aaWinY;
extern int aaWinW;
extern int aaWinH;
extern int aafullWidth;
extern int aafullHeight;
extern unsigned char aaValidWindowSize;  // set once a non-zero window width has been seen
extern int aaLastMouseButton;            // button of the last press or release
extern int aaGrabCount;

// GLUT callbacks.
void display_cb();
void idle_cb();
void mouse_cb(int button, int state, int x, int y);
void motion_cb(int x, int y);
void passive_motion_cb(int x, int y);
void keyboard_cb(unsigned char key, int x, int y);
void special_key_cb(int key, int x, int y);
void reshape_cb(int width, int height);

#endif
