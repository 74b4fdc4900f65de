#pragma once
// What a run tells its owner and asks of it, without knowing any window: the
// texts it shows, the questions it asks and the owner's own commands it uses.
// A callback left empty is not called (a question left empty answers Cancel).
#include "controls/seams/dialog_service.h"
#include "midi/midi_event.h"
#include "model/library_compare.h"

#include <QFont>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct TRunHost {
    std::function<void(const QString&)> ShowStatus;
    std::function<void(const QString&)> AddLogLine;
    // A message box: text, caption, buttons, type; the button pressed.
    std::function<int(const QString&, const QString&, int, TMsgDlgType)> Ask;
    // The run's progress: its text, done of total; HideProgress at the end.
    std::function<void(const QString&, int, int)> ShowProgress;
    std::function<void()> HideProgress;
    // The run commands are off while a run goes on.
    std::function<void(bool)> EnableRunCommands;
    // The request timer: on with the run's interval, or off.
    std::function<void(bool)> Watchdog;
    std::function<void(int)> SelectBank;
    // A preset the run took, for the message buffer.
    std::function<void(const std::vector<std::uint8_t>&)> PresetReceived;
    // An event for the monitor.
    std::function<void(std::unique_ptr<TMyMidiEvent>)> Monitor;
    // A title seen at location (1-based) of bank.
    std::function<void(int, int, const QString&)> NoteUnitTitle;
    // Files were written to the folder the file pane may show.
    std::function<void()> RefreshFiles;
    // A comparison is complete: its folder, untitled name and rows.
    std::function<void(const QString&, const QString&, std::vector<TCompareRow>)> ShowComparison;
    std::function<QFont()> PrintFont;
    // "Verify stored presets" is checked.
    std::function<bool()> VerifyStores;
    // The unit's current preset number 1..256, or -1 when it does not answer.
    std::function<int()> QueryCurrentPresetNumber;
};

// Calls a host's callback when it is set.
template <typename F, typename... Args> void Tell(const F& callback, Args&&... args) {
    if (callback)
        callback(std::forward<Args>(args)...);
}
