#pragma once
// The registry the settings store works on: keys named by paths below a root
// key ("\SOFTWARE\Lumivale/HRZ2000e\Folders"; only the backslash separates
// keys), each holding named string, integer and boolean values.
#include "model/errors.h"

#include <QString>

// A failure of the registry itself; the settings store adds which value it was.
class ERegistryError : public EHrzError {
public:
    using EHrzError::EHrzError;
};

// A value that is there but is not of the kind asked for ("abc" read as an
// integer): the settings store takes the default instead of failing.
class ERegistryBadValue : public ERegistryError {
public:
    ERegistryBadValue(const std::string& message, QString storedText)
        : ERegistryError(message), storedText_(std::move(storedText)) {}
    const QString& StoredText() const { return storedText_; }

private:
    QString storedText_;
};

enum class TRootKey { CurrentUser, LocalMachine };

class IRegistryLayer {
public:
    virtual ~IRegistryLayer() = default;

    virtual void SetRootKey(TRootKey root) = 0;
    // Makes key the current key; false when it does not exist and may not be created.
    virtual bool OpenKey(const QString& key, bool canCreate) = 0;
    virtual void CloseKey() = 0;

    // The value operations act on the current key and throw ERegistryError.
    virtual bool ValueExists(const QString& name) = 0;
    virtual QString ReadString(const QString& name) = 0;
    virtual int ReadInteger(const QString& name) = 0;
    virtual bool ReadBool(const QString& name) = 0;
    virtual void WriteString(const QString& name, const QString& value) = 0;
    virtual void WriteInteger(const QString& name, int value) = 0;
    virtual void WriteBool(const QString& name, bool value) = 0;
    virtual void DeleteValue(const QString& name) = 0;
};
