#pragma once
// Text helpers for titles and numbers. Titles travel as single bytes (Latin-1); the
// tool prints UTF-8, and never lets a byte of a file drive the terminal.
#include "model/latin1_text.h"

#include <string>
#include <string_view>

namespace HrzctlText {

using ::Latin1ToUtf8;
// UTF-8 for a terminal: control characters (and DEL) appear as \xNN.
std::string Printable(std::string_view latin1);
// The same for text that is already UTF-8 (C0 and C1 controls escaped).
std::string TerminalSafe(std::string_view utf8);
// True when text is valid UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);
// A file name as it can be printed and typed back: unchanged when it is valid
// UTF-8 without control characters, otherwise quoted as the shell's $'...' with
// \n, \t, \', \\ and \xNN for the bytes that are not text.
std::string QuotedName(std::string_view name);
// The bytes of text as lower-case hexadecimal ("2f746d70").
std::string HexString(std::string_view text);
// "0x7F"
std::string HexByte(int byte);
// "%.3d"
std::string ThreeDigits(int value);
// Left-aligned in a field of width characters (UTF-8 aware enough for our texts).
std::string PadRight(std::string_view text, std::size_t width);
std::size_t DisplayWidth(std::string_view utf8);

} // namespace HrzctlText
