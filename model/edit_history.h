#pragma once
// Undo and redo for one preset editor: whole-preset snapshots (252-byte dumps), the
// last undo entry always being the preset as it is now.
#include "model/stream_list.h"

#include <functional>
#include <string>

class TPreset;

class TEditHistory {
public:
    // Receives the snapshot to reload (positioned at 0) while snapshots are suppressed;
    // typically reads it into the preset and shows the preset again.
    using TReload = std::function<void(TStream& snapshot)>;

    // Oldest snapshots are dropped beyond this many undo entries (1.2 MB per editor).
    static constexpr int DefaultLimit = 5000;

    explicit TEditHistory(int limit = DefaultLimit) : limit_(limit < 2 ? 2 : limit) {}

    // Appends the preset's dump to the undo list, unless snapshots are suppressed.
    void TakeSnapshot(const TPreset& preset);
    void ClearRedo() { redo_.Clear(); }
    void Clear();

    bool CanUndo() const { return undo_.Count() > 1; }
    bool CanRedo() const { return redo_.Count() > 0; }
    // Steps back one state. Returns false when there is nothing to undo. If reload
    // throws, both lists are left as they were.
    bool Undo(const TReload& reload);
    bool Redo(const TReload& reload);
    // Convenience forms that only read the snapshot into the preset.
    bool Undo(TPreset& preset);
    bool Redo(TPreset& preset);

    // "N items in undo list   [Ctrl+Z]" / "N items in redo list   [Ctrl+Y]".
    std::string UndoHint() const;
    std::string RedoHint() const;

    int UndoCount() const { return undo_.Count(); }
    int RedoCount() const { return redo_.Count(); }
    const TStreamList& UndoList() const { return undo_; }
    const TStreamList& RedoList() const { return redo_; }

    bool Suppressed() const { return suppressed_ > 0; }
    // Snapshots are suppressed while a guard lives (reloads, programmatic refreshes).
    class TSuppress {
    public:
        explicit TSuppress(TEditHistory& history) : history_(history) { ++history_.suppressed_; }
        ~TSuppress() { --history_.suppressed_; }
        TSuppress(const TSuppress&) = delete;
        TSuppress& operator=(const TSuppress&) = delete;

    private:
        TEditHistory& history_;
    };

private:
    TStreamList undo_;
    TStreamList redo_;
    int limit_;
    int suppressed_ = 0;
};
