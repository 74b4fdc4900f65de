#pragma once
// This system's own input and output ports on a given platform, opened by
// device name, asking one request at a time as the main window does.
#include "midi/midi_input.h"
#include "midi/midi_output.h"

#include <QCoreApplication>

#include <chrono>
#include <memory>
#include <vector>

class TPortSession {
public:
    TPortSession(IMidiPlatform& platform, const std::string& inName, const std::string& outName) {
        SetMidiPlatform(&platform);
        input_ = std::make_unique<TMidiInput>();
        output_ = std::make_unique<TMidiOutput>();
        input_->SetProductName(inName);
        input_->OnMidiInput = [this](QObject*) {
            while (auto event = input_->ReadEvent())
                received_.push_back(std::move(event));
        };
        input_->Open();
        input_->Start();
        output_->SetProductName(outName);
        output_->Open();
    }
    ~TPortSession() {
        input_->Close();
        output_->Close();
        QCoreApplication::sendPostedEvents();
        input_.reset();
        output_.reset();
        SetMidiPlatform(nullptr);
    }
    TPortSession(const TPortSession&) = delete;
    TPortSession& operator=(const TPortSession&) = delete;

    // Sends a request and returns the sysex bytes of the next sysex event (empty
    // when none comes within the time-out).
    std::vector<std::uint8_t> Ask(const std::vector<std::uint8_t>& request,
                                  std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        received_.clear();
        output_->SendLong(request.data(), static_cast<std::uint16_t>(request.size()));
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            for (const auto& event : received_)
                if (event->Status == 0xF0)
                    return event->Sysex;
        }
        return {};
    }
    // Over a real transport a request can be lost while the connection comes up
    // or the machine is busy; like the main window's watchdog, ask again. Only a
    // reply with the expected command counts, so a late answer to an earlier
    // attempt is not taken for something else.
    std::vector<std::uint8_t> AskRepeating(const std::vector<std::uint8_t>& request,
                                           std::uint8_t replyCommand, int attempts = 3) {
        for (int i = 0; i < attempts; ++i) {
            received_.clear();
            output_->SendLong(request.data(), static_cast<std::uint16_t>(request.size()));
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (std::chrono::steady_clock::now() < deadline) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                for (const auto& event : received_)
                    if (event->Status == 0xF0 && event->Sysex.size() > 4 &&
                        event->Sysex[4] == replyCommand)
                        return event->Sysex;
            }
        }
        return {};
    }
    // Lets connections that a transport makes in the background come up.
    void Settle(std::chrono::milliseconds time) {
        const auto until = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const std::vector<std::unique_ptr<TMyMidiEvent>>& Received() const { return received_; }
    TMidiOutput& Output() { return *output_; }

private:
    std::unique_ptr<TMidiInput> input_;
    std::unique_ptr<TMidiOutput> output_;
    std::vector<std::unique_ptr<TMyMidiEvent>> received_;
};
