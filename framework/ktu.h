// ktu: the framework's process-wide state and entry points. ktuOpen creates the one GLUT window
// and gives every global below its start value; the settings registry reads and writes groups of
// these globals by a 16-bit identifier; ktuDebug is the diagnostic channel on standard error.
// View frames bracket drawing: the outermost one maps the plane z = 0 onto the window pixel for
// pixel (origin bottom-left, y up) and swaps the buffers when it closes.
#ifndef KT_FRAMEWORK_KTU_H
#define KT_FRAMEWORK_KTU_H

// Settings identifiers, usable wherever a `short` identifier is expected.
enum ktuSettingId {
    KTU_DEBUG_LEVEL = 10,
    KTU_WINDOW_WIDTH = 22,
    KTU_WINDOW_HEIGHT = 23,
    KTU_WINDOW_SIZE = 24,
    KTU_SCREEN_GRAB_QUALITY = 29,
    KTU_SCREEN_GRAB_FORMAT = 31,
    KTU_SCREEN_GRAB_X = 32,
    KTU_SCREEN_GRAB_Y = 33,
    KTU_SCREEN_GRAB_WIDTH = 34,
    KTU_SCREEN_GRAB_HEIGHT = 35,
    KTU_SCREEN_GRAB_RECT = 36,
    KTU_TIME_STEP = 42,
    KTU_VIDEO_WIDTH = 200,
    KTU_VIDEO_HEIGHT = 201,
    KTU_VIDEO_SIZE = 202,
    KTU_VIDEO_ARRAY_WIDTH = 203,
    KTU_VIDEO_ARRAY_HEIGHT = 204,
    KTU_VIDEO_ARRAY_SIZE = 205,
    KTU_VIDEO_FPS = 207,
    KTU_VIDEO_PROXY_COUNT = 208,
    KTU_VIDEO_PROXY_RAW_WIDTH = 210,
    KTU_VIDEO_PROXY_RAW_HEIGHT = 211
};

// Window and view.
extern int ktuWindowWidth;   // drawing-area size in pixels; 0 until the first reshape
extern int ktuWindowHeight;
extern unsigned int ktuDisplayMode;  // GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH
extern bool ktuWindowClear;          // the outermost view frame clears colour and depth
extern float ktuWindowBgColor[3];    // clear colour, red, green, blue
extern float ktuScreenFov;           // vertical field of view of every view frame, degrees
extern float ktuScreenNear;
extern float ktuScreenFar;
extern int frameDepth;  // number of view frames open
extern char ktuResourceLocation[256];

// Diagnostics.
extern int ktuDebugLevel;  // a diagnostic prints when its level is at most this
extern char* ktuDebugStr;  // 64-byte scratch block for callers composing messages

// Further settings, reached through the registry only.
extern int ktuTimeStep;
extern int ktuScreenGrabQuality;
extern int ktuScreenGrabFormat;
extern int ktuScreenGrabX;
extern int ktuScreenGrabY;
extern int ktuScreenGrabWidth;
extern int ktuScreenGrabHeight;
extern bool ktuScreenGrabFlip;
extern unsigned char* ktuScreenGrabBuffer;   // malloc'd or null; freed when the window size is set
extern unsigned char* ktuScreenGrabFlipper;  // malloc'd or null; freed when the window size is set
extern bool ktuVideoOpened;
extern bool ktuVideoMirrorImage;
extern bool ktuVideoProxyRepeating;
extern int ktuVideoProxyCount;
extern int ktuVideoProxyRawWidth;
extern int ktuVideoProxyRawHeight;
extern int ktuVideoFPS;
extern int ktuVideoWidth;
extern int ktuVideoHeight;
extern int ktuVideoArrayWidth;
extern int ktuVideoArrayHeight;
extern void* ktuTesselator;

// Font table, emptied by ktuTextInit. ktFont is opaque.
struct ktFont;
const int ktutFontSlots = 50;
extern ktFont* ktutFontList[ktutFontSlots];
extern char ktutFontNames[ktutFontSlots][128];
extern int ktutCurrentFont;  // -1: no current font
extern bool ktuTextInited;

// Start-up and shut-down.
void ktuOpen();
void ktuClose();
void reshape(int width, int height);
void winddown_cb();
void ktuTextInit();

// Diagnostics and settings registry.
void ktuDebug(short level, const char* text);
void ktuGetIntegerv(short id, int* values);
void ktuSetIntegerv(short id, const int* values);
int ktuGetInteger(short id);

// View frames.
void frameStepUp();
void frameStepDown();
void updateToviViewConstants();
void ktuOpenToviFrame();
void ktuCloseToviFrame();

#endif
