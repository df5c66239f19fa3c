#include "core/Groups.h"

#include "core/Folders.h"
#include "core/ItemNames.h"
#include "platform/Cp932.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <QtEndian>
#include <array>

namespace {

constexpr char kMagic[4] = {'T', 'G', 'R', 'P'};
constexpr quint16 kVersion = 1;

std::array<QString, kGroupCount>& names()
{
    static std::array<QString, kGroupCount> n = [] {
        std::array<QString, kGroupCount> a;
        for (int i = 0; i < kGroupCount; ++i)
            a[i] = DefaultGroupName(i + 1);
        return a;
    }();
    return n;
}

} // namespace

QString GroupDatFileName() { return DataPath() + QStringLiteral("Group.dat"); }

QString DefaultGroupName(int group) { return QStringLiteral("グループ") + FullWidthNumber(group); }

QString GroupName(int group) { return group >= 1 && group <= kGroupCount ? names()[group - 1] : QString(); }

void SetGroupName(int group, const QString& name)
{
    if (group < 1 || group > kGroupCount)
        return;
    QString n = cp932::Trim(cp932::CutToBytes(name, kGroupNameBytes));
    names()[group - 1] = n.isEmpty() ? DefaultGroupName(group) : n;
}

void LoadGroupNames()
{
    for (int g = 1; g <= kGroupCount; ++g)
        names()[g - 1] = DefaultGroupName(g);
    QFile f(GroupDatFileName());
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = f.read(8 + kGroupCount * (1 + 255));
    if (data.size() < 8 || !std::equal(kMagic, kMagic + 4, data.constData()))
        return;
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    if (qFromLittleEndian<quint16>(p + 4) != kVersion)
        return;
    const int count = qMin<int>(qFromLittleEndian<quint16>(p + 6), kGroupCount);
    qsizetype pos = 8;
    for (int g = 1; g <= count; ++g) {
        if (pos >= data.size())
            break;
        const int len = p[pos++];
        if (len > data.size() - pos)
            break;
        SetGroupName(g, cp932::Decode(data.constData() + pos, len));
        pos += len;
    }
}

bool SaveGroupNames()
{
    QByteArray out(kMagic, 4);
    uchar buf[2];
    qToLittleEndian<quint16>(kVersion, buf);
    out.append(reinterpret_cast<char*>(buf), 2);
    qToLittleEndian<quint16>(kGroupCount, buf);
    out.append(reinterpret_cast<char*>(buf), 2);
    for (const QString& n : names()) {
        QByteArray bytes = cp932::CutBytes(cp932::Encode(n), kGroupNameBytes);
        out.append(char(bytes.size()));
        out.append(bytes);
    }
    return SaveFileAtomically(GroupDatFileName(), out, true);
}
