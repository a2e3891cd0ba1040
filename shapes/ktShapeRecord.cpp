// ktShape record: a raw binary form of a shape on a caller's C stream. Little-endian 32-bit
// integers and IEEE-754 floats, bools as one byte, no padding: an 86-byte header holding the
// shape's fields in declared order (without `space`), then the vertex, normal, colour, texture
// coordinate and index blocks, the optional ones only when their flag is on. Every field is
// encoded explicitly, so the bytes do not depend on the host's struct layout or byte order.
//
// Reading trusts nothing: counts are checked, blocks are read in bounded chunks (an allocation
// never runs ahead of the bytes actually present) and the whole record is decoded into temporary
// blocks before the shape is touched, so a damaged record leaves the shape exactly as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shapes/ktShape.h"
#include "shapes/ktShapeRecordHeader.h"

namespace {

// Largest piece read or written at once, and the first step of a growing read buffer.
constexpr size_t chunkSize = 64 * 1024;

static_assert(sizeof(ktVec3f) == 12 && sizeof(ktVec4f) == 16 && sizeof(int) == 4,
              "shape lists must be packed runs of 32-bit words");

void putWord(unsigned char* out, uint32_t word) {
    out[0] = static_cast<unsigned char>(word);
    out[1] = static_cast<unsigned char>(word >> 8);
    out[2] = static_cast<unsigned char>(word >> 16);
    out[3] = static_cast<unsigned char>(word >> 24);
}

uint32_t getWord(const unsigned char* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

// Bit-exact conversions between 32-bit values and their words, so a NaN's payload survives.
template <typename T>
uint32_t wordOf(T value) {
    static_assert(sizeof(T) == 4, "32-bit values only");
    uint32_t word;
    std::memcpy(&word, &value, 4);
    return word;
}

template <typename T>
T valueOf(uint32_t word) {
    static_assert(sizeof(T) == 4, "32-bit values only");
    T value;
    std::memcpy(&value, &word, 4);
    return value;
}

// Encodes into a small buffer and hands it to the stream a chunk at a time. The first failed
// write stops all further output; finish() flushes the stream so that a failure that a buffered
// stream only meets when it drains (a full memory stream, a full disk) is caught as well.
class RecordWriter {
public:
    explicit RecordWriter(FILE* stream) : stream_(stream) {}

    void byte(unsigned char value) {
        if (used_ == sizeof(buffer_)) drain();
        buffer_[used_++] = value;
    }
    void word(uint32_t value) {
        if (used_ + 4 > sizeof(buffer_)) drain();
        putWord(buffer_ + used_, value);
        used_ += 4;
    }
    void real(float value) { word(wordOf(value)); }
    void integer(int32_t value) { word(wordOf(value)); }
    void vec3(const ktVec3f& v) {
        real(v.x);
        real(v.y);
        real(v.z);
    }
    void vec4(const ktVec4f& v) {
        real(v.x);
        real(v.y);
        real(v.z);
        real(v.w);
    }
    // A block whose count says it has entries but which has no storage cannot be written.
    void fail() { ok_ = false; }

    bool finish() {
        drain();
        if (ok_ && std::fflush(stream_) != 0) ok_ = false;
        return ok_;
    }

private:
    void drain() {
        if (ok_ && used_ > 0 && std::fwrite(buffer_, 1, used_, stream_) != used_) ok_ = false;
        used_ = 0;
    }

    FILE* stream_;
    unsigned char buffer_[4096];
    size_t used_ = 0;
    bool ok_ = true;
};

// A heap block from the C allocator, freed unless released into a shape.
class Block {
public:
    Block() = default;
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ~Block() { std::free(data_); }

    template <typename T>
    T* as() const {
        return static_cast<T*>(data_);
    }
    template <typename T>
    T* release() {
        void* data = data_;
        data_ = nullptr;
        return static_cast<T*>(data);
    }

    // Reads exactly `size` bytes. The buffer grows with what has arrived (at most doubling), so a
    // count that promises more than the stream holds costs no more memory than the bytes present.
    bool readFrom(FILE* stream, size_t size) {
        size_t capacity = 0;
        size_t got = 0;
        while (got < size) {
            size_t want = size - got < chunkSize ? size - got : chunkSize;
            if (got + want > capacity) {
                size_t grown = capacity * 2 > got + want ? capacity * 2 : got + want;
                if (grown > size) grown = size;
                void* bigger = std::realloc(data_, grown);
                if (bigger == nullptr) return false;
                data_ = bigger;
                capacity = grown;
            }
            if (std::fread(static_cast<unsigned char*>(data_) + got, 1, want, stream) != want) return false;
            got += want;
        }
        return true;
    }

    // Turns a block of little-endian 32-bit words into host words in place.
    void decodeWords(size_t words) {
        unsigned char* bytes = static_cast<unsigned char*>(data_);
        for (size_t i = 0; i < words; i++) {
            uint32_t word = getWord(bytes + 4 * i);
            std::memcpy(bytes + 4 * i, &word, 4);
        }
    }

    // A fresh block of `count` entries: the first min(oldCount, count) copied from `old`, the rest
    // set to `fill`.
    template <typename T>
    bool resized(const T* old, int oldCount, int count, const T& fill) {
        if (count == 0) return true;
        data_ = std::malloc(static_cast<size_t>(count) * sizeof(T));
        if (data_ == nullptr) return false;
        T* entries = as<T>();
        int kept = old == nullptr ? 0 : (oldCount < count ? oldCount : count);
        if (kept > 0) std::memcpy(static_cast<void*>(entries), old, static_cast<size_t>(kept) * sizeof(T));
        for (int i = kept < 0 ? 0 : kept; i < count; i++) entries[i] = fill;
        return true;
    }

private:
    void* data_ = nullptr;
};

// Counts the header's bytes field by field, so the layout's size is checked at compile time.
struct HeaderSize {
    size_t bytes = 0;
    constexpr void word(uint32_t) { bytes += 4; }
    constexpr void integer(int32_t) { bytes += 4; }
    constexpr void byte(unsigned char) { bytes += 1; }
    constexpr void flag(bool) { bytes += 1; }
    template <size_t N>
    constexpr void reals(const float (&)[N]) {
        bytes += 4 * N;
    }
};

constexpr size_t countedHeaderSize() {
    HeaderSize size;
    const ktRecordHeader h;
    ktRecordHeaderFields(size, h);
    return size.bytes;
}
static_assert(countedHeaderSize() == ktRecordHeaderSize, "the record header's fields must fill its size");

// Writes the header's fields into its bytes.
class HeaderEncoder {
public:
    explicit HeaderEncoder(unsigned char* bytes) : at_(bytes) {}

    void word(uint32_t value) {
        putWord(at_, value);
        at_ += 4;
    }
    void integer(int32_t value) { word(wordOf(value)); }
    void byte(unsigned char value) { *at_++ = value; }
    void flag(bool value) { byte(value ? 1 : 0); }
    template <size_t N>
    void reals(const float (&values)[N]) {
        for (size_t i = 0; i < N; i++) word(wordOf(values[i]));
    }

private:
    unsigned char* at_;
};

// Walks the header bytes field by field.
class HeaderDecoder {
public:
    explicit HeaderDecoder(const unsigned char* bytes) : at_(bytes) {}

    void word(uint32_t& value) {
        value = getWord(at_);
        at_ += 4;
    }
    void integer(int32_t& value) {
        uint32_t w;
        word(w);
        value = valueOf<int32_t>(w);
    }
    void byte(unsigned char& value) { value = *at_++; }
    void flag(bool& value) { value = *at_++ != 0; }  // any non-zero byte is true
    template <size_t N>
    void reals(float (&values)[N]) {
        for (size_t i = 0; i < N; i++) {
            uint32_t w;
            word(w);
            values[i] = valueOf<float>(w);
        }
    }

private:
    const unsigned char* at_;
};

ktVec3f vec3Of(const float (&v)[3]) { return ktVec3f(v[0], v[1], v[2]); }

ktVec4f vec4Of(const float (&v)[4]) {
    ktVec4f out;
    out.x = v[0];
    out.y = v[1];
    out.z = v[2];
    out.w = v[3];
    return out;
}

void setReals(float (&out)[3], const ktVec3f& v) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

void setReals(float (&out)[4], const ktVec4f& v) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
    out[3] = v.w;
}

// Reads one body block of `count` entries of `entrySize` bytes and decodes it to host words.
bool readBody(FILE* stream, int32_t count, size_t entrySize, Block& out) {
    if (count == 0) return true;
    uint64_t size = static_cast<uint64_t>(count) * entrySize;
    if (size > SIZE_MAX) return false;
    if (!out.readFrom(stream, static_cast<size_t>(size))) return false;
    out.decodeWords(static_cast<size_t>(size) / 4);
    return true;
}

}  // namespace

