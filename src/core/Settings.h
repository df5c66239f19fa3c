#pragma once
// The settings of Telvora21.ini in the data folder that the windows read
// while the system runs, loaded once at start by LoadSettings().
//
//   [ADDRESS]   SameNum, ChangeData, FormClose, Confirmation, OutOfTarget
//   [VIEW]      BGPaint, BGColor
//   [COOPERATE] Map, MapSearchKind, Root
//   [MYNUMBER]  MyNumberLabel, MyNumber (the common My Number, enciphered),
//               AdminPassword (a salted hash, never the password itself)
//
// Administrator mode lives in memory only and is off at every start.

#include <QByteArray>
#include <QString>

class QColor;

// Light yellow (stored as 0x00BBGGRR): marks the list a record came from
// without hiding its text.
inline constexpr int kDefaultBGColor = 0xE0FFFF;
inline constexpr int kDefaultMap = 8;

struct TSettings {
    // [ADDRESS]
    bool SameNum = true;      // ask before registering a duplicate number
    bool ChangeData = true;   // save before another record is shown
    bool FormClose = true;    // save before the record window closes
    bool Confirmation = true; // ask before saving
    bool OutOfTarget = true;  // a listing left untouched counts as unchanged
    // [VIEW]
    bool BGPaint = true;
    int BGColor = kDefaultBGColor; // the colour the source list is painted in
    // [COOPERATE]
    int Map = kDefaultMap; // 0-10, the map program
    int MapSearchKind = 0; // 0 by position, 1 by address
    int Root = 0;          // 0-1, the route program
    // [MYNUMBER]
    QString MyNumberLabel;
    QByteArray MyNumber; // the common My Number as stored (enciphered)
    // The stored administrator password hash; empty when none is set.
    QByteArray AdminPassword;
    bool AdminMode = false;

    QColor BGQColor() const;
};

TSettings& Settings();
QString SettingsFileName();

// (Re)reads the settings; values out of range take their defaults, and
// administrator mode is off.
void LoadSettings();
// Writes every setting above except administrator mode; false when the file
// could not be written (the old file is then untouched); cause then says
// why, in Japanese.
bool SaveSettings(QString* cause = nullptr);

// [ADRS LIST] AdrsName, the book the next start opens (empty when none is
// stored). A name code page 932 cannot hold (a folder made on another
// machine) is kept whole in AdrsNameUnicode beside the form other programs
// read, and comes back as long as AdrsName is still that form.
QString ReadStartAdrsName();
bool WriteStartAdrsName(const QString& name);

// The common My Number deciphered; empty when none is stored or the stored
// value is unreadable.
QString CommonMyNumber();
// Enciphers number into Settings().MyNumber (saved by SaveSettings); false
// when it cannot be enciphered (longer than 255 bytes).
bool SetCommonMyNumber(const QString& number);

bool HasAdminPassword();
// Sets (empty: removes) the administrator password and writes it to the
// settings file at once; false, with nothing changed, when the file could not
// be written.
bool SetAdminPassword(const QString& password);
// The stored form of a password (salted PBKDF2), empty for an empty password;
// false when it cannot be made. Nothing is changed or written.
bool MakeAdminPasswordHash(const QString& password, QByteArray& stored);
// True when password is the administrator password. False when none is set.
bool CheckAdminPassword(const QString& password);

// The names of the map programs ([COOPERATE] Map, 0-10) and the route
// programs (Root, 0-1); empty out of range.
QString MapProgramName(int map);
QString RouteProgramName(int root);

// My Number and protected fields are shown masked and read-only while an
// administrator password is set and administrator mode is off.
bool IsProtectedFieldMasked();
