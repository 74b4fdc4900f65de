#pragma once
// Turns a preset title into something every file system accepts as a file name.
#include <string>

// "\" and "/" become "-", ":" and "*" a blank, a double quote a single quote,
// "<", ">", "|" and "?" a blank; everything else is kept.
std::string SafeFileName(const std::string& title);
