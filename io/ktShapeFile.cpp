// Shape files by name: shape records through the framework's own reader and writer, checked
// before and after, and model files through import and export.
#include "io/ktShapeFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "io/ktShapeExport.h"
#include "io/ktShapeImport.h"
#include "io/ktShapeIoMessage.h"

namespace {

const size_t headerSize = 86;

uint32_t wordAt(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

template <typename T>
T valueAt(const unsigned char* bytes) {
    const uint32_t word = wordAt(bytes);
    T value;
    std::memcpy(&value, &word, 4);
    return value;
}

void floatsAt(const unsigned char* bytes, float* out, int count) {
    for (int i = 0; i < count; i++) out[i] = valueAt<float>(bytes + 4 * i);
}

}  // namespace

bool ktIsRecordPath(const char* path) {
    const size_t length = path != nullptr ? std::strlen(path) : 0;
    return length >= 6 && std::strcmp(path + length - 6, ".ktrec") == 0;
}

ktRecordInfo ktInspectRecord(const char* path) {
    ktRecordInfo info;
    FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) return info;
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return info;
    }
    info.readable = true;
    info.fileSize = status.st_size;
    unsigned char h[headerSize];
    info.headerWhole = std::fread(h, 1, headerSize, file) == headerSize;
    std::fclose(file);
    if (!info.headerWhole) return info;
    info.drawStyle = wordAt(h);
    info.transformOrder = h[4];
    floatsAt(h + 5, info.normal, 3);
    floatsAt(h + 17, info.color, 4);
    floatsAt(h + 33, info.translation, 3);
    floatsAt(h + 45, info.scale, 3);
    floatsAt(h + 57, info.rotation, 4);
    info.picking = h[73] != 0;
    info.listLength = valueAt<int32_t>(h + 74);
    info.index = h[78] != 0;
    info.indexListLength = valueAt<int32_t>(h + 79);
    info.vertexNormals = h[83] != 0;
    info.vertexColors = h[84] != 0;
    info.vertexTextureCoords = h[85] != 0;
    if (info.listLength >= 0 && info.indexListLength >= 0) {
        const long long L = info.listLength;
        info.recordSize = static_cast<long long>(headerSize) + 12 * L + (info.vertexNormals ? 12 * L : 0) +
                          (info.vertexColors ? 16 * L : 0) + (info.vertexTextureCoords ? 12 * L : 0) +
                          (info.index ? 4LL * info.indexListLength : 0);
    }
    return info;
}

bool ktLoadShape(const char* path, ktShape& shape) {
    if (!ktIsRecordPath(path)) return ktImportShape(path, shape);
    struct stat status;
    const bool found = stat(path, &status) == 0;
    if (!found || S_ISDIR(status.st_mode)) {
        ktIoReport("import", "cannot read", path, found ? "is a directory" : std::strerror(errno));
        return false;
    }
    const ktRecordInfo info = ktInspectRecord(path);
    FILE* file = info.readable ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        ktIoReport("import", "cannot read", path,
                   info.readable ? std::strerror(errno) : "not a regular file");
        return false;
    }
    if (!info.whole()) {
        std::fclose(file);
        std::printf("%s: %s", path, ktMsgRecordDamaged);
        std::fflush(stdout);
        return false;
    }
    // The reader leaves the shape unchanged unless the whole record arrived, and then stops just
    // past it.
    shape.readFromFile(file);
    const bool read = std::ftell(file) == info.fileSize;
    std::fclose(file);
    if (!read) ktIoReport("import", "cannot read", path, "the record could not be loaded");
    return read;
}

bool ktSaveShape(const ktShape& shape, const char* path, bool world) {
    if (!ktIsRecordPath(path)) return ktExportShape(shape, path, world);
    // The record goes to memory first, so that the file is written, flushed and closed with every
    // step checked, and a failure leaves no partial record behind.
    char* bytes = nullptr;
    size_t size = 0;
    FILE* memory = open_memstream(&bytes, &size);
    if (memory == nullptr) {
        ktIoReport("export", "cannot write", path, "out of memory");
        return false;
    }
    const_cast<ktShape&>(shape).writeToFile(memory);  // writeToFile reads the shape only
    const bool encoded = std::ferror(memory) == 0;
    std::fclose(memory);
    std::string failure = encoded ? "" : "the record could not be encoded";
    FILE* file = encoded ? std::fopen(path, "wb") : nullptr;
    if (encoded && file == nullptr) failure = std::strerror(errno);
    if (file != nullptr) {
        if (std::fwrite(bytes, 1, size, file) != size || std::fflush(file) != 0)
            failure = std::strerror(errno);
        if (std::fclose(file) != 0 && failure.empty()) failure = std::strerror(errno);
        struct stat status;
        if (!failure.empty() && stat(path, &status) == 0 && S_ISREG(status.st_mode)) std::remove(path);
    }
    std::free(bytes);
    if (failure.empty()) return true;
    ktIoReport("export", "cannot write", path, failure.c_str());
    return false;
}
