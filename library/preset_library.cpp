#include "library/preset_library.h"

#include "library/library_query.h"
#include "library/shown_value.h"
#include "model/backup_folder.h"
#include "model/catalogue.h"
#include "model/errors.h"
#include "model/file_path.h"
#include "model/sysex_scan.h"
#include "model/value_text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

// Each step takes the schema from the version before it to its own number.
const char* const SchemaSteps[] = {
    // 1: presets and the files that hold them.
    R"(CREATE TABLE presets(
        id INTEGER PRIMARY KEY,
        key INTEGER NOT NULL,
        sound INTEGER NOT NULL,
        dump BLOB NOT NULL,
        title TEXT NOT NULL,
        grp INTEGER NOT NULL,
        analog INTEGER NOT NULL,
        digital INTEGER NOT NULL,
        controllers TEXT NOT NULL,
        first_seen INTEGER NOT NULL,
        last_seen INTEGER NOT NULL);
      CREATE INDEX presets_key ON presets(key);
      CREATE INDEX presets_sound ON presets(sound);
      -- What searches look at besides the parameters: scanned instead of the table.
      CREATE INDEX presets_search ON presets(grp, analog, digital, controllers, sound, title);
      CREATE TABLE files(
        id INTEGER PRIMARY KEY,
        path_key INTEGER NOT NULL,
        path TEXT NOT NULL,
        size INTEGER NOT NULL,
        mtime INTEGER NOT NULL,
        state TEXT NOT NULL,
        problem TEXT NOT NULL,
        checked INTEGER NOT NULL);
      CREATE INDEX files_path_key ON files(path_key);
      CREATE TABLE holdings(
        file_id INTEGER NOT NULL,
        offset INTEGER NOT NULL,
        preset_id INTEGER NOT NULL,
        bank INTEGER NOT NULL,
        number INTEGER NOT NULL,
        PRIMARY KEY(file_id, offset)) WITHOUT ROWID;
      CREATE INDEX holdings_preset ON holdings(preset_id);)",
    // 2: the unit's history.
    R"(CREATE TABLE unit_history(
        id INTEGER PRIMARY KEY,
        time INTEGER NOT NULL,
        bank INTEGER NOT NULL,
        number INTEGER NOT NULL,
        preset_id INTEGER NOT NULL,
        source TEXT NOT NULL);
      CREATE INDEX unit_history_location ON unit_history(bank, number, time);
      CREATE INDEX unit_history_preset ON unit_history(preset_id);)",
};
static_assert(std::size(SchemaSteps) == TPresetLibrary::SchemaVersion);

constexpr std::size_t MaxFileBytes = 16u << 20;
constexpr int FilesPerTransaction = 1000;

std::int64_t SystemClock() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::span<const std::uint8_t> BlobArg(sqlite3_value* v) {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_value_blob(v));
    return {data, data ? static_cast<std::size_t>(sqlite3_value_bytes(v)) : 0};
}

std::string Lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// hrz_num(dump, op, value, number...): 1 when the shown number of one of the
// parameters whose effect is on compares so with value (op 0..5: > >= < <= = !=).
void SqlCompareNumber(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const TPackedDump dump(BlobArg(argv[0]));
    const int op = sqlite3_value_int(argv[1]);
    const double value = sqlite3_value_double(argv[2]);
    bool found = false;
    for (int i = 3; dump.Valid() && i < argc && !found; ++i) {
        const TParamInfo* info = Catalogue::FindByNumber(sqlite3_value_int(argv[i]));
        if (!info)
            continue;
        const auto raw = DumpFields::ActiveParam(
            dump, info->Number, info->Section == TParamSection::Analog ? info->Effect : -1);
        const auto n = raw ? ShownNumber(*info, *raw) : std::nullopt;
        if (!n)
            continue;
        switch (op) {
        case 0:
            found = *n > value;
            break;
        case 1:
            found = *n >= value;
            break;
        case 2:
            found = *n < value;
            break;
        case 3:
            found = *n <= value;
            break;
        case 4:
            found = *n == value;
            break;
        default:
            found = *n != value;
            break;
        }
    }
    sqlite3_result_int(ctx, found);
}

