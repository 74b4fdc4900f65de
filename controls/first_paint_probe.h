#pragma once
// A hook for timing start-up from outside: when the environment variable
// HRZ_EXIT_AT_FIRST_PAINT is set, the program prints "first paint" on its
// standard output as soon as the window has been painted once, then quits.
// Without the variable nothing happens.
class QWidget;

inline constexpr const char* kExitAtFirstPaintVariable = "HRZ_EXIT_AT_FIRST_PAINT";
inline constexpr const char* kFirstPaintLine = "first paint";

void ExitAtFirstPaintIfAsked(QWidget& window);
