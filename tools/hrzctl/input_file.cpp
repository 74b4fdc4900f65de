#include "tools/hrzctl/input_file.h"

#include "model/errors.h"
#include "model/stream.h"
#include "tools/hrzctl/text_util.h"

#include <cctype>
#include <cerrno>

namespace {

std::string Lowered(std::string reason) {
    if (!reason.empty())
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return reason;
}

} // namespace

TInputFile ReadInputFile(const std::string& path, int idleTimeoutMs) {
    TInputFile file;
    file.Path = path;
    file.Name = HrzctlText::QuotedName(path);
    // "-" is standard input, as for most tools.
    const std::string source = path == "-" ? "/dev/stdin" : path;
    TReadLimits limits;
    limits.MaxBytes = MaxInputFileSize;
    limits.Streams = true;
    limits.IdleTimeoutMs = idleTimeoutMs;
    try {
        file.Bytes = ReadWholeFile(source, limits);
    } catch (const EFileReadError& e) {
        using TKind = EFileReadError::TKind;
        switch (e.Kind()) {
        case TKind::TooLarge:
            throw EHrzError(file.Name + ": too large for a dump file" +
                            (e.Size()
                                 ? " (" + std::to_string(e.Size()) + " bytes)"
                                 : " (more than " + std::to_string(MaxInputFileSize) + " bytes)"));
        case TKind::System:
            if (e.SystemError() == ENOENT)
                throw EHrzError(file.Name + ": no such file");
            if (e.SystemError() == EISDIR)
                throw EHrzError(file.Name + ": is a folder, not a file");
            break;
        default:
            break;
        }
        throw EHrzError(file.Name + ": " + Lowered(e.Reason()));
    }
    file.Scan = ScanSysex(file.Bytes);
    return file;
}
