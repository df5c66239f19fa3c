#pragma once
// Print-data files: the saved layouts of the designers, one folder per kind.
// What every kind shares lives here: the kind table, the head of a file as
// far as the file dialogs read it, the listing of a folder, the title rules
// of rename and save, and the replacement of a file on save.
//
// Head (little-endian):
//   0          L   the kind's identifier, every byte XOR 0xFF
//   L          4   Int32 file version
//   L+4        H   the designer's header (28 bytes, 32 for the message side)
//   L+4+H      4   Int32 N, the thumbnail's length
//   L+8+H      N   thumbnail, a JPEG image
//   then the designer's body.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QIODevice;

// Print-data kinds.
enum : quint8 { pdAddress = 0, pdLabel = 1, pdCard = 2, pdDesign = 3 };
inline constexpr int kPrintDataKindCount = 4;

struct TPrintDataKind {
    const char* Extension;  // ".gpl", with the dot
    const char* Identifier; // ASCII, stored inverted
    const char* FolderName; // under the data path, with trailing '/'
    qint32 HeaderSize;      // the designer's header after the version
    const char* MenuWord;   // first word of the start menu's caption
    const char* MenuObject; // what the start menu's "new" radio makes
};

// The kind's row; a kind beyond the table gives the row of kind 0.
const TPrintDataKind& PrintDataKind(quint8 Kind);
QString PrintDataExtension(quint8 Kind);
// The kind's identifier as stored (every byte inverted).
QByteArray PrintDataIdentifierBytes(quint8 Kind);
// Where the designer's thumbnail length is stored: L + 4 + H.
qint64 PrintDataThumbnailOffset(quint8 Kind);

// The data path the print-data folders lie in (with trailing '/'); the
// program sets it at start. PrintDataFolder is it plus the kind's folder.
void SetPrintDataPath(const QString& Path);
QString PrintDataPath();
QString PrintDataFolder(quint8 Kind);

// ---- Head -------------------------------------------------------------------

struct TPrintDataHead {
    qint32 Version = 0;
    QByteArray Header;    // HeaderSize bytes
    QByteArray Thumbnail; // JPEG data
};

// True when the first identifier-length bytes of Data, inverted, are the
// kind's identifier.
bool IsPrintDataOfKind(quint8 Kind, const QByteArray& Data);

// Writes the head; Header is padded with zeros or cut to the kind's size.
// A failed write raises EDrawRectStreamError.
void WritePrintDataHead(QIODevice& Out, quint8 Kind, const TPrintDataHead& Head);
// Reads the head from the start of the device. A wrong identifier, a short
// head or a thumbnail length that is negative or runs past the end of the
// device raise EDrawRectStreamError before anything is allocated.
TPrintDataHead ReadPrintDataHead(QIODevice& In, quint8 Kind);
// The thumbnail of a file; raises EDrawRectStreamError with a message fit
// for the user when the file cannot be read or its head is damaged.
QByteArray ReadPrintDataThumbnail(const QString& FileName, quint8 Kind);

// ---- Listing ----------------------------------------------------------------

struct TPrintDataEntry {
    QString Title;      // file name without folder and extension
    QString FileName;   // full path
    QDateTime Modified; // last write, local time
    QString DateText() const; // "yyyy/MM/dd"
};

// The files of Folder with the kind's extension (letter case ignored, as the
// Windows wildcard did) whose identifier is the kind's, sorted by path
// without regard to case; "$$X" only where X is no such file. A file that
// cannot be read or is shorter than the identifier is left out like a file
// of another kind.
std::vector<TPrintDataEntry> ListPrintDataFolder(const QString& Folder, quint8 Kind);

// ---- Titles -----------------------------------------------------------------

inline constexpr int kMaxTitleBytes = 100;
// The ten characters a title may not hold, in the order the message names them.
extern const QString kForbiddenTitleChars;
// "ファイル名には次の文字は使えません", a line break, and the characters.
QString ForbiddenTitleMessage();
// True when the title holds one of the ten forbidden characters. One that
// code page 932 cannot hold (such a name could not be written into the
// stored lists) is refused too, but told by its own name (CheckTitle).
bool HasForbiddenTitleChars(const QString& Title);
// A typed title as it is saved or renamed to: the system's trim, and the
// ideographic space at either end too, since a title of blanks alone is no
// title and one edged with blanks no one can see is a name no one can type
// back.
QString TrimTitle(const QString& Title);
// The title cut to at most 100 bytes of code page 932, never splitting a
// double-byte character.
QString CutTitle(const QString& Title);

