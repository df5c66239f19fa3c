#pragma once
// The name readings of Debian's SKK-JISYO.jinmei ("やまだ /山田;人名&地名 姓/"),
// read as the postal codes are (core/common/PostalDictionary.h, which also
// gives the postal-code dictionary to this library's windows).

#include "core/common/PostalDictionary.h"

#include <QString>
#include <QStringList>
#include <vector>

inline const QString kJinmeiDictionaryPath = QStringLiteral("/usr/share/skk/SKK-JISYO.jinmei");

struct TNameCandidate {
    QString Name;
    QString Reading; // hiragana, as in the dictionary
};

struct TNameData {
    struct Entry {
        QString Reading;
        QString Name;
        unsigned char Kinds; // bit 0 family name, bit 1 given name
    };
    bool ok = false;
    std::vector<Entry> entries; // sorted by reading
};

class TNameDictionary : public TLazyDictionary<TNameData> {
public:
    explicit TNameDictionary(QString path = kJinmeiDictionaryPath);
    static TNameDictionary& Shared();
    static void SetSharedPath(const QString& path); // tests

    // Names read as the reading (katakana is taken as hiragana): first those
    // marked as family names (given names when givenNames), then those marked
    // as personal names without a kind; then the same for readings that
    // begin with the typed one. At most limit candidates.
    std::vector<TNameCandidate> Find(const QString& reading, bool givenNames, int limit = 200);

private:
    enum Kind : unsigned char { kAny = 0, kFamily = 1, kGiven = 2 };
    using Entry = TNameData::Entry;
    static TNameData Read(const QString& path);
};

// Katakana turned into hiragana, half-width kana into full-width, blanks removed.
QString ToHiraganaReading(const QString& text);
