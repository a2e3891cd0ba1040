/* Frame counter for unmodified GLUT programs, loaded with LD_PRELOAD: wraps glutSwapBuffers, forwards
 * every call to the real one (found with dlsym(RTLD_NEXT)) and keeps the number of swaps, which is the
 * number of frames shown. When the environment variable KT_SWAPCOUNT_FILE names a file, the running count
 * is rewritten there after every swap (one pwrite, no allocation, so the program's memory use is not
 * disturbed) and once more at exit, as a decimal number padded to a fixed width and ended by a newline. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static unsigned long swapCount;
static int countFile = -1;
static void (*realSwapBuffers)(void);

static void writeCount(void) {
    char line[32];
    int length;
    if (countFile < 0) return;
    length = snprintf(line, sizeof line, "%20lu\n", swapCount);
    if (pwrite(countFile, line, (size_t)length, 0) != length) {
        /* A reader polling the file just sees an older count. */
    }
}

__attribute__((constructor)) static void openCountFile(void) {
    const char* path = getenv("KT_SWAPCOUNT_FILE");
    if (path != NULL && path[0] != '\0')
        countFile = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    writeCount();
}

__attribute__((destructor)) static void finalCount(void) { writeCount(); }

void glutSwapBuffers(void) {
    if (realSwapBuffers == NULL) realSwapBuffers = (void (*)(void))dlsym(RTLD_NEXT, "glutSwapBuffers");
    if (realSwapBuffers != NULL) realSwapBuffers();
    ++swapCount;
    writeCount();
}
