#pragma once
// The record window's input as plain values: what its controls hold, without
// the widgets. The window reads its controls into a TRecordInput in exactly
// one place and writes one into them in exactly one place; the snapshot, the
// change test and the write all start from it, so they read the controls the
// same way and their differences are the deliberate ones written here.

#include "core/AdrsRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>

struct TRecordInput {
    int Group = 0; // entry of the group combo, 0 = none
    QString CustomCode;
    QString Tel;
    bool MainNumber = false;
    QString Fax;
    QString PubDate; // as shown: " 1998年04月"
    QString Portable1;
    QString Portable2;
    QString Pos; // as shown: "123-4567"
    QString Tdfkn;
    QString Adrs1;
    QString Adrs2;
    QString Adrs3;
    QString AdrsKana;
    QString JisCode;
    QString KajoCode;
    int Latitude = 0; // milliseconds of arc
    int Longitude = 0;
    bool Priv = true; // person (true) or company
    QString MyNumber; // deciphered
    QString CorpKanji;
    QString CorpKana;
    QString Dptmnt;
    QString Post;
    QString EmployeeNo;
    QString NameKanji; // any Unicode text
    QString NameKana;
    QString Honor;
    bool IgnoreName = false;
    int CodeMain = 0;     // code of the chosen major entry
    int CodeSubEntry = 0; // code of the chosen minor entry (major * 100 + minor), 0 = none
    QString URL;
    QString EMail1;
    QString EMail2;
    std::array<QString, 5> Joint;
    std::array<QString, 5> JointHonor;
    std::array<QString, 5> JointMyNumber; // deciphered
    int JointOwner = 0;
    std::array<bool, 6> JointPrint{true, false, false, false, false, false}; // [0] the person
    int PrintTarget = 0; // 0 unset, 1 print, 2 excluded
    int Sender = 0;
    std::array<QString, 8> Keyword;
    QString Note; // lines separated by CR LF
    std::array<QString, 10> ProtectMemo; // deciphered
    QString ProtectNote;
    QStringList ExtLink;
    QString SymbolMark; // empty = none
    int SymbolColor = kDefaultSymbolColor;
    QString AddDateTime; // as shown
    QString UpdDateTime;

    bool operator==(const TRecordInput&) const = default;
};

// Display forms the window uses for stored values.
namespace recordform {

// "199804" -> " 1998年04月"; empty stays empty.
QString PubDateText(const QString& stored);
// Five or seven characters -> the first three, "-", the rest (at most four);
// any other length as stored.
QString PostalCodeText(const QString& stored);
// A date-time (days since 1899-12-30, the fraction the time of day) ->
// " yyyy/mm/dd hh:nn:ss"; 0 (never set) shows nothing.
QString DateTimeText(double value);
// A local date and time as the stored value (days since 1899-12-30).
double DateTimeValue(const QDateTime& value);

} // namespace recordform
