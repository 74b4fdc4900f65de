#include "explorer/lv_midi_menu_item.h"

TlvMIDIMenuItem::TlvMIDIMenuItem(const QString& deviceName, int tag)
    : menuItem_(std::make_unique<QAction>(deviceName)), deviceName_(deviceName), tag_(tag) {
    menuItem_->setCheckable(true);
    menuItem_->setData(tag);
}

// Deleting the action takes it out of every menu that shows it.
TlvMIDIMenuItem::~TlvMIDIMenuItem() = default;
