#pragma once
// Sender (return-address) records of Sender.DB and what is kept beside them
// in Sender.ini [SENDER]: LastNo, the highest RecNo ever given out, so that a
// number address records point to is never given to another sender, and
// Default, the RecNo of the default sender. The rules here need no window;
// the sender window (records/SenderForm) and the designers use them.

#include <QString>
#include <QStringList>
#include <vector>

class TSqlTable;

// The default sender's RecNo (0: none yet). The designers read it at start
// (LoadDefaultSenderNo); the sender window changes it and writes it when it
// closes.
extern int DefaultSenderNo;

// DataPath/Sender.ini.
QString SenderIniFileName();

struct TSenderNumbers {
    int LastNo = 0;
    int Default = 0;
};
// Both keys; 0 for a missing or unreadable value, and never below 0.
TSenderNumbers ReadSenderNumbers();
// Sets DefaultSenderNo from Sender.ini.
void LoadDefaultSenderNo();
// Writes LastNo alone, or both keys; other keys and sections of the file are
// kept. False when the file could not be written.
bool WriteSenderLastNo(int lastNo);
bool WriteSenderNumbers(int lastNo, int defaultNo);

// The captions offered for the four contact items; the index is the caption
// kind. A caption may also be typed freely (kind -1).
enum TContactHead : int { chNone, chTel, chFax, chTelFax, chMobile, chURL, chEMail };
inline constexpr int kContactHeadCount = 7;
const QStringList& ContactHeads();
int ContactHeadKind(const QString& caption);

// The title of the first record and of a cleared one.
QString FirstSenderTitle();
// The title a new record is offered: "差出人" followed by a number, starting
// with the number of records and counting up until no record has that title.
QString NewSenderTitle(const std::vector<QString>& titles);

// A stored postal code of 5 or 7 characters as its first three characters,
// "-" and the rest; any other as it is.
QString SenderPostalCodeText(const QString& stored);

// Every field of one Sender.DB row with its stored value.
namespace senderfield {
inline const QString RecNo = QStringLiteral("RecNo");
inline const QString Title = QStringLiteral("Title");
inline const QString Name = QStringLiteral("Name");
inline const QString Tel = QStringLiteral("Tel");
inline const QString Fax = QStringLiteral("Fax");
inline const QString Pos = QStringLiteral("Pos");
inline const QString Tdfkn = QStringLiteral("Tdfkn");
inline const QString Adrs1 = QStringLiteral("Adrs1");
inline const QString Adrs2 = QStringLiteral("Adrs2");
inline const QString Adrs3 = QStringLiteral("Adrs3");
inline const QString SelectInfo = QStringLiteral("SelectInfo");
inline const QString NamePrint = QStringLiteral("NamePrint");
inline const QString Corp = QStringLiteral("Corp");
inline const QString Dptmnt = QStringLiteral("Dptmnt");
inline const QString Post = QStringLiteral("Post");
QString Joint(int n);         // 1-5
QString Note(int n);          // 1-5
QString JointPrint(int n);    // 1-5
QString Head(int n);          // 1-4
QString Addition(int n);      // 1-4
QString AdditionPrint(int n); // 1-4
} // namespace senderfield

// SelectInfo: which extra block the sender prints.
enum TSenderSelectInfo : int { siNone = 0, siJoint = 1, siCorp = 2 };

// Puts a blank sender record into the table's edit buffer as a new record
// is made and a last one cleared: the title, every text empty, SelectInfo 0,
// the name and the five joint names printed, no contact printed. The table
// must be in Insert or Edit state; the caller sets RecNo and posts.
void BlankSenderRecord(TSqlTable& table, const QString& title);

// The trimmed titles of every row but the one with exceptRecNo, in RecNo
// order; the current row is left where it is.
std::vector<QString> SenderTitles(TSqlTable& table, int exceptRecNo = 0);
// Whether another row than exceptRecNo has this title (compared trimmed and
// exactly: letter case counts).
bool SenderTitleExists(TSqlTable& table, const QString& title, int exceptRecNo);
