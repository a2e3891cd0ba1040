// Shape programs from untrusted bytes; see ktShapeProgram.h. Each call's expected outcome is worked
// out from the shape's state before the call and the call's contract, never from the code under
// test: the lists are copied before, the expected change is applied to the copies, and the shape
// must then match them exactly.
#include "fuzz/ktShapeProgram.h"

#include <malloc.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

#include "fuzz/ktRecordCheck.h"
#include "math/ktTransforms.h"
#include "shapes/ktNiceShapes.h"
#include "shapes/ktShapeDrawPasses.h"
#include "support/ktCapture.h"
#include "support/ktFailingAlloc.h"
#include "support/ktShapeReference.h"

#if defined(__SANITIZE_ADDRESS__)
#define KT_EXACT_BLOCK_SIZES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KT_EXACT_BLOCK_SIZES 1
#endif
#endif

namespace {

const int slotCount = 3;
const int maxPoints = 48;
const int maxIndices = 200;
const int maxCalls = 256;

// Reads the program; past its end every value is zero.
class Program {
public:
    Program(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t word() {
        uint32_t w = 0;
        for (int i = 0; i < 4; i++) w |= static_cast<uint32_t>(byte()) << (8 * i);
        return w;
    }
    // Mostly small numbers around the interesting range, sometimes a hostile one.
    int integer(int64_t around) {
        const uint8_t sel = byte();
        if (sel < 224) {
            const int range = static_cast<int>(around < 0 ? 0 : around > 200 ? 200 : around) + 6;
            return sel % range - 3;
        }
        static const int hostile[] = {INT_MIN, INT_MAX, INT_MIN + 1, INT_MAX - 1, -2, 65536, 46341};
        const int pick = sel - 224;
        if (pick < 7) return hostile[pick];
        int value;
        uint32_t w = word();
        std::memcpy(&value, &w, 4);
        return value;
    }
    float real() {
        const uint8_t sel = byte();
        if (sel < 192) return (static_cast<int>(sel) - 96) * 0.25f;
        static const float hostile[] = {NAN,     -NAN,         INFINITY, -INFINITY, FLT_MAX, -FLT_MAX,
                                        FLT_MIN, FLT_TRUE_MIN, -0.0f,    1e-30f,    1e30f,   0.5f};
        const int pick = sel - 192;
        if (pick < 12) return hostile[pick];
        float value;
        uint32_t w = word();
        std::memcpy(&value, &w, 4);
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

bool sameMatrix(const ktMatrix4f& a, const ktMatrix4f& b) {
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            if (!ktSameBits(a.m[r][c], b.m[r][c])) return false;
    return true;
}

// A failed allocation asked for by the program: the n-th allocation of the next library call that
// may allocate fails (0: none pending). `injected` tells whether it really happened, and `printed`
// gathers what the calls of the current step printed.
struct Injection {
    long at = 0;
    bool injected = false;
    std::string printed;
} injection;

// Runs `call` with standard output captured; returns what it printed. The first such call of a step
// carries the pending allocation failure, if any; calls that are the harness's own pass
// `library = false`, so the failure never lands in the checks' own allocations.
template <typename F>
std::string captureStdout(F&& call, bool library = true) {
    const std::string printed = ktCaptured(stdout, [&] {
        if (library && injection.at > 0) {
            const long at = injection.at;
            injection.at = 0;
            ktFailAllocation(at);
            call();
            injection.injected = ktStopFailingAllocations() >= at;
        } else {
            call();
        }
    });
    injection.printed += printed;
    return printed;
}

bool endsWith(const std::string& text, const char* tail) {
    const size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

// The contents of every list a shape uses, as plain values.
struct Lists {
    std::vector<ktVec3f> vertices, world, window, normals, texCoords;
    std::vector<int> faceCounts, indices;
    std::vector<ktVec4f> colors;
};

template <typename T>
std::vector<T> copyOf(const T* list, int count) {
    if (list == nullptr || count <= 0) return {};
    return std::vector<T>(list, list + count);
}

Lists listsOf(const ktShape& s) {
    Lists l;
    l.vertices = copyOf(s.vertexList, s.listLength);
    l.world = copyOf(s.absVertexList, s.listLength);
    l.window = copyOf(s.screenVertexList, s.listLength);
    if (s.enableVertexNormals) {
        l.normals = copyOf(s.normalList, s.listLength);
        l.faceCounts = copyOf(s.normalCountList, s.listLength);
    }
    if (s.enableVertexTextureCoords) l.texCoords = copyOf(s.textureCoordList, s.listLength);
    if (s.enableVertexColors) l.colors = copyOf(s.colorList, s.listLength);
    if (s.enableIndex) l.indices = copyOf(s.indexList, s.indexListLength);
    return l;
}

// Floats compare by their bits, except that any NaN equals any other.
template <typename T>
bool sameEntries(const std::vector<T>& a, const std::vector<T>& b) {
    if (a.size() != b.size()) return false;
    const size_t words = a.size() * sizeof(T) / 4;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a.data());
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b.data());
    for (size_t w = 0; w < words; w++) {
        float x, y;
        std::memcpy(&x, p + 4 * w, 4);
        std::memcpy(&y, q + 4 * w, 4);
        if (!ktSameBits(x, y)) return false;
    }
    return true;
}
bool sameInts(const std::vector<int>& a, const std::vector<int>& b) { return a == b; }
bool sameLists(const Lists& a, const Lists& b) {
    return sameEntries(a.vertices, b.vertices) && sameEntries(a.world, b.world) &&
           sameEntries(a.window, b.window) && sameEntries(a.normals, b.normals) &&
           sameEntries(a.texCoords, b.texCoords) && sameInts(a.faceCounts, b.faceCounts) &&
           sameInts(a.indices, b.indices) && sameEntries(a.colors, b.colors);
}

// A list in use holds exactly `count` entries: null when empty, else a block of that size (exact
// under AddressSanitizer, which reports the size asked for; at least that size otherwise).
const char* checkBlock(const void* list, long count, size_t entry) {
    if (count == 0) return list == nullptr ? nullptr : "empty list is not null";
    if (list == nullptr) return "list missing";
    const size_t usable = malloc_usable_size(const_cast<void*>(list));
#if defined(KT_EXACT_BLOCK_SIZES)
    if (usable != static_cast<size_t>(count) * entry) return "list block is not exactly its count";
#else
    if (usable < static_cast<size_t>(count) * entry) return "list block shorter than its count";
#endif
    return nullptr;
}

std::string checkConsistent(const ktShape& s) {
    if (s.listLength < 0 || s.indexListLength < 0) return "negative count";
    const long n = s.listLength;
    struct Use {
        const char* name;
        bool on;
        const void* list;
        long count;
        size_t entry;
    } uses[] = {
        {"vertexList", true, s.vertexList, n, 12},
        {"absVertexList", true, s.absVertexList, n, 12},
        {"screenVertexList", true, s.screenVertexList, n, 12},
        {"normalList", s.enableVertexNormals, s.normalList, n, 12},
        {"normalCountList", s.enableVertexNormals, s.normalCountList, n, 4},
        {"colorList", s.enableVertexColors, s.colorList, n, 16},
        {"textureCoordList", s.enableVertexTextureCoords, s.textureCoordList, n, 12},
        {"indexList", s.enableIndex, s.indexList, s.indexListLength, 4},
    };
    for (const Use& u : uses) {
        if (!u.on) continue;
        if (const char* fault = checkBlock(u.list, u.count, u.entry))
            return std::string(u.name) + ": " + fault;
    }
    return "";
}

// The normal rules evaluated face by face, from the world positions in `l`.
void referenceNormals(const ktShape& s, Lists& l) {
    ktReferenceNormals(s, l.world.data(), l.indices.data(), l.normals, l.faceCounts);
}

std::string compareNormals(const Lists& expected, const ktShape& s) {
    for (int v = 0; v < s.listLength; v++) {
        if (expected.faceCounts[v] != s.normalCountList[v])
            return "face count differs at vertex " + std::to_string(v);
        if (!ktSameBits(expected.normals[v], s.normalList[v]))
            return "normal differs at vertex " + std::to_string(v);
    }
    return "";
}

// The shape's own transforms on the stack in its order, the first letter applied first; an unknown
// order applies none.
void applyOrder(const ktShape& s) {
    static const char* const orders[] = {"TSR", "TRS", "RST", "RTS", "SRT", "STR"};
    if (s.transformOrder > kt_S_T_R) return;
    for (const char* op = orders[s.transformOrder]; *op != '\0'; op++) {
        if (*op == 'T')
            ktTranslatef(s.Translation.x, s.Translation.y, s.Translation.z);
        else if (*op == 'R')
            ktRotatef(s.Rotation.x, s.Rotation.y, s.Rotation.z, s.Rotation.w);
        else
            ktScalef(s.Scale.x, s.Scale.y, s.Scale.z);
    }
}

struct Stack {
    ktMatrix4f m[ktMatrixStackDepth];
    int height;
};
void saveStack(Stack& s) {
    std::memcpy(static_cast<void*>(s.m), ktMatrixStack, sizeof(s.m));
    s.height = ktMatrixHeight;
}
void loadStack(const Stack& s) {
    std::memcpy(static_cast<void*>(ktMatrixStack), s.m, sizeof(s.m));
    ktMatrixHeight = s.height;
}
bool sameStack(const Stack& a, const Stack& b) {
    if (a.height != b.height) return false;
    for (int i = 0; i < ktMatrixStackDepth; i++)
        if (!sameMatrix(a.m[i], b.m[i])) return false;
    return true;
}

std::vector<unsigned char> recordOf(ktShape& s, std::string& printed) {
    std::vector<unsigned char> bytes;
    printed = captureStdout([&] { bytes = ktShapeRecordBytes(s); }, false);
    return bytes;
}

uint64_t announcedLength(const ktShape& s) {
    uint64_t perVertex = 12 + (s.enableVertexNormals ? 12 : 0) + (s.enableVertexColors ? 16 : 0) +
                         (s.enableVertexTextureCoords ? 12 : 0);
    return 86 + perVertex * static_cast<uint64_t>(s.listLength) +
           (s.enableIndex ? 4 * static_cast<uint64_t>(s.indexListLength) : 0);
}

std::string readBytes(ktShape& s, std::vector<unsigned char>& bytes, size_t length) {
    static unsigned char empty = 0;
    FILE* in = fmemopen(length > 0 ? bytes.data() : &empty, length, "rb");
    if (in == nullptr) std::abort();
    std::string printed = captureStdout([&] { s.readFromFile(in); });
    std::fclose(in);
    return printed;
}

class Machine {
public:
    Machine() {
        placeShape(0, true, true, true);
        placeShape(1, false, false, false);
        placeMesh(2, 3, 4);
        ktTransformsInit();
        ktMatrixHeight = 0;
        cameraMatrix.setIdentity();
        view[0] = 0, view[1] = 0, view[2] = 640, view[3] = 480;
    }
    ~Machine() {
        for (int i = 0; i < slotCount; i++) clear(i);
    }

    std::string run(Program& p) {
        for (int call = 0; call < maxCalls && !p.done(); call++) {
            std::string fault = step(p);
            if (fault.empty()) {
                for (int i = 0; i < slotCount && fault.empty(); i++) {
                    fault = checkConsistent(*slots_[i].shape);
                    if (!fault.empty()) fault = "slot " + std::to_string(i) + ": " + fault;
                }
            }
            if (fault.empty() && (ktMatrixHeight < 0 || ktMatrixHeight >= ktMatrixStackDepth))
                fault = "stack height out of range";
            if (!fault.empty())
                return "call " + std::to_string(call) + " (op " + std::to_string(op_) + "): " + fault;
        }
        return "";
    }

private:
    // Each slot's shape lives in storage of its own, made with placement new. Neither class has a
    // virtual destructor, and both are trivially destructible, so a shape ends by its storage being
    // reused once its lists have been released.
    struct Slot {
        alignas(ktMeshShape) unsigned char storage[sizeof(ktMeshShape)];
        ktShape* shape = nullptr;
        ktMeshShape* mesh = nullptr;  // the same object when it is a mesh
    };
    static_assert(std::is_trivially_destructible<ktMeshShape>::value, "shapes end with their storage");

    void clear(int i) {
        Slot& slot = slots_[i];
        if (slot.shape != nullptr) ktReleaseShapeLists(*slot.shape);
        slot.shape = nullptr;
        slot.mesh = nullptr;
    }
    void placeShape(int i, bool colors, bool normals, bool index) {
        clear(i);
        slots_[i].shape = new (slots_[i].storage) ktShape(colors, normals, index);
    }
    void placeMesh(int i, int rows, int columns) {
        clear(i);
        slots_[i].shape = slots_[i].mesh = new (slots_[i].storage) ktMeshShape(rows, columns);
    }

    // Everything but the lists is unchanged, and the lists equal `expected`.
    static std::string expectOnly(const ktShape& s, const ktShapeSnapshot& before, const Lists& expected,
                                  bool fieldsMayChange = false) {
        if (!fieldsMayChange && !(ktSnapshotShape(s).fields == before.fields)) return "fields changed";
        if (!sameLists(listsOf(s), expected)) return "lists differ from the expected ones";
        return "";
    }
    static std::string expectUnchanged(const ktShape& s, const ktShapeSnapshot& before) {
        return ktSnapshotShape(s) == before ? "" : "state changed";
    }
    static std::string expectPrinted(const std::string& printed, const char* message) {
        if (printed == message) return "";
        return "printed \"" + printed + "\", expected \"" + message + "\"";
    }

    // One call. When a pending allocation failure hit it, the call's own expectations no longer
    // apply: it must have reported the failure (last, after any message of its own), and the shapes
    // must still be consistent, which run() checks after every call.
    std::string step(Program& p) {
        injection.at = pendingFailure_;
        injection.injected = false;
        injection.printed.clear();
        pendingFailure_ = 0;
        std::string fault = call(p);
        injection.at = 0;
        if (!injection.injected) return fault;
        if (endsWith(injection.printed, ktMsgOutOfMemory) || endsWith(injection.printed, ktMsgRecordDamaged))
            return "";
        return "failed allocation not reported, printed \"" + injection.printed + "\"";
    }

    std::string call(Program& p) {
        op_ = p.byte() % 22;
        const int slot = p.byte() % slotCount;
        ktShape& s = *slots_[slot].shape;
        ktMeshShape* mesh = slots_[slot].mesh;
        const ktShapeSnapshot before = ktSnapshotShape(s);
        const Lists lists = listsOf(s);
        const int n = s.listLength;
        std::string printed;
        switch (op_) {
            case 0: {  // a new shape with any flags
                const uint8_t flags = p.byte();
                placeShape(slot, flags & 1, flags & 2, flags & 4);
                ktShape& t = *slots_[slot].shape;
                if (t.listLength != 0 || t.indexListLength != 0 || t.drawStyle != 3 ||
                    t.transformOrder != kt_T_R_S || t.enableVertexColors != bool(flags & 1) ||
                    t.enableVertexNormals != bool(flags & 2) || t.enableIndex != bool(flags & 4))
                    return "constructor state";
                return "";
            }
            case 1:
                return newMesh(p, slot);
            case 2:
            case 3:
                return addPoint(p, s, lists);
            case 4:
                return addIndex(p, s, before, lists);
            case 5: {
                const int index = p.integer(n);
                const ktVec3f to = vec3(p);
                printed = captureStdout([&] { s.setVertex(index, to.x, to.y, to.z); });
                return expectVertexSet(s, before, lists, printed, index, to);
            }
            case 6: {
                const int index = p.integer(n);
                const ktVec4f to = vec4(p);
                printed = captureStdout([&] { s.setVertexColor(index, to.x, to.y, to.z, to.w); });
                return expectColorSet(s, before, lists, printed, index, to);
            }
            case 7:
            case 8: {  // the grid setters: the flat index i * M + j, as 32-bit ints compute it
                if (mesh == nullptr) return "";
                const int i = p.integer(int64_t{mesh->N} + 1), j = p.integer(int64_t{mesh->M} + 1);
                const int index = static_cast<int>(
                    static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(i) * mesh->M + j)));
                if (mesh->getVertexIndex(i, j) != index) return "getVertexIndex";
                if (op_ == 7) {
                    const ktVec3f to = vec3(p);
                    printed = captureStdout([&] { mesh->setMeshVertex(i, j, to.x, to.y, to.z); });
                    return expectVertexSet(s, before, lists, printed, index, to);
                }
                const ktVec4f to = vec4(p);
                printed = captureStdout([&] { mesh->setMeshVertexColor(i, j, to.x, to.y, to.z, to.w); });
                return expectColorSet(s, before, lists, printed, index, to);
            }
            case 9:
                return enableList(p, s, lists);
            case 10: {  // any primitive code
                static const uint32_t styles[] = {10, 11, 0x80000000u, 0xFFFFFFFFu, 4000000000u, 0xFFFFu};
                const uint8_t sel = p.byte();
                s.drawStyle = sel < 200 ? sel % 10 : styles[sel % 6];
                return "";
            }
            case 11:
                s.transformOrder = static_cast<xformOrder>(p.byte());
                return "";
            case 12: {  // any value in a shape-wide field
                const int field = p.byte() % 6;
                if (field == 0)
                    s.Normal = vec3(p);
                else if (field == 1)
                    s.Color = vec4(p);
                else if (field == 2)
                    s.Translation = vec3(p);
                else if (field == 3)
                    s.Scale = vec3(p);
                else if (field == 4)
                    s.Rotation = vec4(p);
                else
                    s.enablePicking = p.byte() & 1;
                return "";
            }
            case 13: {
                printed = captureStdout([&] { s.calculateNormals(); });
                if (!s.enableVertexNormals) {
                    std::string f = expectPrinted(printed, ktMsgNormalsDisabled);
                    return f.empty() ? expectUnchanged(s, before) : f;
                }
                if (!printed.empty()) return "calculateNormals printed " + printed;
                Lists expected = lists;
                referenceNormals(s, expected);
                std::string f = compareNormals(expected, s);
                return f.empty() ? expectOnly(s, before, expected) : f;
            }
            case 14:
                return stackCall(p);
            case 15:
                return draw(s, before, lists);
            case 16:
                return pick(p, s, before);
            case 17:
                return roundTrip(p, s);
            case 18:
                return cutRecord(p, s);
            case 19:
                return camera(p);
            case 20:
                return shortWrite(p, s);
            case 21:
                pendingFailure_ = 1 + p.byte() % 12;
                return "";
            default:
                return "";
        }
    }

