#include "model/stream_list.h"

#include <stdexcept>

int TStreamList::Add(std::unique_ptr<TMemoryStream> stream) {
    if (!stream)
        throw std::invalid_argument("TStreamList::Add: no stream");
    streams_.push_back(std::move(stream));
    return Count() - 1;
}

TMemoryStream& TStreamList::Get(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("Stream list index out of bounds (" + std::to_string(index) + ")");
    return *streams_[static_cast<std::size_t>(index)];
}

std::unique_ptr<TMemoryStream> TStreamList::Delete(int index) {
    if (index < 0 || index >= Count())
        throw std::out_of_range("Stream list index out of bounds (" + std::to_string(index) + ")");
    auto it = streams_.begin() + index;
    auto stream = std::move(*it);
    streams_.erase(it);
    return stream;
}
