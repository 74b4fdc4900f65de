#pragma once
// Text from outside (file names, stored settings) as it may be shown in a
// message: control characters and the marks that turn text right to left
// are written as escapes, so a name cannot move or hide parts of the message
// it is quoted in. Bytes that are not UTF-8 are shown as \xHH.
#include <string>
#include <string_view>

std::string VisibleText(std::string_view utf8);

// True for the code points VisibleText escapes (C0, DEL, C1, bidi controls).
bool IsHiddenCodePoint(char32_t c);