    static ktVec3f vec3(Program& p) {
        const float x = p.real(), y = p.real(), z = p.real();
        return ktVec3f(x, y, z);
    }
    static ktVec4f white() {
        ktVec4f v;
        v.set(1, 1, 1, 1);
        return v;
    }
    static ktVec4f vec4(Program& p) {
        ktVec4f v;
        v.x = p.real(), v.y = p.real(), v.z = p.real(), v.w = p.real();
        return v;
    }

    std::string newMesh(Program& p, int slot) {
        const int rows = p.integer(8), columns = p.integer(8);
        const bool fits =
            rows >= 0 && columns >= 0 && static_cast<int64_t>(rows) * columns <= INT_MAX &&
            (rows < 2 ||
             (static_cast<int64_t>(rows) - 1) * (2 * static_cast<int64_t>(columns) + 1) <= INT_MAX);
        // Keep one case small: only grids of up to 64 vertices and 200 indices are built.
        if (fits && (static_cast<int64_t>(rows) * columns > 64 ||
                     (rows > 1 && (rows - 1) * (2 * static_cast<int64_t>(columns) + 1) > maxIndices)))
            return "";
        const std::string printed = captureStdout([&] { placeMesh(slot, rows, columns); });
        ktMeshShape* m = slots_[slot].mesh;
        if (!printed.empty()) return "mesh construction printed " + printed;
        if (m->N != rows || m->M != columns) return "mesh sizes not stored";
        if (m->drawStyle != 5 || !m->enableIndex || !m->enableVertexColors || !m->enableVertexNormals)
            return "mesh flags";
        if (m->listLength != (fits ? rows * columns : 0)) return "mesh vertex count";
        const int expectedIndices = fits && rows > 1 ? (rows - 1) * (2 * columns + 1) : 0;
        if (m->indexListLength != expectedIndices) return "mesh index count";
        for (int i = 0; fits && i < rows; i++)
            for (int j = 0; j < columns; j++)
                if (!ktSameBits(m->vertexList[i * columns + j], ktVec3f(float(i), float(j), 0.0f)))
                    return "mesh vertex position";
        for (int k = 0; k < m->indexListLength; k++)
            if (m->indexList[k] < -1 || m->indexList[k] >= m->listLength) return "mesh index out of range";
        return "";
    }

