#include "controls/seams/system_info.h"

#include <QFile>
#include <QLocale>
#include <QSysInfo>
#include <algorithm>
#include <charconv>
#include <limits>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_MACOS)
#include <mach/mach.h>
#include <sys/sysctl.h>
#include <sys/types.h>
#endif

namespace {

// Value of one "Key:   1234 kB" line in bytes; empty when the line is not one.
std::optional<std::uint64_t> MeminfoBytes(std::string_view line, std::string_view key) {
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ':')
        return std::nullopt;
    std::string_view rest = line.substr(key.size() + 1);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    std::uint64_t kib = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), kib);
    if (ec != std::errc() || end == rest.data())
        return std::nullopt;
    if (kib > std::numeric_limits<std::uint64_t>::max() / 1024)
        return std::nullopt;
    return kib * 1024;
}

} // namespace

std::optional<TMemoryStatus> ParseMeminfo(std::string_view text) {
    std::optional<std::uint64_t> total, available, memFree, buffers, cached;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (auto v = MeminfoBytes(line, "MemTotal"))
            total = v;
        else if (auto v = MeminfoBytes(line, "MemAvailable"))
            available = v;
        else if (auto v = MeminfoBytes(line, "MemFree"))
            memFree = v;
        else if (auto v = MeminfoBytes(line, "Buffers"))
            buffers = v;
        else if (auto v = MeminfoBytes(line, "Cached"))
            cached = v;
    }
    TMemoryStatus status;
    status.TotalBytes = total.value_or(0);
    if (available)
        status.AvailableBytes = *available;
    else if (memFree)
        status.AvailableBytes = *memFree + buffers.value_or(0) + cached.value_or(0);
    else
        return std::nullopt;
    return status;
}

std::optional<TMemoryStatus> ReadMemoryStatus() {
#if defined(Q_OS_WIN)
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof(memory);
    if (!GlobalMemoryStatusEx(&memory))
        return std::nullopt;
    return TMemoryStatus{memory.ullAvailPhys, memory.ullTotalPhys};
#elif defined(Q_OS_MACOS)
    TMemoryStatus status;
    std::uint64_t total = 0;
    std::size_t size = sizeof(total);
    if (sysctlbyname("hw.memsize", &total, &size, nullptr, 0) == 0)
        status.TotalBytes = total;
    vm_statistics64_data_t vm{};
    mach_msg_type_number_t count = HOST_VM_INFO64_COUNT;
    vm_size_t pageSize = 0;
    const mach_port_t host = mach_host_self();
    if (host_page_size(host, &pageSize) != KERN_SUCCESS ||
        host_statistics64(host, HOST_VM_INFO64, reinterpret_cast<host_info64_t>(&vm), &count) !=
            KERN_SUCCESS)
        return std::nullopt;
    // Inactive pages are handed out again without swapping, so they count as free.
    status.AvailableBytes =
        (static_cast<std::uint64_t>(vm.free_count) + vm.inactive_count) * pageSize;
    return status;
#else
    QFile file("/proc/meminfo");
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A proc file reports no size: read until it ends.
    const QByteArray text = file.readAll();
    return ParseMeminfo(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
#endif
}

QString FreeMemoryText(const std::optional<TMemoryStatus>& status) {
    if (!status)
        return "Free memory: unknown";
    const QLocale locale;
    const auto size = [&](std::uint64_t bytes) {
        const auto clamped =
            static_cast<qint64>(std::min<std::uint64_t>(bytes, std::numeric_limits<qint64>::max()));
        return locale.formattedDataSize(clamped, 2, QLocale::DataSizeTraditionalFormat);
    };
    QString text = "Free memory: " + size(status->AvailableBytes);
    if (status->TotalBytes > 0)
        text += " of " + size(status->TotalBytes);
    return text;
}

QString OperatingSystemText() {
    QString name = QSysInfo::prettyProductName();
    if (name.isEmpty() || name == "unknown")
        name = QSysInfo::productType();
    return QString("Operating system: %1, kernel %2 %3 (%4)")
        .arg(name, QSysInfo::kernelType(), QSysInfo::kernelVersion(),
             QSysInfo::currentCpuArchitecture());
}
