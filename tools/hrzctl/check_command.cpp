#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/dump_check.h"
#include "tools/hrzctl/json_output.h"
#include "tools/hrzctl/text_util.h"

int CmdCheck(const TCommandOptions& options, TConsole& console) {
    int status = ExitOk;
    std::size_t total = 0;
    TJson files = TJson::array();
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
                TJson object = TJson::object();
                SetFileName(object, "file", path);
                object["readable"] = false;
                object["error"] = error;
                files.push_back(std::move(object));
            } else {
                ReportError(console, error);
            }
            continue;
        }
        const TCheckResult result = CheckDumpFile(file, options.PreExpress);
        total += result.ProblemCount;
        const std::size_t unlisted = result.ProblemCount - result.Problems.size();
        if (result.ProblemCount != 0 && status == ExitOk)
            status = ExitDifferent;
        if (options.Json) {
            TJson problems = TJson::array();
            for (const auto& p : result.Problems)
                problems.push_back(TJson{{"offset", p.Offset}, {"text", p.Text}});
            TJson object = TJson::object();
            SetFileName(object, "file", path);
            object["readable"] = true;
            object["presets"] = result.Presets;
            object["tables"] = result.Tables;
            object["problems"] = std::move(problems);
            object["problems_not_listed"] = unlisted;
            files.push_back(std::move(object));
        } else {
            const std::string name = HrzctlText::QuotedName(path);
            for (const auto& p : result.Problems)
                console.Out << name << ": offset " << p.Offset << ": " << p.Text << '\n';
            if (unlisted != 0)
                console.Out << name << ": " << unlisted << " more problem"
                            << (unlisted == 1 ? "" : "s") << " not listed\n";
        }
    }
    if (options.Json)
        WriteJson(console.Out, TJson{{"files", std::move(files)}, {"problems", total}});
    return status;
}