    static std::string addPoint(Program& p, ktShape& s, const Lists& lists) {
        const int n = s.listLength;
        if (n >= maxPoints) return "";
        const bool placed = p.byte() & 1;
        const ktVec3f at = placed ? vec3(p) : ktVec3f();
        int got = -2;
        const std::string printed =
            captureStdout([&] { got = placed ? s.addPoint(at.x, at.y, at.z) : s.addPoint(); });
        if (!printed.empty()) return "addPoint printed " + printed;
        if (got != n || s.listLength != n + 1) return "addPoint index or count";
        Lists expected = lists;
        expected.vertices.push_back(at);
        expected.world.push_back(ktVec3f());
        expected.window.push_back(ktVec3f());
        if (s.enableVertexNormals) {
            expected.normals.push_back(ktVec3f(0, 0, 1));
            expected.faceCounts.push_back(0);
        }
        if (s.enableVertexColors) expected.colors.push_back(white());
        if (s.enableVertexTextureCoords) expected.texCoords.push_back(ktVec3f());
        return sameLists(listsOf(s), expected) ? "" : "addPoint lists";
    }

    static std::string addIndex(Program& p, ktShape& s, const ktShapeSnapshot& before, const Lists& lists) {
        if (s.indexListLength >= maxIndices) return "";
        const int n = s.listLength;
        const int index = p.integer(n + 1);
        const int oldCount = s.indexListLength;
        const std::string printed = captureStdout([&] { s.addIndex(index); });
        if (!s.enableIndex) {
            std::string f = expectPrinted(printed, ktMsgAddIndexDisabled);
            return f.empty() ? expectUnchanged(s, before) : f;
        }
        const bool outside = index < -1 || index >= n;
        std::string f = expectPrinted(printed, outside ? ktMsgAddIndexOutOfBounds : "");
        if (!f.empty()) return f;
        if (s.indexListLength != oldCount + 1) return "index count";
        Lists expected = lists;
        expected.indices.push_back(index);
        return expectOnly(s, before, expected, true);
    }

