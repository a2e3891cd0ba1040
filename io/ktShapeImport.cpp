// Model import through the Open Asset Import Library. The scene is triangulated and validated by
// the library; every placement of a mesh (a node naming it) is then walked once to size the lists
// exactly and once to fill them, so the work is linear in the number of vertices and faces. All
// lists are built in fresh blocks before the shape is touched: a refusal changes nothing.
#include "io/ktShapeImport.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <sys/stat.h>

#include <assimp/Importer.hpp>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "io/ktShapeIoMessage.h"
#include "shapes/ktPrimitive.h"

namespace {

struct Placement {
    const aiMesh* mesh;
    aiMatrix4x4 transform;  // the mesh's own coordinates to the scene's
};

bool isTriangle(const aiMesh& mesh, const aiFace& face) {
    if (face.mNumIndices != 3 || face.mIndices == nullptr) return false;
    for (unsigned k = 0; k < 3; k++)
        if (face.mIndices[k] >= mesh.mNumVertices) return false;
    return true;
}

unsigned long long triangleCount(const aiMesh& mesh) {
    unsigned long long count = 0;
    if (mesh.mFaces == nullptr || mesh.mVertices == nullptr) return 0;
    for (unsigned f = 0; f < mesh.mNumFaces; f++)
        if (isTriangle(mesh, mesh.mFaces[f])) count++;
    return count;
}

// Every mesh placement that holds a triangle, depth first in node order. The walk keeps its own
// stack, so a deep hierarchy cannot exhaust the call stack.
std::vector<Placement> placementsOf(const aiScene& scene) {
    std::vector<Placement> placements;
    if (scene.mRootNode == nullptr) return placements;
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene.mRootNode, aiMatrix4x4()}};
    while (!pending.empty()) {
        const aiNode* node = pending.back().first;
        const aiMatrix4x4 transform = pending.back().second * node->mTransformation;
        pending.pop_back();
        for (unsigned m = 0; m < node->mNumMeshes; m++) {
            const unsigned index = node->mMeshes[m];
            if (index >= scene.mNumMeshes || scene.mMeshes[index] == nullptr) continue;
            if (triangleCount(*scene.mMeshes[index]) > 0)
                placements.push_back({scene.mMeshes[index], transform});
        }
        // Children in reverse, so that they come off the stack in their own order.
        for (unsigned c = node->mNumChildren; c-- > 0;)
            if (node->mChildren[c] != nullptr) pending.push_back({node->mChildren[c], transform});
    }
    return placements;
}

// A block of `count` entries from the C allocator, the way shape lists are held; zeroed.
template <typename T>
T* newList(size_t count, bool& ok) {
    if (count == 0) return nullptr;
    T* list = static_cast<T*>(std::calloc(count, sizeof(T)));
    if (list == nullptr) ok = false;
    return list;
}

// The lists of one shape, built before the shape is touched.
struct Lists {
    int vertices = 0, indices = 0;
    bool normals = false, colors = false, textureCoords = false;
    ktVec3f *position = nullptr, *world = nullptr, *window = nullptr, *normal = nullptr, *texture = nullptr;
    ktVec4f* color = nullptr;
    int *index = nullptr, *faceCount = nullptr;

    void release() {
        for (void* list :
             {static_cast<void*>(position), static_cast<void*>(world), static_cast<void*>(window),
              static_cast<void*>(normal), static_cast<void*>(texture), static_cast<void*>(color),
              static_cast<void*>(index), static_cast<void*>(faceCount)})
            std::free(list);
        *this = Lists();
    }
};

