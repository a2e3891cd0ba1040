// viewerApp: shows one shape, read from a model file or a shape record, lit in the framework's view
// frame. The shape is centred in the window and scaled to it whatever its own size; a mouse drag
// turns it about the window's axes, the wheel zooms, 's' saves it as a shape record and Escape ends
// the program (ktApp's default). Positions are window pixels, origin bottom-left, y up.
#ifndef KT_EXAMPLES_VIEWER_VIEWERAPP_H
#define KT_EXAMPLES_VIEWER_VIEWERAPP_H

#include "framework/ktApp.h"
#include "shapes/ktShape.h"

// The shape to show and the record file 's' writes; main sets them before calling makeApp.
extern ktShape* viewerShape;
extern const char* viewerRecordPath;

class viewerApp : public ktApp {
public:
    viewerApp();

    void draw() override;
    void mouseDown(float x, float y, int button) override;
    void mouseDrag(float x, float y) override;
    void keyDown(char key) override;

private:
    ktShape* shape;
    bool picking;        // the shape's own enablePicking, restored in the saved record
    float center[3];     // middle of the shape's bounding box, own coordinates
    float radius;        // half the box's diagonal; at least a tiny positive size
    float zoom;          // wheel factor on top of the fit to the window
    float turn[16];      // accumulated drag rotation, column-major as OpenGL takes it
    float lastX, lastY;  // pointer position of the last press or drag event

    void save();
};

#endif
