#pragma once
// The winmm calls the winmm backend makes, as a table, so that a test can stand
// in for the system (a machine without MIDI devices shows little). Include
// after the MIDI layer: it brings in <windows.h> and <mmsystem.h>.
#include "midi/winmm_platform.h"

#ifdef _WIN32

#include <windows.h>

#include <mmsystem.h>

struct TWinMMFunctions {
    decltype(&::midiInGetNumDevs) InGetNumDevs = ::midiInGetNumDevs;
    decltype(&::midiInGetDevCapsW) InGetDevCaps = ::midiInGetDevCapsW;
    decltype(&::midiInOpen) InOpen = ::midiInOpen;
    decltype(&::midiInPrepareHeader) InPrepareHeader = ::midiInPrepareHeader;
    decltype(&::midiInAddBuffer) InAddBuffer = ::midiInAddBuffer;
    decltype(&::midiInStart) InStart = ::midiInStart;
    decltype(&::midiInReset) InReset = ::midiInReset;
    decltype(&::midiInUnprepareHeader) InUnprepareHeader = ::midiInUnprepareHeader;
    decltype(&::midiInClose) InClose = ::midiInClose;
    decltype(&::midiInGetErrorTextA) InGetErrorText = ::midiInGetErrorTextA;
    decltype(&::midiOutGetNumDevs) OutGetNumDevs = ::midiOutGetNumDevs;
    decltype(&::midiOutGetDevCapsW) OutGetDevCaps = ::midiOutGetDevCapsW;
    decltype(&::midiOutOpen) OutOpen = ::midiOutOpen;
    decltype(&::midiOutShortMsg) OutShortMsg = ::midiOutShortMsg;
    decltype(&::midiOutPrepareHeader) OutPrepareHeader = ::midiOutPrepareHeader;
    decltype(&::midiOutLongMsg) OutLongMsg = ::midiOutLongMsg;
    decltype(&::midiOutUnprepareHeader) OutUnprepareHeader = ::midiOutUnprepareHeader;
    decltype(&::midiOutClose) OutClose = ::midiOutClose;
    decltype(&::midiOutGetErrorTextA) OutGetErrorText = ::midiOutGetErrorTextA;
};

#endif