// Builds the lists of the given placements; false (with a reason) when they do not fit a shape.
bool build(const Placement* placements, size_t count, Lists& out, std::string& reason) {
    unsigned long long vertices = 0, triangles = 0;
    for (size_t p = 0; p < count; p++) {
        const aiMesh& mesh = *placements[p].mesh;
        vertices += mesh.mNumVertices;
        triangles += triangleCount(mesh);
        out.normals = out.normals || mesh.mNormals != nullptr;
        out.colors = out.colors || mesh.mColors[0] != nullptr;
        out.textureCoords = out.textureCoords || mesh.mTextureCoords[0] != nullptr;
    }
    if (triangles == 0) {
        reason = "the scene holds no triangles";
        return false;
    }
    if (vertices > INT_MAX || triangles * 3 > INT_MAX) {
        reason = "the scene holds more vertices or triangles than a shape can";
        return false;
    }
    out.vertices = static_cast<int>(vertices);
    out.indices = static_cast<int>(triangles * 3);
    const size_t n = vertices;
    bool ok = true;
    out.position = newList<ktVec3f>(n, ok);
    out.world = newList<ktVec3f>(n, ok);
    out.window = newList<ktVec3f>(n, ok);
    out.index = newList<int>(static_cast<size_t>(out.indices), ok);
    if (out.normals) {
        out.normal = newList<ktVec3f>(n, ok);
        out.faceCount = newList<int>(n, ok);
    }
    if (out.colors) out.color = newList<ktVec4f>(n, ok);
    if (out.textureCoords) out.texture = newList<ktVec3f>(n, ok);
    if (!ok) {
        out.release();
        reason = "out of memory";
        return false;
    }

    int base = 0, next = 0;
    for (size_t p = 0; p < count; p++) {
        const aiMesh& mesh = *placements[p].mesh;
        const aiMatrix4x4& m = placements[p].transform;
        // Normals go through the inverse transpose, which keeps them perpendicular to the faces
        // under any invertible transform; a singular one (a flattening scale) uses the matrix itself.
        aiMatrix3x3 normalMatrix(m);
        if (normalMatrix.Determinant() != 0.0f) normalMatrix.Inverse().Transpose();
        for (unsigned v = 0; v < mesh.mNumVertices; v++) {
            const int at = base + static_cast<int>(v);
            const aiVector3D p3 = m * mesh.mVertices[v];
            out.position[at].set(p3.x, p3.y, p3.z);
            if (out.normals) {
                if (mesh.mNormals != nullptr) {
                    aiVector3D n3 = normalMatrix * mesh.mNormals[v];
                    const float length = n3.Length();
                    if (length > 0.0f) n3 /= length;
                    out.normal[at].set(n3.x, n3.y, n3.z);
                } else {
                    out.normal[at].set(0.0f, 0.0f, 1.0f);
                }
            }
            if (out.colors) {
                if (mesh.mColors[0] != nullptr) {
                    const aiColor4D& c = mesh.mColors[0][v];
                    out.color[at].set(c.r, c.g, c.b, c.a);
                } else {
                    out.color[at].set(1.0f, 1.0f, 1.0f, 1.0f);
                }
            }
            if (out.textureCoords && mesh.mTextureCoords[0] != nullptr) {
                const aiVector3D& t = mesh.mTextureCoords[0][v];
                out.texture[at].set(t.x, t.y, t.z);
            }
        }
        for (unsigned f = 0; f < mesh.mNumFaces; f++) {
            const aiFace& face = mesh.mFaces[f];
            if (!isTriangle(mesh, face)) continue;
            for (unsigned k = 0; k < 3; k++) out.index[next++] = base + static_cast<int>(face.mIndices[k]);
        }
        base += static_cast<int>(mesh.mNumVertices);
    }
    return true;
}

// Replaces the shape's lists by `lists`, which it then owns.
void commit(ktShape& shape, Lists& lists) {
    for (void* old : {static_cast<void*>(shape.vertexList), static_cast<void*>(shape.absVertexList),
                      static_cast<void*>(shape.screenVertexList), static_cast<void*>(shape.normalList),
                      static_cast<void*>(shape.normalCountList), static_cast<void*>(shape.colorList),
                      static_cast<void*>(shape.textureCoordList), static_cast<void*>(shape.indexList)})
        std::free(old);
    shape.drawStyle = kt_TRIANGLES;
    shape.listLength = lists.vertices;
    shape.vertexList = lists.position;
    shape.absVertexList = lists.world;
    shape.screenVertexList = lists.window;
    shape.enableVertexNormals = lists.normals;
    shape.normalList = lists.normal;
    shape.normalCountList = lists.faceCount;
    shape.enableVertexColors = lists.colors;
    shape.colorList = lists.color;
    shape.enableVertexTextureCoords = lists.textureCoords;
    shape.textureCoordList = lists.texture;
    shape.enableIndex = true;
    shape.indexListLength = lists.indices;
    shape.indexList = lists.index;
    lists = Lists();
}

