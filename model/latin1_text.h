#pragma once
// Titles travel as single bytes (Latin-1); file names and printed texts are UTF-8.
#include <string>
#include <string_view>

std::string Latin1ToUtf8(std::string_view latin1);
