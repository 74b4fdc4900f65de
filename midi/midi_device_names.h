#pragma once
// Device names made from backend port names: at most MAXPNAMELEN - 1 bytes,
// unique within one device list, and the same from run to run for the same
// set of ports, so a saved name finds its device again.
#include <cstddef>
#include <string>
#include <vector>

// Shortens to at most limit bytes, keeping the start and the end (which tell
// ports of one client apart) around a "~"; never splits a UTF-8 character.
std::string ShortDeviceName(const std::string& name, std::size_t limit);

// Names in list order; a repeated name gets " #2", " #3", ... in order of appearance.
std::vector<std::string> UniqueDeviceNames(const std::vector<std::string>& portNames);

// Drops a trailing sequencer address such as " 20:0", which changes with plug order.
std::string WithoutPortAddress(const std::string& portName);

// Whether a port ("client:port") belongs to a client of this program: the client
// is named clientName, or clientName with the "-01", "-02", ... that JACK adds
// when the name is taken. Listing it would let the program loop into itself.
bool IsOwnClientPort(const std::string& portName, const std::string& clientName);
