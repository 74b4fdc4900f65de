// The backup journal is a text file in the backup folder that anything may
// have changed: any text parses to a journal or to nothing, a journal it
// gives formats and parses back to itself, and resuming from it stays inside
// the run it describes.
#include "model/backup_journal.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto journal = ParseBackupJournal(text);
    if (!journal)
        return 0;
    const auto again = ParseBackupJournal(FormatBackupJournal(*journal));
    if (!again || !(again->Choices == journal->Choices) || again->LastBank != journal->LastBank ||
        again->LastNumber != journal->LastNumber)
        std::abort();
    if (const auto position = ResumePosition(*journal)) {
        if (position->Bank < 0 || position->Bank > 3 || position->Index < 0 ||
            position->Index >= 200 ||
            (journal->Choices.PreExpress
                 ? position->Bank != 0
                 : !journal->Choices.Banks[static_cast<std::size_t>(position->Bank)]))
            std::abort();
        const int before = PresetsBefore(journal->Choices, *position);
        if (before < 0 || before > 800)
            std::abort();
    }
    return 0;
}
