#include "settings/registry_ini_format.h"

#include <QFile>
#include <QIODevice>
#include <functional>
#include <map>
#include <vector>

namespace RegistryIni {

namespace {

const char kHex[] = "0123456789ABCDEF";

void AppendHex(QString& out, char16_t code, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += QLatin1Char(kHex[(code >> shift) & 0xF]);
}

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// The code of `digits` hex digits at text[at], or -1.
int HexAt(const QString& text, qsizetype at, int digits) {
    if (at + digits > text.size())
        return -1;
    int code = 0;
    for (int i = 0; i < digits; ++i) {
        const int v = HexValue(text.at(at + i));
        if (v < 0)
            return -1;
        code = code * 16 + v;
    }
    return code;
}

bool IsControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// %XX, or %uXXXX beyond Latin-1.
void AppendPercent(QString& out, QChar c) {
    out += u'%';
    if (c.unicode() > 0xFF) {
        out += u'u';
        AppendHex(out, c.unicode(), 4);
    } else {
        AppendHex(out, c.unicode(), 2);
    }
}

// Percent-escapes what `special` names, control characters, and blanks at
// either end (a reader trims those).
QString EscapeForFile(const QString& name, const std::function<bool(QChar, qsizetype)>& special) {
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool atEnd = i == 0 || i == name.size() - 1;
        if (c == u'%' || IsControl(c) || (atEnd && c.isSpace()) || special(c, i))
            AppendPercent(out, c);
        else
            out += c;
    }
    return out;
}

QString DecodePercent(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'%') {
            if (i + 1 < text.size() && text.at(i + 1) == u'u') {
                const int code = HexAt(text, i + 2, 4);
                if (code >= 0) {
                    out += QChar(static_cast<char16_t>(code));
                    i += 5;
                    continue;
                }
            }
            const int code = HexAt(text, i + 1, 2);
            if (code >= 0) {
                out += QChar(static_cast<char16_t>(code));
                i += 2;
                continue;
            }
        }
        out += text.at(i); // a lone "%" typed by hand stays as it is
    }
    return out;
}

QString SectionPartForFile(const QString& part) {
    return EscapeForFile(part, [](QChar c, qsizetype) { return c == u']' || c == u'\\'; });
}

QString NameForFile(const QString& name) {
    return EscapeForFile(name, [](QChar c, qsizetype at) {
        return c == u'=' || c == u'\\' || (at == 0 && (c == u'[' || c == u';' || c == u'#'));
    });
}

QString ValueForFile(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const bool atEnd = i == 0 || i == value.size() - 1;
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (IsControl(c) || (atEnd && c.isSpace())) {
            out += c.unicode() > 0xFF ? QStringLiteral("\\u") : QStringLiteral("\\x");
            AppendHex(out, c.unicode(), c.unicode() > 0xFF ? 4 : 2);
        } else
            out += c;
    }
    return out;
}

QString ValueFromFile(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(i + 1);
        int code = -1;
        qsizetype used = 1;
        if (next == u'\\')
            code = '\\';
        else if (next == u'n')
            code = '\n';
        else if (next == u'r')
            code = '\r';
        else if (next == u't')
            code = '\t';
        else if (next == u'x' && (code = HexAt(text, i + 2, 2)) >= 0)
            used = 3;
        else if (next == u'u' && (code = HexAt(text, i + 2, 4)) >= 0)
            used = 5;
        if (code < 0) {
            out += c; // a backslash typed by hand ("C:\Presets") stays
            continue;
        }
        out += QChar(static_cast<char16_t>(code));
        i += used;
    }
    return out;
}

// One line of the file, as written.
struct TLine {
    enum class TKind { Section, Entry } Kind;
    QString Section; // between the brackets
    QString Name;    // left of the first "="
    QString Value;   // right of it
};

// Calls take for every section and entry line; false at the first line that
// is neither one nor a comment nor blank.
bool ParseLines(const QByteArray& bytes, const std::function<void(const TLine&)>& take) {
    const QString text = QString::fromUtf8(bytes);
    for (QStringView raw : QStringView(text).split(u'\n')) {
        const QString line = raw.trimmed().toString();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']'))
                return false;
            take({TLine::TKind::Section, line.mid(1, line.size() - 2), {}, {}});
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            return false;
        take(
            {TLine::TKind::Entry, {}, line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return true;
}

bool ReadDevice(QIODevice& device, QSettings::SettingsMap& map) {
    return ReadText(device.readAll(), map);
}

bool WriteDevice(QIODevice& device, const QSettings::SettingsMap& map) {
    const QByteArray text = WriteText(map);
    return device.write(text) == text.size();
}

} // namespace

QSettings::Format Format() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), &ReadDevice, &WriteDevice);
    return format;
}

QString EscapeName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'%')
            out += QStringLiteral("%25");
        else if (c == u'/')
            out += QStringLiteral("%2F");
        else if (c == u'\\')
            out += QStringLiteral("%5C");
        else
            out += c;
    }
    return out;
}

QString UnescapeName(const QString& part) {
    return DecodePercent(part);
}

QString GroupOfKey(const QString& key) {
    QStringList parts;
    for (const QString& part : key.split(u'\\', Qt::SkipEmptyParts))
        parts << EscapeName(part);
    return parts.join(u'/');
}

QByteArray WriteText(const QSettings::SettingsMap& map) {
    // Section (the escaped group) -> its entries, parents before children.
    std::map<QString, std::vector<std::pair<QString, QString>>> sections;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().lastIndexOf(u'/');
        const QString group = slash < 0 ? QString() : it.key().left(slash);
        sections[group].emplace_back(UnescapeName(it.key().mid(slash + 1)), it.value().toString());
    }
    QString text;
    for (const auto& [group, entries] : sections) {
        if (!group.isEmpty()) {
            if (!text.isEmpty())
                text += u'\n';
            QStringList parts;
            for (const QString& part : group.split(u'/'))
                parts << SectionPartForFile(UnescapeName(part));
            text += u'[' + parts.join(u'\\') + QStringLiteral("]\n");
        }
        for (const auto& [name, value] : entries)
            text += NameForFile(name) + u'=' + ValueForFile(value) + u'\n';
    }
    return text.toUtf8();
}

bool ReadText(const QByteArray& text, QSettings::SettingsMap& map) {
    QString group;
    return ParseLines(text, [&](const TLine& line) {
        if (line.Kind == TLine::TKind::Section) {
            QStringList parts;
            for (const QString& part : line.Section.split(u'\\', Qt::SkipEmptyParts))
                parts << EscapeName(DecodePercent(part));
            group = parts.join(u'/');
            return;
        }
        const QString name = DecodePercent(line.Name);
        if (name.isEmpty())
            return;
        const QString key = group.isEmpty() ? EscapeName(name) : group + u'/' + EscapeName(name);
        map.insert(key, ValueFromFile(line.Value));
    });
}

bool IsOldStyleFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // QSettings put only the first level in the section and the rest of the
    // path, with "\" between levels, in the entry's name. This format escapes
    // "\" in names and has at least two levels in every section it writes.
    bool sectionWithLevels = false;
    bool nameWithLevels = false;
    const bool parsed = ParseLines(file.readAll(), [&](const TLine& line) {
        if (line.Kind == TLine::TKind::Section)
            sectionWithLevels = sectionWithLevels || line.Section.contains(u'\\');
        else
            nameWithLevels = nameWithLevels || line.Name.contains(u'\\');
    });
    return parsed && nameWithLevels && !sectionWithLevels;
}

} // namespace RegistryIni
