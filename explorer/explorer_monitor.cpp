// The MIDI monitor log: event lines that own their events, plain lines,
// the double-click actions and the popup.
#include "explorer/log_model.h"
#include "explorer/midi_explorer.h"
#include "midi/midi_input.h"
#include "settings/lv_reg_util.h"

#include <QApplication>
#include <QClipboard>
#include <QListView>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

namespace {

const QString kMonitorCaption = "MIDI Monitor";
const QString kMonitorEventsCaption = "MIDI Monitor: events received";

} // namespace

int TfrmMIDIExplorer::LogCount() const {
    return logModel_->Count();
}

QString TfrmMIDIExplorer::LogText(int index) const {
    return logModel_->Text(index);
}

TMyMidiEvent* TfrmMIDIExplorer::LogEvent(int index) const {
    return logModel_->Event(index);
}

int TfrmMIDIExplorer::CurrentLogLine() {
    FlushLog();
    const QModelIndex current = lbxLog->currentIndex();
    return current.isValid() ? current.row() : -1;
}

QList<int> TfrmMIDIExplorer::SelectedLogLines() {
    FlushLog();
    QList<int> rows;
    for (const QModelIndex& i : lbxLog->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TfrmMIDIExplorer::FlushLog() {
    logRefresh_->stop();
    if (!logModel_->Flush())
        return;
    const int count = logModel_->rowCount();
    if (count == 0)
        return;
    // The newest line becomes current without touching the user's selection.
    lbxLog->selectionModel()->setCurrentIndex(logModel_->index(count - 1),
                                              QItemSelectionModel::NoUpdate);
    if (logLineHeight_ <= 0)
        logLineHeight_ = std::max(1, lbxLog->sizeHintForRow(0));
    const int visible = lbxLog->viewport()->height() / logLineHeight_;
    if (count > visible)
        lbxLog->scrollToBottom();
}

void TfrmMIDIExplorer::AddLogLine(const QString& text) {
    logModel_->Append(text);
    // Lines can come far faster than a screen shows them: the view follows
    // the log at most once per refresh interval.
    if (!logRefresh_->isActive())
        logRefresh_->start();
}

void TfrmMIDIExplorer::AddEventLine(std::unique_ptr<TMyMidiEvent> event) {
    if (LogCount() > kMaxLogLines - 1)
        DeleteLogLine(0);
    const std::string bytes = MidiEventText(*event);
    QString text = DescribeEvent(*event);
    if (!text.isEmpty())
        text += " \u2014 ";
    text += QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    AddLogLine(text.left(kLogLineTextLimit));
    logModel_->AttachEvent(LogCount() - 1, std::move(event));
    if (pgcTab->currentWidget() != tsMonitor) {
        const int index = pgcTab->indexOf(tsMonitor);
        if (pgcTab->tabText(index) != kMonitorEventsCaption)
            pgcTab->setTabText(index, kMonitorEventsCaption);
    }
}

QString TfrmMIDIExplorer::DescribeEvent(const TMyMidiEvent&) const {
    return {};
}

void TfrmMIDIExplorer::DeleteLogLine(int index) {
    // The line's event is freed with it.
    logModel_->Remove(index);
}

void TfrmMIDIExplorer::MidiInputReceived(TMidiInput& sender) {
    // One notification may stand for many events: drain them all. A nested
    // call (from a wait inside a handler) leaves the draining to this loop.
    if (draining_)
        return;
    draining_ = true;
    int lastLength = -1;
    try {
        // At most one ring's worth per call: under a flood the remaining items
        // have notifications of their own queued, and the window stays
        // responsive between batches.
        for (int n = sender.Capacity(); n > 0 && sender.PendingEventCount() != 0; --n) {
            std::unique_ptr<TMyMidiEvent> event = sender.ReadEvent();
            if (!event)
                break;
            lastLength = MidiEventLength(*event);
            AddEventLine(std::move(event));
        }
    } catch (...) {
        draining_ = false;
        throw;
    }
    draining_ = false;
    // The text of the last event; pumping messages per event here would let a
    // flood of notifications nest without bound.
    if (lastLength >= 0)
        SetStatusTexts(QString("Received %1 MIDI in bytes").arg(lastLength));
}

void TfrmMIDIExplorer::pgcTabChange(int index) {
    if (pgcTab->widget(index) == tsMonitor)
        pgcTab->setTabText(index, kMonitorCaption);
}

void TfrmMIDIExplorer::lbxLogDblClick() {
    const int current = CurrentLogLine();
    TMyMidiEvent* event = current >= 0 ? LogEvent(current) : nullptr;
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
    const bool selected = !SelectedLogLines().isEmpty();
    pmiDelete->setEnabled(selected);
    pmiCopySelectedText->setEnabled(selected);
    pmiClearinputLog->setEnabled(LogCount() > 0);
}

void TfrmMIDIExplorer::pmiDeleteClick() {
    const QList<int> rows = SelectedLogLines();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        DeleteLogLine(*it);
}

void TfrmMIDIExplorer::pmiCopySelectedTextClick() {
    QString text;
    for (const int row : SelectedLogLines())
        text += LogText(row) + "\r\n";
    QGuiApplication::clipboard()->setText(text);
}

void TfrmMIDIExplorer::miClearInClick() {
    for (int n = LogCount(); n > 0; --n)
        DeleteLogLine(0);
    FlushLog();
}
