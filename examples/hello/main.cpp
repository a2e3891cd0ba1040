#include <GL/gl.h>

#include <cstdio>

#include "framework/ktApp.h"
#include "framework/ktu.h"

class helloApp : public ktApp {
public:
    // Called once per frame inside a 3D view frame: world units are window pixels on the plane z = 0,
    // origin at the bottom-left, y up.
    void draw() override {
        glDisable(GL_LIGHTING);  // the view frame lights the scene; show the colour as given
        glColor3f(1, 0.5f, 0);
        glBegin(GL_TRIANGLES);
        glVertex3f(100, 100, 0);
        glVertex3f(300, 100, 0);
        glVertex3f(200, 300, 0);
        glEnd();
    }
    void mouseDown(float x, float y, int button) override {  // window pixels, y up
        std::printf("hello: button %d at (%g, %g)\n", button, x, y);
        std::fflush(stdout);
    }
    void keyDown(char key) override {
        if (key == 'q')
            ktuClose();  // ends the program with status 0
        else
            ktApp::keyDown(key);  // keep Escape
    }
};

extern "C" ktApp* makeApp() { return new helloApp(); }

int main() {
    ktuOpen();               // window "ktu", full screen, framework globals
    makeApp()->selfStart();  // registers the object and runs the GLUT main loop
}
