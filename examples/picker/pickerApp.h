// pickerApp: an example application on the framework. It lays out five ktShapes of different
// primitive types in window pixels (origin at the bottom-left, y up), highlights the shape under the
// mouse pointer, selects the shapes lying wholly inside a rectangle dragged with the mouse, and saves
// all shapes to a shape-record file on 's' and loads them back on 'l', and saves a PNG screenshot on
// 'p'. Escape ends it (ktApp's default).
#ifndef KT_EXAMPLES_PICKER_PICKERAPP_H
#define KT_EXAMPLES_PICKER_PICKERAPP_H

#include "framework/ktApp.h"
#include "shapes/ktShape.h"

// Path of the shape-record file; main sets it from the command line before calling makeApp.
extern const char* pickerRecordPath;
// Path of the PNG screenshot that 'p' writes; main sets it from the second argument.
extern const char* pickerScreenshotPath;

class pickerApp : public ktApp {
public:
    pickerApp();

    void draw() override;
    void mouseMove(float x, float y) override;
    void mouseDown(float x, float y, int button) override;
    void mouseDrag(float x, float y) override;
    void mouseUp(float x, float y, int button) override;
    void keyDown(char key) override;

private:
    static const int shapeCount = 5;
    ktShape* shapes[shapeCount];  // what is on screen, in record order
    ktShape* spares[shapeCount];  // a load reads into these first; they swap in when all records are whole
    int hovered;                  // index of the shape under the pointer, -1 for none
    bool selected[shapeCount];    // shapes inside the last dragged rectangle
    bool dragging;                // a button is held: the rectangle below is being dragged
    float dragStartX, dragStartY, dragEndX, dragEndY;

    void save();
    void load();
};

#endif
