// ktu: the framework's process-wide globals, start-up (ktuOpen), the orderly shut-down (ktuClose
// and its five-turn idle countdown) and the reshape callback in force before an application object
// installs its own. Values written in the definitions below are those held from load; ktuOpen
// assigns the rest.
#include "framework/ktu.h"

#include <GL/freeglut.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include "framework/ktuMemory.h"
#include "framework/ktuWindow.h"

// Window and view.
int ktuWindowWidth = 0;
int ktuWindowHeight = 0;
unsigned int ktuDisplayMode = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH;
bool ktuWindowClear = false;
float ktuWindowBgColor[3] = {0.0f, 0.0f, 0.0f};
float ktuScreenFov = 0.0f;
float ktuScreenNear = 0.0f;
float ktuScreenFar = 0.0f;
int frameDepth = 0;
char ktuResourceLocation[256] = "";

// Diagnostics.
int ktuDebugLevel = 0;
char* ktuDebugStr = nullptr;

// Further settings.
int ktuTimeStep = 1;
int ktuScreenGrabQuality = 0;
int ktuScreenGrabFormat = 0;
int ktuScreenGrabX = 0;
int ktuScreenGrabY = 0;
int ktuScreenGrabWidth = 0;
int ktuScreenGrabHeight = 0;
bool ktuScreenGrabFlip = false;
unsigned char* ktuScreenGrabBuffer = nullptr;
unsigned char* ktuScreenGrabFlipper = nullptr;
bool ktuVideoOpened = false;
bool ktuVideoMirrorImage = false;
bool ktuVideoProxyRepeating = false;
int ktuVideoProxyCount = 0;
int ktuVideoProxyRawWidth = 0;
int ktuVideoProxyRawHeight = 0;
int ktuVideoFPS = 0;
int ktuVideoWidth = 0;
int ktuVideoHeight = 0;
int ktuVideoArrayWidth = 0;
int ktuVideoArrayHeight = 0;
void* ktuTesselator = nullptr;

namespace {

// Idle turns left before the process ends; 0 while no shut-down is under way.
int winddownCounter = 0;
// Pause of each wind-down turn: five of them give a window manager time to show the shrink.
const int windDownTurnMilliseconds = 10;

const char* const resourceLocation = "C:/ktWindow/";
const int debugStrBytes = 64;

}  // namespace

void ktuOpen() {
    if (ktuWindowIsOpen()) {
        // GLUT ends the process on a second glutInit; a second open is refused instead.
        ktuDebug(2, "ktuOpen called more than once");
        return;
    }
    // GLUT sees a fixed argument vector, never the program's own arguments. It may keep pointers
    // into the vector, so the storage outlives this call.
    static int argc = 1;
    static char programName[] = "ktu";
    static char* argv[] = {programName, nullptr};

    ktuWindowWidth = 0;
    ktuWindowHeight = 0;
    frameDepth = 0;
    std::strncpy(ktuResourceLocation, resourceLocation, sizeof ktuResourceLocation - 1);
    ktuResourceLocation[sizeof ktuResourceLocation - 1] = '\0';

    // Before GLUT and OpenGL start allocating: the renderer's per-frame blocks then keep their pages.
    ktuKeepFreedMemory();
    glutInit(&argc, argv);
    glutInitDisplayMode(ktuDisplayMode);
    glutCreateWindow("ktu");
    ktuWindowMarkOpen();
    ktuRequestFullScreen();
    glutReshapeFunc(reshape);

    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    ktuDebugLevel = 3;
    ktuDebugStr = static_cast<char*>(std::malloc(debugStrBytes));

    ktuWindowClear = true;
    ktuWindowBgColor[0] = 0.0f;
    ktuWindowBgColor[1] = 0.0f;
    ktuWindowBgColor[2] = 0.0f;

    ktuVideoOpened = false;
    ktuVideoMirrorImage = false;
    ktuVideoProxyCount = -1;
    ktuVideoProxyRepeating = false;
    ktuVideoProxyRawWidth = 0;
    ktuVideoProxyRawHeight = 0;
    ktuVideoFPS = 15;

    ktuTesselator = nullptr;

    ktuTextInited = false;
    ktuTextInit();

    ktuScreenNear = 1.5f;
    ktuScreenFar = 20.0f;
    ktuScreenFov = 60.0f;

    ktuScreenGrabQuality = 100;
    ktuScreenGrabBuffer = nullptr;
    ktuScreenGrabFlip = true;
    ktuScreenGrabFlipper = nullptr;
    ktuScreenGrabFormat = 40;
    ktuScreenGrabX = 0;
    ktuScreenGrabY = 0;
    ktuScreenGrabWidth = 0;
    ktuScreenGrabHeight = 0;

    std::srand(static_cast<unsigned int>(std::time(nullptr)));
}

void ktuClose() {
    const int closingSize[2] = {100, 100};
    ktuSetIntegerv(KTU_WINDOW_SIZE, closingSize);
    // GLUT ends the process when called before glutInit; without a window there is no idle turn.
    if (ktuWindowIsOpen()) glutIdleFunc(winddown_cb);
    winddownCounter = 5;
}

void winddown_cb() {
    // The 100 x 100 request of ktuClose may still be held while the window leaves full screen.
    ktuIssueHeldWindowRequest();
    // A window manager answers the shrink request in its own time (about 10 ms for some); each
    // turn of the count leaves it a moment, so the shrink shows before the window goes away.
    if (ktuWindowIsOpen()) std::this_thread::sleep_for(std::chrono::milliseconds(windDownTurnMilliseconds));
    if (winddownCounter == 1) {
        std::exit(0);
    } else if (winddownCounter > 1) {
        winddownCounter--;
    }
}

void reshape(int width, int height) {
    ktuWindowWidth = width;
    ktuWindowHeight = height;
}
