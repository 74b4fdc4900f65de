#pragma once
// The Windows registry itself as the settings store's layer: TWinRegistry,
// with the store's texts converted to and from its UTF-8.
#include "settings/registry_layer.h"

#ifdef _WIN32

#include "settings/win_registry.h"

class TWinRegistryLayer : public IRegistryLayer {
public:
    void SetRootKey(TRootKey root) override { registry_.SetRootKey(root); }
    bool OpenKey(const QString& key, bool canCreate) override {
        return registry_.OpenKey(key.toStdString(), canCreate);
    }
    void CloseKey() override { registry_.CloseKey(); }
    bool ValueExists(const QString& name) override {
        return registry_.ValueExists(name.toStdString());
    }
    QString ReadString(const QString& name) override {
        return QString::fromStdString(registry_.ReadString(name.toStdString()));
    }
    int ReadInteger(const QString& name) override {
        return registry_.ReadInteger(name.toStdString());
    }
    bool ReadBool(const QString& name) override { return registry_.ReadBool(name.toStdString()); }
    void WriteString(const QString& name, const QString& value) override {
        registry_.WriteString(name.toStdString(), value.toStdString());
    }
    void WriteInteger(const QString& name, int value) override {
        registry_.WriteInteger(name.toStdString(), value);
    }
    void WriteBool(const QString& name, bool value) override {
        registry_.WriteBool(name.toStdString(), value);
    }
    void DeleteValue(const QString& name) override { registry_.DeleteValue(name.toStdString()); }

private:
    TWinRegistry registry_;
};

#endif
