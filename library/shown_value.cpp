#include "library/shown_value.h"

#include "model/value_text.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

constexpr int TableSize = 256;

struct TValueTable {
    // NaN where the text holds no number.
    std::vector<std::array<double, TableSize>> Numbers;
    std::vector<TValueUnit> Units;
    std::vector<double> Scales;
};

const TValueTable& Table() {
    static const TValueTable table = [] {
        TValueTable t;
        const auto params = Catalogue::AllParams();
        t.Numbers.resize(params.size());
        t.Units.assign(params.size(), TValueUnit::None);
        t.Scales.assign(params.size(), 1.0);
        for (std::size_t i = 0; i < params.size(); ++i) {
            bool unitSet = false;
            for (int raw = 0; raw < TableSize; ++raw) {
                const auto n = ParseShownNumber(ValueText(params[i], raw));
                t.Numbers[i][raw] = n ? n->Value : std::nan("");
                if (n && !unitSet && raw >= params[i].Min) {
                    t.Units[i] = n->Unit;
                    t.Scales[i] = n->Scale;
                    unitSet = true;
                }
            }
        }
        return t;
    }();
    return table;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// "s", "sec", "second", "seconds" in any case.
bool IsSecondsWord(std::string_view w) {
    std::string lower;
    for (const char c : w)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "s" || lower == "sec" || lower == "second" || lower == "seconds";
}

} // namespace

std::optional<TShownNumber> ParseShownNumber(std::string_view text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + at, text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data() + at)
        return std::nullopt;
    if (negative)
        value = -value;
    std::string_view rest(end, static_cast<std::size_t>(text.data() + text.size() - end));
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    TShownNumber n{value, TValueUnit::None};
    if (rest.empty()) {
        n.Value = std::round(n.Value * 1e6) / 1e6;
        return n;
    }
    if (rest == "%") {
        n.Unit = TValueUnit::Percent;
    } else if (StartsWithNoCase(rest, "db") && rest.size() == 2) {
        n.Unit = TValueUnit::Decibel;
    } else if (StartsWithNoCase(rest, "khz") && rest.size() == 3) {
        n.Unit = TValueUnit::Hertz;
        n.Scale = 1000;
    } else if (StartsWithNoCase(rest, "hz") && rest.size() == 2) {
        n.Unit = TValueUnit::Hertz;
    } else if (StartsWithNoCase(rest, "ms") && rest.size() == 2) {
        n.Unit = TValueUnit::Millisecond;
    } else if (IsSecondsWord(rest)) {
        n.Unit = TValueUnit::Millisecond;
        n.Scale = 1000;
    } else {
        return std::nullopt; // "2 sec" is seconds, "1K hz" a choice: only the listed forms
    }
    n.Value = std::round(n.Value * n.Scale * 1e6) / 1e6; // 1.05 s and 1050 ms are equal
    return n;
}

std::optional<double> ShownNumber(const TParamInfo& param, int raw) {
    double value;
    if (raw >= 0 && raw < TableSize) {
        value = Table().Numbers[static_cast<std::size_t>(param.Number - 1)][raw];
    } else {
        const auto n = ParseShownNumber(ValueText(param, raw));
        if (!n)
            return std::nullopt;
        value = n->Value;
    }
    if (std::isnan(value))
        return std::nullopt;
    return value;
}

TValueUnit ShownUnit(const TParamInfo& param) {
    return Table().Units[static_cast<std::size_t>(param.Number - 1)];
}

double ShownScale(const TParamInfo& param) {
    return Table().Scales[static_cast<std::size_t>(param.Number - 1)];
}

std::string_view UnitName(TValueUnit unit) {
    switch (unit) {
    case TValueUnit::Percent:
        return "%";
    case TValueUnit::Decibel:
        return "dB";
    case TValueUnit::Hertz:
        return "Hz";
    case TValueUnit::Millisecond:
        return "ms";
    case TValueUnit::None:
        break;
    }
    return "";
}
