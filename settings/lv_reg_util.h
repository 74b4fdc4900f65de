#pragma once
// The settings store: every persistent setting of the program lives below one
// registry key per user (Path), reached through this object. A key that
// cannot be opened is not an error: reads give the default, writes do nothing.
// Failures of the registry itself raise EHrzError with the value's name.
#include "settings/registry_layer.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

class TlvRegUtil {
public:
    // layer == nullptr: the platform's registry, created on first use.
    explicit TlvRegUtil(std::unique_ptr<IRegistryLayer> layer = nullptr);
    ~TlvRegUtil();
    TlvRegUtil(const TlvRegUtil&) = delete;
    TlvRegUtil& operator=(const TlvRegUtil&) = delete;

    const QString& Path() const { return path_; }
    void SetPath(const QString& path) { path_ = path; }
    void SetRootKey(TRootKey root);

    QString ReadString(const QString& name, bool canCreate);
    void WriteString(const QString& name, const QString& text);
    // As ReadString/WriteString, in key (a full path below the root key).
    QString ReadKeyString(const QString& key, const QString& name, bool canCreate);
    void WriteKeyString(const QString& key, const QString& name, const QString& text);
    int ReadInteger(const QString& name, bool canCreate, int defaultValue);
    void WriteInteger(const QString& name, int value);
    bool ReadBool(const QString& name, bool canCreate, bool defaultValue);
    void WriteBool(const QString& name, bool value);
    void DeleteValue(const QString& name);

    // Window placement under objectName + ".Top", ".Left", ".Height", ".Width".
    // Top and Left are the outer frame's. A top-level window's frame is kept
    // within 90% of the screen's width and height, and not above its top.
    void RestorePlacement(QWidget& window);
    void RestorePlacement(QWidget& window, const QRect& screen);
    void SavePlacement(const QWidget& window);

    IRegistryLayer& Layer();

    // A stored value that cannot be used ("abc" for an integer, a channel of
    // 99) never stops the program: the read gives the default, the user is
    // told once, and the next write of any setting puts the default in its
    // place. Callers that check a range report what they refused here.
    void RejectValue(const QString& name, const QString& storedText, int defaultValue);
    // What was refused since the last call, as one line (empty when nothing).
    QString TakeRejectedNotice();
    // From now on each refusal is also handed here as it happens.
    void SetRejectedSink(std::function<void(const QString&)> sink);

private:
    struct TRejected {
        QString Key;
        QString Name;
        QString Text;
        int Default = 0;
        bool IsBool = false;
        bool Written = false;
    };
    void Reject(const QString& key, const QString& name, const QString& text, int defaultValue,
                bool isBool);
    // Writes the defaults of refused values; after any successful write.
    void WriteBackRejected(const QString& exceptKey, const QString& exceptName);

    void RequirePath() const;
    // read(layer) of a value in keyPath; fallback when the key or the value is
    // missing. Failures name reportedName.
    template <typename T, typename Read>
    T ReadIn(const QString& keyPath, const QString& name, bool canCreate,
             const QString& reportedName, T fallback, Read read);
    // write(layer) in keyPath, creating the key; failures name reportedName.
    template <typename Write>
    void WriteIn(const QString& keyPath, const QString& reportedName, Write write);

    std::unique_ptr<IRegistryLayer> layer_;
    TRootKey root_ = TRootKey::CurrentUser;
    QString path_;
    std::vector<TRejected> rejected_;
    QStringList unsaid_;
    std::function<void(const QString&)> rejectedSink_;
    bool writingBack_ = false;
};

// The program's store, for windows that are not handed one.
TlvRegUtil* RegUtil();
void SetRegUtil(TlvRegUtil* store);
