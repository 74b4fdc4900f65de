#include "midi/midi_device_names.h"

#include "midi/midi_platform.h"

#include <cctype>
#include <set>

using namespace mm;

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

constexpr std::size_t kNameLimit = MAXPNAMELEN - 1;

} // namespace

std::string ShortDeviceName(const std::string& name, std::size_t limit) {
    if (name.size() <= limit)
        return name;
    if (limit == 0)
        return {};
    std::size_t headLength = (limit - 1) / 2;
    std::size_t tailStart = name.size() - (limit - 1 - headLength);
    while (headLength > 0 && IsContinuationByte(name[headLength]))
        --headLength;
    while (tailStart < name.size() && IsContinuationByte(name[tailStart]))
        ++tailStart;
    return name.substr(0, headLength) + "~" + name.substr(tailStart);
}

std::vector<std::string> UniqueDeviceNames(const std::vector<std::string>& portNames) {
    std::vector<std::string> names;
    std::set<std::string> used;
    for (const std::string& portName : portNames) {
        std::string name = ShortDeviceName(portName, kNameLimit);
        for (int number = 2; used.count(name) != 0; ++number) {
            const std::string suffix = " #" + std::to_string(number);
            name = ShortDeviceName(portName, kNameLimit - suffix.size()) + suffix;
        }
        used.insert(name);
        names.push_back(name);
    }
    return names;
}

std::string WithoutPortAddress(const std::string& portName) {
    // " <digits>:<digits>" at the very end
    std::size_t end = portName.size();
    std::size_t i = end;
    auto skipDigits = [&] {
        const std::size_t start = i;
        while (i > 0 && std::isdigit(static_cast<unsigned char>(portName[i - 1])))
            --i;
        return i < start;
    };
    if (!skipDigits() || i == 0 || portName[i - 1] != ':')
        return portName;
    --i;
    if (!skipDigits() || i == 0 || portName[i - 1] != ' ')
        return portName;
    return portName.substr(0, i - 1);
}

bool IsOwnClientPort(const std::string& portName, const std::string& clientName) {
    if (clientName.empty() || portName.compare(0, clientName.size(), clientName) != 0)
        return false;
    std::size_t i = clientName.size();
    if (i < portName.size() && portName[i] == '-') {
        const std::size_t digits = ++i;
        while (i < portName.size() && portName[i] >= '0' && portName[i] <= '9')
            ++i;
        if (i == digits)
            return false;
    }
    return i < portName.size() && portName[i] == ':';
}
