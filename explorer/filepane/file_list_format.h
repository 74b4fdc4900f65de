#pragma once
// Texts of the file list and its status bar.
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QString>
#include <array>

// Size column: whole kilobytes, where 1..1023 bytes count as 1 KB so that only
// an empty file shows "0 KB"; folders show nothing.
QString FormatSizeKB(qint64 size, bool isFolder);

// Modified column: local short date, two blanks, local time without seconds.
QString FormatFileTime(const QDateTime& time);

// Status bar byte total: "512 Byte(s)", "1.5 KByte", "2.25 MByte"; "" when negative.
QString FormatByteTotal(qint64 total);

// FormatFileTime for many files at once: the formats are looked up once and
// date and time texts are reused, which matters for folders with thousands
// of entries.
class TFileTimeFormatter {
public:
    explicit TFileTimeFormatter(const QLocale& locale = QLocale());
    QString Format(const QDateTime& time);
    // The same for a UTC time in ms since the epoch.
    QString FormatMSecs(qint64 utcMSecs);

private:
    QLocale locale_;
    QString dateFormat_;
    QString timeFormat_;
    QHash<int, QString> dates_;          // by year * 10000 + month * 100 + day
    std::array<QString, 24 * 60> times_; // by minute of the day, filled on use
};
