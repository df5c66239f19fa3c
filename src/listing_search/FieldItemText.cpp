#include "listing_search/FieldItemText.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace {

QStringList splitList(const QString& text)
{
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char(','));
}

} // namespace

bool ParseFieldItems(const QString& index, const QString& chosen, std::span<TFieldItem> items)
{
    const qsizetype count = qsizetype(items.size());
    const QStringList codes = splitList(index);
    if (codes.size() != count)
        return false;
    std::vector<TFieldItem> read(items.size());
    std::vector<bool> seen(items.size());
    for (qsizetype i = 0; i < count; ++i) {
        bool ok = false;
        const int code = codes[i].trimmed().toInt(&ok);
        if (!ok || code < 0 || code >= count || seen[code])
            return false;
        seen[code] = true;
        read[i] = TFieldItem{code, code, true};
    }
    const QStringList choices = splitList(chosen);
    if (choices.size() == count)
        for (qsizetype i = 0; i < count; ++i)
            read[i].Selected = choices[i].trimmed() == QLatin1String("1");
    std::copy(read.begin(), read.end(), items.begin());
    return true;
}

QString FieldItemIndexText(std::span<const TFieldItem> items)
{
    QStringList out;
    for (const TFieldItem& e : items)
        out << QString::number(e.ItemCode);
    return out.join(QLatin1Char(','));
}

QString FieldItemChosenText(std::span<const TFieldItem> items)
{
    QStringList out;
    for (const TFieldItem& e : items)
        out << (e.Selected ? QStringLiteral("1") : QStringLiteral("0"));
    return out.join(QLatin1Char(','));
}
