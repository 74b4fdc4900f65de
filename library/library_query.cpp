#include "library/library_query.h"

#include "library/shown_value.h"
#include "model/catalogue.h"
#include "model/digital_groups.h"
#include "model/preset_view.h"
#include "model/value_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>

namespace {

enum class TTok { Word, Quoted, Op, LParen, RParen, Not, Field, End };

struct TToken {
    TTok Kind = TTok::End;
    std::string Text;  // word, quoted text, operator, field name
    std::string Value; // field value
    std::size_t Column = 0;
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Letters and digits only, lower case: "Drive:" -> "drive", "Pitch-Trans" -> "pitchtrans".
std::string Key(std::string_view s) {
    std::string out;
    for (const char c : s)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

[[noreturn]] void Fail(std::size_t column, const std::string& text) {
    throw ELibraryQueryError("Query error at column " + std::to_string(column) + ": " + text);
}

const char* const FieldNames[] = {"title", "effect", "uses", "group", "cc", "controller", "is"};

bool IsField(const std::string& name) {
    return std::find(std::begin(FieldNames), std::end(FieldNames), name) != std::end(FieldNames);
}

// After a comparison a dash is a minus sign ("EQ 40hz below -6 db"), elsewhere "not".
bool ValueMayFollow(const std::vector<TToken>& tokens) {
    if (tokens.empty())
        return false;
    const TToken& t = tokens.back();
    if (t.Kind == TTok::Op)
        return true;
    if (t.Kind != TTok::Word)
        return false;
    const std::string w = Lower(t.Text);
    return w == "above" || w == "below" || w == "over" || w == "under" || w == "is" ||
           w == "least" || w == "most" ||
           (w == "not" && tokens.size() > 1 && Lower(tokens[tokens.size() - 2].Text) == "is");
}

std::vector<TToken> Tokenize(std::string_view q) {
    std::vector<TToken> tokens;
    std::size_t i = 0;
    const auto quoted = [&](std::size_t start) {
        const std::size_t close = q.find('"', i + 1);
        if (close == std::string_view::npos)
            Fail(start + 1, "the quote is not closed");
        std::string text(q.substr(i + 1, close - i - 1));
        i = close + 1;
        return text;
    };
    while (i < q.size()) {
        const char c = q[i];
        const std::size_t column = i + 1;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '(' || c == ')') {
            tokens.push_back(
                {c == '(' ? TTok::LParen : TTok::RParen, std::string(1, c), {}, column});
            ++i;
        } else if (c == '"') {
            tokens.push_back({TTok::Quoted, quoted(i), {}, column});
        } else if (c == '<' || c == '>' || c == '=' || c == '!') {
            std::string op(1, c);
            ++i;
            if (i < q.size() && q[i] == '=') {
                op += '=';
                ++i;
            }
            if (op == "!")
                Fail(column, "\"!\" alone is not an operator (use != or not)");
            if (op == "==")
                op = "=";
            tokens.push_back({TTok::Op, op, {}, column});
        } else if (c == '-' && !ValueMayFollow(tokens) && i + 1 < q.size() &&
                   !std::isspace(static_cast<unsigned char>(q[i + 1]))) {
            tokens.push_back({TTok::Not, "-", {}, column});
            ++i;
        } else {
            std::size_t end = i;
            while (end < q.size() && !std::isspace(static_cast<unsigned char>(q[end])) &&
                   std::string_view("()\"<>=!").find(q[end]) == std::string_view::npos)
                ++end;
            std::string word(q.substr(i, end - i));
            i = end;
            const auto colon = word.find(':');
            if (colon != std::string::npos && IsField(Lower(word.substr(0, colon)))) {
                TToken field{TTok::Field, Lower(word.substr(0, colon)), word.substr(colon + 1),
                             column};
                if (field.Value.empty() && i < q.size() && q[i] == '"')
                    field.Value = quoted(i);
                if (field.Value.empty())
                    Fail(column, field.Text + ": needs a value");
                tokens.push_back(field);
            } else {
                tokens.push_back({TTok::Word, word, {}, column});
            }
        }
    }
    tokens.push_back({TTok::End, "", {}, q.size() + 1});
    return tokens;
}

// Digital effect names without their size or number ("Reverb" of "Reverb 2",
// "Tapped DDL" of "Tapped DDL S").
std::string FamilyKey(std::string_view name) {
    if (name.size() > 2 && name[name.size() - 2] == ' ' &&
        std::string_view("123SL").find(name.back()) != std::string_view::npos)
        return Key(name.substr(0, name.size() - 2));
    return Key(name);
}

struct TEffectMatch {
    std::uint32_t Analog = 0;
    std::uint32_t Digital = 0;
};

TEffectMatch MatchEffect(std::string_view name) {
    const std::string key = Key(name);
    TEffectMatch m;
    if (key.empty())
        return m;
    const auto analog = Catalogue::AnalogEffects();
    for (std::size_t i = 0; i < analog.size(); ++i)
        if (Key(analog[i].Name) == key)
            m.Analog |= 1u << i;
    const auto digital = Catalogue::DigitalEffects();
    for (std::size_t e = 0; e < digital.size(); ++e)
        if (Key(digital[e].Name) == key || FamilyKey(digital[e].Name) == key)
            m.Digital |= 1u << e;
    return m;
}

bool EffectNameMatches(const TParamInfo& p, const std::string& key) {
    const std::string name = EffectNameOf(p);
    return Key(name) == key || (p.Section == TParamSection::Digital && FamilyKey(name) == key);
}

// The parameters words name: effect words then caption words ("Reverb Decay",
// "Compressor Drive", "Stereo DDL Left Delay"), or a caption alone ("Decay").
std::vector<const TParamInfo*> MatchParams(const std::vector<std::string>& words) {
    std::vector<const TParamInfo*> found;
    std::string all;
    for (const auto& w : words)
        all += Key(w);
    for (const auto& p : Catalogue::AllParams()) {
        const std::string caption = Key(p.Caption);
        bool match = caption == all;
        for (std::size_t k = 1; !match && k < words.size(); ++k) {
            std::string effect, rest;
            for (std::size_t i = 0; i < words.size(); ++i)
                (i < k ? effect : rest) += Key(words[i]);
            match = rest == caption && EffectNameMatches(p, effect);
        }
        if (match)
            found.push_back(&p);
    }
    return found;
}

std::string LabelOf(const std::vector<std::string>& words) {
    std::string label;
    for (const auto& w : words)
        label += (label.empty() ? "" : " ") + w;
    return label;
}

class TParser {
public:
    explicit TParser(std::string_view q) : tokens_(Tokenize(q)) {}

