#pragma once
// The hourglass for long operations. Restored when the guard goes out of
// scope, so also when the operation ends in an exception. Guards nest.

class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};
