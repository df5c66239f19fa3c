#pragma once
// Parses an address text into prefecture, city, town and the rest, with the
// municipality (JIS) code and the town code where the listing data knows
// them. The prefecture, city and town come from the postal-code dictionary.

#include <QString>
#include <vector>

struct TContinualAdrsResult {
    QString Tdfkn;
    QString City;
    QString Town;
    QString Rest;
    QString JisCode;  // six characters: municipality code and check digit
    QString KajoCode; // seven characters
};

class TContinualAdrsSearch {
public:
    TContinualAdrsSearch(const QString& appPath, const QString& dicPath);
    // 0 on success; 1 when no prefecture and city are recognised; 2 when the
    // postal-code dictionary cannot be read.
    int Search(const QString& address);
    int GetResultCount() const { return int(results_.size()); }
    TContinualAdrsResult GetResult(int index) const;

private:
    std::vector<TContinualAdrsResult> results_;
};

// The six-character municipality code: the five digits and their check digit
// (weights 6 to 2, modulus 11).
QString JisCodeWithCheckDigit(const QString& code5);
