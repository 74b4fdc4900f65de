// The main window's tests of what the unit sent: status replies, preset and
// table dumps, the title and preset number read from them.
#include "fuzz/fuzz_input.h"
#include "model/hrz_messages.h"
#include "model/preset.h"
#include "model/unit_location.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace HrzMessages;
    TFuzzInput input(data, size);
    input.Byte();
    const auto bytes = input.Rest();
    const std::uint8_t* b = bytes.data();
    const std::size_t n = bytes.size();
    const bool item = IsItemValueReply(b, n);
    const bool preset = IsPresetDump(b, n);
    const bool table = IsMptDump(b, n, false);
    const bool older = IsMptDump(b, n, true);
    if (item + preset + table + older > 1)
        std::abort(); // one message is one thing
    if (preset && n != PresetDumpLength)
        std::abort();
    const std::string title = PresetTitle(b, n);
    if (title.size() > 16)
        std::abort();
    if (item && n > 7 && b[6] < 0x80) { // data bytes, as a cable delivers them
        const int number = ReportedPresetNumber(b[6], b[7]);
        if (number < 1 || number > 256)
            std::abort();
    }
    if (n > 6)
        (void)BankLetter(b[6]);
    return 0;
}
