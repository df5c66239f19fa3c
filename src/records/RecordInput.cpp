#include "records/RecordInput.h"

#include "core/AdrsRecord.h"

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
    const QDateTime dt = StoredToDateTime(value);
    return dt.isValid() ? dt.toString(QStringLiteral(" yyyy/MM/dd HH:mm:ss")) : QString();
}

double DateTimeValue(const QDateTime& value)
{
    return DateTimeToStored(value);
}

} // namespace recordform
