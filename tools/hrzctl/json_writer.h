#pragma once
// JSON written as it goes, byte for byte as WriteJson prints the same document,
// so that a listing of thousands of presets never stands whole in memory and
// costs no tree of objects per preset.
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& out) : out_(out) {}
    TJsonWriter(const TJsonWriter&) = delete;
    TJsonWriter& operator=(const TJsonWriter&) = delete;
    ~TJsonWriter();

    TJsonWriter& BeginObject();
    TJsonWriter& BeginArray();
    // Closes the innermost object or array; the outermost one also ends the line.
    TJsonWriter& End();
    TJsonWriter& Key(std::string_view key);

    TJsonWriter& String(std::string_view text);
    TJsonWriter& Int(std::int64_t value);
    TJsonWriter& Bool(bool value);
    TJsonWriter& Null();

    // Key and value in one call.
    template <typename T> TJsonWriter& Field(std::string_view key, const T& value) {
        Key(key);
        return Value(value);
    }
    // key: name; when the name is not UTF-8, its exact bytes also go to key + "_hex",
    // as SetFileName does.
    TJsonWriter& FileName(std::string_view key, const std::string& name);

private:
    template <typename T> TJsonWriter& Value(const T& value) {
        if constexpr (std::is_same_v<T, bool>)
            return Bool(value);
        else if constexpr (std::is_same_v<T, std::nullptr_t>)
            return Null();
        else if constexpr (std::is_integral_v<T>)
            return Int(static_cast<std::int64_t>(value));
        else
            return String(std::string_view(value));
    }

    // Starts a value: in an array, after the separator and indent of its line.
    void BeforeValue();
    // Text gathers in buffer_ and goes to the stream in large pieces: a
    // stream's own cost per call was most of the time of a long listing.
    void Flush();
    void NewLine(std::size_t depth);
    // The separator and line of the next member or item of the innermost level.
    void NextItem();
    void WriteString(std::string_view text);

    struct TLevel {
        bool Object = false;
        bool Any = false;
    };
    static constexpr std::size_t kFlushSize = 64 * 1024;
    std::ostream& out_;
    std::string buffer_;
    std::vector<TLevel> levels_;
    bool afterKey_ = false;
};
