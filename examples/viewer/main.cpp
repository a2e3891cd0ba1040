// viewer: shows a model file or a shape record. Usage: viewer FILE [RECORD]; 's' writes the shape
// to RECORD (default viewer.ktrec). A file that cannot be read ends the program with status 1
// before any window opens.
#include <cstdio>

#include "framework/ktu.h"
#include "io/ktShapeFile.h"
#include "viewerApp.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: viewer FILE [RECORD]\n", stderr);
        return 2;
    }
    viewerShape = new ktShape();
    if (!ktLoadShape(argv[1], *viewerShape)) return 1;
    if (argc > 2) viewerRecordPath = argv[2];
    std::printf("viewer: showing %s: %d vertices\n", argv[1], viewerShape->listLength);
    std::fflush(stdout);
    ktuOpen();
    ktApp* app = makeApp();
    app->selfStart();  // runs the GLUT main loop; Escape ends the process with status 0
    return 0;
}