// hrz_raw(dump, op, number, mask, ...): 1 when the stored value of one of the
// parameters whose effect is on is (op 4) or is not (op 5) among the values the
// mask's bits stand for (a choice's text, worked out when the query was read).
void SqlRawIn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const TPackedDump dump(BlobArg(argv[0]));
    const bool equal = sqlite3_value_int(argv[1]) == 4;
    bool found = false;
    for (int i = 2; dump.Valid() && i + 1 < argc && !found; i += 2) {
        const TParamInfo* info = Catalogue::FindByNumber(sqlite3_value_int(argv[i]));
        const auto mask = BlobArg(argv[i + 1]);
        if (!info || mask.size() != 32)
            continue;
        const auto raw = DumpFields::ActiveParam(
            dump, info->Number, info->Section == TParamSection::Analog ? info->Effect : -1);
        if (!raw)
            continue;
        const bool in = *raw >= 0 && *raw < 256 &&
                        ((mask[static_cast<std::size_t>(*raw / 8)] >> (*raw % 8)) & 1);
        found = in == equal;
    }
    sqlite3_result_int(ctx, found);
}

std::vector<std::uint8_t> Unpacked(std::span<const std::uint8_t> packed) {
    TDumpBytes dump{};
    if (!UnpackDump(packed, dump))
        throw EHrzError("The library holds a damaged preset");
    return {dump.begin(), dump.end()};
}

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsPresetFileName(const fs::path& p) {
    const std::string name = Lower(Utf8FromPath(p.filename()));
    if (name.size() > 4 && name.ends_with(".syx"))
        return true;
    if (name.size() > 4 && name.ends_with(".hrz"))
        return true;
    return BackupFolder::FileNumber(name) >= 0;
}

// "Bank A".."Bank D" as the folder of a backup file: 0..3, else -1.
int BankOfFolder(const fs::path& file) {
    const std::string folder = Lower(Utf8FromPath(file.parent_path().filename()));
    if (folder.size() == 6 && folder.starts_with("bank ") && folder[5] >= 'a' && folder[5] <= 'd')
        return folder[5] - 'a';
    return -1;
}

std::int64_t FileTime(const fs::path& p, std::error_code& ec) {
    return static_cast<std::int64_t>(fs::last_write_time(p, ec).time_since_epoch().count());
}

// The file's bytes; false and a reason when it cannot be read.
bool ReadWhole(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& reason) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        reason = "cannot be read";
        return false;
    }
    bytes.resize(4096);
    std::size_t size = 0;
    for (;;) {
        const std::size_t got = std::fread(bytes.data() + size, 1, bytes.size() - size, f);
        size += got;
        if (size < bytes.size())
            break;
        if (bytes.size() > MaxFileBytes)
            break;
        bytes.resize(bytes.size() * 2);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    bytes.resize(size);
    if (failed) {
        reason = "cannot be read";
        return false;
    }
    if (size > MaxFileBytes) {
        reason = "larger than 16 MB: not a preset file";
        return false;
    }
    return true;
}

// The start of a preset dump that ends too soon (a file cut off by a failed copy).
bool IsCutShortDump(const std::vector<std::uint8_t>& m) {
    return m.size() >= 5 && m.size() < TPreset::DumpSize && m[0] == TPreset::SysexStart &&
           m[1] == TPreset::MakerId && m[3] == TPreset::ModelId &&
           m[4] == TPreset::PresetDumpCommand;
}

std::string EffectsText(std::uint32_t analog, std::uint32_t digital) {
    std::string text;
    const auto add = [&](std::string_view name) {
        text += (text.empty() ? "" : ", ") + std::string(name);
    };
    const auto a = Catalogue::AnalogEffects();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (analog & (1u << i))
            add(a[i].Name);
    const auto d = Catalogue::DigitalEffects();
    for (std::size_t e = 1; e < d.size(); ++e) // Low Pass is in every group
        if (digital & (1u << e))
            add(d[e].Name);
    if (digital & 1u)
        add(d[0].Name);
    return text;
}

} // namespace

