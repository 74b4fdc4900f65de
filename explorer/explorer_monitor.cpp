// The MIDI monitor log: event lines that own their events, plain lines,
// the double-click actions and the popup.
#include "log_item.h"
#include "lv_reg_util.h"
#include "midi_explorer.h"
#include "midi_input.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QTabWidget>
#include <algorithm>

namespace {

const QString kMonitorCaption = "MIDI Monitor";
const QString kMonitorEventsCaption = "MIDI Monitor: events received";

} // namespace

TMyMidiEvent* TfrmMIDIExplorer::LogEvent(int index) const {
    auto* item = dynamic_cast<TLogItem*>(lbxLog->item(index));
    return item ? item->Event() : nullptr;
}

void TfrmMIDIExplorer::AddLogLine(const QString& text) {
    auto* item = new TLogItem(text);
    lbxLog->addItem(item);
    // The newest line becomes current without touching the user's selection.
    lbxLog->selectionModel()->setCurrentIndex(lbxLog->model()->index(lbxLog->count() - 1, 0),
                                              QItemSelectionModel::NoUpdate);
    const int lineHeight = std::max(1, lbxLog->sizeHintForRow(0));
    const int visible = lbxLog->viewport()->height() / lineHeight;
    if (lbxLog->count() > visible)
        lbxLog->scrollToBottom();
}

void TfrmMIDIExplorer::AddEventLine(std::unique_ptr<TMyMidiEvent> event) {
    if (lbxLog->count() > kMaxLogLines - 1)
        DeleteLogLine(0);
    const std::string text = MidiEventText(*event);
    AddLogLine(QString::fromLatin1(text.data(), static_cast<qsizetype>(std::min<std::size_t>(
                                                    text.size(), kLogLineTextLimit))));
    static_cast<TLogItem*>(lbxLog->item(lbxLog->count() - 1))->AttachEvent(std::move(event));
    if (pgcTab->currentWidget() != tsMonitor)
        pgcTab->setTabText(pgcTab->indexOf(tsMonitor), kMonitorEventsCaption);
}

void TfrmMIDIExplorer::DeleteLogLine(int index) {
    // Deleting the line frees the event it owns.
    delete lbxLog->takeItem(index);
}

void TfrmMIDIExplorer::MidiInputReceived(TMidiInput& sender) {
    // One notification may stand for many events: drain them all. A nested
    // call (from a wait inside a handler) leaves the draining to this loop.
    if (draining_)
        return;
    draining_ = true;
    try {
        while (sender.PendingEventCount() != 0) {
            std::unique_ptr<TMyMidiEvent> event = sender.ReadEvent();
            if (!event)
                break;
            const int n = MidiEventLength(*event);
            AddEventLine(std::move(event));
            // The text alone: pumping messages per event would let a flood of
            // notifications nest without bound.
            SetStatusTexts(QString("Received %1 MIDI in bytes").arg(n));
        }
    } catch (...) {
        draining_ = false;
        throw;
    }
    draining_ = false;
}

void TfrmMIDIExplorer::pgcTabChange(int index) {
    if (pgcTab->widget(index) == tsMonitor)
        pgcTab->setTabText(index, kMonitorCaption);
}

void TfrmMIDIExplorer::lbxLogDblClick() {
    QListWidgetItem* current = lbxLog->currentItem();
    auto* line = dynamic_cast<TLogItem*>(current);
    TMyMidiEvent* event = line ? line->Event() : nullptr;
    if (!event) {
        ShowStatus(LogDblClickAction == 1 ? "The selected item cannot be edited"
                                          : "MIDI data is unavailable for the selected item");
        return;
    }
    LoadEventIntoBuffer(*event);
    if (LogDblClickAction == 1)
        OpenBufferInEditor();
    else if (LogDblClickAction == 2)
        miSendClick();
}

void TfrmMIDIExplorer::SetLogDblClickAction(int action) {
    if (action < 0 || action > 2)
        action = 0;
    LogDblClickAction = action;
    WriteDblClickAction("DBL_CLICK_LOG_ACTION", action);
    QAction* items[] = {pmiSetLogLoadEvent, pmiSetLogEdit, pmiSetLogSend};
    items[action]->setChecked(true);
}

void TfrmMIDIExplorer::UpdateLogMenu() {
    const bool selected = !lbxLog->selectedItems().isEmpty();
    pmiDelete->setEnabled(selected);
    pmiCopySelectedText->setEnabled(selected);
    pmiClearinputLog->setEnabled(lbxLog->count() > 0);
}

void TfrmMIDIExplorer::pmiDeleteClick() {
    for (int i = lbxLog->count() - 1; i >= 0; --i)
        if (lbxLog->item(i)->isSelected())
            DeleteLogLine(i);
}

void TfrmMIDIExplorer::pmiCopySelectedTextClick() {
    QString text;
    for (int i = 0; i < lbxLog->count(); ++i)
        if (lbxLog->item(i)->isSelected())
            text += lbxLog->item(i)->text() + "\r\n";
    QGuiApplication::clipboard()->setText(text);
}

void TfrmMIDIExplorer::miClearInClick() {
    for (int n = lbxLog->count(); n > 0; --n)
        DeleteLogLine(0);
}
