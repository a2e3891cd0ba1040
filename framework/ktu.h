/// @file
/// The framework's process-wide state and entry points.
///
/// ktuOpen() creates the one GLUT window and gives every global below its start value; the settings
/// registry reads and writes groups of these globals by a 16-bit identifier (::ktuSettingId);
/// ktuDebug() is the diagnostic channel on standard error. View frames bracket drawing: the outermost
/// one maps the plane z = 0 onto the window pixel for pixel (origin bottom-left, y up) and swaps the
/// buffers when it closes. Everything runs on the GLUT thread; nothing here is thread-safe.
#ifndef KT_FRAMEWORK_KTU_H
#define KT_FRAMEWORK_KTU_H

/// Settings identifiers of the registry, usable wherever a `short` identifier is expected. Each one
/// stands for one to four framework globals, copied in the order listed to or from the caller's int
/// array; values are stored and returned as given, with no range test. Any other value is invalid
/// for reading and writing.
enum ktuSettingId {
    KTU_DEBUG_LEVEL = 10,             ///< 1 value, ::ktuDebugLevel; read and write
    KTU_WINDOW_WIDTH = 22,            ///< 1 value, ::ktuWindowWidth; read only
    KTU_WINDOW_HEIGHT = 23,           ///< 1 value, ::ktuWindowHeight; read only
    /// 2 values, ::ktuWindowWidth and ::ktuWindowHeight. Writing stores them at once, requests that
    /// window size (ending full-screen mode) and frees ::ktuScreenGrabBuffer and ::ktuScreenGrabFlipper.
    KTU_WINDOW_SIZE = 24,
    KTU_SCREEN_GRAB_QUALITY = 29,     ///< 1 value, ::ktuScreenGrabQuality; read and write
    KTU_SCREEN_GRAB_FORMAT = 31,      ///< 1 value, ::ktuScreenGrabFormat; read and write
    KTU_SCREEN_GRAB_X = 32,           ///< 1 value, ::ktuScreenGrabX; read and write
    KTU_SCREEN_GRAB_Y = 33,           ///< 1 value, ::ktuScreenGrabY; read and write
    KTU_SCREEN_GRAB_WIDTH = 34,       ///< 1 value, ::ktuScreenGrabWidth; read and write
    KTU_SCREEN_GRAB_HEIGHT = 35,      ///< 1 value, ::ktuScreenGrabHeight; read and write
    /// 4 values: ::ktuScreenGrabX, ::ktuScreenGrabY, ::ktuScreenGrabWidth, ::ktuScreenGrabHeight; read and write
    KTU_SCREEN_GRAB_RECT = 36,
    KTU_TIME_STEP = 42,               ///< 1 value, ::ktuTimeStep; read and write
    KTU_VIDEO_WIDTH = 200,            ///< 1 value, ::ktuVideoWidth; read only
    KTU_VIDEO_HEIGHT = 201,           ///< 1 value, ::ktuVideoHeight; read only
    KTU_VIDEO_SIZE = 202,             ///< 2 values, ::ktuVideoWidth and ::ktuVideoHeight; read only
    KTU_VIDEO_ARRAY_WIDTH = 203,      ///< 1 value, ::ktuVideoArrayWidth; read and write
    KTU_VIDEO_ARRAY_HEIGHT = 204,     ///< 1 value, ::ktuVideoArrayHeight; read and write
    KTU_VIDEO_ARRAY_SIZE = 205,       ///< 2 values, ::ktuVideoArrayWidth and ::ktuVideoArrayHeight; read and write
    KTU_VIDEO_FPS = 207,              ///< 1 value, ::ktuVideoFPS; read and write
    KTU_VIDEO_PROXY_COUNT = 208,      ///< 1 value, ::ktuVideoProxyCount; read and write
    KTU_VIDEO_PROXY_RAW_WIDTH = 210,  ///< 1 value, ::ktuVideoProxyRawWidth; read and write
    KTU_VIDEO_PROXY_RAW_HEIGHT = 211  ///< 1 value, ::ktuVideoProxyRawHeight; read and write
};

