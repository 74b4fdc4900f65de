#pragma once
// The main window's ports and waits as the runs reach the unit: sends go out
// through the window's output, waits keep the window's events flowing (the
// window hands each event to the run that is active meanwhile).
#include "app/window/frm_main.h"

class TfrmMain::TLink : public IUnitLink {
public:
    explicit TLink(TfrmMain& window) : window_(window) {}
    void SendLong(const std::vector<std::uint8_t>& bytes) override;
    void SendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
    bool OutputOpen() const override;
    std::unique_ptr<TMyMidiEvent> ReadEvent() override;
    void DiscardInput() override;
    void Wait(std::uint32_t ms) override;
    std::uint32_t Now() override;
    void Later(std::function<void()> action) override;

private:
    TfrmMain& window_;
};