    TCompiledQuery Parse() {
        TCompiledQuery out;
        if (Peek().Kind == TTok::End) {
            out.Where = "1";
            return out;
        }
        out.Where = ParseOr();
        if (Peek().Kind == TTok::RParen)
            Fail(Peek().Column, "\")\" without \"(\"");
        if (Peek().Kind != TTok::End)
            Fail(Peek().Column, "unexpected \"" + Peek().Text + "\"");
        out.Params = std::move(params_);
        return out;
    }

private:
    const TToken& Peek(std::size_t ahead = 0) const {
        return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
    }
    const TToken& Next() { return tokens_[std::min(pos_++, tokens_.size() - 1)]; }

    bool IsWord(const TToken& t, std::string_view w) const {
        return t.Kind == TTok::Word && Lower(t.Text) == w;
    }

    std::string BindBlob(std::string bytes) {
        params_.push_back(TSqlBlob{std::move(bytes)});
        return "?" + std::to_string(params_.size());
    }

    // " (Hall-1, Room-1, ...)": the first choices, for an error message.
    static std::string ChoicesHint(const TParamInfo& p) {
        if (p.Choices.empty())
            return "";
        std::string hint = " (";
        for (std::size_t i = 0; i < p.Choices.size() && i < 6; ++i)
            hint += (i ? ", " : "") + std::string(p.Choices[i]);
        return hint + (p.Choices.size() > 6 ? ", ...)" : ")");
    }