/// Width of the window's drawing area in pixels: 0 until the first reshape, then kept current by the
/// reshape callbacks and set at once by writing `KTU_WINDOW_SIZE`.
extern int ktuWindowWidth;
/// Height of the window's drawing area in pixels; kept like ::ktuWindowWidth.
extern int ktuWindowHeight;
/// GLUT display-mode bits that ktuOpen() creates the window with: GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH
/// (18) from load. Assign before ktuOpen() to change them.
extern unsigned int ktuDisplayMode;
/// Whether the outermost view frame clears the colour and depth buffers (true after ktuOpen()).
extern bool ktuWindowClear;
/// Clear colour, red, green, blue in 0 .. 1 (black after ktuOpen()); alpha 1 is added when clearing.
extern float ktuWindowBgColor[3];
/// Vertical field of view of every view frame, in degrees (60 after ktuOpen()). A change alone moves
/// the camera only at the next window-size change, or after updateToviViewConstants().
extern float ktuScreenFov;
/// Set to 1.5 by ktuOpen() and read by nothing: view frames derive their clipping distances from the
/// eye distance.
extern float ktuScreenNear;
/// Set to 20 by ktuOpen() and read by nothing (see ::ktuScreenNear).
extern float ktuScreenFar;
/// Number of view frames open: 0 outside a display pass, 1 inside the outermost frame.
extern int frameDepth;
/// Directory prefix for framework resource files, NUL-terminated ("C:/ktWindow/" after ktuOpen());
/// read by nothing.
extern char ktuResourceLocation[256];

/// Verbosity threshold of ktuDebug(): a diagnostic prints when its level is at most this (3 after
/// ktuOpen(), which prints both levels in use; 1 silences the level-2 reports; below 1 silences all).
extern int ktuDebugLevel;
/// A 64-byte heap block (allocated by ktuOpen(), never freed, contents undefined) for callers that
/// compose diagnostic text; no framework operation reads or writes it.
extern char* ktuDebugStr;

/// Time step setting, 1 from load; reached through `KTU_TIME_STEP`, read by nothing else.
extern int ktuTimeStep;
/// Screen-grab quality setting (100 after ktuOpen()); registry only (`KTU_SCREEN_GRAB_QUALITY`).
extern int ktuScreenGrabQuality;
/// Screen-grab format setting (40 after ktuOpen()); registry only (`KTU_SCREEN_GRAB_FORMAT`).
extern int ktuScreenGrabFormat;
/// Screen-grab rectangle, left (0 after ktuOpen()); registry only. ktuSaveScreenshot() does not use it.
extern int ktuScreenGrabX;
/// Screen-grab rectangle, bottom (0 after ktuOpen()); registry only.
extern int ktuScreenGrabY;
/// Screen-grab rectangle, width (0 after ktuOpen()); registry only.
extern int ktuScreenGrabWidth;
/// Screen-grab rectangle, height (0 after ktuOpen()); registry only.
extern int ktuScreenGrabHeight;
/// Screen-grab flip flag (true after ktuOpen()); read by nothing.
extern bool ktuScreenGrabFlip;
/// A malloc'd screen-grab block or null (null after ktuOpen()); freed and set to null whenever
/// `KTU_WINDOW_SIZE` is written.
extern unsigned char* ktuScreenGrabBuffer;
/// A malloc'd screen-grab block or null, released like ::ktuScreenGrabBuffer.
extern unsigned char* ktuScreenGrabFlipper;
/// Video flag (false after ktuOpen()); read by nothing.
extern bool ktuVideoOpened;
/// Video flag (false after ktuOpen()); read by nothing.
extern bool ktuVideoMirrorImage;
/// Video flag (false after ktuOpen()); read by nothing.
extern bool ktuVideoProxyRepeating;
/// Video setting (-1 after ktuOpen()); registry only (`KTU_VIDEO_PROXY_COUNT`).
extern int ktuVideoProxyCount;
/// Video setting (0 after ktuOpen()); registry only (`KTU_VIDEO_PROXY_RAW_WIDTH`).
extern int ktuVideoProxyRawWidth;
/// Video setting (0 after ktuOpen()); registry only (`KTU_VIDEO_PROXY_RAW_HEIGHT`).
extern int ktuVideoProxyRawHeight;
/// Video frame rate setting (15 after ktuOpen()); registry only (`KTU_VIDEO_FPS`).
extern int ktuVideoFPS;
/// Video width, 0 from load; read-only through the registry (`KTU_VIDEO_WIDTH`, `KTU_VIDEO_SIZE`).
extern int ktuVideoWidth;
/// Video height, 0 from load; read-only through the registry (`KTU_VIDEO_HEIGHT`, `KTU_VIDEO_SIZE`).
extern int ktuVideoHeight;
/// Video array width, 0 from load; registry only (`KTU_VIDEO_ARRAY_WIDTH`, `KTU_VIDEO_ARRAY_SIZE`).
extern int ktuVideoArrayWidth;
/// Video array height, 0 from load; registry only (`KTU_VIDEO_ARRAY_HEIGHT`, `KTU_VIDEO_ARRAY_SIZE`).
extern int ktuVideoArrayHeight;
/// Opaque tesselator handle, null after ktuOpen(); read by nothing.
extern void* ktuTesselator;

