#include "tools/hrzctl/input_file.h"

#include "model/errors.h"
#include "model/stream.h"

#include <filesystem>
#include <system_error>

TInputFile ReadInputFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p(path);
    const auto status = fs::status(p, ec);
    if (status.type() == fs::file_type::not_found)
        throw EHrzError(path + ": no such file");
    // Any other trouble (permissions, a broken link) is told by the read below.
    if (fs::is_directory(status))
        throw EHrzError(path + ": is a folder, not a file");
    const auto size = fs::file_size(p, ec);
    if (!ec && size > MaxInputFileSize)
        throw EHrzError(path + ": too large for a dump file (" + std::to_string(size) + " bytes)");
    TInputFile file;
    file.Path = path;
    try {
        file.Bytes = ReadWholeFile(path);
    } catch (const EFOpenError&) {
        throw; // already names the file and the reason
    } catch (const EHrzError& e) {
        throw EHrzError(path + ": " + e.what());
    }
    if (file.Bytes.size() > MaxInputFileSize)
        throw EHrzError(path + ": too large for a dump file");
    file.Scan = ScanSysex(file.Bytes);
    return file;
}
