#include "model/backup_journal.h"

#include "model/errors.h"
#include "model/file_path.h"
#include "model/stream.h"

#include <charconv>
#include <filesystem>
#include <map>
#include <sstream>
#include <system_error>

namespace {

constexpr const char* kHeading = "HRZ2000e backup journal";
constexpr const char* kLetters = "ABCD";

std::string JournalPath(const std::string& folder) {
    return Utf8FromPath(PathFromUtf8(folder) / BackupJournalFileName);
}

std::optional<int> Number(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || at != end)
        return std::nullopt;
    return value;
}

// The chosen banks in run order: just bank 0 for Pre-Express.
std::array<bool, 4> RunBanks(const TBackupChoices& choices) {
    return choices.PreExpress ? std::array<bool, 4>{true, false, false, false} : choices.Banks;
}

int FirstBank(const TBackupChoices& choices) {
    const auto banks = RunBanks(choices);
    for (int b = 0; b < 4; ++b)
        if (banks[static_cast<std::size_t>(b)])
            return b;
    return -1;
}

} // namespace

std::string FormatBackupJournal(const TBackupJournal& journal) {
    const TBackupChoices& c = journal.Choices;
    std::string banks;
    for (int b = 0; b < 4; ++b)
        if (c.Banks[static_cast<std::size_t>(b)])
            banks += kLetters[b];
    std::ostringstream out;
    out << kHeading << '\n'
        << "model=" << (c.PreExpress ? "pre-express" : "express") << '\n'
        << "banks=" << banks << '\n'
        << "first=" << c.First << '\n'
        << "last=" << c.Last << '\n'
        << "loop=" << (c.ByPresetNumber ? "preset number" : "program change") << '\n'
        << "untitled=" << c.UntitledName << '\n'
        << "done=";
    if (journal.LastBank < 0)
        out << "none";
    else
        out << kLetters[journal.LastBank] << ' ' << journal.LastNumber;
    out << '\n';
    return out.str();
}

std::optional<TBackupJournal> ParseBackupJournal(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    const auto readLine = [&] {
        if (!std::getline(in, line))
            return false;
        // Line ends of any system; a value never ends in a carriage return.
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    };
    if (!readLine() || line != kHeading)
        return std::nullopt;
    std::map<std::string, std::string> fields;
    while (readLine()) {
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            fields[line.substr(0, eq)] = line.substr(eq + 1);
    }
    for (const char* key : {"model", "banks", "first", "last", "loop", "untitled", "done"})
        if (!fields.count(key))
            return std::nullopt;

    TBackupJournal journal;
    TBackupChoices& c = journal.Choices;
    if (fields["model"] != "express" && fields["model"] != "pre-express")
        return std::nullopt;
    c.PreExpress = fields["model"] == "pre-express";
    for (char letter : fields["banks"]) {
        if (letter < 'A' || letter > 'D')
            return std::nullopt;
        c.Banks[static_cast<std::size_t>(letter - 'A')] = true;
    }
    // A missing number reads as 0, which no range allows (first >= 1 > last).
    const int first = Number(fields["first"]).value_or(0);
    const int last = Number(fields["last"]).value_or(0);
    if (first < 1 || last > 200 || first > last)
        return std::nullopt;
    c.First = first;
    c.Last = last;
    if (fields["loop"] != "preset number" && fields["loop"] != "program change")
        return std::nullopt;
    c.ByPresetNumber = fields["loop"] == "preset number";
    c.UntitledName = fields["untitled"];

    const std::string& done = fields["done"];
    if (done != "none") {
        if (done.size() < 3 || done[0] < 'A' || done[0] > 'D' || done[1] != ' ')
            return std::nullopt;
        const int number = Number(done.substr(2)).value_or(0);
        if (number < 1 || number > c.Last)
            return std::nullopt;
        journal.LastBank = done[0] - 'A';
        journal.LastNumber = number;
        if (!RunBanks(c)[static_cast<std::size_t>(journal.LastBank)])
            return std::nullopt;
        // The run's first bank starts at First: a number before it is not one
        // the run handled, and resuming after it would go back before the start.
        if (journal.LastBank == FirstBank(c) && number < c.First)
            return std::nullopt;
    }
    return journal;
}

std::optional<TBackupJournal> ReadBackupJournal(const std::string& folder) {
    const std::string path = JournalPath(folder);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(PathFromUtf8(path), ec))
        return std::nullopt;
    try {
        const auto bytes = ReadWholeFile(path);
        return ParseBackupJournal(std::string(bytes.begin(), bytes.end()));
    } catch (const EHrzError&) {
        return std::nullopt;
    }
}

void WriteBackupJournal(const std::string& folder, const TBackupJournal& journal) {
    const std::string text = FormatBackupJournal(journal);
    WriteFileAtomically(JournalPath(folder), reinterpret_cast<const std::uint8_t*>(text.data()),
                        text.size());
}

void RemoveBackupJournal(const std::string& folder) {
    std::error_code ec;
    std::filesystem::remove(PathFromUtf8(JournalPath(folder)), ec);
}

std::optional<TRunPosition> ResumePosition(const TBackupJournal& journal) {
    const TBackupChoices& c = journal.Choices;
    if (journal.LastBank < 0)
        return std::nullopt;
    if (journal.LastNumber < c.Last)
        return TRunPosition{journal.LastBank, journal.LastNumber};
    const auto banks = RunBanks(c);
    for (int b = journal.LastBank + 1; b < 4; ++b)
        if (banks[static_cast<std::size_t>(b)])
            return TRunPosition{b, 0};
    return std::nullopt;
}

int PresetsBefore(const TBackupChoices& choices, const TRunPosition& position) {
    const auto banks = RunBanks(choices);
    const int first = FirstBank(choices);
    int count = 0;
    for (int b = 0; b < position.Bank && b < 4; ++b)
        if (banks[static_cast<std::size_t>(b)])
            count += b == first ? choices.Last - choices.First + 1 : choices.Last;
    const int start = position.Bank == first ? choices.First - 1 : 0;
    return count + position.Index - start;
}
