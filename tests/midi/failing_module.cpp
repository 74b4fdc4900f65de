// A MIDI backend module whose backend cannot start: it says why when
// HRZ_FAILING_MODULE_TEXT is set, and says nothing otherwise.
#include "midi/platform_module.h"

#include <cstdlib>
#include <cstring>

extern "C" __attribute__((visibility("default"))) mm::IMidiPlatform*
HrzCreateMidiPlatform(char* error, std::size_t errorSize) {
    if (const char* text = std::getenv("HRZ_FAILING_MODULE_TEXT"); text && errorSize > 0) {
        std::strncpy(error, text, errorSize - 1);
        error[errorSize - 1] = '\0';
    }
    return nullptr;
}
