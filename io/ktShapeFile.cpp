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
#include "shapes/ktShapeRecordHeader.h"

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
    unsigned char bytes[ktRecordHeaderSize];
    info.headerWhole = std::fread(bytes, 1, ktRecordHeaderSize, file) == ktRecordHeaderSize;
    std::fclose(file);
    if (!info.headerWhole) return info;
    const ktRecordHeader h = ktDecodeRecordHeader(bytes);
    info.drawStyle = h.drawStyle;
    info.transformOrder = h.transformOrder;
    std::memcpy(info.normal, h.normal, sizeof(info.normal));
    std::memcpy(info.color, h.color, sizeof(info.color));
    std::memcpy(info.translation, h.translation, sizeof(info.translation));
    std::memcpy(info.scale, h.scale, sizeof(info.scale));
    std::memcpy(info.rotation, h.rotation, sizeof(info.rotation));
    info.picking = h.picking;
    info.listLength = h.listLength;
    info.index = h.index;
    info.indexListLength = h.indexListLength;
    info.vertexNormals = h.vertexNormals;
    info.vertexColors = h.vertexColors;
    info.vertexTextureCoords = h.vertexTextureCoords;
    if (info.listLength >= 0 && info.indexListLength >= 0) {
        const long long L = info.listLength;
        info.recordSize = static_cast<long long>(ktRecordHeaderSize) + 12 * L +
                          (info.vertexNormals ? 12 * L : 0) + (info.vertexColors ? 16 * L : 0) +
                          (info.vertexTextureCoords ? 12 * L : 0) +
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