    std::string Bind(TSqlValue value) {
        params_.push_back(std::move(value));
        return "?" + std::to_string(params_.size());
    }

    std::string ParseOr() {
        std::string sql = ParseAnd();
        while (IsWord(Peek(), "or")) {
            Next();
            sql = sql + " OR " + ParseAnd();
        }
        return "(" + sql + ")";
    }

    bool EndsAnd(const TToken& t) const {
        return t.Kind == TTok::End || t.Kind == TTok::RParen || IsWord(t, "or");
    }

    std::string ParseAnd() {
        if (EndsAnd(Peek()))
            Fail(Peek().Column, Peek().Kind == TTok::End
                                    ? "the query ends where a condition is expected"
                                    : "a condition is expected before \"" + Peek().Text + "\"");
        std::string sql = ParseUnary();
        while (!EndsAnd(Peek())) {
            if (IsWord(Peek(), "and")) {
                Next();
                if (EndsAnd(Peek()))
                    Fail(Peek().Column, "a condition is expected after \"and\"");
            }
            sql = sql + " AND " + ParseUnary();
        }
        return sql;
    }

    std::string ParseUnary() {
        if (Peek().Kind == TTok::Not || IsWord(Peek(), "not")) {
            const auto& t = Next();
            if (EndsAnd(Peek()) || IsWord(Peek(), "and"))
                Fail(t.Column, "a condition is expected after \"" + t.Text + "\"");
            return "NOT " + ParseUnary();
        }
        return ParsePrimary();
    }

    std::string ParsePrimary() {
        const TToken& t = Peek();
        switch (t.Kind) {
        case TTok::LParen: {
            Next();
            std::string sql = ParseOr();
            if (Peek().Kind != TTok::RParen)
                Fail(t.Column, "\"(\" is not closed");
            Next();
            return sql;
        }
        case TTok::Quoted:
            Next();
            return TitleContains(t.Text);
        case TTok::Field:
            Next();
            return FieldCondition(t);
        case TTok::Op:
            Fail(t.Column, "\"" + t.Text + "\" needs a parameter before it (Reverb Decay > 5 s)");
        case TTok::Word:
            if (IsWord(t, "duplicate") || IsWord(t, "duplicates")) {
                Next();
                return Duplicate();
            }
            return Words();
        default:
            Fail(t.Column, "a condition is expected");
        }
    }

    static bool IsKeyword(const std::string& w) {
        const std::string l = Lower(w);
        return l == "and" || l == "or" || l == "not";
    }

    // The comparison at the current token, consumed; "" when there is none.
    std::string Comparison() {
        const TToken& t = Peek();
        std::string op;
        if (t.Kind == TTok::Op) {
            op = t.Text;
            Next();
        } else if (IsWord(t, "above") || IsWord(t, "over")) {
            op = ">";
            Next();
        } else if (IsWord(t, "below") || IsWord(t, "under")) {
            op = "<";
            Next();
        } else if (IsWord(t, "is")) {
            op = "=";
            Next();
            if (IsWord(Peek(), "not")) {
                Next();
                op = "!=";
            }
        } else if (IsWord(t, "at") && (IsWord(Peek(1), "least") || IsWord(Peek(1), "most"))) {
            op = IsWord(Peek(1), "least") ? ">=" : "<=";
            Next();
            Next();
        }
        return op;
    }

