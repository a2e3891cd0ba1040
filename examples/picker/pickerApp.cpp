// pickerApp: building the shapes, drawing them with their highlight, mouse picking and the
// shape-record file. All positions are window pixels: inside the framework's outermost view frame
// the plane z = 0 maps onto the window pixel for pixel, origin at the bottom-left, y up, and mouse
// events arrive in the same coordinates.
#include "pickerApp.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <utility>

#include "framework/ktu.h"
#include "framework/ktuScreenshot.h"
#include "math/ktTransforms.h"

const char* pickerRecordPath = "shapes.ktrec";
const char* pickerScreenshotPath = "picker.png";

namespace {

// Flat colours, red, green, blue, alpha. The two highlight colours appear in no shape's own colour,
// so a screenshot tells at a glance (and the end-to-end test by exact pixel value) what is picked.
const float hoverColor[4] = {1.0f, 1.0f, 0.0f, 1.0f};     // yellow: under the pointer
const float selectedColor[4] = {0.0f, 1.0f, 1.0f, 1.0f};  // cyan: inside the dragged rectangle
const float bandColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};      // white: the rectangle being dragged

// No OpenGL primitive mode has this value, so no record that writeToFile produced carries it.
const uint32_t notLoaded = 0xFFFFFFFFu;

ktShape* makeShape(uint32_t drawStyle, float r, float g, float b, bool indexed = false) {
    ktShape* shape = new ktShape(false, false, indexed);  // one colour for the whole shape
    shape->drawStyle = drawStyle;
    shape->Color.set(r, g, b, 1.0f);
    return shape;
}

// A house: a square of two triangles and a roof triangle, sharing corners through an index list.
ktShape* makeHouse() {
    ktShape* house = makeShape(GL_TRIANGLES, 0.85f, 0.25f, 0.2f, true);
    house->addPoint(40, 60, 0);    // 0 bottom left
    house->addPoint(160, 60, 0);   // 1 bottom right
    house->addPoint(160, 160, 0);  // 2 top right
    house->addPoint(40, 160, 0);   // 3 top left
    house->addPoint(100, 220, 0);  // 4 roof ridge
    const int corners[] = {0, 1, 2, 0, 2, 3, 3, 2, 4};
    for (int corner : corners) house->addIndex(corner);
    return house;
}

// A ribbon: a triangle strip whose vertices alternate between its lower and upper edge.
ktShape* makeRibbon() {
    ktShape* ribbon = makeShape(GL_TRIANGLE_STRIP, 0.2f, 0.7f, 0.3f);
    for (int k = 0; k < 4; ++k) {
        float x = 200.0f + 40.0f * k;
        float rise = (k % 2) * 20.0f;
        ribbon->addPoint(x, 60 + rise, 0);
        ribbon->addPoint(x, 140 + rise, 0);
    }
    return ribbon;
}

// A disc: a triangle fan around its centre; the last rim point repeats the first to close it.
ktShape* makeDisc() {
    ktShape* disc = makeShape(GL_TRIANGLE_FAN, 0.25f, 0.45f, 0.9f);
    const float cx = 440, cy = 120, radius = 60;
    disc->addPoint(cx, cy, 0);
    for (int k = 0; k <= 12; ++k) {
        double angle = k * 2.0 * M_PI / 12.0;
        disc->addPoint(cx + radius * static_cast<float>(std::cos(angle)),
                       cy + radius * static_cast<float>(std::sin(angle)), 0);
    }
    return disc;
}

// A zigzag line strip.
ktShape* makeZigzag() {
    ktShape* zigzag = makeShape(GL_LINE_STRIP, 0.95f, 0.55f, 0.1f);
    for (int k = 0; k < 5; ++k) zigzag->addPoint(40.0f + 50.0f * k, (k % 2) ? 380.0f : 300.0f, 0);
    return zigzag;
}

// A 4 x 3 grid of points.
ktShape* makeStars() {
    ktShape* stars = makeShape(GL_POINTS, 0.7f, 0.35f, 0.85f);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) stars->addPoint(300.0f + 40.0f * col, 300.0f + 40.0f * row, 0);
    return stars;
}

void drawRectangle(float x0, float y0, float x1, float y1) {
    glColor4fv(bandColor);
    glBegin(GL_LINE_LOOP);
    glVertex3f(x0, y0, 0);
    glVertex3f(x1, y0, 0);
    glVertex3f(x1, y1, 0);
    glVertex3f(x0, y1, 0);
    glEnd();
}

}  // namespace

pickerApp::pickerApp()
    : hovered(-1), selected(), dragging(false), dragStartX(0), dragStartY(0), dragEndX(0), dragEndY(0) {
    // Shapes compute their world and window positions on the framework's software transform
    // stack, which starts all zeros: set every level to the identity once.
    ktTransformsInit();
    ktShape* (*const makers[shapeCount])() = {makeHouse, makeRibbon, makeDisc, makeZigzag, makeStars};
    for (int i = 0; i < shapeCount; ++i) {
        shapes[i] = makers[i]();
        spares[i] = new ktShape();
    }
}