    static std::string expectVertexSet(const ktShape& s, const ktShapeSnapshot& before, const Lists& lists,
                                       const std::string& printed, int index, const ktVec3f& to) {
        if (index < 0 || index >= s.listLength) {
            std::string f = expectPrinted(printed, ktMsgSetVertexOutOfBounds);
            return f.empty() ? expectUnchanged(s, before) : f;
        }
        if (!printed.empty()) return "setVertex printed " + printed;
        Lists expected = lists;
        expected.vertices[index] = to;
        return expectOnly(s, before, expected);
    }

    static std::string expectColorSet(const ktShape& s, const ktShapeSnapshot& before, const Lists& lists,
                                      const std::string& printed, int index, const ktVec4f& to) {
        const char* message = nullptr;
        if (!s.enableVertexColors)
            message = ktMsgSetVertexColorDisabled;
        else if (index < 0 || index >= s.listLength)
            message = ktMsgSetVertexColorOutOfBounds;
        if (message != nullptr) {
            std::string f = expectPrinted(printed, message);
            return f.empty() ? expectUnchanged(s, before) : f;
        }
        if (!printed.empty()) return "setVertexColor printed " + printed;
        Lists expected = lists;
        expected.colors[index] = to;
        return expectOnly(s, before, expected);
    }

