#pragma once
// Errors carry the text the user sees; the application's default handler shows it.
#include <stdexcept>
#include <string>

class EHrzError : public std::runtime_error {
public:
    explicit EHrzError(const std::string& message) : std::runtime_error(message) {}
};

// Stream and file failures, with the messages the run-time library would give.
class EStreamError : public EHrzError {
public:
    using EHrzError::EHrzError;
};
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
};
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A dump or file whose content is not what it claims to be.
class EInvalidData : public EHrzError {
public:
    using EHrzError::EHrzError;
};