void pickerApp::draw() {
    // Each shape's draw computes the window position of its vertices (which picking tests) from the
    // OpenGL camera captured last; capture this frame's camera before drawing anything.
    ktTransformsCaptureCamera();
    // The view frame turns lighting on. These shapes lie flat, facing the viewer, and are drawn unlit
    // so that every pixel shows its colour exactly.
    glDisable(GL_LIGHTING);
    glPointSize(9);
    glLineWidth(3);
    for (int i = 0; i < shapeCount; ++i) {
        // The highlight is applied for this draw only, so Color (and so the saved record) keeps the
        // shape's own colour.
        ktVec4f own = shapes[i]->Color;
        const float* shown = i == hovered ? hoverColor : selected[i] ? selectedColor : nullptr;
        if (shown) shapes[i]->Color.set(shown[0], shown[1], shown[2], shown[3]);
        shapes[i]->draw();
        shapes[i]->Color = own;
    }
    if (dragging) drawRectangle(dragStartX, dragStartY, dragEndX, dragEndY);
}

// The pointer moved with no button held: the topmost shape under it (drawn last) is highlighted.
void pickerApp::mouseMove(float x, float y) {
    hovered = -1;
    for (int i = 0; i < shapeCount; ++i)
        if (shapes[i]->pointInside(x, y)) hovered = i;
}

void pickerApp::mouseDown(float x, float y, int button) {
    (void)button;  // any button drags a rectangle
    dragging = true;
    dragStartX = dragEndX = x;
    dragStartY = dragEndY = y;
}

void pickerApp::mouseDrag(float x, float y) {
    dragEndX = x;
    dragEndY = y;
}

// Selects the shapes whose every vertex lies in the rectangle; a click without a drag selects none.
void pickerApp::mouseUp(float x, float y, int button) {
    (void)button;
    dragging = false;
    float left = std::fmin(dragStartX, x), right = std::fmax(dragStartX, x);
    float bottom = std::fmin(dragStartY, y), top = std::fmax(dragStartY, y);
    for (int i = 0; i < shapeCount; ++i)
        selected[i] = shapes[i]->shapeInRect(left, bottom, right, top, false);
}

void pickerApp::keyDown(char key) {
    if (key == 's') {
        save();
    } else if (key == 'l') {
        load();
    } else if (key == 'p') {
        // Between frames: the file shows the frame on screen. A failure has been reported already.
        if (ktuSaveScreenshot(pickerScreenshotPath))
            std::printf("picker: saved screenshot to %s\n", pickerScreenshotPath);
    } else {
        ktApp::keyDown(key);  // keeps Escape
    }
    std::fflush(stdout);  // the shapes' messages and ours appear at once, even in a log file
}

// Writes every shape's record, one after the other, in the binary mode the record needs.
void pickerApp::save() {
    FILE* file = std::fopen(pickerRecordPath, "wb");
    if (file == nullptr) {
        std::printf("picker: cannot write %s\n", pickerRecordPath);
        return;
    }
    for (ktShape* shape : shapes) shape->writeToFile(file);
    if (std::fclose(file) != 0) {
        std::printf("picker: cannot write %s\n", pickerRecordPath);
        return;
    }
    std::printf("picker: saved %d shapes to %s\n", shapeCount, pickerRecordPath);
}

// Loads every shape, all or nothing. readFromFile prints a message for a damaged record and leaves the
// shape as it was, but returns no status; so each record is read into a spare shape marked with a
// drawStyle that no record carries, and the mark still being there means the record was refused. Only
// when every record is whole do the spares take the place of the shapes on screen.
void pickerApp::load() {
    FILE* file = std::fopen(pickerRecordPath, "rb");
    if (file == nullptr) {
        std::printf("picker: cannot read %s\n", pickerRecordPath);
        return;
    }
    bool whole = true;
    for (int i = 0; i < shapeCount && whole; ++i) {
        spares[i]->drawStyle = notLoaded;
        spares[i]->readFromFile(file);
        whole = spares[i]->drawStyle != notLoaded;
    }
    std::fclose(file);
    if (!whole) {
        std::printf("picker: %s not loaded, shapes unchanged\n", pickerRecordPath);
        return;
    }
    std::swap(shapes, spares);
    // The loaded shapes have no window positions until their first draw: pick nothing until then.
    hovered = -1;
    for (bool& s : selected) s = false;
    std::printf("picker: loaded %d shapes from %s\n", shapeCount, pickerRecordPath);
}

extern "C" ktApp* makeApp() { return new pickerApp(); }