std::string UnitLocationText(int bank, int number) {
    char text[16];
    if (bank >= 0 && bank <= 3)
        std::snprintf(text, sizeof text, "%c-%03d", 'A' + bank, number);
    else
        std::snprintf(text, sizeof text, "%03d", number);
    return text;
}

bool ParseUnitLocation(std::string_view text, int& bank, int& number) {
    std::size_t i = 0;
    bank = -1;
    if (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        const char b = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
        if (b < 'A' || b > 'D')
            return false;
        bank = b - 'A';
        ++i;
        while (i < text.size() && (text[i] == '-' || text[i] == ' '))
            ++i;
    }
    if (i == text.size() || text.size() - i > 3)
        return false;
    number = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        number = number * 10 + (text[i] - '0');
    }
    return number >= 1 && number <= 200;
}

std::string DefaultLibraryPath() {
    fs::path base;
#if defined(_WIN32)
    const wchar_t* appData = _wgetenv(L"APPDATA"); // wide: the narrow one is the code page's
    base = fs::path(appData ? appData : L"") / "HRZ2000e";
#elif defined(__APPLE__)
    base = PathFromUtf8(EnvOrEmpty("HOME")) / "Library" / "Application Support" / "HRZ2000e";
#else
    const std::string xdg = EnvOrEmpty("XDG_DATA_HOME");
    if (!xdg.empty() && PathFromUtf8(xdg).is_absolute())
        base = PathFromUtf8(xdg) / "HRZ2000e";
    else
        base = PathFromUtf8(EnvOrEmpty("HOME")) / ".local" / "share" / "HRZ2000e";
#endif
    return Utf8FromPath(base / "library.sqlite");
}

struct TPresetLibrary::TStatements {
    explicit TStatements(TSqliteDb& db)
        : FindKey(db.Prepare("SELECT id, dump, last_seen FROM presets WHERE key = ?1")),
          Insert(db.Prepare("INSERT INTO presets(key, sound, dump, title, grp, analog, digital, "
                            "controllers, first_seen, last_seen) "
                            "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?9)")),
          Touch(db.Prepare("UPDATE presets SET last_seen = ?2 WHERE id = ?1")),
          FindFile(db.Prepare("SELECT id FROM files WHERE path_key = ?1 AND path = ?2")),
          InsertFile(db.Prepare("INSERT INTO files(path_key, path, size, mtime, state, problem, "
                                "checked) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")),
          UpdateFile(db.Prepare("UPDATE files SET size = ?2, mtime = ?3, state = ?4, problem = ?5, "
                                "checked = ?6 WHERE id = ?1")),
          DropHoldings(db.Prepare("DELETE FROM holdings WHERE file_id = ?1")),
          InsertHolding(db.Prepare("INSERT OR REPLACE INTO holdings(file_id, offset, preset_id, "
                                   "bank, number) VALUES(?1, ?2, ?3, ?4, ?5)")),
          Vanish(db.Prepare("UPDATE files SET state = 'vanished', checked = ?2 WHERE id = ?1")),
          InsertHistory(db.Prepare("INSERT INTO unit_history(time, bank, number, preset_id, "
                                   "source) VALUES(?1, ?2, ?3, ?4, ?5)")) {}
    std::unique_ptr<TSqlStatement> FindKey, Insert, Touch, FindFile, InsertFile, UpdateFile,
        DropHoldings, InsertHolding, Vanish, InsertHistory;
};

TPresetLibrary::TPresetLibrary(const std::string& path, std::string* notice)
    : path_(path), clock_(SystemClock) {
    OpenChecked(notice);
    st_ = std::make_unique<TStatements>(*db_);
}

TPresetLibrary::~TPresetLibrary() = default;

