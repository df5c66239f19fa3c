#pragma once
// Telephone numbers through libphonenumber, which no other unit links.

#include <QString>

// The trimmed number with its Japanese hyphens ("0312345678" ->
// "03-1234-5678"), or the trimmed number when it is no valid Japanese number.
QString HyphenatePhoneNumber(const QString& number);