    // An enable operation sizes its list to the vertex count; a list that was on keeps its entries,
    // one that was off starts from addPoint's defaults.
    static std::string enableList(Program& p, ktShape& s, const Lists& lists) {
        const int which = p.byte() % 3;
        const int n = s.listLength;
        Lists expected = lists;
        std::string printed;
        if (which == 0) {
            if (!s.enableVertexColors) expected.colors.assign(n, white());
            printed = captureStdout([&] { s.enablePerVertexColors(); });
            if (!s.enableVertexColors) return "colours not enabled";
        } else if (which == 1) {
            if (!s.enableVertexNormals) {
                expected.normals.assign(n, ktVec3f(0, 0, 1));
                expected.faceCounts.assign(n, 0);
            }
            printed = captureStdout([&] { s.enablePerVertexNormals(); });
            if (!s.enableVertexNormals) return "normals not enabled";
        } else {
            if (!s.enableVertexTextureCoords) expected.texCoords.assign(n, ktVec3f());
            printed = captureStdout([&] { s.enablePerVertexTextureCoords(); });
            if (!s.enableVertexTextureCoords) return "texture coordinates not enabled";
        }
        if (!printed.empty()) return "enable printed " + printed;
        return sameLists(listsOf(s), expected) ? "" : "enabled list contents";
    }

