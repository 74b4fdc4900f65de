#include "model/edit_history.h"

#include "model/preset.h"

void TEditHistory::TakeSnapshot(const TPreset& preset) {
    if (Suppressed())
        return;
    auto snapshot = std::make_unique<TMemoryStream>();
    preset.WriteDump(*snapshot);
    undo_.Add(std::move(snapshot));
    while (undo_.Count() > limit_)
        undo_.Delete(0);
}

void TEditHistory::Clear() {
    undo_.Clear();
    redo_.Clear();
}

bool TEditHistory::Undo(const TReload& reload) {
    if (!CanUndo())
        return false;
    {
        TSuppress quiet(*this);
        TMemoryStream& previous = undo_.Get(undo_.Count() - 2);
        previous.SetPosition(0);
        reload(previous);
    }
    redo_.Add(undo_.Delete(undo_.Count() - 1));
    return true;
}

bool TEditHistory::Redo(const TReload& reload) {
    if (!CanRedo())
        return false;
    {
        TSuppress quiet(*this);
        TMemoryStream& next = redo_.Get(redo_.Count() - 1);
        next.SetPosition(0);
        reload(next);
    }
    undo_.Add(redo_.Delete(redo_.Count() - 1));
    return true;
}

bool TEditHistory::Undo(TPreset& preset) {
    return Undo([&preset](TStream& s) { preset.ReadDump(s); });
}

bool TEditHistory::Redo(TPreset& preset) {
    return Redo([&preset](TStream& s) { preset.ReadDump(s); });
}

std::string TEditHistory::UndoHint() const {
    // After a save the list is empty; it still reads "0 items", not "-1 items".
    const int items = undo_.Count() > 0 ? undo_.Count() - 1 : 0;
    return std::to_string(items) + " items in undo list   [Ctrl+Z]";
}

std::string TEditHistory::RedoHint() const {
    return std::to_string(redo_.Count()) + " items in redo list   [Ctrl+Y]";
}
