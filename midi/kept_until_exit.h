#pragma once
// Memory that a device which would not close may still write to must never be
// freed. It is handed here and stays reachable until the process ends.
#include <memory>
#include <mutex>
#include <vector>

template <typename T> void KeepUntilExit(std::unique_ptr<T> memory) {
    static std::mutex mutex;
    // Never destroyed: a late callback at exit must still find live memory.
    static auto* kept = new std::vector<std::shared_ptr<void>>();
    if (!memory)
        return;
    std::lock_guard lock(mutex);
    kept->push_back(std::shared_ptr<T>(std::move(memory)));
}