    std::string stackCall(Program& p) {
        const int height = ktMatrixHeight;
        ktMatrix4f top = *getCurrentMatrix();
        switch (p.byte() % 6) {
            case 0:
                ktPushMatrix();
                if (ktMatrixHeight != (height < ktMatrixStackDepth - 1 ? height + 1 : height))
                    return "push height";
                if (!sameMatrix(*getCurrentMatrix(), top)) return "push did not copy the matrix below";
                return "";
            case 1:
                ktPopMatrix();
                return ktMatrixHeight == (height > 0 ? height - 1 : 0) ? "" : "pop height";
            case 2: {
                const ktVec3f t = vec3(p);
                ktTranslatef(t.x, t.y, t.z);
                top.translate(t.x, t.y, t.z);
                break;
            }
            case 3: {
                const ktVec4f r = vec4(p);
                ktRotatef(r.x, r.y, r.z, r.w);
                top.rotgen(r.y, r.z, r.w, static_cast<float>(r.x * 3.141592653589793 * 0.005555555555555556));
                break;
            }
            case 4: {
                const ktVec3f c = vec3(p);
                ktScalef(c.x, c.y, c.z);
                top.scale(c.x, c.y, c.z);
                break;
            }
            default:
                ktTransformsInit();
                top.setIdentity();
                break;
        }
        if (ktMatrixHeight != height) return "transform changed the height";
        return sameMatrix(*getCurrentMatrix(), top) ? ""
                                                    : "top matrix differs from the matrix's own operation";
    }

