// The font table: 50 slots, each an opaque font pointer and a name of up to 127 characters.
// ktuTextInit empties every slot and leaves no current font (-1).
#include "framework/ktu.h"

ktFont* ktutFontList[ktutFontSlots] = {};
char ktutFontNames[ktutFontSlots][128] = {};
int ktutCurrentFont = 0;
bool ktuTextInited = false;

void ktuTextInit() {
    for (int slot = 0; slot < ktutFontSlots; slot++) {
        ktutFontList[slot] = nullptr;
        ktutFontNames[slot][0] = '\0';
    }
    ktutCurrentFont = -1;
    ktuTextInited = true;
}
