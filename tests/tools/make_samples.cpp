// Writes the files hrzctl is compared on across systems: a preset (.hrz), a
// program table (.mpt) and a bank's bulk dump (.syx), from the virtual unit's
// factory memory, into the given folder; one name is not ASCII ("Préset П.hrz").
#include "model/stream.h"
#include "tests/tools/unit_replies.h"
#include "unit/virtual_unit.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Write(const std::string& path, const Bytes& bytes) {
    WriteFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    THrzVirtualUnit unit{TUnitOptions{}};
    unit.Receive(UnitRequest(unit, {THrzVirtualUnit::CmdItemValue, THrzVirtualUnit::ItemBank, 1}));
    const Bytes bank =
        Concatenated(unit.Receive(UnitRequest(unit, {unit.AllPresetsRequestCommand()})));
    Write(folder + "bank B.syx", bank);
    Write(folder + "preset.hrz", Bytes(bank.begin() + 3 * 252, bank.begin() + 4 * 252));
    Write(folder + "Pr\xc3\xa9set \xd0\x9f.hrz",
          Bytes(bank.begin() + 5 * 252, bank.begin() + 6 * 252));
    Write(folder + "table.mpt",
          Concatenated(unit.Receive(UnitRequest(unit, {unit.TableRequestCommand()}))));
    return 0;
}
