#pragma once
// An ordered list of owned memory streams (the undo and redo lists).
#include "model/stream.h"

#include <memory>
#include <vector>

class TStreamList {
public:
    // Appends and takes ownership; returns the new entry's index.
    int Add(std::unique_ptr<TMemoryStream> stream);
    // Throws std::out_of_range for a bad index.
    TMemoryStream& Get(int index) const;
    // Removes the entry and hands the stream back to the caller instead of freeing it.
    std::unique_ptr<TMemoryStream> Delete(int index);
    int Count() const { return static_cast<int>(streams_.size()); }
    // Frees every stream.
    void Clear() { streams_.clear(); }

private:
    std::vector<std::unique_ptr<TMemoryStream>> streams_;
};
