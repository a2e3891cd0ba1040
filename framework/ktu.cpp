// Placeholder framework state (being written): enough for the rest of the tree to link.
#include "framework/ktu.h"

#include <GL/glut.h>

int ktuWindowWidth, ktuWindowHeight;
unsigned int ktuDisplayMode = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH;
bool ktuWindowClear;
float ktuWindowBgColor[3];
float ktuScreenFov, ktuScreenNear, ktuScreenFar;
int frameDepth;
char ktuResourceLocation[256];
int ktuDebugLevel;
char* ktuDebugStr;

void ktuOpen() {
    static int argc = 1;
    static char name[] = "ktu";
    static char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(ktuDisplayMode);
    glutCreateWindow("ktu");
    glutFullScreen();
}
void ktuClose() {}
void ktuDebug(short, const char*) {}
void ktuOpenToviFrame() {}
void ktuCloseToviFrame() {}
