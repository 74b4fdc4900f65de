#pragma once
// A small streaming JSON writer: indented output, strings always escaped, and the
// nesting checked so a caller's mistake fails loudly instead of printing bad JSON.
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& out) : out_(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // Inside an object: the name of the next value.
    void Key(std::string_view name);

    // Text is UTF-8 except where noted; it is escaped as JSON requires.
    void String(std::string_view text);
    void Int(long long value);
    void Bool(bool value);
    void Null();

    // Shorthands for a key followed by a value.
    void Field(std::string_view name, std::string_view text) {
        Key(name);
        String(text);
    }
    void Field(std::string_view name, const char* text) { Field(name, std::string_view(text)); }
    void Field(std::string_view name, const std::string& text) {
        Field(name, std::string_view(text));
    }
    void Field(std::string_view name, int value) {
        Key(name);
        Int(value);
    }
    void Field(std::string_view name, bool value) {
        Key(name);
        Bool(value);
    }

    // Ends the document with a newline; throws std::logic_error when it is incomplete.
    void Finish();

    static std::string Escape(std::string_view text);

private:
    enum class TScope { Object, Array };
    void BeforeValue();
    void NewLine();

    std::ostream& out_;
    std::vector<TScope> scopes_;
    std::vector<bool> hasItems_;
    bool keyPending_ = false;
    bool done_ = false;
};
