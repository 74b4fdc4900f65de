#include "library/unit_recorder.h"

#include <memory>

namespace UnitRecorder {
namespace {

struct TState {
    std::string Path;
    std::unique_ptr<TPresetLibrary> Library;
    std::string Notice;
    std::string LastFailure; // told once, not for every preset of a run
};

TState& State() {
    static TState state;
    return state;
}

void AddNotice(const std::string& text) {
    auto& s = State();
    s.Notice += (s.Notice.empty() ? "" : "\n") + text;
}

} // namespace

void Enable(const std::string& path) {
    auto& s = State();
    if (path != s.Path)
        s.Library.reset();
    s.Path = path;
    s.LastFailure.clear();
}

bool Enabled() {
    return !State().Path.empty();
}

TPresetLibrary* Library() {
    auto& s = State();
    if (s.Path.empty())
        return nullptr;
    if (!s.Library) {
        std::string notice;
        s.Library = std::make_unique<TPresetLibrary>(s.Path, &notice);
        if (!notice.empty())
            AddNotice(notice);
    }
    return s.Library.get();
}

void Record(std::span<const std::uint8_t> dump, std::string_view source, int bank, int number) {
    auto& s = State();
    try {
        if (TPresetLibrary* lib = Library())
            lib->RecordFromUnit(dump, source, bank, number);
        s.LastFailure.clear();
    } catch (const std::exception& e) {
        const std::string text =
            std::string("A preset from the unit was not recorded in the library: ") + e.what();
        if (text != s.LastFailure)
            AddNotice(text);
        s.LastFailure = text;
    }
}

std::string TakeNotice() {
    std::string notice;
    notice.swap(State().Notice);
    return notice;
}

} // namespace UnitRecorder
