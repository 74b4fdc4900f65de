#include "tests/tools/hrzctl_test_support.h"
#include "tools/hrzctl/commands.h"
#include "tools/hrzctl/text_util.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include <sys/wait.h>

namespace {

// Runs a command line in bash; returns its exit status.
int RunShell(const std::string& command) {
    const std::string quoted = "'" + std::regex_replace(command, std::regex("'"), "'\\''") + "'";
    const int raw = std::system(("bash -c " + quoted).c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Runs the real program through the shell; returns its exit status.
int RunProgram(const std::string& arguments) {
    return RunShell(std::string(HRZCTL_PROGRAM) + " " + arguments);
}

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

} // namespace

TEST(HrzctlCli, UsageMistakesAreStatusTwoWithAHint) {
    struct Case {
        std::vector<std::string> Args;
        std::string Message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"frobnicate", "x"}, "unknown command frobnicate"},
        {{"-", "x"}, "unknown command -"}, // a lone dash names no option
        {{"show", "--verbose", "x"}, "unknown option --verbose"},
        {{"show", "--list", "x"}, "option --list does not apply to show"},
        {{"join", "--json", "x"}, "option --json does not apply to join"},
        {{"show"}, "show needs a file"},
        {{"split", "x"}, "split needs 2 arguments"},
        {{"split", "x", "y", "--untitled"}, "option --untitled needs a value"},
        {{"split", "x", "y", "--untitled", ""}, "--untitled needs a name that is not empty"},
        {{"join", "x", "-o", ""}, "--output needs a file name"},
        {{"show", "--json=yes", "x"}, "option --json takes no value"},
        {{"--pre-express=yes", "show", "x"}, "option --pre-express takes no value"},
        {{"mpt", "--list", "--offsets", "x"}, "--offsets applies to the grid, not to --list"},
    };
    for (const auto& c : cases) {
        const auto r = RunTool(c.Args);
        EXPECT_EQ(r.Status, 2) << c.Message;
        EXPECT_EQ(r.Out, "");
        EXPECT_EQ(r.Err, "hrzctl: " + c.Message + "\nTry 'hrzctl --help' for more information.\n");
    }
    // Given twice is not missing its value (the words are the parser's).
    const auto twice = RunTool({"split", "x", "y", "--untitled", "a", "--untitled", "b"});
    EXPECT_EQ(twice.Status, 2);
    EXPECT_EQ(twice.Err.rfind("hrzctl: --untitled: ", 0), 0u) << twice.Err;
}

