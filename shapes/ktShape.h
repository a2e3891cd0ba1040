/// @file
/// ktObject and ktShape: drawable objects, their transform order and their messages.
///
/// A ktShape is a list of vertices with optional per-vertex colours, normals and texture coordinates
/// and an optional index list in which -1 separates primitives. Every list is one packed block holding
/// exactly its count of entries (null when empty), grown by one entry per addition. Drawing places the
/// shape on the software transform stack and sends world positions in immediate mode; picking answers
/// in window pixels (origin bottom-left); the shape record is a raw little-endian binary form on a C
/// stream. Misuse is reported by fixed messages on standard output, after which the operation does
/// nothing; so is an allocation that fails while a list grows, which leaves every list as it was.
#ifndef KT_SHAPES_KTSHAPE_H
#define KT_SHAPES_KTSHAPE_H

#include <cstdint>
#include <cstdio>

#include "math/ktMatrix4f.h"
#include "math/ktVec3f.h"
#include "math/ktVec4f.h"

/// Root of the drawable objects: virtual hooks with empty or false defaults. No virtual destructor:
/// objects are not deleted through this class.
class ktObject {
public:
    /// Draws the object. Default: nothing.
    virtual void draw() {}
    /// Idle work. Default: nothing.
    virtual void idle() {}
    /// Whether window position (x, y) hits the object. Default: false.
    virtual bool pointInside(float x, float y) { (void)x; (void)y; return false; }
    /// Whether the object lies in the window rectangle left .. right × bottom .. top (all of it, or with
    /// `any` one vertex of it). Default: false.
    virtual bool shapeInRect(float left, float bottom, float right, float top, bool any) {
        (void)left; (void)bottom; (void)right; (void)top; (void)any;
        return false;
    }
    /// Whether the object lies in the window circle of centre (cx, cy) and `radius` pixels (all of it,
    /// or with `any` one vertex of it). Default: false.
    virtual bool shapeInCircle(float cx, float cy, float radius, bool any) {
        (void)cx; (void)cy; (void)radius; (void)any;
        return false;
    }
    /// Button press hook, window pixels and GLUT button number; the framework does not call it. Default: nothing.
    virtual void mouseDown(float x, float y, int button) { (void)x; (void)y; (void)button; }
    /// Button release hook, like mouseDown(). Default: nothing.
    virtual void mouseUp(float x, float y, int button) { (void)x; (void)y; (void)button; }
    /// Pointer motion hook, window pixels. Default: nothing.
    virtual void mouseMove(float x, float y) { (void)x; (void)y; }
    /// Pointer drag hook, window pixels. Default: nothing.
    virtual void mouseDrag(float x, float y) { (void)x; (void)y; }
    /// Character key hook (GLUT character code). Default: nothing.
    virtual void keyDown(char key) { (void)key; }
    /// Special key hook (GLUT special-key code). Default: nothing.
    virtual void specialKeyDown(int key) { (void)key; }
    /// Writes the object's record to a stream open for binary writing. Default: nothing.
    virtual void writeToFile(FILE* stream) { (void)stream; }
    /// Reads the object's record from a stream open for binary reading. Default: nothing.
    virtual void readFromFile(FILE* stream) { (void)stream; }
    /// Four-character type code, first character in the most significant byte: "none" (0x6E6F6E65).
    virtual uint32_t getTypeID() { return 0x6E6F6E65u; }
};

/// Order in which ktShape::draw() applies Translation, Rotation and Scale, first letter called first.
/// The transform called last acts on the vertex first; any other value applies none of them.
enum xformOrder : unsigned char {
    kt_T_S_R = 0,  ///< translate, scale, rotate: a vertex is rotated, then scaled, then translated
    kt_T_R_S = 1,  ///< translate, rotate, scale: scaled, then rotated, then translated (a new shape's order)
    kt_R_S_T = 2,  ///< rotate, scale, translate: translated, then scaled, then rotated
    kt_R_T_S = 3,  ///< rotate, translate, scale: scaled, then translated, then rotated
    kt_S_R_T = 4,  ///< scale, rotate, translate: translated, then rotated, then scaled
    kt_S_T_R = 5   ///< scale, translate, rotate: rotated, then translated, then scaled
};

