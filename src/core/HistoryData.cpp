#include "core/HistoryData.h"

#include "platform/Cp932.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QtEndian>

namespace {

constexpr char kMagic[4] = {'T', 'M', 'T', 'D'};
constexpr quint16 kVersion = 1;
constexpr int kHeaderSize = 12; // magic, version, item size, count
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

} // namespace

THistoryData::THistoryData(const QString& fileName, int itemSize, int maxCount)
    : fileName_(fileName), itemSize_(qBound(1, itemSize, 0xFFFF)), maxCount_(qMax(1, maxCount))
{
    Load();
}

void THistoryData::check(int index, int limit, const char* op) const
{
    if (index < 0 || index >= limit)
        throw EHistoryDataError(std::string("THistoryData.") + op + ": index " + std::to_string(index) +
                                " out of range (" + std::to_string(items_.size()) + " items)");
}

QString THistoryData::GetItem(int index) const
{
    check(index, GetCount(), "GetItem");
    return cp932::Decode(items_[index].text);
}

QByteArray THistoryData::GetItemBytes(int index) const
{
    check(index, GetCount(), "GetItem");
    return items_[index].text;
}

QDateTime THistoryData::GetDateTime(int index) const
{
    check(index, GetCount(), "GetDateTime");
    return QDateTime::fromMSecsSinceEpoch(items_[index].msecs);
}

int THistoryData::IndexOf(const QString& text) const
{
    const QByteArray bytes = cp932::Encode(text);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].text == bytes)
            return int(i);
    return -1;
}

void THistoryData::Delete(int index)
{
    check(index, GetCount(), "Delete");
    items_.erase(items_.begin() + index);
}

void THistoryData::Insert(int index, const QString& text, const QDateTime& dateTime)
{
    check(index, GetCount() + 1, "Insert");
    TItem item{cp932::CutBytes(cp932::Encode(text), itemSize_), dateTime.toMSecsSinceEpoch()};
    items_.insert(items_.begin() + index, std::move(item));
    if (int(items_.size()) > maxCount_)
        items_.resize(maxCount_);
}

void THistoryData::Add(const QString& text, const QDateTime& dateTime)
{
    if (GetCount() >= maxCount_)
        return;
    Insert(GetCount(), text, dateTime);
}

void THistoryData::Load()
{
    items_.clear();
    QFile f(fileName_);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = f.read(kMaxFileSize);
    if (data.size() < kHeaderSize || !std::equal(kMagic, kMagic + 4, data.constData()))
        return;
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    if (qFromLittleEndian<quint16>(p + 4) != kVersion)
        return;
    const quint32 count = qFromLittleEndian<quint32>(p + 8);
    qsizetype pos = kHeaderSize;
    for (quint32 i = 0; i < count && int(items_.size()) < maxCount_; ++i) {
        if (data.size() - pos < 10)
            break;
        const qint64 msecs = qFromLittleEndian<qint64>(p + pos);
        const int len = qFromLittleEndian<quint16>(p + pos + 8);
        pos += 10;
        if (len > data.size() - pos)
            break;
        // An item longer than this list allows is cut like a typed one.
        items_.push_back({cp932::CutBytes(data.mid(pos, len), itemSize_), msecs});
        pos += len;
    }
}

bool THistoryData::Save() const
{
    MakePrivateFolder(QFileInfo(fileName_).path());
    QByteArray out;
    out.append(kMagic, 4);
    uchar buf[8];
    qToLittleEndian<quint16>(kVersion, buf);
    out.append(reinterpret_cast<char*>(buf), 2);
    qToLittleEndian<quint16>(quint16(itemSize_), buf);
    out.append(reinterpret_cast<char*>(buf), 2);
    qToLittleEndian<quint32>(quint32(items_.size()), buf);
    out.append(reinterpret_cast<char*>(buf), 4);
    for (const TItem& it : items_) {
        qToLittleEndian<qint64>(it.msecs, buf);
        out.append(reinterpret_cast<char*>(buf), 8);
        qToLittleEndian<quint16>(quint16(it.text.size()), buf);
        out.append(reinterpret_cast<char*>(buf), 2);
        out.append(it.text);
    }
    return SaveFileAtomically(fileName_, out, true);
}