    std::string Words() {
        std::vector<std::string> words;
        std::vector<std::size_t> columns;
        while (Peek().Kind == TTok::Word && !IsKeyword(Peek().Text) &&
               !IsWord(Peek(), "duplicate") && !IsWord(Peek(), "duplicates")) {
            const TToken& t = Peek();
            if (IsWord(t, "above") || IsWord(t, "below") || IsWord(t, "over") ||
                IsWord(t, "under") || IsWord(t, "is") ||
                (IsWord(t, "at") && (IsWord(Peek(1), "least") || IsWord(Peek(1), "most"))))
                break;
            words.push_back(t.Text);
            columns.push_back(t.Column);
            Next();
        }
        const std::size_t opColumn = Peek().Column;
        const std::string op = Comparison();
        if (op.empty()) {
            if (words.empty())
                Fail(Peek().Column, "\"" + Peek().Text + "\" needs a parameter before it");
            std::string sql;
            for (const auto& w : words)
                sql += (sql.empty() ? "" : " AND ") + TitleContains(w);
            return sql;
        }
        if (words.empty())
            Fail(opColumn, "the comparison needs a parameter before it (Reverb Decay > 5 s)");
        // The longest run of last words that names a parameter; words before it are title words.
        for (std::size_t first = 0; first < words.size(); ++first) {
            const std::vector<std::string> label(words.begin() + static_cast<long>(first),
                                                 words.end());
            auto params = MatchParams(label);
            if (params.empty())
                continue;
            std::string sql;
            for (std::size_t i = 0; i < first; ++i)
                sql += TitleContains(words[i]) + " AND ";
            return sql + ParamCondition(params, LabelOf(label), columns[first], op, opColumn);
        }
        Fail(columns.front(), "no parameter is called \"" + LabelOf(words) +
                                  "\" (effect and caption as the editor shows them, e.g. "
                                  "Reverb Decay, Compressor Drive)");
    }

    std::string TitleContains(const std::string& text) {
        std::string pattern = "%";
        for (const char c : text) {
            if (c == '%' || c == '_' || c == '\\')
                pattern += '\\';
            pattern += c;
        }
        return "title LIKE " + Bind(pattern + "%") + " ESCAPE '\\'";
    }

    std::string Duplicate() {
        return "sound IN (SELECT sound FROM presets GROUP BY sound HAVING count(*) > 1)";
    }

    std::string FieldCondition(const TToken& t) {
        if (t.Text == "title")
            return TitleContains(t.Value);
        if (t.Text == "effect" || t.Text == "uses") {
            const TEffectMatch m = MatchEffect(t.Value);
            if (!m.Analog && !m.Digital)
                Fail(t.Column, "no effect is called \"" + t.Value +
                                   "\" (names as in the editor's effect lists, e.g. Compressor, "
                                   "Reverb, Reverb 2, Tapped DDL)");
            std::string sql;
            if (m.Analog)
                sql = "(analog & " + Bind(static_cast<std::int64_t>(m.Analog)) + ") != 0";
            if (m.Digital)
                sql += (sql.empty() ? "" : " OR ") + std::string("(digital & ") +
                       Bind(static_cast<std::int64_t>(m.Digital)) + ") != 0";
            return "(" + sql + ")";
        }
        if (t.Text == "group") {
            const auto g = WholeNumber(t.Value);
            if (!g || *g < 0 || *g >= DigitalGroups::RowCount)
                Fail(t.Column, "group: needs a group number 0..53, not \"" + t.Value + "\"");
            return "grp = " + Bind(*g);
        }
        if (t.Text == "cc" || t.Text == "controller") {
            if (Lower(t.Value) == "any")
                return "controllers != ''";
            const auto c = WholeNumber(t.Value);
            if (!c || *c < 0 || *c > 128)
                Fail(t.Column, t.Text + ": needs a controller number 0..128 or \"any\", not \"" +
                                   t.Value + "\"");
            return "instr(controllers, " + Bind(" " + std::to_string(*c) + " ") + ") > 0";
        }
        // is:
        if (Lower(t.Value) == "duplicate")
            return Duplicate();
        Fail(t.Column, "is: knows only \"duplicate\", not \"" + t.Value + "\"");
    }

