// Model export through the Open Asset Import Library. The shape becomes a one-mesh scene; the
// library's exporter writes it through a file system of our own whose every write, flush and close
// is checked, because the library's own file access does not report a failing close (a full disk
// shows only there).
#include "io/ktShapeExport.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <sys/stat.h>

#include <assimp/Exporter.hpp>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "io/ktShapeIoMessage.h"
#include "io/ktShapePrimitives.h"
#include "math/ktTransforms.h"
#include "shapes/ktShapeDrawPasses.h"

namespace {

// What the exporter's files met: the first failure, and the files opened for writing.
struct WriteLog {
    std::string failure;
    std::vector<std::string> written;

    void fail(const std::string& path, int error) {
        if (failure.empty()) failure = path + ": " + std::strerror(error);
    }
};

class CheckedStream : public Assimp::IOStream {
public:
    CheckedStream(FILE* file, const std::string& path, WriteLog& log) : file_(file), path_(path), log_(log) {}
    ~CheckedStream() override {
        if (std::fclose(file_) != 0) log_.fail(path_, errno);
    }
    size_t Read(void* buffer, size_t size, size_t count) override {
        return std::fread(buffer, size, count, file_);
    }
    size_t Write(const void* buffer, size_t size, size_t count) override {
        const size_t done = std::fwrite(buffer, size, count, file_);
        if (done != count) log_.fail(path_, errno);
        return done;
    }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        const int whence = origin == aiOrigin_SET ? SEEK_SET : origin == aiOrigin_CUR ? SEEK_CUR : SEEK_END;
        return std::fseek(file_, static_cast<long>(offset), whence) == 0 ? aiReturn_SUCCESS
                                                                         : aiReturn_FAILURE;
    }
    size_t Tell() const override { return static_cast<size_t>(std::ftell(file_)); }
    size_t FileSize() const override {
        struct stat info;
        return fstat(fileno(file_), &info) == 0 ? static_cast<size_t>(info.st_size) : 0;
    }
    void Flush() override {
        if (std::fflush(file_) != 0) log_.fail(path_, errno);
    }

private:
    FILE* file_;
    std::string path_;
    WriteLog& log_;
};

class CheckedFileSystem : public Assimp::IOSystem {
public:
    explicit CheckedFileSystem(WriteLog& log) : log_(log) {}
    bool Exists(const char* path) const override {
        struct stat info;
        return stat(path, &info) == 0;
    }
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* path, const char* mode) override {
        FILE* file = std::fopen(path, mode);
        if (file == nullptr) {
            log_.fail(path, errno);
            return nullptr;
        }
        if (std::strchr(mode, 'w') != nullptr || std::strchr(mode, 'a') != nullptr)
            log_.written.push_back(path);
        return new CheckedStream(file, path, log_);
    }
    void Close(Assimp::IOStream* stream) override { delete stream; }

private:
    WriteLog& log_;
};

// The shape's positions: its own coordinates, or those its transforms give from an identity stack
// with draw's own arithmetic.
std::vector<ktVec3f> positionsOf(const ktShape& shape, bool world) {
    std::vector<ktVec3f> positions(shape.vertexList, shape.vertexList + shape.listLength);
    if (!world || shape.listLength == 0) return positions;
    // The caller's stack is left exactly as it was, also when it is full and the push cannot happen.
    const int height = ktMatrixHeight;
    ktPushMatrix();
    const ktMatrix4f saved = *getCurrentMatrix();
    getCurrentMatrix()->setIdentity();
    ktShapeApplyTransforms(shape.transformOrder, shape.Translation, shape.Rotation, shape.Scale);
    ktShapeWorldPositions(shape.vertexList, positions.data(), shape.listLength);
    getCurrentMatrix()->set(&saved);
    if (ktMatrixHeight > height) ktPopMatrix();
    return positions;
}

