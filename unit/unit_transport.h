#pragma once
// Where the standalone virtual unit meets other MIDI software: a pair of ports
// on the ALSA sequencer or on a JACK server. Messages in, reply blocks out.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class IUnitTransport {
public:
    using TClock = std::chrono::steady_clock;
    using TMessage = std::vector<std::uint8_t>;

    virtual ~IUnitTransport() = default;

    // Waits until a message arrives or `until` passes; appends what arrived.
    virtual void Wait(TClock::time_point until, std::vector<TMessage>& received) = 0;
    // Sends a reply block. Nothing is dropped: a block waits until the transport has
    // room for it. Realtime bytes inside the block go out on their own, ahead of it.
    virtual void Send(const TMessage& block) = 0;
    // True while sent blocks still wait for room.
    virtual bool Sending() const = 0;
    // Set once the transport has failed for good (its server went away), with the
    // reason; the unit cannot be reached any more.
    virtual std::string Failure() const = 0;
    // Problems that did not stop it (a send that failed), taken once each.
    virtual std::vector<std::string> TakeWarnings() = 0;
    // "JACK ports "HRZ2000 virtual unit:MIDI in" and "...:MIDI out""
    virtual std::string Description() const = 0;
};

// The names of the two ports of a unit's client.
constexpr const char* UnitInPortName = "MIDI in";
constexpr const char* UnitOutPortName = "MIDI out";

// Splits a reply block as a driver puts it on a port: each realtime byte on its
// own, ahead of the message it interrupted, then the rest.
std::vector<std::vector<std::uint8_t>> UnitWireMessages(const std::vector<std::uint8_t>& block);
