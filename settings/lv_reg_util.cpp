#include "settings/lv_reg_util.h"

#include "model/visible_text.h"
#include "settings/qt_registry_layer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <type_traits>

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

template <typename T, typename Read>
T TlvRegUtil::ReadIn(const QString& keyPath, const QString& name, bool canCreate,
                     const QString& reportedName, T fallback, Read read) {
    try {
        TOpenKey key(Layer(), keyPath, canCreate);
        if (key && Layer().ValueExists(name))
            return read(Layer());
    } catch (const ERegistryBadValue& e) {
        if constexpr (std::is_arithmetic_v<T>) {
            Reject(keyPath, name, QString::fromStdString(e.StoredText()),
                   static_cast<int>(fallback), std::is_same_v<T, bool>);
            return fallback;
        } else {
            ReadFailed(e, reportedName);
        }
    } catch (const ERegistryError& e) {
        ReadFailed(e, reportedName);
    }
    return fallback;
}

template <typename Write>
void TlvRegUtil::WriteIn(const QString& keyPath, const QString& reportedName, Write write) {
    try {
        {
            TOpenKey key(Layer(), keyPath, true);
            if (key)
                write(Layer());
        }
        WriteBackRejected(keyPath, reportedName);
    } catch (const ERegistryError& e) {
        WriteFailed(e, reportedName);
    }
}

void TlvRegUtil::Reject(const QString& key, const QString& name, const QString& text,
                        int defaultValue, bool isBool) {
    for (const TRejected& r : rejected_)
        if (r.Key == key && r.Name == name && !r.Written)
            return; // said once
    rejected_.push_back({key, name, text, defaultValue, isBool, false});
    // Long or strange stored text is shown short and with its control
    // characters visible.
    QString shown = text.left(40);
    if (shown.size() < text.size())
        shown += QStringLiteral("...");
    const QString line = QStringLiteral("%1=\"%2\" (default %3 used)")
                             .arg(QString::fromStdString(VisibleText(name.toStdString())),
                                  QString::fromStdString(VisibleText(shown.toStdString())))
                             .arg(defaultValue);
    unsaid_ << line;
    if (rejectedSink_)
        rejectedSink_(TakeRejectedNotice());
}

void TlvRegUtil::RejectValue(const QString& name, const QString& storedText, int defaultValue) {
    Reject(path_, name, storedText, defaultValue, false);
}

QString TlvRegUtil::TakeRejectedNotice() {
    if (unsaid_.isEmpty())
        return {};
    const QString text = QStringLiteral("Settings that cannot be used were replaced by their "
                                        "defaults, saved with the next change: ") +
                         unsaid_.join(QStringLiteral(", "));
    unsaid_.clear();
    return text;
}

void TlvRegUtil::SetRejectedSink(std::function<void(const QString&)> sink) {
    rejectedSink_ = std::move(sink);
}

void TlvRegUtil::WriteBackRejected(const QString& exceptKey, const QString& exceptName) {
    if (writingBack_)
        return;
    writingBack_ = true;
    const auto done = [this] { writingBack_ = false; };
    try {
        for (TRejected& r : rejected_) {
            if (r.Written)
                continue;
            r.Written = true;
            // The value just written replaces the refused one by itself.
            if (r.Key == exceptKey && r.Name == exceptName)
                continue;
            TOpenKey key(Layer(), r.Key, true);
            if (!key)
                continue;
            if (r.IsBool)
                Layer().WriteBool(r.Name, r.Default != 0);
            else
                Layer().WriteInteger(r.Name, r.Default);
        }
    } catch (...) {
        done();
        throw;
    }
    done();
}

QString TlvRegUtil::ReadString(const QString& name, bool canCreate) {
    RequirePath();
    return ReadIn(path_, name, canCreate, name, QString(),
                  [&](IRegistryLayer& layer) { return layer.ReadString(name); });
}