// True when the title with the kind's extension makes a file name the disk
// takes: a name is at most 255 bytes as the file system encodes it (UTF-8,
// where a half-width katakana takes 3), and a save writes beside it under a
// name 24 bytes longer first.
bool PrintDataTitleFits(const QString& Title, quint8 Kind);
// What is said when it does not.
QString TitleTooLongMessage();

// True when the title starts with "$$", which a save's copy of the old file
// was named by: such a layout beside its namesake is not listed, and a
// title typed so is refused. What is said then.
bool IsBackupTitle(const QString& Title);
QString BackupTitleMessage();

// True when the title starts with a dot: its file would be hidden, in the
// lists of other programs and of backups alike. What is said then.
bool IsHiddenTitle(const QString& Title);
QString HiddenTitleMessage();

// What a rename to NewTitle (already trimmed) comes to. Others are the
// captions of the other listed files.
enum class TRenameCheck {
    Unchanged, OpenLayout, Forbidden, Unencodable, BackupTitle, HiddenTitle, TooLong, Exists, Rename
};
// The rules every title saved or renamed to keeps, whatever way it came
// (typed, or taken from a file's name): Rename when it keeps them all, else
// the first it breaks, in the order above.
TRenameCheck CheckTitle(const QString& Title, quint8 Kind);
// What is said of a title CheckTitle refused; the character code page 932
// cannot hold is named as the edits name it.
QString TitleRefusalMessage(TRenameCheck Check, const QString& Title);
TRenameCheck CheckRename(const QString& OldTitle, QString& NewTitle, const QString& CurrentName,
                         const QStringList& Others, quint8 Kind = pdAddress);
// The same where the caller knows whether the item is the open layout (by
// its file: captions differing in letter case are different files).
TRenameCheck CheckRename(const QString& OldTitle, QString& NewTitle, bool IsOpenLayout, const QStringList& Others,
                         quint8 Kind = pdAddress);

// ---- Saving -----------------------------------------------------------------

// The file a save of FileName meets on the disk: FileName when an entry of
// that name is there (of any type, a link to nothing too), else the entry of
// its folder whose name equals it but for letter case or Unicode form (the
// first in name order), as a disk that folds case or a name copied from
// another system shows it; empty when there is none.
QString PrintDataFileOnDisk(const QString& FileName);

// Writes a whole file. Returns false or raises (EDrawRectStreamError or any
// std::exception) to report failure; whatever it wrote is then discarded.
using TPrintDataWriter = std::function<bool(QIODevice& Out)>;

// Replaces FileName with what Writer writes. The folder is made when
// missing. The new file is put together in memory, written in full beside
// the old one under "<name>.t21save-<pid>-<random>" and renamed over it in
// one step; on any failure the old file stays under its name, byte for
// byte. A save killed half-way leaves its temporary, which the next save in
// that folder removes once the process is gone. False on failure, with the
// cause in Japanese (a line for the user's message) in Error.
//
// Replace takes the place of a regular file of that name (or makes it); New
// makes the file only while no file of that name is there, so a file that
// appeared after the user was told of none stays and the save fails. Neither
// replaces a folder, device or pipe.
enum class TPrintDataSave { Replace, New };
bool SavePrintDataFile(const QString& FileName, const TPrintDataWriter& Writer, QString* Error = nullptr,
                       TPrintDataSave Mode = TPrintDataSave::Replace);
// Older saves moved the old file aside as "$$" + its name while replacing
// it, and one killed meanwhile left that file beside the layout: such a name
// is not listed while its layout is there and readable. It is left where it
// is, as it cannot be told from a user's file.
inline constexpr QLatin1String kPrintDataBackupPrefix("$$");
QString PrintDataBackupName(const QString& FileName);
