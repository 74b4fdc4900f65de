#include "lv_reg_util.h"

#include "qt_registry_layer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

TlvRegUtil* g_store = nullptr;

std::string Quoted(const QString& text) {
    return "\"" + text.toStdString() + "\"";
}

[[noreturn]] void ReadFailed(const ERegistryError& e, const QString& what) {
    throw EHrzError(std::string(e.what()) + " Registry parameter " + Quoted(what) +
                    " read failed!");
}

[[noreturn]] void WriteFailed(const ERegistryError& e, const QString& what) {
    throw EHrzError(std::string(e.what()) + " Registry parameter " + Quoted(what) +
                    " write failed!");
}

// Closes the layer's key however the operation ends.
class TOpenKey {
public:
    TOpenKey(IRegistryLayer& layer, const QString& key, bool canCreate)
        : layer_(layer), open_(layer.OpenKey(key, canCreate)) {}
    ~TOpenKey() {
        if (open_)
            layer_.CloseKey();
    }
    TOpenKey(const TOpenKey&) = delete;
    TOpenKey& operator=(const TOpenKey&) = delete;
    explicit operator bool() const { return open_; }

private:
    IRegistryLayer& layer_;
    bool open_;
};

} // namespace

TlvRegUtil* RegUtil() {
    return g_store;
}

void SetRegUtil(TlvRegUtil* store) {
    g_store = store;
}

TlvRegUtil::TlvRegUtil(std::unique_ptr<IRegistryLayer> layer) : layer_(std::move(layer)) {
    if (layer_)
        layer_->SetRootKey(root_);
}

TlvRegUtil::~TlvRegUtil() {
    if (g_store == this)
        g_store = nullptr;
}

IRegistryLayer& TlvRegUtil::Layer() {
    if (!layer_) {
        layer_ = std::make_unique<TQtRegistryLayer>();
        layer_->SetRootKey(root_);
    }
    return *layer_;
}

void TlvRegUtil::SetRootKey(TRootKey root) {
    root_ = root;
    if (layer_)
        layer_->SetRootKey(root);
}

void TlvRegUtil::RequirePath() const {
    if (path_.isEmpty())
        throw EHrzError("Registry path not set");
}

QString TlvRegUtil::ReadString(const QString& name, bool canCreate) {
    RequirePath();
    return ReadStringIn(path_, name, canCreate, name);
}

void TlvRegUtil::WriteString(const QString& name, const QString& text) {
    RequirePath();
    try {
        TOpenKey key(Layer(), path_, true);
        if (key)
            Layer().WriteString(name, text);
    } catch (const ERegistryError& e) {
        WriteFailed(e, name);
    }
}

QString TlvRegUtil::ReadKeyString(const QString& keyPath, const QString& name, bool canCreate) {
    return ReadStringIn(keyPath, name, canCreate, keyPath + u',' + name);
}

QString TlvRegUtil::ReadStringIn(const QString& keyPath, const QString& name, bool canCreate,
                                 const QString& reportedName) {
    try {
        TOpenKey key(Layer(), keyPath, canCreate);
        if (key && Layer().ValueExists(name))
            return Layer().ReadString(name);
    } catch (const ERegistryError& e) {
        ReadFailed(e, reportedName);
    }
    return {};
}

void TlvRegUtil::WriteKeyString(const QString& keyPath, const QString& name, const QString& text) {
    try {
        TOpenKey key(Layer(), keyPath, true);
        if (key)
            Layer().WriteString(name, text);
    } catch (const ERegistryError& e) {
        WriteFailed(e, keyPath + u',' + name);
    }
}

int TlvRegUtil::ReadInteger(const QString& name, bool canCreate, int defaultValue) {
    RequirePath();
    try {
        TOpenKey key(Layer(), path_, canCreate);
        if (key && Layer().ValueExists(name))
            return Layer().ReadInteger(name);
    } catch (const ERegistryError& e) {
        ReadFailed(e, name);
    }
    return defaultValue;
}

void TlvRegUtil::WriteInteger(const QString& name, int value) {
    RequirePath();
    try {
        TOpenKey key(Layer(), path_, true);
        if (key)
            Layer().WriteInteger(name, value);
    } catch (const ERegistryError& e) {
        WriteFailed(e, name);
    }
}

bool TlvRegUtil::ReadBool(const QString& name, bool canCreate, bool defaultValue) {
    RequirePath();
    try {
        TOpenKey key(Layer(), path_, canCreate);
        if (key && Layer().ValueExists(name))
            return Layer().ReadBool(name);
    } catch (const ERegistryError& e) {
        ReadFailed(e, name);
    }
    return defaultValue;
}

void TlvRegUtil::WriteBool(const QString& name, bool value) {
    RequirePath();
    try {
        TOpenKey key(Layer(), path_, true);
        if (key)
            Layer().WriteBool(name, value);
    } catch (const ERegistryError& e) {
        WriteFailed(e, name);
    }
}

void TlvRegUtil::DeleteValue(const QString& name) {
    RequirePath();
    try {
        TOpenKey key(Layer(), path_, false);
        if (key && Layer().ValueExists(name))
            Layer().DeleteValue(name);
    } catch (const ERegistryError& e) {
        throw EHrzError(std::string(e.what()) + " Registry value " + Quoted(name) +
                        " deletion failed!");
    }
}

void TlvRegUtil::RestorePlacement(QWidget& window) {
    QSize screen(1024, 768);
    if (const QScreen* s = window.screen() ? window.screen() : QGuiApplication::primaryScreen())
        screen = s->geometry().size();
    RestorePlacement(window, screen);
}

void TlvRegUtil::RestorePlacement(QWidget& window, const QSize& screen) {
    RequirePath();
    const QString name = window.objectName();
    const QRect current = window.geometry();
    const int top = ReadInteger(name + ".Top", true, current.top());
    const int left = ReadInteger(name + ".Left", true, current.left());
    const int height = ReadInteger(name + ".Height", true, current.height());
    const int width = ReadInteger(name + ".Width", true, current.width());
    QRect placed(left, top, width, height);
    if (window.isWindow()) {
        // A window saved on a larger or a detached screen stays reachable.
        const int maxLeft = screen.width() * 90 / 100;
        const int maxTop = screen.height() * 90 / 100;
        if (placed.left() > maxLeft)
            placed.moveLeft(maxLeft);
        if (placed.top() > maxTop)
            placed.moveTop(maxTop);
    }
    window.setGeometry(placed);
}

void TlvRegUtil::SavePlacement(const QWidget& window) {
    const QString name = window.objectName();
    const QRect g = window.geometry();
    WriteInteger(name + ".Top", g.top());
    WriteInteger(name + ".Left", g.left());
    WriteInteger(name + ".Height", g.height());
    WriteInteger(name + ".Width", g.width());
}