    static std::optional<std::int64_t> WholeNumber(std::string_view s) {
        std::int64_t v = 0;
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
        if (ec != std::errc() || end != s.data() + s.size())
            return std::nullopt;
        return v;
    }

    // A typed value: a number with an optional unit ("5 s", "5s", "50%", "-6 db"), or a text.
    struct TTypedValue {
        std::optional<TShownNumber> Number;
        bool HasUnit = false;
        std::string Text;
        std::size_t Column = 0;
    };

    TTypedValue Value(const std::string& op, std::size_t opColumn) {
        const TToken& t = Peek();
        if (t.Kind != TTok::Word && t.Kind != TTok::Quoted)
            Fail(t.Kind == TTok::End ? opColumn : t.Column,
                 "\"" + op +
                     "\" needs a value after it (a number such as 5 s or 50%, or a choice)");
        Next();
        TTypedValue v;
        v.Text = t.Text;
        v.Column = t.Column;
        if (t.Kind == TTok::Quoted)
            return v;
        std::string text = t.Text;
        // A unit written apart from its number ("5 s").
        const bool bare =
            ParseShownNumber(text) && ParseShownNumber(text)->Unit == TValueUnit::None;
        if (bare && Peek().Kind == TTok::Word) {
            const std::string unit = Lower(Peek().Text);
            if (unit == "s" || unit == "sec" || unit == "second" || unit == "seconds" ||
                unit == "ms" || unit == "%" || unit == "hz" || unit == "khz" || unit == "db") {
                text += " " + Peek().Text;
                Next();
            }
        }
        v.Number = ParseShownNumber(text);
        v.Text = text;
        if (v.Number)
            v.HasUnit = v.Number->Unit != TValueUnit::None || text.find(' ') != std::string::npos;
        if (!v.Number && std::isdigit(static_cast<unsigned char>(text[0])) &&
            text.find_first_not_of("0123456789.") != std::string::npos &&
            text.find(':') == std::string::npos && text.find('-') == std::string::npos) {
            Fail(t.Column, "\"" + text +
                               "\" has a unit the editor does not show (use s, ms, %, Hz, "
                               "KHz or db)");
        }
        return v;
    }