    // The real draw (any OpenGL calls go to whatever context is current, or none), checked against
    // the stack's own operations replayed on a saved copy of the stack.
    static std::string draw(ktShape& s, const ktShapeSnapshot& before, const Lists& lists) {
        Stack start, after;
        saveStack(start);
        const std::string printed = captureStdout([&] { s.draw(); });
        saveStack(after);
        const bool empty = s.enableIndex && s.indexListLength == 0;
        std::string f = expectPrinted(printed, empty ? ktMsgDrawEmptyIndexList : "");
        if (!f.empty()) return f;

        loadStack(start);
        ktPushMatrix();
        applyOrder(s);
        const ktMatrix4f top = *getCurrentMatrix();
        Lists expected = lists;
        for (int v = 0; v < s.listLength; v++) {
            ktTransformToReal(expected.vertices[v], expected.world[v]);
            if (s.enablePicking) ktTransformRealToScreen(expected.world[v], expected.window[v]);
        }
        ktPopMatrix();
        Stack replayed;
        saveStack(replayed);
        loadStack(after);
        if (!sameStack(replayed, after)) return "stack after draw differs from push, transforms, pop";
        if (!sameMatrix(top, s.space)) return "space differs from the stack's top";
        for (int v = 0; v < s.listLength; v++) {
            if (!ktSameBits(expected.world[v], s.absVertexList[v]))
                return "world position " + std::to_string(v);
            if (!ktSameBits(expected.window[v], s.screenVertexList[v]))
                return "window position " + std::to_string(v);
        }
        if (s.enableVertexNormals) {
            referenceNormals(s, expected);
            f = compareNormals(expected, s);
            if (!f.empty()) return f;
        }
        expected.world = listsOf(s).world;
        expected.window = listsOf(s).window;
        return expectOnly(s, before, expected);
    }

