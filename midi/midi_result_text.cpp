#include "midi/midi_result_text.h"

#include <algorithm>
#include <cstring>

using namespace mm;

const char* MidiResultText(MMRESULT code) {
    switch (code) {
    case MMSYSERR_NOERROR:
        return "The specified command was carried out.";
    case MMSYSERR_ERROR:
        return "Undefined external error.";
    case MMSYSERR_BADDEVICEID:
        return "A device ID has been used that is out of range for your system.";
    case MMSYSERR_NOTENABLED:
        return "The driver was not enabled.";
    case MMSYSERR_ALLOCATED:
        return "The specified device is already in use. Wait until it is free, and then try "
               "again.";
    case MMSYSERR_INVALHANDLE:
        return "The specified device handle is invalid.";
    case MMSYSERR_NODRIVER:
        return "There is no driver installed on your system.";
    case MMSYSERR_NOMEM:
        return "There is not enough memory available for this task. Quit one or more "
               "applications to increase available memory, and then try again.";
    case MMSYSERR_NOTSUPPORTED:
        return "This function is not supported. Use the Capabilities function to determine "
               "which functions and messages the driver supports.";
    case MMSYSERR_BADERRNUM:
        return "An error number was given that is not defined in the system.";
    case MMSYSERR_INVALFLAG:
        return "An invalid flag was passed to a system function.";
    case MMSYSERR_INVALPARAM:
        return "An invalid parameter was passed to a system function.";
    case MIDIERR_UNPREPARED:
        return "The MIDI header was not prepared. Use the Prepare function to prepare the "
               "header, and then try again.";
    case MIDIERR_STILLPLAYING:
        return "Cannot perform this operation while media data is still playing. Reset the "
               "device, or wait until the data is finished playing.";
    case MIDIERR_NOMAP:
        return "A MIDI map was not found. There may be a problem with the driver.";
    case MIDIERR_NOTREADY:
        return "The port is transmitting data to the device. Wait until the data has been "
               "transmitted, and then try again.";
    case MIDIERR_NODEVICE:
        return "The current MIDI setup refers to a MIDI device that is not installed on the "
               "system.";
    case MIDIERR_INVALIDSETUP:
        return "The MIDI setup is invalid. Check the MIDI device configuration.";
    default:
        return nullptr;
    }
}

MMRESULT CopyMidiText(const char* source, char* text, std::uint32_t size) {
    if (source == nullptr || text == nullptr || size == 0)
        return MMSYSERR_BADERRNUM;
    const std::size_t length = std::min<std::size_t>(std::strlen(source), size - 1);
    std::memcpy(text, source, length);
    text[length] = '\0';
    return MMSYSERR_NOERROR;
}

MMRESULT CopyMidiResultText(MMRESULT code, char* text, std::uint32_t size) {
    return CopyMidiText(MidiResultText(code), text, size);
}
