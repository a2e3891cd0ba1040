#!/usr/bin/env bash
# Creates a new application on the installed framework: DIR/CMakeLists.txt, DIR/main.cpp and the
# application class DIR/NAMEApp.h, DIR/NAMEApp.cpp. The program NAME opens a window that draws a
# triangle, prints the mouse clicks and ends on Escape. Build and run it with:
#   cmake -S DIR -B DIR/build [-DCMAKE_PREFIX_PATH=<framework prefix>] && cmake --build DIR/build
#   DIR/build/NAME
# NAME must be a C++ identifier; DIR must not exist yet or be empty. Nothing is overwritten.
# Usage: new-app.sh NAME DIR
set -euo pipefail
usage() { echo "usage: new-app.sh NAME DIR   (NAME a C++ identifier, DIR new or empty)" >&2; exit 2; }
[ $# -eq 2 ] || usage
name=$1
dir=$2
[[ "$name" =~ ^[A-Za-z_][A-Za-z0-9_]*$ ]] || { echo "new-app: '$name' is not a C++ identifier" >&2; exit 2; }
if [ -e "$dir" ] && { [ ! -d "$dir" ] || [ -n "$(ls -A "$dir")" ]; }; then
  echo "new-app: $dir exists and is not an empty folder; nothing written" >&2
  exit 1
fi
mkdir -p "$dir"
class="${name}App"
guard=$(tr '[:lower:]' '[:upper:]' <<<"${class}_H")

cat >"$dir/CMakeLists.txt" <<CMAKE
# $name: an application on ktframework. Configure with the framework's install prefix on
# CMAKE_PREFIX_PATH unless it is installed in a system folder (/usr, /usr/local).
cmake_minimum_required(VERSION 3.25)
project($name LANGUAGES C CXX)

find_package(ktframework 1.1 REQUIRED)

add_executable($name main.cpp $class.cpp)
target_link_libraries($name PRIVATE kt::framework)
target_compile_options($name PRIVATE -Wall -Wextra)
CMAKE

cat >"$dir/$class.h" <<HEADER
// $class: the application object. It covers the window and receives its events; positions are
// window pixels with the origin at the bottom-left and y up.
#ifndef $guard
#define $guard

#include "framework/ktApp.h"

class $class : public ktApp {
public:
    void draw() override;
    void mouseDown(float x, float y, int button) override;
    void keyDown(char key) override;
};

#endif
HEADER

cat >"$dir/$class.cpp" <<SOURCE
#include "$class.h"

#include <GL/gl.h>

#include <cstdio>

#include "framework/ktu.h"

// Called once per frame inside the framework's view frame: world units are window pixels on the
// plane z = 0. The frame has cleared the window and turned lighting on.
void $class::draw() {
    glDisable(GL_LIGHTING);  // show the colour exactly as given
    glColor3f(0.2f, 0.6f, 1.0f);
    glBegin(GL_TRIANGLES);
    glVertex3f(100, 100, 0);
    glVertex3f(300, 100, 0);
    glVertex3f(200, 300, 0);
    glEnd();
}

void $class::mouseDown(float x, float y, int button) {
    std::printf("$name: button %d at (%g, %g)\n", button, x, y);
    std::fflush(stdout);
}

// Escape (ktApp's default) ends the program with status 0.
void $class::keyDown(char key) { ktApp::keyDown(key); }

extern "C" ktApp* makeApp() { return new $class(); }
SOURCE

cat >"$dir/main.cpp" <<MAIN
// $name: opens the framework (window "ktu", full screen), makes the application object and runs it.
#include "framework/ktApp.h"
#include "framework/ktu.h"

int main() {
    ktuOpen();
    makeApp()->selfStart();  // runs the GLUT main loop; does not return
}
MAIN

echo "new-app: created $name in $dir"
echo "  cmake -S $dir -B $dir/build && cmake --build $dir/build && $dir/build/$name"
