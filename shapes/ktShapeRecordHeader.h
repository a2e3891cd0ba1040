// Internal to the library: the shape record's 86-byte header, its fields, their order and their
// encoding defined once. The record's writer and reader (shapes/ktShapeRecord.cpp) and the record
// inspection of kt::io (io/ktShapeFile.cpp) all go through ktRecordHeaderFields.
#ifndef KT_SHAPES_KTSHAPERECORDHEADER_H
#define KT_SHAPES_KTSHAPERECORDHEADER_H

#include <cstddef>
#include <cstdint>

// The header's fields as they are stored: little-endian 32-bit words, bools as one byte.
struct ktRecordHeader {
    uint32_t drawStyle = 0;
    unsigned char transformOrder = 0;
    float normal[3] = {};
    float color[4] = {};
    float translation[3] = {};
    float scale[3] = {};
    float rotation[4] = {};  // angle in degrees, then the axis
    bool picking = false;
    int32_t listLength = 0;
    bool index = false;
    int32_t indexListLength = 0;
    bool vertexNormals = false;
    bool vertexColors = false;
    bool vertexTextureCoords = false;
};

// Visits every field of `h` in stored order with the visitor's word (uint32_t), byte, flag, integer
// (int32_t) or reals (an array of floats) member. `Header` is ktRecordHeader, const or not.
template <typename Visitor, typename Header>
constexpr void ktRecordHeaderFields(Visitor& v, Header& h) {
    v.word(h.drawStyle);
    v.byte(h.transformOrder);
    v.reals(h.normal);
    v.reals(h.color);
    v.reals(h.translation);
    v.reals(h.scale);
    v.reals(h.rotation);
    v.flag(h.picking);
    v.integer(h.listLength);
    v.flag(h.index);
    v.integer(h.indexListLength);
    v.flag(h.vertexNormals);
    v.flag(h.vertexColors);
    v.flag(h.vertexTextureCoords);
}

constexpr size_t ktRecordHeaderSize = 86;

// `h` in its stored bytes, and back. Decoding takes any non-zero byte of a flag as true.
void ktEncodeRecordHeader(const ktRecordHeader& h, unsigned char (&bytes)[ktRecordHeaderSize]);
ktRecordHeader ktDecodeRecordHeader(const unsigned char (&bytes)[ktRecordHeaderSize]);

#endif