/// "addIndex: index list is not enable in shape" and a newline: ktShape::addIndex() without an index list.
extern const char* const ktMsgAddIndexDisabled;
/// "addIndex warning: added index is outside of bounds" and a newline; the index is appended all the same.
extern const char* const ktMsgAddIndexOutOfBounds;
/// "setVertex: index is out of bounds" and a newline: ktShape::setVertex() outside the vertex list.
extern const char* const ktMsgSetVertexOutOfBounds;
/// "setVertexColor: vertex color is not enabled in shape" and a newline: ktShape::setVertexColor().
extern const char* const ktMsgSetVertexColorDisabled;
/// "setVertexColor: index is out of bounds" and a newline: ktShape::setVertexColor().
extern const char* const ktMsgSetVertexColorOutOfBounds;
/// "ktShape::draw: no shape is drawing because index list is empty" and a newline: an indexed shape
/// with an empty index list; the draw emits no vertex.
extern const char* const ktMsgDrawEmptyIndexList;
/// "calculateNormals: vertex normals are not enabled" and a newline: ktShape::calculateNormals().
extern const char* const ktMsgNormalsDisabled;
/// "readFromFile: shape record is damaged" and a newline: a record that is short, inconsistent or
/// unreadable.
extern const char* const ktMsgRecordDamaged;
/// "writeToFile: shape record was not fully written" and a newline: a null stream or a failed write.
extern const char* const ktMsgRecordNotWritten;
/// "ktShape: out of memory" and a newline: a list could not grow; the shape is left as it was.
extern const char* const ktMsgOutOfMemory;

/// A vertex-list shape: positions with optional per-vertex colours, normals, texture coordinates and
/// an index list, drawn in any OpenGL primitive mode (::ktPrimitive) with its own translation,
/// rotation and scale, picked by window position, rectangle or circle, and stored as a binary record.
///
/// Lists hold exactly their count of entries and are null while empty. Positions are the shape's own
/// coordinates; draw() places them through the software transform stack (ktTransforms.h) to world
/// coordinates and, while picking is on, to window pixels with the camera captured last by
/// ktTransformsCaptureCamera(). Misuse prints one of the `ktMsg` messages on standard output and
/// changes nothing (an out-of-range index is still appended by addIndex()).
class ktShape : public ktObject {
public:
    uint32_t drawStyle;         ///< OpenGL primitive mode (::ktPrimitive) handed to glBegin; ::kt_LINE_STRIP when new
    xformOrder transformOrder;  ///< order of the shape's own transforms; ::kt_T_R_S when new
    ktVec3f Normal;             ///< shape-wide normal, sent once per draw before any vertex; (0, 0, 1) when new
    ktVec4f Color;              ///< shape-wide colour (RGBA, 0 .. 1), sent once per draw; white when new
    ktVec3f Translation;        ///< translation of the shape, in the parent's units; (0, 0, 0) when new
    ktVec3f Scale;              ///< per-axis scale factors; (1, 1, 1) when new
    ktVec4f Rotation;           ///< x: angle in degrees; (y, z, w): axis; angle 0 about (0, 1, 0) when new
    bool enablePicking;         ///< each draw also computes screenVertexList; true when new
    ktMatrix4f space;           ///< own-to-world matrix of the last draw; unset before the first
    int listLength;             ///< number of vertices
    ktVec3f* vertexList;        ///< positions in the shape's own coordinates; listLength entries
    ktVec3f* absVertexList;     ///< world positions of the last draw; listLength entries
    ktVec3f* screenVertexList;  ///< window positions (pixels, origin bottom-left) of the last picking draw; listLength entries
    ktVec3f* normalList;        ///< per-vertex unit normals; listLength entries while enableVertexNormals
    ktVec3f* textureCoordList;  ///< per-vertex texture coordinates (x, y used); listLength entries while enableVertexTextureCoords
    ktVec4f* colorList;         ///< per-vertex RGBA colours; listLength entries while enableVertexColors
    bool enableIndex;           ///< the shape is drawn through indexList instead of in vertex order
    int indexListLength;        ///< number of entries in indexList
    int* indexList;             ///< vertex numbers in drawing order; ::ktIndexSeparator (-1) separates primitives
    int* normalCountList;       ///< faces summed into each vertex normal; listLength entries while enableVertexNormals
    bool enableVertexNormals;   ///< per-vertex normals are kept, recomputed before each draw and sent with each vertex
    bool enableVertexColors;    ///< per-vertex colours are kept and sent with each vertex
    bool enableVertexTextureCoords;  ///< per-vertex texture coordinates are kept

    /// An empty shape with the defaults above; the flags turn on per-vertex colours, per-vertex
    /// normals and the index list.
    ktShape(bool vertexColors = false, bool vertexNormals = false, bool index = false);