void TPresetLibrary::OpenChecked(std::string* notice) {
    std::error_code ec;
    const fs::path file = PathFromUtf8(path_);
    if (file.has_parent_path())
        fs::create_directories(file.parent_path(), ec);
    const bool existed = fs::exists(file, ec);
    const auto configure = [this] {
        db_->Exec("PRAGMA journal_mode = WAL");
        // With a write-ahead log NORMAL keeps every committed change through a
        // killed program; only a power cut may lose the last ones.
        // Searches read every row: mapped pages are not copied into the cache first.
        db_->Exec("PRAGMA synchronous = NORMAL; PRAGMA cache_size = -65536; "
                  "PRAGMA temp_store = MEMORY; PRAGMA mmap_size = 268435456");
        const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
        sqlite3_create_function_v2(db_->Handle(), "hrz_num", -1, flags, nullptr, SqlCompareNumber,
                                   nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(db_->Handle(), "hrz_raw", -1, flags, nullptr, SqlRawIn, nullptr,
                                   nullptr, nullptr);
    };
    std::string damage;
    try {
        db_ = std::make_unique<TSqliteDb>(path_);
        configure();
        if (existed) {
            auto check = db_->Prepare("PRAGMA quick_check");
            if (check->Step() && check->Text(0) != "ok")
                damage = check->Text(0);
        }
        if (damage.empty()) {
            Migrate();
            return;
        }
    } catch (const ESqliteError& e) {
        if (!existed || !e.IsDamage())
            throw;
        damage = e.what();
    }
    db_.reset();
    // Moved aside, never deleted: what is in it may still be saved by hand.
    std::string aside = path_ + ".damaged";
    for (int n = 2; fs::exists(PathFromUtf8(aside), ec); ++n)
        aside = path_ + ".damaged-" + std::to_string(n);
    fs::rename(file, PathFromUtf8(aside), ec);
    if (ec)
        throw EHrzError("The library " + path_ + " is damaged (" + damage +
                        ") and cannot be moved to " + aside + ": " + ec.message());
    for (const char* suffix : {"-wal", "-shm"})
        if (fs::exists(PathFromUtf8(path_ + suffix), ec))
            fs::rename(PathFromUtf8(path_ + suffix), PathFromUtf8(aside + suffix), ec);
    if (notice)
        *notice = "The library " + path_ + " was damaged (" + damage + "). It was moved to " +
                  aside + " and a new, empty library was started.";
    db_ = std::make_unique<TSqliteDb>(path_);
    configure();
    Migrate();
}

void TPresetLibrary::Migrate() {
    const auto version = db_->QueryInt("PRAGMA user_version");
    if (version > SchemaVersion)
        throw EHrzError("The library " + path_ +
                        " was written by a newer version of HRZ2000e "
                        "(format " +
                        std::to_string(version) + "; this version reads up to " +
                        std::to_string(SchemaVersion) + ").");
    for (auto v = version + 1; v <= SchemaVersion; ++v) {
        TSqlTransaction t(*db_);
        db_->Exec(SchemaSteps[v - 1]);
        db_->Exec("PRAGMA user_version = " + std::to_string(v));
        t.Commit();
    }
}

std::int64_t TPresetLibrary::UpsertPreset(const TPresetFacts& facts, std::int64_t now,
                                          bool* inserted) {
    const std::vector<std::uint8_t> packed = PackDump(facts.Dump);
    auto& find = *st_->FindKey;
    find.Bind(1, static_cast<std::int64_t>(facts.Key));
    while (find.Step()) {
        const auto dump = find.BlobView(1);
        if (std::equal(dump.begin(), dump.end(), packed.begin(), packed.end())) {
            const std::int64_t id = find.Int(0);
            const bool stale = find.Int(2) < now;
            find.Reset();
            if (stale)
                st_->Touch->Bind(1, id).Bind(2, now).Run();
            return id;
        }
    }
    find.Reset();
    std::string controllers;
    for (const int c : facts.Controllers)
        controllers += " " + std::to_string(c) + " ";
    st_->Insert->Bind(1, static_cast<std::int64_t>(facts.Key))
        .Bind(2, static_cast<std::int64_t>(facts.SoundKey))
        .BindBlob(3, packed)
        .Bind(4, facts.Title)
        .Bind(5, static_cast<std::int64_t>(facts.Group))
        .Bind(6, static_cast<std::int64_t>(facts.AnalogMask))
        .Bind(7, static_cast<std::int64_t>(facts.DigitalMask))
        .Bind(8, controllers)
        .Bind(9, now)
        .Run();
    if (inserted)
        *inserted = true;
    return db_->LastInsertId();
}

TAddReport TPresetLibrary::Add(const std::vector<std::string>& paths,
                               const std::function<void(const TAddProgress&)>& progress,
                               const std::atomic<bool>* cancel) {
    TAddReport report;
    std::error_code ec;

    // What earlier adds saw.
    struct TKnown {
        std::int64_t Id, Size, Time;
        std::string State, Problem;
    };
    std::unordered_map<std::string, TKnown> known;
    {
        auto q = db_->Prepare("SELECT id, path, size, mtime, state, problem FROM files");
        while (q->Step())
            known.emplace(q->Text(1),
                          TKnown{q->Int(0), q->Int(2), q->Int(3), q->Text(4), q->Text(5)});
    }

    std::vector<std::string> files;
    for (const auto& p : paths) {
        const fs::path path = PathFromUtf8(p);
        const auto status = fs::status(path, ec);
        if (fs::is_directory(status)) {
            for (auto it = fs::recursive_directory_iterator(
                     path, fs::directory_options::skip_permission_denied, ec);
                 !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
                if (it->is_regular_file(ec) && IsPresetFileName(it->path()))
                    files.push_back(Utf8FromPath(it->path().lexically_normal()));
            if (ec)
                report.Skipped.push_back({p, "cannot be listed: " + ec.message()});
        } else if (fs::is_regular_file(status)) {
            files.push_back(Utf8FromPath(path.lexically_normal()));
        } else {
            report.Skipped.push_back({p, "no such file or folder"});
        }
        ec.clear();
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());

    // Known files outside this add are looked at too: changed ones are read again,
    // vanished ones reported.
    const std::set<std::string> walked(files.begin(), files.end());
    std::vector<std::int64_t> vanishedIds;
    for (const auto& [path, k] : known) {
        if (walked.count(path) || k.State == "vanished")
            continue;
        if (!fs::exists(PathFromUtf8(path), ec)) {
            report.Vanished.push_back(path);
            vanishedIds.push_back(k.Id);
        } else if (fs::file_size(PathFromUtf8(path), ec) != static_cast<std::uintmax_t>(k.Size) ||
                   FileTime(PathFromUtf8(path), ec) != k.Time) {
            files.push_back(path);
        }
    }
    std::sort(report.Vanished.begin(), report.Vanished.end());
    const std::int64_t now = clock_();
    if (!vanishedIds.empty()) {
        TSqlTransaction t(*db_);
        for (const auto id : vanishedIds) {
            st_->Vanish->Bind(1, id).Bind(2, now).Run();
            st_->DropHoldings->Bind(1, id).Run();
        }
        t.Commit();
    }

    report.Files = static_cast<int>(files.size());
    TAddProgress step{0, report.Files, {}};
    std::vector<std::uint8_t> bytes;
    for (std::size_t first = 0; first < files.size(); first += FilesPerTransaction) {
        if (cancel && cancel->load()) {
            report.Cancelled = true;
            break;
        }
        TSqlTransaction t(*db_);
        const std::size_t last = std::min(files.size(), first + FilesPerTransaction);
        for (std::size_t i = first; i < last; ++i) {
            const std::string& path = files[i];
            step.Done = static_cast<int>(i);
            step.Path = path;
            if (progress && (i % 64 == 0))
                progress(step);
            const auto size = static_cast<std::int64_t>(fs::file_size(PathFromUtf8(path), ec));
            const std::int64_t time = FileTime(PathFromUtf8(path), ec);
            if (ec) {
                report.Skipped.push_back({path, "cannot be read: " + ec.message()});
                ec.clear();
                continue;
            }
            const auto k = known.find(path);
            if (k != known.end() && k->second.State != "vanished" && k->second.Size == size &&
                k->second.Time == time) {
                ++report.Unchanged;
                if (k->second.State == "skipped")
                    report.Skipped.push_back({path, k->second.Problem});
                continue;
            }
            if (k != known.end() && k->second.State != "vanished")
                report.Changed.push_back(path);
            ++report.Read;

            std::string problem;
            std::vector<std::pair<std::int64_t, std::int64_t>> holdings; // offset, preset
            if (ReadWhole(path, bytes, problem)) {
                const TSysexScan scan = ScanSysex(bytes);
                for (const auto& m : scan.Messages) {
                    if (!m.Terminated || !IsPresetDumpBytes(m.Bytes))
                        continue;
                    const TPresetFacts facts = FactsOfDump(m.Bytes);
                    bool inserted = false;
                    const std::int64_t id = UpsertPreset(facts, now, &inserted);
                    report.NewPresets += inserted;
                    holdings.emplace_back(static_cast<std::int64_t>(m.Offset), id);
                }
                report.Presets += static_cast<int>(holdings.size());
                if (bytes.empty())
                    problem = "empty file";
                else if (holdings.empty() && scan.Messages.empty())
                    problem = "no system-exclusive message in it";
                else if (holdings.empty() && IsCutShortDump(scan.Messages.front().Bytes))
                    problem = "preset dump cut short (" +
                              std::to_string(scan.Messages.front().Bytes.size()) + " of 252 bytes)";
                else if (holdings.empty())
                    problem = "no preset dump in it (offset " +
                              std::to_string(scan.Messages.front().Offset) + ": " +
                              DescribeMessage(scan.Messages.front(), false) +
                              (scan.Messages.front().Terminated ? "" : ", no end byte") + ")";
                else if (!scan.Issues.empty())
                    problem = "offset " + std::to_string(scan.Issues.front().Offset) + ": " +
                              scan.Issues.front().Text + " (" + std::to_string(holdings.size()) +
                              (holdings.size() == 1 ? " preset dump" : " preset dumps") + " read)";
            }
            if (!problem.empty())
                report.Skipped.push_back({path, problem});

            // A file another add made since this one began is updated, not doubled.
            std::int64_t fileId = k != known.end() ? k->second.Id : 0;
            if (!fileId) {
                const auto pathKey = static_cast<std::int64_t>(
                    HashBytes({reinterpret_cast<const std::uint8_t*>(path.data()), path.size()}));
                st_->FindFile->Bind(1, pathKey).Bind(2, path);
                if (st_->FindFile->Step())
                    fileId = st_->FindFile->Int(0);
                st_->FindFile->Reset();
                if (!fileId) {
                    st_->InsertFile->Bind(1, pathKey).Bind(2, path);
                    st_->InsertFile->Bind(3, size).Bind(4, time);
                    st_->InsertFile->Bind(5, std::string_view(holdings.empty() ? "skipped" : "ok"));
                    st_->InsertFile->Bind(6, problem).Bind(7, now).Run();
                    fileId = db_->LastInsertId();
                }
            }
            st_->UpdateFile->Bind(1, fileId)
                .Bind(2, size)
                .Bind(3, time)
                .Bind(4, std::string_view(holdings.empty() ? "skipped" : "ok"))
                .Bind(5, problem)
                .Bind(6, now)
                .Run();
            st_->DropHoldings->Bind(1, fileId).Run();
            const int bank = BankOfFolder(PathFromUtf8(path));
            const int number = holdings.size() == 1
                                   ? std::max(0, BackupFolder::FileNumber(
                                                     Utf8FromPath(PathFromUtf8(path).filename())))
                                   : 0;
            for (const auto& [offset, id] : holdings)
                st_->InsertHolding->Bind(1, fileId)
                    .Bind(2, offset)
                    .Bind(3, id)
                    .Bind(4, static_cast<std::int64_t>(number > 0 ? bank : -1))
                    .Bind(5, static_cast<std::int64_t>(number))
                    .Run();
        }
        t.Commit();
    }
    step.Done = report.Cancelled ? step.Done : report.Files;
    if (progress)
        progress(step);
    return report;
}

std::int64_t TPresetLibrary::RecordFromUnit(std::span<const std::uint8_t> dump,
                                            std::string_view source, int bank, int number) {
    const TPresetFacts facts = FactsOfDump(dump);
    const std::int64_t now = clock_();
    TSqlTransaction t(*db_);
    const std::int64_t id = UpsertPreset(facts, now);
    st_->InsertHistory->Bind(1, now)
        .Bind(2, static_cast<std::int64_t>(bank))
        .Bind(3, static_cast<std::int64_t>(number))
        .Bind(4, id)
        .Bind(5, source)
        .Run();
    t.Commit();
    return id;
}

std::vector<std::int64_t> TPresetLibrary::Search(std::string_view query) {
    const TCompiledQuery q = CompileLibraryQuery(query);
    auto s = db_->Prepare("SELECT id FROM presets WHERE " + q.Where);
    for (std::size_t i = 0; i < q.Params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::string>)
                    s->Bind(index, std::string_view(v));
                else if constexpr (std::is_same_v<T, TSqlBlob>)
                    s->BindBlob(index, {reinterpret_cast<const std::uint8_t*>(v.Bytes.data()),
                                        v.Bytes.size()});
                else
                    s->Bind(index, v);
            },
            q.Params[i]);
    }
    std::vector<std::int64_t> ids;
    while (s->Step())
        ids.push_back(s->Int(0));
    // Sorted here: the scan may follow an index, and sorting in SQL costs more.
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<TLibraryRow> TPresetLibrary::Rows(std::span<const std::int64_t> ids) {
    auto row =
        db_->Prepare("SELECT title, grp, analog, digital, last_seen FROM presets WHERE id = ?1");
    auto files = db_->Prepare("SELECT DISTINCT h.bank, h.number, h.file_id FROM holdings h "
                              "JOIN files f ON f.id = h.file_id WHERE h.preset_id = ?1 AND "
                              "f.state = 'ok' ORDER BY h.bank, h.number");
    auto unit = db_->Prepare("SELECT DISTINCT bank, number FROM unit_history WHERE preset_id = ?1 "
                             "AND number > 0 ORDER BY bank, number");
    std::vector<TLibraryRow> rows;
    rows.reserve(ids.size());
    for (const auto id : ids) {
        row->Bind(1, id);
        if (!row->Step()) {
            row->Reset();
            continue;
        }
        TLibraryRow r;
        r.Id = id;
        r.Title = row->Text(0);
        r.Group = static_cast<int>(row->Int(1));
        r.AnalogMask = static_cast<std::uint32_t>(row->Int(2));
        r.DigitalMask = static_cast<std::uint32_t>(row->Int(3));
        r.LastSeen = row->Int(4);
        row->Reset();
        r.Effects = EffectsText(r.AnalogMask, r.DigitalMask);
        std::vector<std::string> places;
        std::set<std::int64_t> fileIds;
        files->Bind(1, id);
        while (files->Step()) {
            fileIds.insert(files->Int(2));
            if (files->Int(1) > 0)
                places.push_back(UnitLocationText(static_cast<int>(files->Int(0)),
                                                  static_cast<int>(files->Int(1))));
        }
        files->Reset();
        unit->Bind(1, id);
        while (unit->Step())
            places.push_back("unit " + UnitLocationText(static_cast<int>(unit->Int(0)),
                                                        static_cast<int>(unit->Int(1))));
        unit->Reset();
        places.erase(std::unique(places.begin(), places.end()), places.end());
        for (std::size_t i = 0; i < places.size() && i < 3; ++i)
            r.Locations += (i ? ", " : "") + places[i];
        if (places.size() > 3)
            r.Locations += ", ...";
        if (!fileIds.empty())
            r.Locations += (r.Locations.empty() ? "" : "; ") + std::to_string(fileIds.size()) +
                           (fileIds.size() == 1 ? " file" : " files");
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<std::uint8_t> TPresetLibrary::Dump(std::int64_t id) {
    auto s = db_->Prepare("SELECT dump FROM presets WHERE id = ?1");
    s->Bind(1, id);
    if (!s->Step())
        throw EHrzError("The library holds no preset " + std::to_string(id));
    return Unpacked(s->BlobView(0));
}

std::vector<TPresetLocation> TPresetLibrary::Locations(std::int64_t id) {
    std::vector<TPresetLocation> out;
    auto files = db_->Prepare("SELECT f.path, h.offset, f.state, h.bank, h.number, f.checked "
                              "FROM holdings h JOIN files f ON f.id = h.file_id "
                              "WHERE h.preset_id = ?1 ORDER BY f.path, h.offset");
    files->Bind(1, id);
    while (files->Step()) {
        TPresetLocation l;
        l.Path = files->Text(0);
        l.Offset = files->Int(1);
        l.State = files->Text(2);
        l.Bank = static_cast<int>(files->Int(3));
        l.Number = static_cast<int>(files->Int(4));
        l.Time = files->Int(5);
        out.push_back(std::move(l));
    }
    auto unit = db_->Prepare("SELECT time, bank, number, source FROM unit_history "
                             "WHERE preset_id = ?1 ORDER BY time, id");
    unit->Bind(1, id);
    while (unit->Step()) {
        TPresetLocation l;
        l.FromUnit = true;
        l.Time = unit->Int(0);
        l.Bank = static_cast<int>(unit->Int(1));
        l.Number = static_cast<int>(unit->Int(2));
        l.Source = unit->Text(3);
        out.push_back(std::move(l));
    }
    return out;
}

std::int64_t TPresetLibrary::PresetCount() {
    return db_->QueryInt("SELECT count(*) FROM presets");
}

std::vector<THistoryEntry> TPresetLibrary::History(int bank, int number) {
    auto s = db_->Prepare("SELECT u.time, u.preset_id, p.title, u.source FROM unit_history u "
                          "JOIN presets p ON p.id = u.preset_id "
                          "WHERE u.bank = ?1 AND u.number = ?2 ORDER BY u.time, u.id");
    s->Bind(1, static_cast<std::int64_t>(bank)).Bind(2, static_cast<std::int64_t>(number));
    std::vector<THistoryEntry> out;
    while (s->Step())
        out.push_back({s->Int(0), s->Int(1), s->Text(2), s->Text(3)});
    return out;
}

std::vector<TRestoreStep> TPresetLibrary::RestorePlan(int bank, std::int64_t time) {
    auto at =
        db_->Prepare("SELECT u.preset_id, p.title, p.dump FROM unit_history u "
                     "JOIN presets p ON p.id = u.preset_id WHERE u.bank = ?1 AND "
                     "u.number = ?2 AND u.time <= ?3 ORDER BY u.time DESC, u.id DESC LIMIT 1");
    auto latest = db_->Prepare("SELECT u.preset_id, p.title FROM unit_history u "
                               "JOIN presets p ON p.id = u.preset_id WHERE u.bank = ?1 AND "
                               "u.number = ?2 ORDER BY u.time DESC, u.id DESC LIMIT 1");
    std::vector<TRestoreStep> steps;
    for (int number = 1; number <= 200; ++number) {
        at->Bind(1, static_cast<std::int64_t>(bank))
            .Bind(2, static_cast<std::int64_t>(number))
            .Bind(3, time);
        if (!at->Step()) {
            at->Reset();
            continue;
        }
        TRestoreStep step{number, at->Int(0), at->Text(1), {}, Unpacked(at->BlobView(2))};
        at->Reset();
        latest->Bind(1, static_cast<std::int64_t>(bank)).Bind(2, static_cast<std::int64_t>(number));
        std::int64_t currentId = 0;
        if (latest->Step()) {
            currentId = latest->Int(0);
            step.CurrentTitle = latest->Text(1);
        }
        latest->Reset();
        if (currentId != step.PresetId)
            steps.push_back(std::move(step));
    }
    return steps;
}

std::vector<TDuplicateGroup> TPresetLibrary::Duplicates() {
    auto sounds = db_->Prepare("SELECT sound FROM presets GROUP BY sound HAVING count(*) > 1 "
                               "ORDER BY min(id)");
    auto members = db_->Prepare("SELECT id FROM presets WHERE sound = ?1 ORDER BY id");
    std::vector<TDuplicateGroup> groups;
    while (sounds->Step()) {
        members->Bind(1, sounds->Int(0));
        std::vector<std::int64_t> ids;
        while (members->Step())
            ids.push_back(members->Int(0));
        members->Reset();
        groups.push_back({Rows(ids)});
    }
    return groups;
}

std::string TPresetLibrary::IntegrityCheck() {
    auto s = db_->Prepare("PRAGMA integrity_check");
    std::string result;
    while (s->Step())
        result += (result.empty() ? "" : "; ") + s->Text(0);
    return result;
}