    static std::string pick(Program& p, ktShape& s, const ktShapeSnapshot& before) {
        std::string printed;
        const uint8_t what = p.byte();
        const float a = p.real(), b = p.real(), c = p.real(), d = p.real();
        bool hit = false;
        printed = captureStdout([&] {
            switch (what % 3) {
                case 0:
                    hit = s.pointInside(a, b);
                    break;
                case 1:
                    hit = s.shapeInRect(a, b, c, d, what & 8);
                    break;
                default:
                    hit = s.shapeInCircle(a, b, c, what & 8);
                    break;
            }
        });
        if (!printed.empty()) return "picking printed " + printed;
        if (what % 3 == 0 && !s.enablePicking && hit) return "pointInside hit with picking off";
        return expectUnchanged(s, before);
    }

    // Writes the shape and reads the record into any slot, which must then write the same bytes.
    std::string roundTrip(Program& p, ktShape& s) {
        std::string printed;
        std::vector<unsigned char> bytes = recordOf(s, printed);
        if (!printed.empty()) return "writeToFile printed " + printed;
        if (bytes.size() != announcedLength(s)) return "record length differs from its header";
        const int to = p.byte() % slotCount;
        ktShape& t = *slots_[to].shape;
        ktMeshShape* mesh = slots_[to].mesh;
        const int rows = mesh ? mesh->N : 0, columns = mesh ? mesh->M : 0;
        const ktShapeSnapshot prior = ktSnapshotShape(t);
        printed = readBytes(t, bytes, bytes.size());
        if (!printed.empty()) return "readFromFile rejected a written record: " + printed;
        if (mesh && (mesh->N != rows || mesh->M != columns)) return "reading changed the grid size";
        // Lists whose flag the record leaves off are neither resized nor freed.
        if (!t.enableVertexNormals &&
            (t.normalList != prior.pointers[3] || t.normalCountList != prior.pointers[7]))
            return "normal lists touched while off";
        if (!t.enableVertexTextureCoords && t.textureCoordList != prior.pointers[4])
            return "texture list touched";
        if (!t.enableVertexColors && t.colorList != prior.pointers[5]) return "colour list touched while off";
        if (!t.enableIndex && t.indexList != prior.pointers[6]) return "index list touched while off";
        std::vector<unsigned char> again = recordOf(t, printed);
        if (!printed.empty()) return "writeToFile printed " + printed;
        return again == bytes ? "" : "record read back writes other bytes";
    }

    // A record cut short is reported and leaves the receiving shape exactly as it was.
    std::string cutRecord(Program& p, ktShape& s) {
        std::string printed;
        std::vector<unsigned char> bytes = recordOf(s, printed);
        const size_t cut = p.word() % bytes.size();
        ktShape& t = *slots_[p.byte() % slotCount].shape;
        const ktShapeSnapshot prior = ktSnapshotShape(t);
        printed = readBytes(t, bytes, cut);
        std::string f = expectPrinted(printed, ktMsgRecordDamaged);
        return f.empty() ? expectUnchanged(t, prior) : f;
    }

    // A stream that takes fewer bytes than the record must make writeToFile report it.
    static std::string shortWrite(Program& p, ktShape& s) {
        const uint64_t length = announcedLength(s);
        const size_t room = 1 + p.word() % (length + 8);
        std::vector<unsigned char> buffer(room);
        FILE* out = fmemopen(buffer.data(), room, "wb");
        if (out == nullptr) std::abort();
        setvbuf(out, nullptr, _IONBF, 0);
        const std::string printed = captureStdout([&] { s.writeToFile(out); });
        std::fclose(out);
        return expectPrinted(printed, room < length ? ktMsgRecordNotWritten : "");
    }

    static std::string camera(Program& p) {
        const uint8_t what = p.byte();
        if (what & 1) {
            cameraMatrix.m[p.byte() % 4][p.byte() % 4] = p.real();
        } else if (what & 2) {
            view[p.byte() % 4] = p.integer(1000);
        } else {
            cameraMatrix.setIdentity();
            view[0] = 0, view[1] = 0, view[2] = 640, view[3] = 480;
        }
        return "";
    }

    Slot slots_[slotCount];
    int op_ = 0;
    long pendingFailure_ = 0;
};

}  // namespace

std::string ktCheckShapeConsistent(const ktShape& shape) { return checkConsistent(shape); }

std::string ktRunShapeProgram(const uint8_t* data, size_t size) {
    Program program(data, size);
    Machine machine;
    return machine.run(program);
}
