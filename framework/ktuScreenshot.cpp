// Window screenshots: the draw buffer read with glReadPixels (bottom row first, as OpenGL gives
// it) and written by libpng top row first. Every failure is one level-2 diagnostic and a false
// result; a partly written regular file is removed so no truncated picture is left behind.
#include "framework/ktuScreenshot.h"

#include <GL/freeglut.h>
#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "framework/ktu.h"
#include "framework/ktuWindow.h"

namespace {

bool fail(const std::string& reason) {
    ktuDebug(2, ("ktuSaveScreenshot: " + reason).c_str());
    return false;
}

// Where libpng's error handler leaves its message before jumping back to writePng.
struct PngFailure {
    std::jmp_buf jump;
    char message[200];
    int error;  // errno when libpng gave up, the cause of a failed write
};

void pngError(png_structp png, png_const_charp message) {
    PngFailure* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    failure->error = errno;
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    std::longjmp(failure->jump, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Writes the rows (rows[0] is the image's top row) as RGB; returns false with libpng's message.
bool writePng(FILE* file, int width, int height, png_bytep* rows, std::string& error) {
    PngFailure failure;
    failure.message[0] = '\0';
    failure.error = 0;
    errno = 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, pngError, pngWarning);
    if (png == nullptr) {
        error = "libpng could not start";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(failure.jump) != 0) {
        png_destroy_write_struct(&png, &info);
        if (failure.error != 0) {
            error = std::strerror(failure.error);
        } else {
            error = failure.message[0] != '\0' ? failure.message : "libpng could not start";
        }
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The buffer drawing goes to (the back buffer when double-buffered: reading the front buffer of a
// double-buffered window gives black on Mesa's software drivers), bottom row first, three bytes a pixel with
// no row padding. The caller's pixel packing state and read buffer are restored.
std::vector<unsigned char> readDrawBuffer(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    GLint readBuffer = GL_BACK, drawBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    glReadBuffer(static_cast<GLenum>(drawBuffer));
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glPopClientAttrib();
    return pixels;
}

}  // namespace

bool ktuSaveScreenshot(const char* path) {
    if (path == nullptr || path[0] == '\0') return fail("no file name given");
    // GLUT ends the process when queried before glutInit, so the window's existence is asked first.
    if (!ktuWindowIsOpen() || glutGetWindow() == 0) return fail("no window yet (ktuOpen has not run)");
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width <= 0 || height <= 0) {
        return fail("the window has no pixels (" + std::to_string(width) + " x " + std::to_string(height) +
                    ")");
    }
    std::vector<unsigned char> pixels;
    std::vector<png_bytep> rows;
    try {
        pixels = readDrawBuffer(width, height);
        rows.resize(static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return fail("no memory for a " + std::to_string(width) + " x " + std::to_string(height) + " picture");
    }
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int r = 0; r < height; ++r) rows[r] = pixels.data() + static_cast<size_t>(height - 1 - r) * stride;

    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return fail(std::string("cannot write ") + path + ": " + std::strerror(errno));
    struct stat target;
    const bool regular = fstat(fileno(file), &target) == 0 && S_ISREG(target.st_mode);

    std::string error;
    bool written = writePng(file, width, height, rows.data(), error);
    // Buffered bytes reach the file only now: a full disk shows here, not in libpng.
    if (written && (std::fflush(file) != 0 || std::ferror(file) != 0)) {
        error = std::strerror(errno);
        written = false;
    }
    if (std::fclose(file) != 0 && written) {
        error = std::strerror(errno);
        written = false;
    }
    if (!written) {
        if (regular) std::remove(path);
        return fail(std::string("cannot write ") + path + ": " + error);
    }
    return true;
}
