#pragma once
// Several platform backends seen as one: the devices of each backend follow
// those of the backends before it, and every call is routed by device id or
// handle. Output device -1 is the mapper, an alias of output device 0.
#include "midi/midi_platform.h"

#include <memory>
#include <string>
#include <vector>

namespace mm {

constexpr std::uint16_t MOD_MAPPER = 5; // wTechnology of the mapper

class TCompositeMidiPlatform : public IMidiPlatform {
public:
    TCompositeMidiPlatform();
    ~TCompositeMidiPlatform() override;

    // Appends a backend; add them before ports are created, the device ids of
    // later backends depend on the counts of earlier ones.
    void AddBackend(IMidiPlatform& backend); // not owned
    void AddBackend(std::unique_ptr<IMidiPlatform> backend);
    std::size_t BackendCount() const { return backends_.size(); }

    std::string MapperName = "MIDI Mapper";

    std::uint32_t midiInGetNumDevs() override;
    MMRESULT midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) override;
    MMRESULT midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiCallback callback,
                        std::uintptr_t instance, std::uint32_t flags) override;
    MMRESULT midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT midiInAddBuffer(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT midiInStart(HMIDIIN handle) override;
    MMRESULT midiInReset(HMIDIIN handle) override;
    MMRESULT midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header) override;
    MMRESULT midiInClose(HMIDIIN handle) override;
    MMRESULT midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) override;

    std::uint32_t midiOutGetNumDevs() override;
    MMRESULT midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) override;
    MMRESULT midiOutOpen(HMIDIOUT* handle, int deviceId, MidiCallback callback,
                         std::uintptr_t instance, std::uint32_t flags) override;
    MMRESULT midiOutShortMsg(HMIDIOUT handle, std::uint32_t message) override;
    MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) override;
    MMRESULT midiOutClose(HMIDIOUT handle) override;
    MMRESULT midiOutGetErrorText(MMRESULT code, char* text, std::uint32_t size) override;
    void RefreshDevices() override;

private:
    // What a composite handle points at: the backend's own handle and the
    // caller's callback, so callbacks carry the composite handle.
    template <typename Handle> struct TOpenDevice {
        IMidiPlatform* Backend = nullptr;
        Handle Inner = nullptr;
        MidiCallback Callback = nullptr;
        std::uintptr_t Instance = 0;
    };
    using TOpenInput = TOpenDevice<HMIDIIN>;
    using TOpenOutput = TOpenDevice<HMIDIOUT>;

    static void InputCallback(void* handle, std::uint32_t message, std::uintptr_t instance,
                              std::uintptr_t param1, std::uintptr_t param2);
    static void OutputCallback(void* handle, std::uint32_t message, std::uintptr_t instance,
                               std::uintptr_t param1, std::uintptr_t param2);

    IMidiPlatform* RouteInput(std::uint32_t deviceId, std::uint32_t& localId) const;
    IMidiPlatform* RouteOutput(int deviceId, int& localId) const;
    TOpenInput* FindInput(HMIDIIN handle) const;
    TOpenOutput* FindOutput(HMIDIOUT handle) const;

    std::vector<IMidiPlatform*> backends_;
    std::vector<std::unique_ptr<IMidiPlatform>> owned_;
    std::vector<std::unique_ptr<TOpenInput>> inputs_;
    std::vector<std::unique_ptr<TOpenOutput>> outputs_;
};

} // namespace mm

using mm::TCompositeMidiPlatform;
