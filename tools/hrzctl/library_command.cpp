// hrzctl library: the program's preset library from the command line.
#include "library/library_query.h"
#include "library/preset_library.h"
#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/json_output.h"

#include <cstdlib>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace {

std::string LibraryFile() {
    // A second library (a test, another collection) without touching the user's one.
    const char* other = std::getenv("HRZ2000E_LIBRARY");
    return other && *other ? other : DefaultLibraryPath();
}

std::string LocalTime(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    std::ostringstream out;
    out << std::put_time(&tm, "%Y-%m-%d %H:%M:%S");
    return out.str();
}

std::string UtcTime(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
#if defined(_WIN32)
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    std::ostringstream out;
    out << std::put_time(&tm, "%Y-%m-%dT%H:%M:%SZ");
    return out.str();
}

TJson RowJson(const TLibraryRow& r) {
    TJson j;
    j["id"] = r.Id;
    j["title"] = r.Title;
    j["group"] = r.Group;
    j["effects"] = r.Effects;
    j["locations"] = r.Locations;
    j["last_seen"] = UtcTime(r.LastSeen);
    return j;
}

void PrintRow(std::ostream& out, const TLibraryRow& r, const char* indent = "") {
    std::ostringstream id;
    id << '#' << r.Id;
    out << indent << std::left << std::setw(8) << id.str() << std::setw(17) << r.Title << " group "
        << std::setw(3) << r.Group << ' ' << r.Effects;
    if (!r.Locations.empty())
        out << "  [" << r.Locations << ']';
    out << '\n';
}

int Add(TPresetLibrary& lib, const TCommandOptions& o, TConsole& console) {
    const std::vector<std::string> paths(o.Files.begin() + 1, o.Files.end());
    if (paths.empty())
        throw EHrzError("library add needs a file or folder");
    const TAddReport r = lib.Add(paths);
    const auto total = lib.PresetCount();
    if (o.Json) {
        TJson j;
        j["library"] = lib.Path();
        j["files"] = r.Files;
        j["read"] = r.Read;
        j["unchanged"] = r.Unchanged;
        j["presets"] = r.Presets;
        j["new_presets"] = r.NewPresets;
        j["library_presets"] = total;
        j["skipped"] = TJson::array();
        for (const auto& s : r.Skipped) {
            TJson e;
            SetFileName(e, "path", s.Path);
            e["reason"] = s.Reason;
            j["skipped"].push_back(e);
        }
        j["changed"] = TJson::array();
        for (const auto& p : r.Changed) {
            TJson e;
            SetFileName(e, "path", p);
            j["changed"].push_back(e);
        }
        j["vanished"] = TJson::array();
        for (const auto& p : r.Vanished) {
            TJson e;
            SetFileName(e, "path", p);
            j["vanished"].push_back(e);
        }
        WriteJson(console.Out, j);
        return ExitOk;
    }
    for (const auto& p : r.Changed)
        console.Out << "changed   " << p << '\n';
    for (const auto& p : r.Vanished)
        console.Out << "vanished  " << p << '\n';
    for (const auto& s : r.Skipped)
        console.Out << "skipped   " << s.Path << ": " << s.Reason << '\n';
    console.Out << r.Files << (r.Files == 1 ? " file" : " files") << " (" << r.Read << " read, "
                << r.Unchanged << " unchanged, " << r.Skipped.size() << " skipped): " << r.Presets
                << (r.Presets == 1 ? " preset" : " presets") << ", " << r.NewPresets
                << " new; the library holds " << total << '\n';
    return ExitOk;
}

int Search(TPresetLibrary& lib, const TCommandOptions& o, TConsole& console) {
    std::string query;
    for (std::size_t i = 1; i < o.Files.size(); ++i)
        query += (i > 1 ? " " : "") + o.Files[i];
    const auto ids = lib.Search(query);
    const auto rows = lib.Rows(ids);
    if (o.Json) {
        TJson j;
        j["query"] = query;
        j["count"] = rows.size();
        j["presets"] = TJson::array();
        for (const auto& r : rows)
            j["presets"].push_back(RowJson(r));
        WriteJson(console.Out, j);
        return ExitOk;
    }
    for (const auto& r : rows)
        PrintRow(console.Out, r);
    console.Out << rows.size() << (rows.size() == 1 ? " preset" : " presets") << " found\n";
    return ExitOk;
}

int History(TPresetLibrary& lib, const TCommandOptions& o, TConsole& console) {
    int bank = -1, number = 0;
    if (o.Files.size() != 2 || !ParseUnitLocation(o.Files[1], bank, number))
        throw EHrzError("library history needs one location: A-001 .. D-200 (001 .. 200 for a "
                        "Pre-Express unit)");
    if (o.PreExpress)
        bank = -1;
    else if (bank < 0)
        throw EHrzError("location " + o.Files[1] + " needs its bank (A-" + o.Files[1] +
                        "), or --pre-express for the single-bank unit");
    const auto history = lib.History(bank, number);
    if (o.Json) {
        TJson j;
        j["location"] = UnitLocationText(bank, number);
        j["bank"] = bank >= 0 ? TJson(std::string(1, static_cast<char>('A' + bank))) : TJson();
        j["number"] = number;
        j["history"] = TJson::array();
        for (const auto& h : history) {
            TJson e;
            e["time"] = UtcTime(h.Time);
            e["id"] = h.PresetId;
            e["title"] = h.Title;
            e["source"] = h.Source;
            j["history"].push_back(e);
        }
        WriteJson(console.Out, j);
        return ExitOk;
    }
    console.Out << UnitLocationText(bank, number) << '\n';
    if (history.empty())
        console.Out << "  nothing recorded from the unit at this location\n";
    for (const auto& h : history)
        console.Out << "  " << LocalTime(h.Time) << "  " << std::left << std::setw(17) << h.Title
                    << " #" << h.PresetId << "  (" << h.Source << ")\n";
    return ExitOk;
}

int Duplicates(TPresetLibrary& lib, const TCommandOptions& o, TConsole& console) {
    if (o.Files.size() != 1)
        throw EHrzError("library duplicates takes no further arguments");
    const auto groups = lib.Duplicates();
    if (o.Json) {
        TJson j = TJson::array();
        for (const auto& g : groups) {
            TJson members = TJson::array();
            for (const auto& r : g.Presets)
                members.push_back(RowJson(r));
            j.push_back(members);
        }
        TJson doc;
        doc["groups"] = j;
        WriteJson(console.Out, doc);
        return ExitOk;
    }
    for (const auto& g : groups) {
        console.Out << "Same sound, " << g.Presets.size() << " titles:\n";
        for (const auto& r : g.Presets)
            PrintRow(console.Out, r, "  ");
    }
    console.Out << groups.size() << (groups.size() == 1 ? " sound" : " sounds")
                << " kept under more than one title\n";
    return ExitOk;
}

} // namespace

int CmdLibrary(const TCommandOptions& options, TConsole& console) {
    const std::string& verb = options.Files.front();
    using TVerb = int (*)(TPresetLibrary&, const TCommandOptions&, TConsole&);
    TVerb run = verb == "add"          ? Add
                : verb == "search"     ? Search
                : verb == "history"    ? History
                : verb == "duplicates" ? Duplicates
                                       : nullptr;
    if (!run) {
        ReportError(console, "library knows add, search, history and duplicates, not " + verb);
        return ExitFailure;
    }
    std::string notice;
    TPresetLibrary lib(LibraryFile(), &notice);
    if (!notice.empty())
        ReportWarnings(console, {notice});
    return run(lib, options, console);
}
