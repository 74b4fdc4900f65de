#pragma once
// While it lives, what is written to std::cerr is dropped: RtMidi warns there
// while a client starts, before an error callback can be set, and a server
// that is not running (or still starting) is not worth a word.
#include <iostream>
#include <sstream>

namespace mm {

class TQuietStderr {
public:
    TQuietStderr() : saved_(std::cerr.rdbuf(sink_.rdbuf())) {}
    ~TQuietStderr() { std::cerr.rdbuf(saved_); }
    TQuietStderr(const TQuietStderr&) = delete;
    TQuietStderr& operator=(const TQuietStderr&) = delete;

private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

} // namespace mm

using mm::TQuietStderr;