TEST(HrzctlCli, HelpVersionAndOptionPlacement) {
    for (const auto& args : {std::vector<std::string>{"--help"}, {"help"}, {"show", "-h"}}) {
        const auto r = RunTool(args);
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Out.rfind("Usage: hrzctl [--pre-express] COMMAND", 0), 0u);
    }
    EXPECT_EQ(RunTool({"--version"}).Out.rfind("hrzctl ", 0), 0u);
    // Each name the help lists for an option ("  -o, --output FILE   ...") is taken.
    const std::string usage = RunTool({"--help"}).Out;
    const auto from = usage.find("Options:\n") + 9;
    std::istringstream lines(usage.substr(from, usage.find("\n\n", from) - from));
    int listed = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream option(line.substr(2, line.find("  ", 2) - 2));
        std::vector<std::string> names;
        std::string value; // FILE, NAME
        for (std::string word; option >> word;)
            (names.empty() || names.back().back() == ',' ? names.emplace_back() : value) = word;
        for (std::string name : names) {
            if (name.back() == ',')
                name.pop_back();
            EXPECT_EQ(name[0], '-') << line;
            std::vector<std::string> args{"--version", name};
            if (!value.empty())
                args.push_back("x");
            EXPECT_EQ(RunTool(args).Status, 0) << line;
            ++listed;
        }
    }
    EXPECT_EQ(listed, 11);

    // Options go before or after the command; "--" lets a file start with a dash.
    TTempDir dir;
    WriteBytes(dir.File("-odd.hrz"), DumpOf(FactoryPreset(0, 2)));
    const auto r = RunTool({"--pre-express", "show", "--json", "--", dir.File("-odd.hrz")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    ParseJson(r.Out);

    // Files may be named like commands.
    WriteBytes(dir.File("check"), DumpOf(FactoryPreset(0, 3)));
    WriteBytes(dir.File("show"), DumpOf(FactoryPreset(0, 3)));
    const auto named = RunTool({"diff", dir.File("check"), dir.File("show")});
    EXPECT_EQ(named.Status, 0) << named.Err;
    EXPECT_EQ(RunTool({"show", "check"}).Err.find("needs"), std::string::npos);
}

TEST(HrzctlCli, TheProgramReportsThroughItsExitStatus) {
    TTempDir dir;
    WriteBytes(dir.File("good.hrz"), DumpOf(FactoryPreset(3, 199)));
    Bytes bad = DumpOf(FactoryPreset(3, 199));
    bad[13] = 0x7F;
    WriteBytes(dir.File("bad.hrz"), bad);
    const std::string quiet = " > /dev/null 2>&1";
    EXPECT_EQ(RunProgram("check " + Quoted(dir.File("good.hrz")) + quiet), 0);
    EXPECT_EQ(RunProgram("check " + Quoted(dir.File("bad.hrz")) + quiet), 1);
    EXPECT_EQ(RunProgram("check " + Quoted(dir.File("none.hrz")) + quiet), 2);
    EXPECT_EQ(RunProgram("diff " + Quoted(dir.File("good.hrz")) + " " +
                         Quoted(dir.File("good.hrz")) + quiet),
              0);
    EXPECT_EQ(RunProgram("diff " + Quoted(dir.File("good.hrz")) + " " +
                         Quoted(dir.File("bad.hrz")) + quiet),
              1);

    // Pipes are read to their end, as files are.
    const std::string program = HRZCTL_PROGRAM;
    EXPECT_EQ(RunShell("cat " + Quoted(dir.File("bad.hrz")) + " | " + program + " show /dev/stdin" +
                       quiet),
              0);
    EXPECT_EQ(RunProgram("check /dev/stdin < " + Quoted(dir.File("bad.hrz")) + quiet), 1);
    EXPECT_EQ(RunProgram("check <(cat " + Quoted(dir.File("good.hrz")) + ")" + quiet), 0);
    EXPECT_EQ(RunProgram("check - < " + Quoted(dir.File("bad.hrz")) + quiet), 1);

    // Binary output survives the trip through standard output.
    const Bytes bulk = BulkDump(2);
    WriteBytes(dir.File("bulk.syx"), bulk);
    ASSERT_EQ(
        RunProgram("split " + Quoted(dir.File("bulk.syx")) + " " + Quoted(dir.File("out")) + quiet),
        0);
    ASSERT_EQ(RunProgram("join --sort " + Quoted(dir.File("out")) + "/* > " +
                         Quoted(dir.File("joined.syx"))),
              0);
    EXPECT_EQ(ReadBytes(dir.File("joined.syx")), bulk);
}

TEST(HrzctlCli, TwentyWarningsAreShownThenTheCountOfTheRest) {
    for (const int count : {20, 21}) {
        std::vector<std::string> warnings;
        for (int i = 1; i <= count; ++i)
            warnings.push_back("w" + std::to_string(i));
        std::ostringstream out, err;
        TConsole console{out, err};
        ReportWarnings(console, warnings);
        const std::string text = err.str();
        EXPECT_EQ(text.substr(text.find("w20")),
                  count == 20 ? "w20\n" : "w20\nhrzctl: warning: 1 more warnings not shown\n");
        EXPECT_EQ(text.find("w21"), std::string::npos);
    }
}

TEST(HrzctlNames, OddFileNamesAreQuotedAndKeepTheirBytes) {
    using HrzctlText::QuotedName;
    EXPECT_EQ(QuotedName("Bank A/Lead 'x'.hrz012"), "Bank A/Lead 'x'.hrz012");
    EXPECT_EQ(QuotedName("caf\xC3\xA9.hrz"), "caf\xC3\xA9.hrz");
    EXPECT_EQ(QuotedName("two\nlines"), "$'two\\nlines'");
    EXPECT_EQ(QuotedName("it's\xE9\\"), "$'it\\'s\\xE9\\\\'");
    EXPECT_EQ(QuotedName("c1\xC2\x85"), "$'c1\\xC2\\x85'");
    // Each edge of UTF-8: the last valid sequence stays, the first invalid one is escaped.
    for (const char* valid : {" ~", "\xC2\xA0", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF",
                              "\xEE\x80\x80", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_EQ(QuotedName(valid), valid);
    EXPECT_EQ(QuotedName("\x1F"), "$'\\x1F'");
    EXPECT_EQ(QuotedName("\x7F"), "$'\\x7F'");
    EXPECT_EQ(QuotedName("\xC2\x9F"), "$'\\xC2\\x9F'");
    EXPECT_EQ(QuotedName("\xC1\xBF"), "$'\\xC1\\xBF'");
    EXPECT_EQ(QuotedName("\xE0\x9F\xBF"), "$'\\xE0\\x9F\\xBF'");
    EXPECT_EQ(QuotedName("\xED\xA0\x80"), "$'\\xED\\xA0\\x80'");
    EXPECT_EQ(QuotedName("\xF0\x8F\xBF\xBF"), "$'\\xF0\\x8F\\xBF\\xBF'");
    EXPECT_EQ(QuotedName("\xF4\x90\x80\x80"), "$'\\xF4\\x90\\x80\\x80'");
    EXPECT_EQ(QuotedName("\xF5\x80\x80\x80"), "$'\\xF5\\x80\\x80\\x80'");
    EXPECT_EQ(QuotedName("a\xC3"), "$'a\\xC3'");
    EXPECT_EQ(QuotedName("\xC3\xA9\r\t"), "$'\xC3\xA9\\r\\t'");
    EXPECT_EQ(QuotedName(" \x01"), "$' \\x01'");
    EXPECT_EQ(HrzctlText::Printable("\x1F ~\x7F\x80\x9F\xA0"), "\\x1F ~\\x7F\\x80\\x9F\xC2\xA0");
    EXPECT_EQ(HrzctlText::TerminalSafe("\x1F ~\x7F\xC2\x9F\xC2\xA0"), "\\x1F ~\\x7F\\x9F\xC2\xA0");
    EXPECT_EQ(HrzctlText::TerminalSafe("\xC2\x80"), "\\x80"); // the first C1 control
    // A lead byte at the end of the text looks no further, even where memory goes on.
    EXPECT_EQ(HrzctlText::TerminalSafe(std::string_view("a\xC2\x85", 2)), "a\xC2");
    // U+A00E shares its low bits with the mark U+200E, and stays as it is.
    EXPECT_EQ(HrzctlText::TerminalSafe("\xEA\x80\x8E"), "\xEA\x80\x8E");
    EXPECT_EQ(HrzctlText::PadRight("\xC3\xA9\xE2\x82\xAC", 3), "\xC3\xA9\xE2\x82\xAC ");

    TTempDir dir;
    const std::string odd = dir.File("Lead\n\xE9.hrz");
    WriteBytes(odd, DumpOf(FactoryPreset(0, 4)));
    const auto text = RunTool({"show", odd});
    ASSERT_EQ(text.Status, 0) << text.Err;
    EXPECT_EQ(text.Out.rfind("== $'" + dir.Path().string() + "/Lead\\n\\xE9.hrz' ==\n", 0), 0u);

    const auto json = RunTool({"show", "--json", odd});
    const auto object = ParseJson(json.Out).object()["presets"].toArray()[0].toObject();
    const QByteArray bytes = QByteArray::fromHex(object["file_hex"].toString().toLatin1());
    EXPECT_EQ(bytes.toStdString(), odd);
    EXPECT_EQ(RunTool({"show", bytes.toStdString()}).Status, 0);

    const auto plain = RunTool({"check", "--json", dir.File("fine.hrz")});
    EXPECT_FALSE(
        ParseJson(plain.Out).object()["files"].toArray()[0].toObject().contains("file_hex"));
}
