#pragma once
// One MIDI device in a device menu: the menu item (captioned with the device
// name) and the name itself. Destroying it removes the item from its menu.
#include <QAction>
#include <QString>
#include <memory>

class QMenu;

class TlvMIDIMenuItem {
public:
    TlvMIDIMenuItem(const QString& deviceName, int tag);
    ~TlvMIDIMenuItem();
    TlvMIDIMenuItem(const TlvMIDIMenuItem&) = delete;
    TlvMIDIMenuItem& operator=(const TlvMIDIMenuItem&) = delete;

    QAction* MenuItem() const { return menuItem_.get(); }
    const QString& DeviceName() const { return deviceName_; }
    int Tag() const { return tag_; }

private:
    std::unique_ptr<QAction> menuItem_;
    QString deviceName_;
    int tag_;
};
