// The settings registry and the diagnostic channel. Each 16-bit identifier stands for one to four
// framework globals, copied in table order to or from the caller's int array; the registry keeps no
// storage of its own and tests no range. A bad identifier is reported at level 2 and changes
// nothing. ktuDebug prints one line on standard error when its level is within ktuDebugLevel and
// ends the process with status -1 for level 1.
#include <cstdio>
#include <cstdlib>

#include "framework/ktu.h"
#include "framework/ktuWindow.h"

namespace {

const char* const badGetMessage = "Bad parameter passed to ktuGetIntegerv";
const char* const badSetMessage = "Bad parameter passed to ktuSetIntegerv";

struct Setting {
    short id;
    bool writable;
    int count;
    int* globals[4];
};

// Every identifier the registry knows; any other is invalid for reading and writing.
const Setting settings[] = {
    {KTU_DEBUG_LEVEL, true, 1, {&ktuDebugLevel}},
    {KTU_WINDOW_WIDTH, false, 1, {&ktuWindowWidth}},
    {KTU_WINDOW_HEIGHT, false, 1, {&ktuWindowHeight}},
    {KTU_WINDOW_SIZE, true, 2, {&ktuWindowWidth, &ktuWindowHeight}},
    {KTU_SCREEN_GRAB_QUALITY, true, 1, {&ktuScreenGrabQuality}},
    {KTU_SCREEN_GRAB_FORMAT, true, 1, {&ktuScreenGrabFormat}},
    {KTU_SCREEN_GRAB_X, true, 1, {&ktuScreenGrabX}},
    {KTU_SCREEN_GRAB_Y, true, 1, {&ktuScreenGrabY}},
    {KTU_SCREEN_GRAB_WIDTH, true, 1, {&ktuScreenGrabWidth}},
    {KTU_SCREEN_GRAB_HEIGHT, true, 1, {&ktuScreenGrabHeight}},
    {KTU_SCREEN_GRAB_RECT,
     true,
     4,
     {&ktuScreenGrabX, &ktuScreenGrabY, &ktuScreenGrabWidth, &ktuScreenGrabHeight}},
    {KTU_TIME_STEP, true, 1, {&ktuTimeStep}},
    {KTU_VIDEO_WIDTH, false, 1, {&ktuVideoWidth}},
    {KTU_VIDEO_HEIGHT, false, 1, {&ktuVideoHeight}},
    {KTU_VIDEO_SIZE, false, 2, {&ktuVideoWidth, &ktuVideoHeight}},
    {KTU_VIDEO_ARRAY_WIDTH, true, 1, {&ktuVideoArrayWidth}},
    {KTU_VIDEO_ARRAY_HEIGHT, true, 1, {&ktuVideoArrayHeight}},
    {KTU_VIDEO_ARRAY_SIZE, true, 2, {&ktuVideoArrayWidth, &ktuVideoArrayHeight}},
    {KTU_VIDEO_FPS, true, 1, {&ktuVideoFPS}},
    {KTU_VIDEO_PROXY_COUNT, true, 1, {&ktuVideoProxyCount}},
    {KTU_VIDEO_PROXY_RAW_WIDTH, true, 1, {&ktuVideoProxyRawWidth}},
    {KTU_VIDEO_PROXY_RAW_HEIGHT, true, 1, {&ktuVideoProxyRawHeight}},
};

const Setting* findSetting(short id) {
    for (const Setting& setting : settings) {
        if (setting.id == id) return &setting;
    }
    return nullptr;
}

// The size globals take the new values at once; the window system's answer arrives later through
// the reshape callback. Screen grabs are sized by the window, so their buffers are released.
void setWindowSize(int width, int height) {
    ktuWindowWidth = width;
    ktuWindowHeight = height;
    ktuRequestWindowSize(width, height);
    if (ktuScreenGrabBuffer != nullptr) std::free(ktuScreenGrabBuffer);
    if (ktuScreenGrabFlipper != nullptr) std::free(ktuScreenGrabFlipper);
    ktuScreenGrabBuffer = nullptr;
    ktuScreenGrabFlipper = nullptr;
}

}  // namespace

void ktuDebug(short level, const char* text) {
    if (static_cast<int>(level) <= ktuDebugLevel) {
        std::fprintf(stderr, "%s\n", text != nullptr ? text : "");
    }
    if (level == 1) std::exit(-1);
}

void ktuGetIntegerv(short id, int* values) {
    const Setting* setting = findSetting(id);
    if (setting == nullptr || values == nullptr) {
        ktuDebug(2, badGetMessage);
        return;
    }
    for (int i = 0; i < setting->count; i++) values[i] = *setting->globals[i];
}

void ktuSetIntegerv(short id, const int* values) {
    const Setting* setting = findSetting(id);
    if (setting == nullptr || !setting->writable || values == nullptr) {
        ktuDebug(2, badSetMessage);
        return;
    }
    if (id == KTU_WINDOW_SIZE) {
        setWindowSize(values[0], values[1]);
        return;
    }
    for (int i = 0; i < setting->count; i++) *setting->globals[i] = values[i];
}

int ktuGetInteger(short id) {
    // Room for the widest setting, so a two- or four-value identifier yields its first value.
    int values[4] = {0, 0, 0, 0};
    ktuGetIntegerv(id, values);
    return values[0];
}
