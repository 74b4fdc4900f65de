#pragma once
// Failures of the MIDI ports; each carries the text the user sees.
#include <stdexcept>
#include <string>

class EMidiInputError : public std::runtime_error {
public:
    explicit EMidiInputError(const std::string& message) : std::runtime_error(message) {}
};

class EmidioutputError : public std::runtime_error {
public:
    explicit EmidioutputError(const std::string& message) : std::runtime_error(message) {}
};
