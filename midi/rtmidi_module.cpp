// The RtMidi backend as a loadable module (midi/platform_module.h).
#include "midi/platform_module.h"
#include "midi/rtmidi_platform.h"

#include <cstdio>
#include <exception>
#include <type_traits>

#ifdef _WIN32
#define HRZ_MODULE_EXPORT __declspec(dllexport)
#else
#define HRZ_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" HRZ_MODULE_EXPORT IMidiPlatform* HrzCreateMidiPlatform(char* error,
                                                                  std::size_t errorSize) {
    try {
        // Owned by the loader's unique_ptr from here on.
        return std::make_unique<TRtMidiPlatform>().release();
    } catch (const std::exception& e) {
        std::snprintf(error, errorSize, "%s", e.what());
    } catch (...) {
        std::snprintf(error, errorSize, "the RtMidi backend did not start");
    }
    return nullptr;
}

static_assert(std::is_same_v<decltype(&HrzCreateMidiPlatform), TMidiModuleEntry>);