/// A font; opaque: no framework operation creates, reads or destroys one.
struct ktFont;
/// Number of slots in the font table.
const int ktutFontSlots = 50;
/// Font table: one font pointer per slot, all null after ktuTextInit().
extern ktFont* ktutFontList[ktutFontSlots];
/// Font names, one NUL-terminated name of up to 127 characters per slot, all empty after ktuTextInit().
extern char ktutFontNames[ktutFontSlots][128];
/// Slot of the current font, -1 meaning none (after ktuTextInit()).
extern int ktutCurrentFont;
/// True once ktuTextInit() has emptied the font table.
extern bool ktuTextInited;

/// Opens the framework: initialises GLUT with the fixed argument vector {"ktu"} (the program's own
/// arguments never reach GLUT), creates the window "ktu" (::ktuDisplayMode) and makes it full screen,
/// enables GL_AUTO_NORMAL, GL_NORMALIZE and alpha blending, gives every framework global its start
/// value, empties the font table and seeds rand() with the time. Call once, before anything else; a
/// second call is refused with a level-2 diagnostic.
void ktuOpen();
/// Starts the orderly shut-down: writes `KTU_WINDOW_SIZE` {100, 100} and replaces the idle callback
/// by winddown_cb(), which ends the process with status 0 on its fifth call. The application's idle()
/// is no longer called. A second call restarts the countdown. The default ktApp::keyDown() calls it
/// on Escape.
void ktuClose();
/// The reshape callback in force from ktuOpen() until an application object installs reshape_cb():
/// stores the size in ::ktuWindowWidth and ::ktuWindowHeight and does nothing else.
/// @param width drawing-area width in pixels. @param height drawing-area height in pixels.
void reshape(int width, int height);
/// The idle callback of the shut-down: counts down from 5 and ends the process with status 0 (C
/// library exit, so exit handlers and stream flushing run) on the call that finds 1.
void winddown_cb();
/// Empties the font table: every slot null with an empty name, no current font, ::ktuTextInited true.
void ktuTextInit();

/// Prints `text` and a newline on standard error when `level` is at most ::ktuDebugLevel; then, if
/// `level` is 1, ends the process with exit status -1 whether or not it printed. The framework uses
/// level 1 for fatal reports and level 2 for every other report.
/// @param level 1 fatal, 2 report, higher for more detail. @param text the line, without newline.
void ktuDebug(short level, const char* text);
/// Copies a setting's values (one, two or four, see ::ktuSettingId) into `values`, from its first
/// element on. An invalid identifier writes nothing and reports "Bad parameter passed to
/// ktuGetIntegerv" at level 2.
/// @param id a ::ktuSettingId. @param values room for the setting's number of values.
void ktuGetIntegerv(short id, int* values);
/// Stores a setting's values taken from `values`, from its first element on, with the side effects
/// of `KTU_WINDOW_SIZE`. An invalid or read-only identifier changes nothing and reports "Bad
/// parameter passed to ktuSetIntegerv" at level 2.
/// @param id a writable ::ktuSettingId. @param values the setting's number of values.
void ktuSetIntegerv(short id, const int* values);
/// Reads a setting through ktuGetIntegerv() and returns its first value; never writes past one int, so
/// a two- or four-value identifier gives its first value. An invalid identifier is reported as by
/// ktuGetIntegerv() and gives 0.
/// @param id a ::ktuSettingId.
/// @return the setting's first value, or 0 for an invalid identifier.
int ktuGetInteger(short id);

/// Opens one frame level. The outermost sets the viewport to the window and loads the identity into
/// the projection and model-view matrices; a nested one pushes both matrix stacks. Leaves the matrix
/// mode at model-view. Opening a level while more than 10 are open reports "Warning, frameDepth
/// already at N" at level 2 and still opens it.
void frameStepUp();
/// Closes one frame level: the outermost swaps the buffers, a nested one pops both matrix stacks. The
/// depth is not guarded against going below zero: match every open with one close.
void frameStepDown();
/// Recomputes the camera placement from ::ktuWindowWidth, ::ktuWindowHeight and ::ktuScreenFov: centre
/// at half the window size, eye distance at which the vertical field spans the window height, near
/// and far clipping at a tenth and ten times that distance. View frames call it when the window size
/// has changed.
void updateToviViewConstants();
/// Opens a 3D view frame (frameStepUp() plus state). Every frame enables lighting, light 0, depth
/// testing (GL_LEQUAL), smooth shading and colour material (ambient and diffuse, both faces) and
/// disables 2D texturing. The outermost also clears (when ::ktuWindowClear), places a directional light
/// 0 towards the camera and sets the camera in the projection matrix so that the plane z = 0 maps onto
/// the window pixel for pixel (origin bottom-left, y up, z towards the viewer); the model-view matrix
/// stays the identity.
void ktuOpenToviFrame();
/// Closes a 3D view frame: frameStepDown(). Only the two matrices are restored; enables, lights and
/// colours stay as the frame's contents left them.
void ktuCloseToviFrame();

#endif
