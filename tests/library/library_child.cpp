// Writes to a library until it is killed, and says on standard output what it has
// committed: "added K" once folder K is in, "recorded N" once record N is.
//
// library_child DB add FOLDER...   adds the folders one after another
// library_child DB record          records presets from the unit, endlessly
#include "library/preset_library.h"
#include "unit/factory_presets.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    TPresetLibrary lib(argv[1]);
    const std::string mode = argv[2];
    std::printf("ready\n");
    std::fflush(stdout);
    if (mode == "add") {
        for (int k = 3; k < argc; ++k) {
            lib.Add({argv[k]});
            std::printf("added %d\n", k - 3);
            std::fflush(stdout);
        }
        return 0;
    }
    for (long n = 0;; ++n) {
        const int bank = static_cast<int>(n / 200 % 4), number = static_cast<int>(n % 200);
        lib.RecordFromUnit(FactoryPresetDump(bank, number, false), "backup run", bank, number + 1);
        std::printf("recorded %ld\n", n);
        std::fflush(stdout);
    }
}