    /// Appends a vertex at (0, 0, 0) (with normal (0, 0, 1), face count 0, colour white and texture
    /// coordinate (0, 0, 0) in the lists that are on); returns its number, the old listLength, or -1
    /// when memory ran out (reported on standard output; the shape is then as it was).
    int addPoint();
    /// Appends a vertex at (x, y, z), own coordinates, as addPoint() does; returns its number, or -1.
    int addPoint(float x, float y, float z);
    /// Appends `index` to indexList. Without an index list prints ::ktMsgAddIndexDisabled and adds
    /// nothing; an index below -1 or at least listLength prints ::ktMsgAddIndexOutOfBounds and is
    /// appended all the same (drawing, normals and picking skip it).
    void addIndex(int index);
    /// Sets vertex `index` to (x, y, z), own coordinates. An index outside 0 .. listLength - 1 prints
    /// ::ktMsgSetVertexOutOfBounds and changes nothing.
    void setVertex(int index, float x, float y, float z) {
        if (index < 0 || index >= listLength) {
            std::fputs(ktMsgSetVertexOutOfBounds, stdout);
            return;
        }
        vertexList[index].set(x, y, z);
    }
    /// Sets the colour of vertex `index` to (r, g, b, a). Without per-vertex colours prints
    /// ::ktMsgSetVertexColorDisabled; an index outside the list prints ::ktMsgSetVertexColorOutOfBounds;
    /// either way nothing changes.
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
    /// Turns per-vertex colours on and sizes colorList to listLength entries; the vertices get white
    /// unless colours were on already.
    void enablePerVertexColors();
    /// Turns per-vertex normals on and sizes normalList and normalCountList to listLength entries; the
    /// vertices get normal (0, 0, 1) and count 0 unless normals were on already.
    void enablePerVertexNormals();
    /// Turns per-vertex texture coordinates on and sizes textureCoordList to listLength entries; the
    /// vertices get (0, 0, 0) unless texture coordinates were on already.
    void enablePerVertexTextureCoords();
    /// Recomputes normalList from the world positions of the last draw (absVertexList): each face that
    /// the primitive forms adds its unit normal once to each of its corners, and each sum is
    /// normalised. Without per-vertex normals prints ::ktMsgNormalsDisabled and changes nothing.
    void calculateNormals();

    /// Draws the shape: pushes the software stack, applies Translation, Rotation and Scale in
    /// transformOrder, records `space`, computes the world positions (and window positions while
    /// enablePicking), refreshes per-vertex normals, sends the world positions in immediate mode with
    /// drawStyle, and pops. Needs a current GL context and ktTransformsInit() done once.
    void draw() override;
    /// Does nothing.
    void idle() override {}
    /// Whether window position (x, y) hits the shape as its last picking draw placed it on screen:
    /// inside a triangle (strips, fans and convex polygons included), or within 5 pixels of a point or
    /// of a line segment. Quads and quad strips are never hit, and nothing is while enablePicking is off.
    bool pointInside(float x, float y) override;
    /// Whether the shape's window vertices lie in the rectangle left .. right × bottom .. top: all of
    /// them, border included, or with `any` at least one strictly inside. The bounds are taken as given.
    /// A shape without vertices lies in every rectangle, and in none with `any`.
    bool shapeInRect(float left, float bottom, float right, float top, bool any) override;
    /// Whether the shape's window vertices lie in the circle of centre (cx, cy) and `radius` pixels: all
    /// of them, edge included, or with `any` at least one strictly inside. A shape without vertices lies
    /// in every circle, and in none with `any`.
    bool shapeInCircle(float cx, float cy, float radius, bool any) override;
    /// Writes the shape's binary record (86-byte little-endian header, then the vertex list and the
    /// lists that are on) at the stream's position. A null stream or a failed write prints
    /// ::ktMsgRecordNotWritten.
    void writeToFile(FILE* stream) override;
    /// Reads one record written by writeToFile() from the stream's position and replaces the shape's
    /// fields and lists with it. A short, inconsistent or unreadable record (or a null stream) prints
    /// ::ktMsgRecordDamaged and leaves the shape exactly as it was.
    void readFromFile(FILE* stream) override;
    /// Type code "shap" (0x73686170), also for ktMeshShape.
    uint32_t getTypeID() override { return 0x73686170u; }

protected:
    /// Hit distance of points and lines for pointInside(), in window pixels (5).
    static float pickTolerance;

    /// Appends `count` vertices in one step: the lists end exactly as `count` calls of addPoint()
    /// would leave them (same defaults, exact sizes), with one resize per list. False when memory ran
    /// out: the shape is then as it was and the failure has been reported.
    bool addPoints(int count);
    /// Grows indexList by `count` entries and returns the first new one for the caller to fill. No
    /// check is made: only for callers whose indices are valid by construction. Null when memory ran
    /// out (reported; the index list is then as it was).
    int* appendIndexSlots(int count);
};

/// Whether window position (x, y) lies inside the triangle with window corners a, b, c (either
/// winding, edges included). False when a corner's window z is negative.
bool pointInTriangle(float x, float y, ktVec3f& a, ktVec3f& b, ktVec3f& c);

#endif
