// ktObject and ktShape: drawable objects. A ktShape is a list of vertices with optional
// per-vertex colours, normals and texture coordinates and an optional index list in which -1
// separates primitives. Every list is one packed block holding exactly its count of entries
// (null when empty), grown by one entry per addition. Drawing places the shape on the software
// transform stack and sends world positions in immediate mode; picking answers in window pixels
// (origin bottom-left); the shape record is a raw little-endian binary form on a C stream.
// Misuse is reported by fixed messages on standard output, after which the operation does nothing;
// so is an allocation that fails while a list grows, which leaves every list as it was.
#ifndef KT_SHAPES_KTSHAPE_H
#define KT_SHAPES_KTSHAPE_H

#include <cstdint>
#include <cstdio>

#include "math/ktMatrix4f.h"
#include "math/ktVec3f.h"
#include "math/ktVec4f.h"

class ktObject {
public:
    virtual void draw() {}
    virtual void idle() {}
    virtual bool pointInside(float x, float y) { (void)x; (void)y; return false; }
    virtual bool shapeInRect(float left, float bottom, float right, float top, bool any) {
        (void)left; (void)bottom; (void)right; (void)top; (void)any;
        return false;
    }
    virtual bool shapeInCircle(float cx, float cy, float radius, bool any) {
        (void)cx; (void)cy; (void)radius; (void)any;
        return false;
    }
    virtual void mouseDown(float x, float y, int button) { (void)x; (void)y; (void)button; }
    virtual void mouseUp(float x, float y, int button) { (void)x; (void)y; (void)button; }
    virtual void mouseMove(float x, float y) { (void)x; (void)y; }
    virtual void mouseDrag(float x, float y) { (void)x; (void)y; }
    virtual void keyDown(char key) { (void)key; }
    virtual void specialKeyDown(int key) { (void)key; }
    virtual void writeToFile(FILE* stream) { (void)stream; }
    virtual void readFromFile(FILE* stream) { (void)stream; }
    // Four-character code, first character in the most significant byte: "none".
    virtual uint32_t getTypeID() { return 0x6E6F6E65u; }
};

// Order in which draw applies Translation, Rotation and Scale, first letter called first.
// The transform called last acts on the vertex first.
enum xformOrder : unsigned char {
    kt_T_S_R = 0,
    kt_T_R_S = 1,
    kt_R_S_T = 2,
    kt_R_T_S = 3,
    kt_S_R_T = 4,
    kt_S_T_R = 5
};

// Messages printed verbatim on standard output.
extern const char* const ktMsgAddIndexDisabled;
extern const char* const ktMsgAddIndexOutOfBounds;
extern const char* const ktMsgSetVertexOutOfBounds;
extern const char* const ktMsgSetVertexColorDisabled;
extern const char* const ktMsgSetVertexColorOutOfBounds;
extern const char* const ktMsgDrawEmptyIndexList;
extern const char* const ktMsgNormalsDisabled;
extern const char* const ktMsgRecordDamaged;
extern const char* const ktMsgRecordNotWritten;
extern const char* const ktMsgOutOfMemory;

class ktShape : public ktObject {
public:
    uint32_t drawStyle;       // OpenGL primitive mode handed to glBegin
    xformOrder transformOrder;
    ktVec3f Normal;           // shape-wide normal, sent once per draw
    ktVec4f Color;            // shape-wide colour, sent once per draw
    ktVec3f Translation;
    ktVec3f Scale;
    ktVec4f Rotation;         // x: angle in degrees; (y, z, w): axis
    bool enablePicking;       // draw also computes screenVertexList
    ktMatrix4f space;         // own-to-world matrix of the last draw
    int listLength;           // number of vertices
    ktVec3f* vertexList;        // own coordinates; listLength entries
    ktVec3f* absVertexList;     // world positions of the last draw; listLength entries
    ktVec3f* screenVertexList;  // window positions of the last picking draw; listLength entries
    ktVec3f* normalList;        // listLength entries while enableVertexNormals
    ktVec3f* textureCoordList;  // listLength entries while enableVertexTextureCoords
    ktVec4f* colorList;         // listLength entries while enableVertexColors
    bool enableIndex;
    int indexListLength;
    int* indexList;             // indexListLength entries; -1 separates primitives
    int* normalCountList;       // faces per vertex normal; listLength entries while enableVertexNormals
    bool enableVertexNormals;
    bool enableVertexColors;
    bool enableVertexTextureCoords;

    // Per-vertex colours first, then normals, then the index list.
    ktShape(bool vertexColors = false, bool vertexNormals = false, bool index = false);

    // Both return the new vertex's index, or -1 when memory ran out (reported on standard output;
    // the shape is then as it was).
    int addPoint();
    int addPoint(float x, float y, float z);
    void addIndex(int index);
    void setVertex(int index, float x, float y, float z) {
        if (index < 0 || index >= listLength) {
            std::fputs(ktMsgSetVertexOutOfBounds, stdout);
            return;
        }
        vertexList[index].set(x, y, z);
    }
    void setVertexColor(int index, float r, float g, float b, float a) {
        if (!enableVertexColors) {
            std::fputs(ktMsgSetVertexColorDisabled, stdout);
            return;
        }
        if (index < 0 || index >= listLength) {
            std::fputs(ktMsgSetVertexColorOutOfBounds, stdout);
            return;
        }
        colorList[index].set(r, g, b, a);
    }
    void enablePerVertexColors();
    void enablePerVertexNormals();
    void enablePerVertexTextureCoords();
    void calculateNormals();

    void draw() override;
    void idle() override {}
    bool pointInside(float x, float y) override;
    bool shapeInRect(float left, float bottom, float right, float top, bool any) override;
    bool shapeInCircle(float cx, float cy, float radius, bool any) override;
    void writeToFile(FILE* stream) override;
    void readFromFile(FILE* stream) override;
    uint32_t getTypeID() override { return 0x73686170u; }  // "shap"

protected:
    static float pickTolerance;  // hit distance in window pixels

    // Bulk forms for subclasses that build many entries at once. The lists end exactly as `count`
    // calls of addPoint() would leave them (same defaults, exact sizes), with one resize per list.
    // False when memory ran out: the shape is then as it was and the failure has been reported.
    bool addPoints(int count);
    // Grows indexList by `count` entries and returns the first new one for the caller to fill. No
    // check is made: only for callers whose indices are valid by construction. Null when memory ran
    // out (reported; the index list is then as it was).
    int* appendIndexSlots(int count);
};

// Is window position (x, y) inside triangle ABC (either winding, edges included)? False when a
// corner's screen z is negative.
bool pointInTriangle(float x, float y, ktVec3f& a, ktVec3f& b, ktVec3f& c);

#endif
