#include "explorer/filepane/file_list_format.h"

#include <QRegularExpression>
#include <ctime>

QString FormatSizeKB(qint64 size, bool isFolder) {
    if (isFolder)
        return {};
    if (size > 0 && size < 1024)
        size = 1024;
    return QString::number(size / 1024) + " KB";
}

namespace {

// Three significant digits; from 1000 up whole numbers, never an exponent.
QString ThreeDigits(double value) {
    const QLocale locale;
    if (value >= 999.5)
        return locale.toString(value, 'f', 0);
    return locale.toString(value, 'g', 3);
}

QString TimeFormatWithoutSeconds(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    static const QRegularExpression seconds(QStringLiteral("[:.]?s+(\\.z+)?"));
    format.remove(seconds);
    return format.trimmed();
}

} // namespace

QString FormatByteTotal(qint64 total) {
    if (total < 0)
        return {};
    if (total < 1024)
        return QString::number(total) + " Byte(s)";
    if (total < 1048576)
        return ThreeDigits(static_cast<double>(total) / 1024.0) + " KByte";
    return ThreeDigits(static_cast<double>(total) / 1048576.0) + " MByte";
}

TFileTimeFormatter::TFileTimeFormatter(const QLocale& locale)
    : locale_(locale), dateFormat_(locale.dateFormat(QLocale::ShortFormat)),
      timeFormat_(TimeFormatWithoutSeconds(locale)) {}

QString TFileTimeFormatter::Format(const QDateTime& time) {
    return time.isValid() ? FormatMSecs(time.toMSecsSinceEpoch()) : QString();
}

QString TFileTimeFormatter::FormatMSecs(qint64 utcMSecs) {
    // The C library's conversion to local time is several times cheaper than
    // QDateTime's, and it is what file managers use.
    const std::time_t seconds =
        static_cast<std::time_t>(utcMSecs >= 0 ? utcMSecs / 1000 : (utcMSecs - 999) / 1000);
    std::tm local{};
#if defined(Q_OS_WIN)
    const bool converted = localtime_s(&local, &seconds) == 0;
#else
    const bool converted = localtime_r(&seconds, &local) != nullptr;
#endif
    if (!converted) {
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(utcMSecs).toLocalTime();
        return locale_.toString(t.date(), dateFormat_) + "  " +
               locale_.toString(t.time(), timeFormat_);
    }
    const int year = local.tm_year + 1900, month = local.tm_mon + 1, day = local.tm_mday;
    const int dateKey = year * 10000 + month * 100 + day;
    auto date = dates_.constFind(dateKey);
    if (date == dates_.constEnd())
        date = dates_.insert(dateKey, locale_.toString(QDate(year, month, day), dateFormat_));
    QString& time = times_[static_cast<size_t>(local.tm_hour * 60 + local.tm_min)];
    if (time.isEmpty())
        time = locale_.toString(QTime(local.tm_hour, local.tm_min), timeFormat_);
    return *date + QLatin1String("  ") + time;
}

QString FormatFileTime(const QDateTime& time) {
    return TFileTimeFormatter().Format(time);
}
