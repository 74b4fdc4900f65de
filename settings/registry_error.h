#pragma once
// The failure of a registry layer (standard library only, so the Windows
// registry layer builds and tests without Qt).
#include "model/errors.h"

#include <string>
#include <utility>

// A failure of the registry itself; the settings store adds which value it was.
class ERegistryError : public EHrzError {
public:
    using EHrzError::EHrzError;
};

// A value that is there but is not of the kind asked for ("abc" read as an
// integer): the settings store takes the default instead of failing.
class ERegistryBadValue : public ERegistryError {
public:
    ERegistryBadValue(const std::string& message, std::string storedText)
        : ERegistryError(message), storedText_(std::move(storedText)) {}
    // UTF-8, as the store shows it.
    const std::string& StoredText() const { return storedText_; }

private:
    std::string storedText_;
};

enum class TRootKey { CurrentUser, LocalMachine };
