#pragma once
// The failure of a registry layer (standard library only, so the Windows
// registry layer builds and tests without Qt).
#include "model/errors.h"

// A failure of the registry itself; the settings store adds which value it was.
class ERegistryError : public EHrzError {
public:
    using EHrzError::EHrzError;
};

enum class TRootKey { CurrentUser, LocalMachine };