void TlvRegUtil::WriteString(const QString& name, const QString& text) {
    RequirePath();
    WriteIn(path_, name, [&](IRegistryLayer& layer) { layer.WriteString(name, text); });
}

QString TlvRegUtil::ReadKeyString(const QString& keyPath, const QString& name, bool canCreate) {
    return ReadIn(keyPath, name, canCreate, keyPath + u',' + name, QString(),
                  [&](IRegistryLayer& layer) { return layer.ReadString(name); });
}

void TlvRegUtil::WriteKeyString(const QString& keyPath, const QString& name, const QString& text) {
    WriteIn(keyPath, keyPath + u',' + name,
            [&](IRegistryLayer& layer) { layer.WriteString(name, text); });
}

int TlvRegUtil::ReadInteger(const QString& name, bool canCreate, int defaultValue) {
    RequirePath();
    return ReadIn(path_, name, canCreate, name, defaultValue,
                  [&](IRegistryLayer& layer) { return layer.ReadInteger(name); });
}

void TlvRegUtil::WriteInteger(const QString& name, int value) {
    RequirePath();
    WriteIn(path_, name, [&](IRegistryLayer& layer) { layer.WriteInteger(name, value); });
}

bool TlvRegUtil::ReadBool(const QString& name, bool canCreate, bool defaultValue) {
    RequirePath();
    return ReadIn(path_, name, canCreate, name, defaultValue,
                  [&](IRegistryLayer& layer) { return layer.ReadBool(name); });
}

void TlvRegUtil::WriteBool(const QString& name, bool value) {
    RequirePath();
    WriteIn(path_, name, [&](IRegistryLayer& layer) { layer.WriteBool(name, value); });
}

void TlvRegUtil::DeleteValue(const QString& name) {
    RequirePath();
    try {
        TOpenKey key(Layer(), path_, false);
        if (key && Layer().ValueExists(name))
            Layer().DeleteValue(name);
        for (TRejected& r : rejected_)
            if (r.Key == path_ && r.Name == name)
                r.Written = true;
    } catch (const ERegistryError& e) {
        throw EHrzError(std::string(e.what()) + " Registry value " + Quoted(name) +
                        " deletion failed!");
    }
}

void TlvRegUtil::RestorePlacement(QWidget& window) {
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* s = window.screen() ? window.screen() : QGuiApplication::primaryScreen())
        screen = s->availableGeometry();
    RestorePlacement(window, screen);
}

void TlvRegUtil::RestorePlacement(QWidget& window, const QRect& screen) {
    RequirePath();
    const QString name = window.objectName();
    // Left and Top place the outer frame, title bar included; Width and
    // Height are the window's own area.
    const QPoint at = window.isWindow() ? window.frameGeometry().topLeft() : window.pos();
    const int top = ReadInteger(name + ".Top", true, at.y());
    const int left = ReadInteger(name + ".Left", true, at.x());
    const int height = ReadInteger(name + ".Height", true, window.height());
    const int width = ReadInteger(name + ".Width", true, window.width());
    QPoint placed(left, top);
    if (window.isWindow()) {
        // A window saved on a larger or a detached screen stays reachable, and
        // its title bar is never above the screen, where it cannot be dragged.
        const int maxLeft = screen.left() + screen.width() * 90 / 100;
        const int maxTop = screen.top() + screen.height() * 90 / 100;
        placed.setX(std::min(left, maxLeft));
        placed.setY(std::clamp(top, screen.top(), maxTop));
    }
    window.resize(width, height);
    window.move(placed);
}

void TlvRegUtil::SavePlacement(const QWidget& window) {
    const QString name = window.objectName();
    const QPoint at = window.isWindow() ? window.frameGeometry().topLeft() : window.pos();
    WriteInteger(name + ".Top", at.y());
    WriteInteger(name + ".Left", at.x());
    WriteInteger(name + ".Height", window.height());
    WriteInteger(name + ".Width", window.width());
}
