// Settings programs from untrusted bytes; see ktSettingsProgram.h. The model below holds its own
// copy of every setting and its own table of identifiers, so the registry is compared with facts
// that do not come from its code.
#include "fuzz/ktSettingsProgram.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/ktu.h"
#include "support/ktCapture.h"

namespace {

const int maxCalls = 256;

// Every global the registry reaches, with its value after ktuOpen.
struct Global {
    int* variable;
    int start;
};
const Global globals[] = {
    {&ktuDebugLevel, 3},         {&ktuWindowWidth, 0},
    {&ktuWindowHeight, 0},       {&ktuScreenGrabQuality, 100},
    {&ktuScreenGrabFormat, 40},  {&ktuScreenGrabX, 0},
    {&ktuScreenGrabY, 0},        {&ktuScreenGrabWidth, 0},
    {&ktuScreenGrabHeight, 0},   {&ktuTimeStep, 1},
    {&ktuVideoWidth, 0},         {&ktuVideoHeight, 0},
    {&ktuVideoArrayWidth, 0},    {&ktuVideoArrayHeight, 0},
    {&ktuVideoFPS, 15},          {&ktuVideoProxyCount, -1},
    {&ktuVideoProxyRawWidth, 0}, {&ktuVideoProxyRawHeight, 0},
};
const int globalCount = sizeof(globals) / sizeof(globals[0]);

// Identifiers: the positions in `globals` of their values, in array order.
struct Entry {
    short id;
    bool writable;
    int count;
    int at[4];
};
const Entry table[] = {
    {10, true, 1, {0}},    {22, false, 1, {1}},      {23, false, 1, {2}},         {24, true, 2, {1, 2}},
    {29, true, 1, {3}},    {31, true, 1, {4}},       {32, true, 1, {5}},          {33, true, 1, {6}},
    {34, true, 1, {7}},    {35, true, 1, {8}},       {36, true, 4, {5, 6, 7, 8}}, {42, true, 1, {9}},
    {200, false, 1, {10}}, {201, false, 1, {11}},    {202, false, 2, {10, 11}},   {203, true, 1, {12}},
    {204, true, 1, {13}},  {205, true, 2, {12, 13}}, {207, true, 1, {14}},        {208, true, 1, {15}},
    {210, true, 1, {16}},  {211, true, 1, {17}},
};

const Entry* lookUp(short id) {
    for (const Entry& e : table)
        if (e.id == id) return &e;
    return nullptr;
}

const char* const badGet = "Bad parameter passed to ktuGetIntegerv\n";
const char* const badSet = "Bad parameter passed to ktuSetIntegerv\n";

class Program {
public:
    Program(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    int integer() {
        uint32_t w = 0;
        for (int i = 0; i < 4; i++) w |= static_cast<uint32_t>(byte()) << (8 * i);
        int value;
        std::memcpy(&value, &w, 4);
        return value;
    }
    // Mostly near the listed identifiers, sometimes any 16-bit value.
    short id() {
        const uint8_t sel = byte();
        if (sel < 230) return static_cast<short>(sel < 60 ? sel - 5 : 140 + sel);
        return static_cast<short>(static_cast<uint16_t>(byte() | byte() << 8));
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

template <typename F>
std::string captureStderr(F&& call) {
    return ktCaptured(stderr, call);
}

class Machine {
public:
    Machine() {
        for (int g = 0; g < globalCount; g++) model_[g] = *globals[g].variable = globals[g].start;
    }
    ~Machine() {
        std::free(ktuScreenGrabBuffer);
        std::free(ktuScreenGrabFlipper);
        ktuScreenGrabBuffer = ktuScreenGrabFlipper = nullptr;
    }

    std::string run(Program& p) {
        for (int call = 0; call < maxCalls && !p.done(); call++) {
            std::string fault = step(p);
            for (int g = 0; fault.empty() && g < globalCount; g++)
                if (*globals[g].variable != model_[g])
                    fault = "setting " + std::to_string(g) + " differs from the model";
            if (!fault.empty()) return "call " + std::to_string(call) + ": " + fault;
        }
        return "";
    }

private:
    // What a level-2 report prints under the current threshold.
    std::string report(const char* message) const { return model_[0] >= 2 ? message : ""; }

    static std::string expect(const std::string& printed, const std::string& wanted) {
        if (printed == wanted) return "";
        return "printed \"" + printed + "\", expected \"" + wanted + "\"";
    }

    std::string step(Program& p) {
        const uint8_t op = p.byte() % 6;
        const short id = p.id();
        const Entry* e = lookUp(id);
        switch (op) {
            case 0: {  // read into an array wider than any setting; nothing may land past the count
                int values[6];
                for (int& v : values) v = 0x5A5A5A5A;
                const std::string printed = captureStderr([&] { ktuGetIntegerv(id, values); });
                const int count = e != nullptr ? e->count : 0;
                for (int k = 0; k < 6; k++) {
                    const int wanted = k < count ? model_[e->at[k]] : 0x5A5A5A5A;
                    if (values[k] != wanted)
                        return "read value " + std::to_string(k) + " of id " + std::to_string(id);
                }
                return expect(printed, e != nullptr ? "" : report(badGet));
            }
            case 1: {  // write any values
                int values[4];
                for (int& v : values) v = p.integer();
                const bool wrote = e != nullptr && e->writable;
                const std::string printed = captureStderr([&] { ktuSetIntegerv(id, values); });
                if (wrote) {
                    for (int k = 0; k < e->count; k++) model_[e->at[k]] = values[k];
                    if (id == 24 && (ktuScreenGrabBuffer != nullptr || ktuScreenGrabFlipper != nullptr))
                        return "window size kept the screen-grab blocks";
                }
                return expect(printed, wrote ? "" : report(badSet));
            }
            case 2: {  // the single-value read
                int got = 0;
                const std::string printed = captureStderr([&] { got = ktuGetInteger(id); });
                if (e != nullptr && got != model_[e->at[0]])
                    return "ktuGetInteger of id " + std::to_string(id);
                return expect(printed, e != nullptr ? "" : report(badGet));
            }
            case 3: {  // a diagnostic at any level but the fatal one
                short level = static_cast<short>(p.integer());
                if (level == 1) level = 2;
                char text[17];
                for (char& c : text) c = static_cast<char>(p.byte() % 95 + 32);
                text[p.byte() % 17] = '\0';
                text[16] = '\0';
                const std::string printed = captureStderr([&] { ktuDebug(level, text); });
                return expect(printed, level <= model_[0] ? std::string(text) + "\n" : "");
            }
            case 4: {  // any threshold, straight into the global as an application may
                model_[0] = ktuDebugLevel = p.integer();
                return "";
            }
            default: {  // screen-grab blocks as a grabbing application leaves them
                if (ktuScreenGrabBuffer == nullptr)
                    ktuScreenGrabBuffer = static_cast<unsigned char*>(std::malloc(16));
                if (p.byte() & 1 && ktuScreenGrabFlipper == nullptr)
                    ktuScreenGrabFlipper = static_cast<unsigned char*>(std::malloc(16));
                return "";
            }
        }
    }

    int model_[globalCount];
};

}  // namespace

std::string ktRunSettingsProgram(const uint8_t* data, size_t size) {
    Program program(data, size);
    Machine machine;
    return machine.run(program);
}

std::vector<ktSettingRow> ktSettingTable() {
    std::vector<ktSettingRow> rows;
    for (const Entry& e : table) {
        rows.push_back({e.id, e.writable, {}});
        for (int k = 0; k < e.count; k++) rows.back().globals.push_back(globals[e.at[k]].variable);
    }
    return rows;
}
