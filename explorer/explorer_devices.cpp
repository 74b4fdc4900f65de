// The device menus follow the devices present, and input lost to a flood is counted.
#include "explorer/lv_midi_menu_item.h"
#include "explorer/midi_explorer.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"

#include <QActionGroup>
#include <QMenu>

#include <cstring>

using namespace mm;

namespace {

template <std::size_t N> QString NameOf(const char (&name)[N]) {
    return QString::fromUtf8(name, static_cast<qsizetype>(strnlen(name, N)));
}

QStringList DeviceNames(bool input) {
    IMidiPlatform& platform = MidiPlatform();
    QStringList names;
    const std::uint32_t count = input ? platform.midiInGetNumDevs() : platform.midiOutGetNumDevs();
    for (std::uint32_t id = 0; id < count; ++id) {
        if (input) {
            MIDIINCAPS caps{};
            if (platform.midiInGetDevCaps(id, caps) == MMSYSERR_NOERROR)
                names << NameOf(caps.szPname);
        } else {
            MIDIOUTCAPS caps{};
            if (platform.midiOutGetDevCaps(static_cast<int>(id), caps) == MMSYSERR_NOERROR)
                names << NameOf(caps.szPname);
        }
    }
    return names;
}

} // namespace

void TfrmMIDIExplorer::RefreshDeviceMenu(bool input) {
    if (!MidiIn || !MidiOut)
        return;
    MidiPlatform().RefreshDevices();
    if (input)
        MidiIn->RescanDevices();
    else
        MidiOut->RescanDevices();
    const QStringList names = DeviceNames(input);
    auto& items = input ? InputDeviceItems : OutputDeviceItems;
    QStringList listed;
    for (const auto& item : items)
        listed << item->DeviceName();
    if (listed == names)
        return;

    QMenu* menu = input ? miMIDIIn : miMIDIOut;
    QActionGroup* group = input ? inputGroup_ : outputGroup_;
    const bool open = input ? MidiIn->IsOpen() : MidiOut->IsOpen();
    const QString current =
        QString::fromStdString(input ? MidiIn->ProductName() : MidiOut->ProductName());
    items.clear(); // their menu items go with them
    for (int i = 0; i < names.size(); ++i) {
        auto item = std::make_unique<TlvMIDIMenuItem>(names[i], i);
        TlvMIDIMenuItem* raw = item.get();
        group->addAction(raw->MenuItem());
        menu->addAction(raw->MenuItem());
        connect(raw->MenuItem(), &QAction::triggered, this,
                [this, raw, input] { input ? SelectInputDevice(*raw) : SelectOutputDevice(*raw); });
        raw->MenuItem()->setChecked(open && names[i] == current);
        items.push_back(std::move(item));
    }
}

void TfrmMIDIExplorer::InputOverflowed() {
    ++LostInputEvents;
    ShowStatus(QString("%1 MIDI in %2 lost: they came faster than they could be shown")
                   .arg(LostInputEvents)
                   .arg(LostInputEvents == 1 ? "event" : "events"));
}
