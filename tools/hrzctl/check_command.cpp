#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/dump_check.h"
#include "tools/hrzctl/json_writer.h"

int CmdCheck(const TCommandOptions& options, TConsole& console) {
    int status = ExitOk;
    int total = 0;
    TJsonWriter json(console.Out);
    if (options.Json) {
        json.BeginObject();
        json.Key("files");
        json.BeginArray();
    }
    for (const auto& path : options.Files) {
        TInputFile file;
        std::string error;
        try {
            file = ReadInputFile(path);
        } catch (const std::exception& e) {
            error = e.what();
        }
        if (!error.empty()) {
            status = ExitFailure;
            if (options.Json) {
                json.BeginObject();
                json.Field("file", path);
                json.Field("readable", false);
                json.Field("error", error);
                json.EndObject();
            } else {
                ReportError(console, error);
            }
            continue;
        }
        const TCheckResult result = CheckDumpFile(file, options.PreExpress);
        total += static_cast<int>(result.Problems.size());
        if (!result.Problems.empty() && status == ExitOk)
            status = ExitDifferent;
        if (options.Json) {
            json.BeginObject();
            json.Field("file", path);
            json.Field("readable", true);
            json.Field("presets", result.Presets);
            json.Field("tables", result.Tables);
            json.Key("problems");
            json.BeginArray();
            for (const auto& p : result.Problems) {
                json.BeginObject();
                json.Field("offset", static_cast<int>(p.Offset));
                json.Field("text", p.Text);
                json.EndObject();
            }
            json.EndArray();
            json.EndObject();
        } else {
            for (const auto& p : result.Problems)
                console.Out << path << ": offset " << p.Offset << ": " << p.Text << '\n';
        }
    }
    if (options.Json) {
        json.EndArray();
        json.Field("problems", total);
        json.EndObject();
        json.Finish();
    }
    return status;
}
