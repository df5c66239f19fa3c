#include "core/phone/PhoneNumber.h"

#include "platform/Cp932.h"

#include <phonenumbers/phonenumberutil.h>

QString HyphenatePhoneNumber(const QString& number)
{
    using i18n::phonenumbers::PhoneNumber;
    using i18n::phonenumbers::PhoneNumberUtil;

    const QString trimmed = cp932::Trim(number);
    // Only what people write in a Japanese number: the library would also
    // read letters as keypad digits, which must not change stored text.
    // A national number starts with its trunk prefix 0; the library would
    // put one in front of "312345678" and so add a digit nobody typed.
    QChar firstDigit;
    for (QChar c : trimmed) {
        if (c >= u'0' && c <= u'9') {
            if (firstDigit.isNull())
                firstDigit = c;
        } else if (c != u'-' && c != u'(' && c != u')' && c != u' ' && c != u'+') {
            return trimmed;
        }
    }
    if (firstDigit.isNull() || (firstDigit != u'0' && !trimmed.startsWith(u'+')))
        return trimmed;

    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (util->Parse(trimmed.toStdString(), "JP", &parsed) != PhoneNumberUtil::NO_PARSING_ERROR
        || !util->IsValidNumberForRegion(parsed, "JP"))
        return trimmed;
    std::string formatted;
    util->Format(parsed, PhoneNumberUtil::NATIONAL, &formatted);
    return formatted.empty() ? trimmed : QString::fromStdString(formatted);
}
