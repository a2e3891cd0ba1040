// picker: opens the framework, makes the application object and hands control to it. The optional
// arguments are the shape-record file that 's' writes and 'l' reads, and the screenshot 'p' writes.
#include "framework/ktu.h"
#include "pickerApp.h"

int main(int argc, char** argv) {
    if (argc > 1) pickerRecordPath = argv[1];
    if (argc > 2) pickerScreenshotPath = argv[2];
    ktuOpen();
    ktApp* app = makeApp();
    app->selfStart();  // runs the GLUT main loop; Escape ends the process with status 0
    return 0;
}
