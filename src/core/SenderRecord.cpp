#include "core/SenderRecord.h"

#include "core/Folders.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SqlTable.h"

#include <algorithm>

int DefaultSenderNo = 0;

namespace {

const QString kSection = QStringLiteral("SENDER");
const QString kLastNo = QStringLiteral("LastNo");
const QString kDefault = QStringLiteral("Default");

QString numbered(const char* stem, int n) { return QLatin1String(stem) + QString::number(n); }

} // namespace

QString SenderIniFileName() { return DataPath() + QStringLiteral("Sender.ini"); }

TSenderNumbers ReadSenderNumbers()
{
    const TIniFile ini(SenderIniFileName());
    TSenderNumbers numbers;
    numbers.LastNo = std::max(0, ini.ReadInteger(kSection, kLastNo, 0));
    numbers.Default = std::max(0, ini.ReadInteger(kSection, kDefault, 0));
    return numbers;
}

void LoadDefaultSenderNo() { DefaultSenderNo = ReadSenderNumbers().Default; }

bool WriteSenderLastNo(int lastNo)
{
    TIniFile ini(SenderIniFileName());
    ini.WriteInteger(kSection, kLastNo, lastNo);
    return ini.UpdateFile();
}

bool WriteSenderNumbers(int lastNo, int defaultNo)
{
    TIniFile ini(SenderIniFileName());
    ini.WriteInteger(kSection, kDefault, defaultNo);
    ini.WriteInteger(kSection, kLastNo, lastNo);
    return ini.UpdateFile();
}

const QStringList& ContactHeads()
{
    static const QStringList heads{QString(),
                                   QStringLiteral("TEL"),
                                   QStringLiteral("FAX"),
                                   QStringLiteral("TEL/FAX"),
                                   QStringLiteral("携帯"),
                                   QStringLiteral("URL"),
                                   QStringLiteral("E-Mail")};
    return heads;
}

int ContactHeadKind(const QString& caption) { return int(ContactHeads().indexOf(caption)); }

QString FirstSenderTitle() { return QStringLiteral("差出人1"); }

QString NewSenderTitle(const std::vector<QString>& titles)
{
    const auto taken = [&](const QString& title) { return std::find(titles.begin(), titles.end(), title) != titles.end(); };
    // At most count + 1 tries: count titles cannot hold count + 1 numbers.
    for (qint64 n = std::max<qint64>(1, qint64(titles.size()));; ++n) {
        const QString title = QStringLiteral("差出人") + QString::number(n);
        if (!taken(title))
            return title;
    }
}

QString SenderPostalCodeText(const QString& stored)
{
    if (stored.size() == 5 || stored.size() == 7)
        return stored.left(3) + u'-' + stored.mid(3);
    return stored;
}

namespace senderfield {
QString Joint(int n) { return numbered("Joint", n); }
QString Note(int n) { return numbered("Note", n); }
QString JointPrint(int n) { return numbered("JointPrint", n); }
QString Head(int n) { return numbered("Head", n); }
QString Addition(int n) { return numbered("Addition", n); }
QString AdditionPrint(int n) { return numbered("AdditionPrint", n); }
} // namespace senderfield

void BlankSenderRecord(TSqlTable& table, const QString& title)
{
    // Every field but RecNo, whatever the table's layout: a field added one
    // day starts blank too.
    table.ClearFields();
    table.SetString(senderfield::Title, title);
    table.SetBoolean(senderfield::NamePrint, true);
    for (int n = 1; n <= 5; ++n)
        table.SetBoolean(senderfield::JointPrint(n), true);
}

std::vector<QString> SenderTitles(TSqlTable& table, int exceptRecNo)
{
    const int recNoField = table.FieldIndex(senderfield::RecNo);
    const int titleField = table.FieldIndex(senderfield::Title);
    if (recNoField < 0 || titleField < 0)
        throw ESqlTableError(QStringLiteral("Sender.DB: RecNo or Title missing"));
    std::vector<QString> titles;
    table.Scan([&](const TSqlRow& row) {
        if (row.Integer(recNoField) == exceptRecNo)
            return;
        int length = 0;
        const char* title = row.Text(titleField, &length);
        titles.push_back(cp932::Trim(QString::fromUtf8(title, length)));
    });
    return titles;
}

bool SenderTitleExists(TSqlTable& table, const QString& title, int exceptRecNo)
{
    const std::vector<QString> titles = SenderTitles(table, exceptRecNo);
    return std::find(titles.begin(), titles.end(), cp932::Trim(title)) != titles.end();
}
