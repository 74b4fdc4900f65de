// Writes the seed inputs of every fuzz target into corpus/<target>/seed-*: real
// dumps and replies of the virtual unit, and the inputs known to break MIDI
// parsers elsewhere. Run again after the formats change:
//   build-fuzz/fuzz/make_seeds fuzz/corpus
#include "fuzz/fuzz_input.h"
#include "model/mpt.h"
#include "model/stream.h"
#include "unit/factory_presets.h"
#include "unit/unit_memory.h"
#include "unit/virtual_unit.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path gRoot;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path dir = gRoot / target;
    fs::create_directories(dir);
    std::ofstream out(dir / ("seed-" + name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Preset(int bank, int index, bool preExpress = false) {
    const auto d = FactoryPresetDump(bank, index, preExpress);
    return Bytes(d.begin(), d.end());
}

Bytes Table(bool preExpress) {
    Tmpt table;
    table.SetDefaults();
    table.Command = Tmpt::MptCommand(preExpress);
    TMemoryStream stream;
    table.SaveToStream(stream, preExpress);
    return stream.Bytes();
}

Bytes Request(std::uint8_t command, std::initializer_list<std::uint8_t> args = {}) {
    Bytes b{0xF0, 0x1A, 0x00, 0x12, command};
    b.insert(b.end(), args.begin(), args.end());
    b.push_back(0xF7);
    return b;
}

// Inputs that broke MIDI parsers elsewhere, as named byte strings.
std::vector<std::pair<std::string, Bytes>> Breakers() {
    Bytes long10001(10001, 0x11);
    long10001.front() = 0xF0;
    long10001.back() = 0xF7;
    Bytes preset = Preset(0, 1);
    Bytes status = preset;
    status[100] = 0x90; // a status byte inside a sysex
    Bytes realtime = preset;
    realtime.insert(realtime.begin() + 50, 0xF8); // clock inside a sysex
    realtime.insert(realtime.begin() + 150, 0xFE);
    Bytes high = preset;
    high[121] = 0xF0; // title bytes that are not data bytes
    high[123] = 0xF7;
    high[30] = 0x80;
    Bytes p251 = preset, p253 = preset;
    p251.pop_back();
    p253.push_back(0xF7);
    return {
        {"empty", {}},
        {"one", {0xF0}},
        {"empty-sysex", {0xF0, 0xF7}},
        {"no-end", {0xF0, 0x1A, 0x00, 0x12, 0x05, 0x01, 0x02}},
        {"status-inside", status},
        {"realtime-inside", realtime},
        {"high-data", high},
        {"len251", p251},
        {"len253", p253},
        {"len10001", long10001},
        {"running-status",
         {0x90, 0x40, 0x7F, 0x41, 0x7F, 0xB0, 0x00, 0x01, 0x20, 0x02, 0xC0, 0x05}},
        {"stray", {0x12, 0x34, 0xF7, 0xF7, 0xF0, 0xF0, 0xF7}},
        {"common", {0xF1, 0x10, 0xF2, 0x01, 0x02, 0xF3, 0x05, 0xF6, 0xF4, 0xF5, 0xF9, 0xFD}},
    };
}

// Real traffic: replies of the virtual unit to every request, back to back.
std::vector<std::pair<std::string, Bytes>> UnitTraffic(bool preExpress) {
    TUnitOptions options;
    options.PreExpress = preExpress;
    THrzVirtualUnit unit(options);
    std::vector<std::pair<std::string, Bytes>> out;
    const auto replies = [&](const Bytes& request) {
        Bytes all;
        for (const auto& block : unit.Receive(request))
            all.insert(all.end(), block.begin(), block.end());
        return all;
    };
    const std::string model = preExpress ? "pre-" : "";
    out.push_back({model + "current", replies(Request(0x45))});
    out.push_back({model + "table", replies(Request(unit.TableRequestCommand()))});
    out.push_back(
        {model + "items", Cat({replies(Request(0x43, {0x00})), replies(Request(0x43, {0x09})),
                               replies(Request(0x43, {0x40}))})});
    Bytes bulk = replies(Request(unit.AllPresetsRequestCommand()));
    bulk.resize(252 * 8); // eight dumps are plenty for a seed
    out.push_back({model + "bulk8", bulk});
    return out;
}

Bytes HexText(const Bytes& bytes) {
    std::string text;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", bytes[i]);
        text += buf;
        if (i % 16 == 15)
            text += '\n';
    }
    return Bytes(text.begin(), text.end());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_FOLDER\n");
        return 2;
    }
    gRoot = argv[1];
    const auto breakers = Breakers();
    const auto traffic = UnitTraffic(false);
    const auto older = UnitTraffic(true);

    // Dump readers: a model byte, then the dump.
    for (int i = 0; i < 8; ++i)
        Write("fuzz_model_dumps", "preset" + std::to_string(i),
              Cat({{0}, Preset(i % 4, i * 23 + 5)}));
    Write("fuzz_model_dumps", "table", Cat({{0}, Table(false)}));
    Write("fuzz_model_dumps", "pre-table", Cat({{1}, Table(true)}));
    Write("fuzz_model_dumps", "pre-preset", Cat({{1}, Preset(0, 7, true)}));
    for (const auto& [name, bytes] : breakers)
        Write("fuzz_model_dumps", name, Cat({{0}, bytes}));

    // Byte streams: the same traffic and breakers, with a model or chunking byte first.
    for (const char* target : {"fuzz_unit_parser", "fuzz_split_stream", "fuzz_hrzctl",
                               "fuzz_reply_recognisers", "fuzz_buffer_file"}) {
        for (const auto& [name, bytes] : breakers)
            Write(target, name, Cat({{0x03}, bytes}));
        for (const auto& [name, bytes] : traffic)
            Write(target, name, Cat({{0x05}, bytes}));
        for (const auto& [name, bytes] : older)
            Write(target, name, Cat({{0x01}, bytes}));
    }
    Write("fuzz_hrzctl", "with-table", Cat({{0}, Preset(1, 2), Table(false), Preset(2, 3)}));

    // The unit: options, then requests and dumps as a librarian sends them.
    const Bytes store = Cat({Preset(3, 9), Request(0x0A, {0x05, 0x00})});
    const Bytes requests =
        Cat({Request(0x45), Request(0x43, {0x00}), Request(0x43, {0x09}), Request(0x43, {0x40}),
             Request(0x53), Request(0x52), Request(0x03, {0x09, 0x02}), Request(0x03, {0x00, 0x01}),
             Request(0x09, {0x10, 0x01})});
    const Bytes program = {0xB0, 0x00, 0x00, 0xB0, 0x20, 0x01, 0xC0, 0x22};
    Write("fuzz_unit_messages", "requests", Cat({{0, 0}, requests}));
    Write("fuzz_unit_messages", "store", Cat({{0, 0}, store}));
    Write("fuzz_unit_messages", "program", Cat({{0x04, 0}, program, Request(0x45)}));
    Write("fuzz_unit_messages", "table", Cat({{0, 0}, Table(false), Request(0x53)}));
    Write("fuzz_unit_messages", "pre", Cat({{0x01, 0}, Request(0x4B), Request(0x4C), Table(true)}));
    Write("fuzz_unit_messages", "faults", Cat({{0xF8, 0x33}, requests}));
    for (const auto& [name, bytes] : breakers)
        Write("fuzz_unit_messages", name, Cat({{0, 0}, bytes}));

    // The unit's memory file, both models, and damaged forms of it.
    for (bool pre : {false, true}) {
        THrzUnitMemory memory(pre);
        memory.CurrentBank = pre ? 0 : 2;
        memory.CurrentPreset = 150;
        const auto bytes = memory.Serialize();
        const std::string model = pre ? "pre-" : "";
        Write("fuzz_unit_memory", model + "memory", Cat({{static_cast<std::uint8_t>(pre)}, bytes}));
        Bytes cut = bytes;
        cut.resize(cut.size() / 2);
        Write("fuzz_unit_memory", model + "cut", Cat({{static_cast<std::uint8_t>(pre)}, cut}));
    }

    // Events: status, two data bytes, then the sysex bytes.
    Write("fuzz_event_text", "note", {0x90, 0x40, 0x7F});
    Write("fuzz_event_text", "program", {0xC3, 0x05, 0x00});
    Write("fuzz_event_text", "clock", {0xF8, 0x00, 0x00});
    Write("fuzz_event_text", "song", {0xF2, 0x10, 0x20});
    for (const auto& [name, bytes] : traffic)
        Write("fuzz_event_text", name, Cat({{0xF0, 0, 0}, bytes}));
    for (const auto& [name, bytes] : breakers)
        Write("fuzz_event_text", name, Cat({{0xF0, 0, 0}, bytes}));

    // The message buffer's hex text.
    for (const auto& [name, bytes] : traffic)
        Write("fuzz_hex_text", name, HexText(bytes));
    Write("fuzz_hex_text", "odd", {'F', '0', ' ', '1'});
    Write("fuzz_hex_text", "not-hex", {'F', '0', ' ', 'X', 'Y', '\n', 'F', '7'});
    Write("fuzz_hex_text", "too-long", HexText(Bytes(10001, 0x22)));
    Write("fuzz_hex_text", "blanks", {' ', ' ', '\n', '\t', '\r', 'a', 'b'});

    // MIDI input: a header choosing the buffers, then records (see fuzz_input.h).
    for (const char* target : {"fuzz_midi_input", "fuzz_rtmidi_delivery"}) {
        TFuzzRecords records;
        records.Header(512, 4);
        for (const auto& [name, bytes] : traffic)
            records.Sysex(bytes);
        records.Short(0x90, 0x40, 0x7F);
        records.Read();
        for (const auto& [name, bytes] : breakers)
            records.Sysex(bytes);
        records.Read();
        Write(target, "traffic", records.Bytes());

        TFuzzRecords small;
        small.Header(16, 2);
        small.Sysex(Preset(0, 0));
        small.Short(0xFE, 0, 0);
        small.Sysex({0xF0, 0xF7});
        small.Read();
        small.Sysex(Bytes(10001, 0x05));
        small.Read();
        Write(target, "small-buffers", small.Bytes());
    }

    // Settings: an INI file as the program writes it, and damaged ones.
    const std::string ini = "[SOFTWARE]\n"
                            "Lumivale%2FHRZ2000e\\MIDI_IN=HRZ2000 virtual unit\n"
                            "Lumivale%2FHRZ2000e\\MIDI_OUT=HRZ2000 virtual unit\n"
                            "Lumivale%2FHRZ2000e\\MIDI_OUT_CH=3\n"
                            "Lumivale%2FHRZ2000e\\HRZReqDelay=1000\n"
                            "Lumivale%2FHRZ2000e\\PRE_EXPRESS=0\n"
                            "Lumivale%2FHRZ2000e\\frmMain.Top=10\n"
                            "Lumivale%2FHRZ2000e\\frmMain.Width=800\n"
                            "Lumivale%2FHRZ2000e\\LPW=-5\n";
    Write("fuzz_settings_values", "program", Bytes(ini.begin(), ini.end()));
    const std::string bad = "[SOFTWARE\nLumivale%2FHRZ2000e\\HRZReqDelay=x\n\\=\n[]\n=\n%ZZ=1\n";
    Write("fuzz_settings_values", "damaged", Bytes(bad.begin(), bad.end()));
    Write("fuzz_settings_values", "binary", Cat({Preset(0, 0)}));
    return 0;
}
