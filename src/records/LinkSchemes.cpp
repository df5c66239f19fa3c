#include "records/LinkSchemes.h"

#include "platform/Cp932.h"

namespace {

const QString kMailto = QStringLiteral("mailto:");

// The scheme of a link ("http"), lower case; empty when it has none.
QString schemeOf(const QString& link)
{
    const qsizetype colon = link.indexOf(u':');
    if (colon <= 0)
        return {};
    for (qsizetype i = 0; i < colon; ++i) {
        const char16_t c = link.at(i).unicode();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!(letter || (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'))))
            return {};
    }
    return link.left(colon).toLower();
}

} // namespace

QString MailtoAddress(const QString& typed)
{
    QString address = cp932::Trim(typed);
    if (address.startsWith(kMailto, Qt::CaseInsensitive))
        address.remove(0, kMailto.size());
    for (const char16_t stop : {u'?', u'#'})
        if (const qsizetype at = address.indexOf(QChar(stop)); at >= 0)
            address.truncate(at);
    address = cp932::Trim(address);
    return address.isEmpty() ? QString() : kMailto + address;
}

QString OpenableWebLink(const QString& link)
{
    const QString text = cp932::Trim(link);
    const QString scheme = schemeOf(text);
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return text;
    if (scheme == QLatin1String("mailto"))
        return MailtoAddress(text);
    return {};
}