void ktEncodeRecordHeader(const ktRecordHeader& h, unsigned char (&bytes)[ktRecordHeaderSize]) {
    HeaderEncoder out(bytes);
    ktRecordHeaderFields(out, h);
}

ktRecordHeader ktDecodeRecordHeader(const unsigned char (&bytes)[ktRecordHeaderSize]) {
    ktRecordHeader h;
    HeaderDecoder in(bytes);
    ktRecordHeaderFields(in, h);
    return h;
}

// Header fields in declared order, then the body blocks whose flags are on. Any failed write
// (or a list whose storage is missing) is reported once; the stream is then in an unknown state.
void ktShape::writeToFile(FILE* stream) {
    if (stream == nullptr) {
        std::fputs(ktMsgRecordNotWritten, stdout);
        return;
    }
    ktRecordHeader h;
    h.drawStyle = drawStyle;
    h.transformOrder = static_cast<unsigned char>(transformOrder);
    setReals(h.normal, Normal);
    setReals(h.color, Color);
    setReals(h.translation, Translation);
    setReals(h.scale, Scale);
    setReals(h.rotation, Rotation);
    h.picking = enablePicking;
    h.listLength = listLength;
    h.index = enableIndex;
    h.indexListLength = indexListLength;
    h.vertexNormals = enableVertexNormals;
    h.vertexColors = enableVertexColors;
    h.vertexTextureCoords = enableVertexTextureCoords;
    unsigned char headerBytes[ktRecordHeaderSize];
    ktEncodeRecordHeader(h, headerBytes);

    RecordWriter out(stream);
    for (unsigned char b : headerBytes) out.byte(b);

    auto writeVec3s = [&out](const ktVec3f* list, int count) {
        if (count > 0 && list == nullptr) out.fail();
        for (int i = 0; list != nullptr && i < count; i++) out.vec3(list[i]);
    };
    writeVec3s(vertexList, listLength);
    if (enableVertexNormals) writeVec3s(normalList, listLength);
    if (enableVertexColors) {
        if (listLength > 0 && colorList == nullptr) out.fail();
        for (int i = 0; colorList != nullptr && i < listLength; i++) out.vec4(colorList[i]);
    }
    if (enableVertexTextureCoords) writeVec3s(textureCoordList, listLength);
    if (enableIndex) {
        if (indexListLength > 0 && indexList == nullptr) out.fail();
        for (int i = 0; indexList != nullptr && i < indexListLength; i++) out.integer(indexList[i]);
    }
    if (!out.finish()) std::fputs(ktMsgRecordNotWritten, stdout);
}

