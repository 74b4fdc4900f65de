#include "model/errors.h"
#include "model/file_path.h"
#include "model/preset_files.h"
#include "model/stream.h"
#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/input_file.h"
#include "tools/hrzctl/text_util.h"

#include <filesystem>
#include <system_error>

int CmdSplit(const TCommandOptions& options, TConsole& console) {
    namespace fs = std::filesystem;
    if (options.Files.size() != 2) {
        ReportError(console, "split needs a file and a folder (hrzctl split FILE.syx DIR)");
        return ExitFailure;
    }
    const std::string& source = options.Files[0];
    const std::string sourceName = HrzctlText::QuotedName(source);
    const fs::path folder = PathFromUtf8(options.Files[1]);
    TInputFile file;
    try {
        file = ReadInputFile(source);
    } catch (const std::exception& e) {
        ReportError(console, e.what());
        return ExitFailure;
    }
    const TSplitResult split =
        SplitPresetDumps(file.Scan, sourceName, options.PreExpress, options.UntitledName);
    ReportWarnings(console, split.Warnings);
    if (!split.Error.empty()) {
        ReportError(console, split.Error);
        return ExitFailure;
    }

    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        ReportError(console, HrzctlText::QuotedName(Utf8FromPath(folder)) +
                                 ": cannot create the folder" +
                                 (ec ? " (" + ec.message() + ")" : std::string()));
        return ExitFailure;
    }

    for (const TSplitFile& preset : split.Files) {
        const fs::path target = folder / PathFromUtf8(preset.Name);
        try {
            WriteFileAtomically(Utf8FromPath(target), preset.Bytes.data(), preset.Bytes.size());
        } catch (const std::exception& e) {
            ReportError(console, e.what());
            return ExitFailure;
        }
        console.Out << HrzctlText::QuotedName(Utf8FromPath(target)) << '\n';
    }
    return ExitOk;
}

int CmdJoin(const TCommandOptions& options, TConsole& console) {
    if (options.Files.empty()) {
        ReportError(console, "join needs at least one file (hrzctl join FILE... > OUT.syx)");
        return ExitFailure;
    }
    if (options.OutputPath.empty() && console.OutIsTerminal) {
        ReportError(console, "join writes binary data; redirect it to a file or use -o FILE");
        return ExitFailure;
    }
    const auto paths = options.SortByNumber ? SortedByPresetNumber(options.Files) : options.Files;
    // Everything is read and checked before a byte is written, so a bad input never
    // leaves half a file behind.
    std::vector<std::uint8_t> joined;
    for (const auto& path : paths) {
        TInputFile file;
        try {
            file = ReadInputFile(path);
        } catch (const std::exception& e) {
            ReportError(console, e.what());
            return ExitFailure;
        }
        const std::string refusal = JoinRefusal(file.Name, file.Bytes, file.Scan);
        if (!refusal.empty()) {
            ReportError(console, refusal);
            return ExitFailure;
        }
        joined.insert(joined.end(), file.Bytes.begin(), file.Bytes.end());
    }
    if (!options.OutputPath.empty()) {
        try {
            WriteFileAtomically(options.OutputPath, joined.data(), joined.size());
        } catch (const std::exception& e) {
            ReportError(console, e.what());
            return ExitFailure;
        }
        return ExitOk;
    }
    console.Out.write(reinterpret_cast<const char*>(joined.data()),
                      static_cast<std::streamsize>(joined.size()));
    console.Out.flush();
    if (!console.Out) {
        ReportError(console, "cannot write the joined dump to the output");
        return ExitFailure;
    }
    return ExitOk;
}
