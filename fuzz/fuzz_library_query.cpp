// The library's search language: any text either compiles or is refused with a
// query error, and whatever compiles runs against a real library without an SQL
// error (the query's words are bound, never part of the statement).
#include "library/library_query.h"
#include "library/preset_library.h"
#include "unit/factory_presets.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

TPresetLibrary& Library() {
    static TPresetLibrary* lib = [] {
        const auto path = std::filesystem::temp_directory_path() /
                          ("fuzz-library-query-" + std::to_string(getpid()) + ".sqlite");
        std::filesystem::remove(path);
        auto* l = new TPresetLibrary(path.string());
        for (int i = 0; i < 40; ++i)
            l->RecordFromUnit(FactoryPresetDump(i % 4, i * 5, false), "fuzz", i % 4, i + 1);
        return l;
    }();
    return *lib;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string query(reinterpret_cast<const char*>(data), size);
    TCompiledQuery compiled;
    try {
        compiled = CompileLibraryQuery(query);
    } catch (const ELibraryQueryError& e) {
        if (std::string(e.what()).rfind("Query error", 0) != 0)
            std::abort();
        return 0;
    }
    // No word of the query is in the statement: only our own pieces and placeholders.
    for (const char c : compiled.Where)
        if (c == '"' || c == ';')
            std::abort();
    try {
        const auto ids = Library().Search(query);
        if (ids.size() > 40)
            std::abort();
    } catch (...) {
        std::abort(); // a compiled query must run
    }
    return 0;
}