// A one-mesh scene of the shape's primitives; the scene owns everything and frees it.
aiScene* sceneOf(const ktShape& shape, const ktShapePrimitives& primitives, bool world) {
    const unsigned n = static_cast<unsigned>(shape.listLength);
    aiMesh* mesh = new aiMesh();
    mesh->mPrimitiveTypes = primitives.corners == 1   ? aiPrimitiveType_POINT
                            : primitives.corners == 2 ? aiPrimitiveType_LINE
                                                      : aiPrimitiveType_TRIANGLE;
    mesh->mNumVertices = n;
    mesh->mVertices = new aiVector3D[n];
    const std::vector<ktVec3f> positions = positionsOf(shape, world);
    for (unsigned v = 0; v < n; v++) mesh->mVertices[v].Set(positions[v].x, positions[v].y, positions[v].z);
    if (shape.enableVertexNormals && shape.normalList != nullptr) {
        mesh->mNormals = new aiVector3D[n];
        for (unsigned v = 0; v < n; v++)
            mesh->mNormals[v].Set(shape.normalList[v].x, shape.normalList[v].y, shape.normalList[v].z);
    }
    if (shape.enableVertexColors && shape.colorList != nullptr) {
        mesh->mColors[0] = new aiColor4D[n];
        for (unsigned v = 0; v < n; v++) {
            const ktVec4f& c = shape.colorList[v];
            mesh->mColors[0][v] = aiColor4D(c.x, c.y, c.z, c.w);
        }
    }
    if (shape.enableVertexTextureCoords && shape.textureCoordList != nullptr) {
        mesh->mTextureCoords[0] = new aiVector3D[n];
        mesh->mNumUVComponents[0] = 2;
        for (unsigned v = 0; v < n; v++) {
            const ktVec3f& t = shape.textureCoordList[v];
            mesh->mTextureCoords[0][v].Set(t.x, t.y, t.z);
        }
    }
    const int corners = primitives.corners;
    mesh->mNumFaces = static_cast<unsigned>(primitives.count());
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    for (unsigned f = 0; f < mesh->mNumFaces; f++) {
        aiFace& face = mesh->mFaces[f];
        face.mNumIndices = static_cast<unsigned>(corners);
        face.mIndices = new unsigned[corners];
        for (int k = 0; k < corners; k++)
            face.mIndices[k] = static_cast<unsigned>(primitives.indices[f * corners + k]);
    }
    mesh->mMaterialIndex = 0;

    aiScene* scene = new aiScene();
    scene->mNumMeshes = 1;
    scene->mMeshes = new aiMesh* [1] { mesh };
    // One material with the shape-wide colour, which formats with materials need.
    aiMaterial* material = new aiMaterial();
    const aiColor4D color(shape.Color.x, shape.Color.y, shape.Color.z, shape.Color.w);
    material->AddProperty(&color, 1, AI_MATKEY_COLOR_DIFFUSE);
    const aiString name("shape");
    material->AddProperty(&name, AI_MATKEY_NAME);
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial* [1] { material };
    scene->mRootNode = new aiNode("shape");
    scene->mRootNode->mNumMeshes = 1;
    scene->mRootNode->mMeshes = new unsigned[1]{0};
    return scene;
}

// Removes what a failed export left behind; only regular files (never a device such as /dev/full).
void removePartial(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) std::remove(path.c_str());
    }
}

}  // namespace

const char* ktExportFormatFor(const char* path) {
    if (path == nullptr) return nullptr;
    std::string name(path);
    const size_t slash = name.rfind('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return nullptr;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    // Binary forms where a format has both, so that floats are stored bit for bit.
    static const char* const preferred[][2] = {{"ply", "plyb"},   {"stl", "stlb"}, {"glb", "glb2"},
                                               {"gltf", "gltf2"}, {"obj", "obj"},  {"dae", "collada"}};
    for (const auto& entry : preferred)
        if (extension == entry[0]) return entry[1];
    Assimp::Exporter exporter;
    for (size_t i = 0; i < exporter.GetExportFormatCount(); i++) {
        const aiExportFormatDesc* format = exporter.GetExportFormatDescription(i);
        if (format != nullptr && format->fileExtension != nullptr && extension == format->fileExtension)
            return format->id;
    }
    return nullptr;
}

bool ktExportShape(const ktShape& shape, const char* path, bool world, const char* formatId) {
    const char* const what = "cannot write";
    if (path == nullptr) {
        ktIoReport("export", what, path, "no file name");
        return false;
    }
    const char* format = formatId != nullptr ? formatId : ktExportFormatFor(path);
    // The library's binary PLY writer declares per-vertex colours as bytes but stores floats, a file
    // no reader decodes: a coloured shape named .ply goes out as text PLY, and an explicit request
    // for the binary form is refused.
    const bool colored = shape.enableVertexColors && shape.colorList != nullptr;
    if (formatId == nullptr && format != nullptr && std::strcmp(format, "plyb") == 0 && colored)
        format = "ply";
    if (format != nullptr && std::strcmp(format, "plyb") == 0 && colored) {
        ktIoReport("export", what, path,
                   "binary PLY cannot hold per-vertex colours here; use the text form (ply)");
        return false;
    }
    if (format == nullptr) {
        ktIoReport("export", what, path, "no format writes this file name's extension");
        return false;
    }
    const ktShapePrimitives primitives = ktFormPrimitives(shape);
    if (primitives.count() == 0 || shape.vertexList == nullptr) {
        ktIoReport("export", what, path, "the shape draws no point, line or triangle");
        return false;
    }
    // STL stores triangles only; its writer would read three corners from every face.
    const std::string id(format);
    if ((id == "stl" || id == "stlb") && primitives.corners != 3) {
        ktIoReport("export", what, path, "STL holds triangles only");
        return false;
    }

    WriteLog log;
    aiReturn result = aiReturn_FAILURE;
    std::string reason;
    {
        Assimp::Exporter exporter;
        exporter.SetIOHandler(new CheckedFileSystem(log));  // the exporter owns and deletes it
        aiScene* scene = sceneOf(shape, primitives, world);
        try {
            result = exporter.Export(scene, format, path);
        } catch (...) {
            result = aiReturn_FAILURE;
        }
        if (result != aiReturn_SUCCESS) {
            const char* error = exporter.GetErrorString();
            reason = error != nullptr && *error ? error : "the format's writer failed";
        }
        delete scene;
    }  // every stream is closed, and its close checked, by here
    if (result == aiReturn_SUCCESS && log.failure.empty()) return true;
    if (!log.failure.empty()) reason = reason.empty() ? log.failure : reason + " (" + log.failure + ")";
    removePartial(log.written);
    ktIoReport("export", what, path, reason.c_str());
    return false;
}
