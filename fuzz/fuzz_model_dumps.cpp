// Feeds arbitrary bytes to everything that reads dumps from files or the wire: the
// preset dump, the digital group check and edits on top of it, and the program table.
#include "model/catalogue.h"
#include "model/device_globals.h"
#include "model/digital_groups.h"
#include "model/errors.h"
#include "model/mpt.h"
#include "model/preset.h"
#include "model/stream.h"
#include "model/value_text.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void CheckFrame(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 1; i + 1 < bytes.size(); ++i)
        if (bytes[i] >= 0x80)
            std::abort();
}

void FuzzPreset(const std::vector<std::uint8_t>& input) {
    TPreset preset;
    TMemoryStream in(input);
    try {
        preset.ReadDump(in);
    } catch (const EHrzError&) {
        return;
    }
    TDigitalSelection selection(preset);
    selection.LoadFromPreset();
    for (int k = 0; k < TPreset::PerfCount; ++k)
        (void)preset.ResolvePerfParam(k);
    for (const auto& p : Catalogue::AllParams())
        if (p.Slot >= 0)
            (void)ValueText(p, preset.Params[static_cast<std::size_t>(p.Slot)]);
    // Edits on a damaged preset must keep it consistent.
    const std::uint8_t pick = input.size() > 200 ? input[200] : 0;
    const auto lines = DigitalGroups::PickListLines();
    selection.PickGroup(pick % static_cast<int>(lines.size()));
    if (!selection.Available().empty())
        selection.Add(selection.Available()[pick % selection.Available().size()]);
    if (preset.DigitalGroup() < 0 || preset.DigitalGroup() >= DigitalGroups::ActiveGroupCount())
        std::abort();
    TMemoryStream out;
    preset.WriteDump(out);
    if (out.Size() != TPreset::DumpSize)
        std::abort();
    // What was written reads back to a record that writes the same bytes
    // again. A damaged dump's values above 255 are trusted as they come and
    // only fit a pair once written (a performance entry's parameter 16385 is
    // written as 1, and then drives P0): the bytes of the second write are the
    // fixed point.
    TPreset again;
    again.ReadDump(out);
    TMemoryStream second;
    again.WriteDump(second);
    TPreset third;
    third.ReadDump(second);
    if (third.IsChanged())
        std::abort();
}

void FuzzTable(const std::vector<std::uint8_t>& input, bool preExpress) {
    Tmpt table;
    TMemoryStream in(input);
    try {
        table.LoadFromStream(in, preExpress);
    } catch (const EHrzError&) {
        return;
    }
    TMemoryStream out;
    table.SaveToStream(out, preExpress);
    CheckFrame(out.Bytes());
    Tmpt again;
    out.SetPosition(0);
    again.LoadFromStream(out, preExpress);
    TMemoryStream twice;
    again.SaveToStream(twice, preExpress);
    if (twice.Bytes() != out.Bytes())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the unit model; the rest is the dump.
    const bool preExpress = data[0] & 1;
    SetPreExpressMode(preExpress);
    const std::vector<std::uint8_t> input(data + 1, data + size);
    FuzzPreset(input);
    FuzzTable(input, preExpress);
    return 0;
}