// Every face names at least one corner, and only vertices its mesh holds.
bool facesWhole(const aiScene& scene) {
    for (unsigned m = 0; m < scene.mNumMeshes; m++) {
        const aiMesh* mesh = scene.mMeshes[m];
        if (mesh == nullptr) return false;
        if (mesh->mNumFaces > 0 && (mesh->mFaces == nullptr || mesh->mVertices == nullptr)) return false;
        for (unsigned f = 0; f < mesh->mNumFaces; f++) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices == 0 || face.mIndices == nullptr) return false;
            for (unsigned k = 0; k < face.mNumIndices; k++)
                if (face.mIndices[k] >= mesh->mNumVertices) return false;
        }
    }
    return true;
}

// Reads and validates the scene; prints the refusal and returns null when it cannot be had.
const aiScene* readScene(Assimp::Importer& importer, const char* path) {
    struct stat info;
    if (path == nullptr || stat(path, &info) != 0) {
        ktIoReport("import", "cannot read", path, path == nullptr ? "no file name" : std::strerror(errno));
        return nullptr;
    }
    if (S_ISDIR(info.st_mode)) {
        ktIoReport("import", "cannot read", path, "is a directory");
        return nullptr;
    }
    // A device or a pipe could block or never end.
    if (!S_ISREG(info.st_mode)) {
        ktIoReport("import", "cannot read", path, "not a regular file");
        return nullptr;
    }
    // Faces are checked before the library triangulates them: its triangulation stops the process
    // on faces without corners, which a truncated file can leave behind.
    const aiScene* scene = nullptr;
    const char* damage = nullptr;
    try {
        scene = importer.ReadFile(path, aiProcess_ValidateDataStructure);
        if (scene != nullptr && !facesWhole(*scene)) damage = "the file's faces are damaged";
        if (scene != nullptr && damage == nullptr)
            scene = importer.ApplyPostProcessing(aiProcess_Triangulate);
    } catch (...) {
        scene = nullptr;
    }
    if (damage != nullptr) {
        ktIoReport("import", "cannot read", path, damage);
        return nullptr;
    }
    if (scene == nullptr) {
        const char* reason = importer.GetErrorString();
        ktIoReport("import", "cannot read", path, reason != nullptr && *reason ? reason : "unknown error");
    }
    return scene;
}

}  // namespace

bool ktImportShape(const char* path, ktShape& shape) {
    Assimp::Importer importer;
    const aiScene* scene = readScene(importer, path);
    if (scene == nullptr) return false;
    const std::vector<Placement> placements = placementsOf(*scene);
    Lists lists;
    std::string reason;
    if (!build(placements.data(), placements.size(), lists, reason)) {
        ktIoReport("import", "cannot read", path, reason.c_str());
        return false;
    }
    commit(shape, lists);
    return true;
}

bool ktImportShapes(const char* path, std::vector<ktShape*>& shapes) {
    Assimp::Importer importer;
    const aiScene* scene = readScene(importer, path);
    if (scene == nullptr) return false;
    const std::vector<Placement> placements = placementsOf(*scene);
    std::vector<Lists> built(placements.size());
    std::string reason = placements.empty() ? "the scene holds no triangles" : "";
    bool ok = !placements.empty();
    for (size_t p = 0; ok && p < placements.size(); p++) ok = build(&placements[p], 1, built[p], reason);
    if (!ok) {
        for (Lists& lists : built) lists.release();
        ktIoReport("import", "cannot read", path, reason.c_str());
        return false;
    }
    for (Lists& lists : built) {
        ktShape* shape = new ktShape();
        commit(*shape, lists);
        shapes.push_back(shape);
    }
    return true;
}
