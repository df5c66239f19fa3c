#include "records/RecordInput.h"

#include <QDate>
#include <QTime>
#include <cmath>

namespace recordform {

QString PubDateText(const QString& stored)
{
    if (stored.isEmpty())
        return {};
    return QStringLiteral(" ") + stored.left(4) + QStringLiteral("年") + stored.mid(4, 2) + QStringLiteral("月");
}

QString PostalCodeText(const QString& stored)
{
    if (stored.size() != 5 && stored.size() != 7)
        return stored;
    return stored.left(3) + QLatin1Char('-') + stored.mid(3, 4);
}

QString DateTimeText(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return {};
    // Whole milliseconds first, so 0.5 days is noon and not 11:59:59.999.
    const long long ms = std::llround(value * 86400000.0);
    const long long msPerDay = 86400000LL;
    long long days = ms / msPerDay;
    long long rest = ms % msPerDay;
    if (rest < 0) {
        // The time of day is always counted forward from midnight.
        rest = -rest;
    }
    const QDate date = QDate(1899, 12, 30).addDays(days);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(rest));
    return date.toString(QStringLiteral(" yyyy/MM/dd ")) + time.toString(QStringLiteral("HH:mm:ss"));
}

double DateTimeValue(const QDateTime& value)
{
    const QDate epoch(1899, 12, 30);
    const double days = double(epoch.daysTo(value.date()));
    return days + double(value.time().msecsSinceStartOfDay()) / 86400000.0;
}

} // namespace recordform