// Reads and checks the whole record into temporaries first; only a complete, consistent record
// is committed. The commit then resizes the vertex lists keeping their old contents (new world and
// window positions start at (0, 0, 0) until the next draw), replaces the lists whose flags are on
// and leaves the lists whose flags are off alone: neither resized nor freed. On damage the stream
// stays wherever reading stopped.
void ktShape::readFromFile(FILE* stream) {
    auto damaged = [] { std::fputs(ktMsgRecordDamaged, stdout); };
    if (stream == nullptr) return damaged();

    unsigned char headerBytes[ktRecordHeaderSize];
    if (std::fread(headerBytes, 1, ktRecordHeaderSize, stream) != ktRecordHeaderSize) return damaged();
    const ktRecordHeader h = ktDecodeRecordHeader(headerBytes);
    if (h.listLength < 0 || h.indexListLength < 0) return damaged();
    const int count = h.listLength;

    Block vertices, normals, colors, textureCoords, indices;
    if (!readBody(stream, count, sizeof(ktVec3f), vertices)) return damaged();
    if (h.vertexNormals && !readBody(stream, count, sizeof(ktVec3f), normals)) return damaged();
    if (h.vertexColors && !readBody(stream, count, sizeof(ktVec4f), colors)) return damaged();
    if (h.vertexTextureCoords && !readBody(stream, count, sizeof(ktVec3f), textureCoords)) return damaged();
    if (h.index && !readBody(stream, h.indexListLength, sizeof(int), indices)) return damaged();

    // Every allocation happens before the shape changes, so running out of memory also leaves it
    // as it was.
    const ktVec3f origin(0.0f, 0.0f, 0.0f);
    Block world, window, faceCounts;
    if (!world.resized(absVertexList, listLength, count, origin) ||
        !window.resized(screenVertexList, listLength, count, origin)) {
        return damaged();
    }
    if (h.vertexNormals &&
        !faceCounts.resized(enableVertexNormals ? normalCountList : nullptr, listLength, count, 0)) {
        return damaged();
    }

    drawStyle = h.drawStyle;
    transformOrder = static_cast<xformOrder>(h.transformOrder);
    Normal = vec3Of(h.normal);
    Color = vec4Of(h.color);
    Translation = vec3Of(h.translation);
    Scale = vec3Of(h.scale);
    Rotation = vec4Of(h.rotation);
    enablePicking = h.picking;
    listLength = count;
    enableIndex = h.index;
    indexListLength = h.indexListLength;
    enableVertexNormals = h.vertexNormals;
    enableVertexColors = h.vertexColors;
    enableVertexTextureCoords = h.vertexTextureCoords;

    std::free(vertexList);
    std::free(absVertexList);
    std::free(screenVertexList);
    vertexList = vertices.release<ktVec3f>();
    absVertexList = world.release<ktVec3f>();
    screenVertexList = window.release<ktVec3f>();
    if (h.vertexNormals) {
        std::free(normalList);
        std::free(normalCountList);
        normalList = normals.release<ktVec3f>();
        normalCountList = faceCounts.release<int>();
    }
    if (h.vertexColors) {
        std::free(colorList);
        colorList = colors.release<ktVec4f>();
    }
    if (h.vertexTextureCoords) {
        std::free(textureCoordList);
        textureCoordList = textureCoords.release<ktVec3f>();
    }
    if (h.index) {
        std::free(indexList);
        indexList = indices.release<int>();
    }
}