    std::string ParamCondition(std::vector<const TParamInfo*> params, const std::string& label,
                               std::size_t column, const std::string& op, std::size_t opColumn) {
        TTypedValue v = Value(op, opColumn);
        std::vector<std::string> parts;
        if (v.Number) {
            std::vector<const TParamInfo*> fitting;
            for (const auto* p : params) {
                const bool unitFits = !v.HasUnit ? true
                                                 : ShownUnit(*p) == v.Number->Unit ||
                                                       (v.Number->Unit == TValueUnit::None &&
                                                        ShownUnit(*p) == TValueUnit::None);
                if (unitFits && (ShownUnit(*p) != TValueUnit::None || HasNumbers(*p)))
                    fitting.push_back(p);
            }
            if (fitting.empty()) {
                const TValueUnit shown = ShownUnit(*params.front());
                if (!HasNumbers(*params.front()))
                    Fail(v.Column, label +
                                       " is a choice, not a number: compare it with = and "
                                       "its text (" +
                                       label + " is " + FirstChoice(*params.front()) + ")");
                const std::string shownName =
                    shown == TValueUnit::Millisecond && ShownScale(*params.front()) > 1
                        ? "s"
                        : std::string(UnitName(shown));
                const std::string typedName = v.Number->Unit == TValueUnit::Millisecond &&
                                                      v.Text.find("ms") == std::string::npos
                                                  ? "s"
                                                  : std::string(UnitName(v.Number->Unit));
                Fail(v.Column, label + " is shown " +
                                   (shown == TValueUnit::None ? std::string("as a plain number")
                                                              : "in " + shownName) +
                                   ", not in " + typedName);
            }
            // One call per scale: a plain number is scaled for each parameter.
            std::map<double, std::vector<int>> byValue;
            for (const auto* p : fitting) {
                const double value = v.HasUnit
                                         ? v.Number->Value
                                         : std::round(v.Number->Value * ShownScale(*p) * 1e6) / 1e6;
                byValue[value].push_back(p->Number);
            }
            for (const auto& [value, numbers] : byValue) {
                std::string call = "hrz_num(dump, " + Bind(OpCode(op)) + ", " + Bind(value);
                for (const int n : numbers)
                    call += ", " + Bind(static_cast<std::int64_t>(n));
                parts.push_back(call + ")");
            }
        } else {
            if (op != "=" && op != "!=")
                Fail(v.Column, "\"" + op + "\" needs a number after it, not \"" + v.Text + "\"");
            // The choice becomes the stored values that show it, so the search
            // compares numbers and a choice that does not exist is an error here.
            const std::string wanted = Lower(v.Text);
            std::string call = "hrz_raw(dump, " + Bind(OpCode(op));
            bool any = false;
            for (const auto* p : params) {
                std::string mask(32, '\0');
                for (int raw = 0; raw < 256; ++raw)
                    if (Lower(ValueText(*p, raw)) == wanted) {
                        mask[static_cast<std::size_t>(raw / 8)] |=
                            static_cast<char>(1 << (raw % 8));
                        any = true;
                    }
                call += ", " + Bind(static_cast<std::int64_t>(p->Number)) + ", " + BindBlob(mask);
            }
            if (!any)
                Fail(v.Column,
                     label + " has no choice \"" + v.Text + "\"" + ChoicesHint(*params.front()));
            parts.push_back(call + ")");
        }
        (void)column;
        std::string sql;
        for (const auto& part : parts)
            sql += (sql.empty() ? "" : " OR ") + part;
        // A preset whose effect is off has no such value: the condition is false (and
        // true under "not").
        return "(" + sql + ")";
    }

    // The comparison as hrz_num and hrz_text take it.
    static std::int64_t OpCode(const std::string& op) {
        static const char* const ops[] = {">", ">=", "<", "<=", "=", "!="};
        for (std::int64_t i = 0; i < 6; ++i)
            if (op == ops[i])
                return i;
        return 4;
    }

    static bool HasNumbers(const TParamInfo& p) {
        for (int raw = p.Min; raw <= p.Max; ++raw)
            if (ShownNumber(p, raw))
                return true;
        return false;
    }

    static std::string FirstChoice(const TParamInfo& p) {
        return p.Choices.empty() ? std::string("...") : std::string(p.Choices.front());
    }

    std::vector<TToken> tokens_;
    std::size_t pos_ = 0;
    std::vector<TSqlValue> params_;
};

} // namespace

TCompiledQuery CompileLibraryQuery(std::string_view query) {
    if (query.size() > 2000)
        throw ELibraryQueryError("Query error: the query is longer than 2000 characters");
    return TParser(query).Parse();
}

std::string LibraryQueryHelp() {
    return R"(Search words:
  lead solo                   the title contains "lead" and "solo" ("clean jazz": the text)
  effect:NAME                 the effect is switched on (Compressor, Reverb, Reverb 2, Tapped DDL)
  group:N                     digital group N (0..53)
  PARAMETER OP VALUE          a parameter's value as the editor shows it:
                                Reverb Decay > 5 s, Compressor Drive at least 50%,
                                Reverb Type is Plate-1  (OP: > >= < <= = != above below
                                at least, at most, is, is not)
  cc:N  cc:any                a performance entry in use watches controller N
  duplicate                   another preset has the same sound under another title
  and, or, not (or -), ( )    combine; words side by side must all hold
)";
}
