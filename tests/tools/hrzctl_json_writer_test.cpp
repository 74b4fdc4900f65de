// The streaming writer prints what the document writer prints for the same
// document, byte for byte: scripts that compared earlier output see no change.
#include "tests/tools/hrzctl_test_support.h"
#include "tools/hrzctl/json_output.h"
#include "tools/hrzctl/json_writer.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(HrzctlJsonWriter, PrintsTheBytesOfTheDocumentWriter) {
    // Texts that print as they are, and each kind that needs escaping or repair.
    const std::vector<std::string> texts = {"",
                                            " ~plain~ ",
                                            "q\"uo\\te",
                                            "\\", // nothing but a byte to escape
                                            "\"", // and the other one
                                            "tab\tnew\nline\x7f",
                                            "esc\x1b[31m",
                                            "\xc2\x9b csi",
                                            "rtl \xe2\x80\xae txt",
                                            "alm \xd8\x9c txt", // two bytes, not C2
                                            "bad \xff\xfe",
                                            "cut \xe2\x80",
                                            "caf\xc3\xa9",
                                            "rtl at the end \xe2\x80\xae"};
    TJson document = TJson::object();
    std::ostringstream streamed;
    {
        TJsonWriter json(streamed);
        json.BeginObject();
        document["empty_object"] = TJson::object();
        json.Key("empty_object").BeginObject().End();
        document["empty_array"] = TJson::array();
        json.Key("empty_array").BeginArray().End();
        TJson list = TJson::array();
        json.Key("texts").BeginArray();
        for (const auto& text : texts) {
            list.push_back(text);
            json.String(text);
        }
        json.End();
        document["texts"] = list;
        document["numbers"] = TJson{-2147483648LL, 0, 9007199254740993ULL};
        json.Key("numbers").BeginArray().Int(-2147483648LL).Int(0).Int(9007199254740993LL).End();
        document["nested"] = TJson{{{"a", true}, {"b", nullptr}, {"c", TJson::array({false})}}};
        json.Key("nested").BeginArray().BeginObject().Field("a", true).Field("b", nullptr);
        json.Key("c").BeginArray().Bool(false).End().End().End();
        SetFileName(document, "plain_name", "bank A.syx");
        SetFileName(document, "odd_name", "bank\xff.syx");
        json.FileName("plain_name", "bank A.syx").FileName("odd_name", "bank\xff.syx");
        json.End();
    }
    std::ostringstream whole;
    WriteJson(whole, document);
    EXPECT_EQ(streamed.str(), whole.str());
    // Controls, C1 controls and the marks that reorder text escaped; bytes that
    // are not UTF-8 replaced.
    EXPECT_NE(whole.str().find("    \"esc\\u001b[31m\",\n    \"\\u009b csi\",\n"
                               "    \"rtl \\u202e txt\",\n    \"alm \\u061c txt\",\n    \"bad "
                               "\xef\xbf\xbd\xef\xbf\xbd\",\n"),
              std::string::npos)
        << whole.str();
    EXPECT_NE(whole.str().find("\"rtl at the end \\u202e\""), std::string::npos)
        << whole.str(); // a mark as the last character is escaped too
}

TEST(HrzctlJsonWriter, ShowPrintsWhatTheDocumentWriterPrintsForItsParse) {
    TTempDir dir;
    const std::string file = dir.File("bank\xff.syx");
    WriteBytes(file, BulkDump(2));
    const auto json = RunTool({"show", "--json", file});
    ASSERT_EQ(json.Status, 0) << json.Err;
    std::ostringstream again;
    WriteJson(again, TJson::parse(json.Out));
    EXPECT_EQ(json.Out, again.str());
}
