#include "tests/tools/hrzctl_test_support.h"
#include "tools/hrzctl/json_writer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include <sys/wait.h>

namespace {

// Runs the real program through the shell; returns its exit status.
int RunProgram(const std::string& arguments) {
    const int raw = std::system((std::string(HRZCTL_PROGRAM) + " " + arguments).c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
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
        {{"show", "--verbose", "x"}, "unknown option --verbose"},
        {{"show", "--list", "x"}, "option --list does not apply to show"},
        {{"join", "--json", "x"}, "option --json does not apply to join"},
        {{"show"}, "show needs a file"},
        {{"split", "x"}, "split needs 2 arguments"},
        {{"split", "x", "y", "--untitled"}, "option --untitled needs a value"},
        {{"split", "x", "y", "--untitled="}, "--untitled needs a name that is not empty"},
        {{"show", "--json=yes", "x"}, "option --json takes no value"},
        {{"mpt", "--list", "--offsets", "x"}, "--offsets applies to the grid, not to --list"},
    };
    for (const auto& c : cases) {
        const auto r = RunTool(c.Args);
        EXPECT_EQ(r.Status, 2) << c.Message;
        EXPECT_EQ(r.Out, "");
        EXPECT_EQ(r.Err, "hrzctl: " + c.Message + "\nTry 'hrzctl --help' for more information.\n");
    }
}

TEST(HrzctlCli, HelpVersionAndOptionPlacement) {
    for (const auto& args : {std::vector<std::string>{"--help"}, {"help"}, {"show", "-h"}}) {
        const auto r = RunTool(args);
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Out.rfind("Usage: hrzctl [--pre-express] COMMAND", 0), 0u);
    }
    EXPECT_EQ(RunTool({"--version"}).Out.rfind("hrzctl ", 0), 0u);

    // Options go before or after the command; "--" lets a file start with a dash.
    TTempDir dir;
    WriteBytes(dir.File("-odd.hrz"), DumpOf(FactoryPreset(0, 2)));
    const auto r = RunTool({"--pre-express", "show", "--json", "--", dir.File("-odd.hrz")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    ParseJson(r.Out);
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

TEST(HrzctlJson, StringsAreEscapedAndAlwaysValid) {
    EXPECT_EQ(TJsonWriter::Escape("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(TJsonWriter::Escape("\n\t\x01\x7F"), "\"\\n\\t\\u0001\\u007f\"");
    EXPECT_EQ(TJsonWriter::Escape("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
    // Bytes that are not UTF-8 (an old file name) become the replacement character.
    EXPECT_EQ(TJsonWriter::Escape("x\xE9y"), "\"x\\ufffdy\"");
    EXPECT_EQ(TJsonWriter::Escape("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(TJsonWriter::Escape("\xC3"), "\"\\ufffd\"");

    std::ostringstream out;
    TJsonWriter json(out);
    json.BeginObject();
    json.Field("name", "Lead \"A\"\x1B");
    json.Key("list");
    json.BeginArray();
    json.Int(-3);
    json.Bool(false);
    json.Null();
    json.BeginObject();
    json.EndObject();
    json.EndArray();
    json.EndObject();
    json.Finish();
    ParseJson(out.str());
}

TEST(HrzctlJson, MisuseFailsInsteadOfWritingBadJson) {
    std::ostringstream out;
    TJsonWriter json(out);
    json.BeginObject();
    EXPECT_THROW(json.Int(1), std::logic_error); // no key
    EXPECT_THROW(json.EndArray(), std::logic_error);
    EXPECT_THROW(json.Finish(), std::logic_error);
    json.EndObject();
    EXPECT_THROW(json.BeginArray(), std::logic_error); // a second document
}
