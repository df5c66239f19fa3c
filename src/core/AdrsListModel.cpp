#include "core/AdrsListModel.h"

#include "core/AdrsListColumns.h"
#include "core/AdrsRecord.h"
#include "core/Category.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Groups.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "core/phone/PhoneNumber.h"
#include "platform/Cp932.h"

#include <QColor>
#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <string_view>

namespace {

QString utf8(std::string_view v) { return QString::fromUtf8(v.data(), qsizetype(v.size())); }

bool isAscii(std::string_view v)
{
    return std::all_of(v.begin(), v.end(), [](char c) { return (unsigned char)c < 0x80; });
}

// Names and joint names are stored in the wide-text form when they hold
// characters outside code page 932; anything else is plain text.
QString wideText(std::string_view v)
{
    if (!v.empty() && v.front() == '@' && isAscii(v))
        return AtHexToWide(QByteArray(v.data(), qsizetype(v.size())));
    return utf8(v);
}

} // namespace

namespace {

// Code page 932 form of each character of the basic plane (0: none), built
// once from the code page's own table: sorting 100,000 rows converts every
// character of every key, and the converter is too slow to ask per character.
const std::vector<std::uint16_t>& cp932Forms()
{
    static const std::vector<std::uint16_t> forms = [] {
        std::vector<std::uint16_t> f(0x10000, 0);
        auto take = [&](const char* bytes, int length, std::uint16_t code) {
            const QString one = cp932::Decode(bytes, length);
            if (one.size() != 1 || one.at(0) == QChar::ReplacementCharacter || (one.at(0) == u'?' && code != '?'))
                return;
            std::uint16_t& slot = f[one.at(0).unicode()];
            if (slot == 0) {
                slot = code;
                return;
            }
            // Two codes for one character: the one the converter writes.
            const QByteArray written = cp932::Encode(one);
            slot = written.size() == 2 ? std::uint16_t((std::uint8_t(written[0]) << 8) | std::uint8_t(written[1]))
                                       : std::uint16_t(std::uint8_t(written[0]));
        };
        for (int b = 1; b < 0x100; ++b) {
            if (cp932::IsLeadByte(std::uint8_t(b)))
                continue;
            const char one = char(b);
            take(&one, 1, std::uint16_t(b));
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!cp932::IsLeadByte(std::uint8_t(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char two[2] = {char(lead), char(trail)};
                take(two, 2, std::uint16_t((lead << 8) | trail));
            }
        }
        return f;
    }();
    return forms;
}

} // namespace

std::string Cp932SortKey(const QString& text)
{
    const std::vector<std::uint16_t>& forms = cp932Forms();
    std::string key;
    key.reserve(size_t(text.size()) * 2);
    for (char32_t ch : text.toUcs4()) {
        std::uint16_t code = ch < 0x10000 ? forms[ch] : 0;
        if (code == 0 && ch != 0 && cp932::CanEncodeChar(ch)) {
            // A character the converter folds to another before writing it.
            const QByteArray written = cp932::Encode(QString::fromUcs4(&ch, 1));
            code = written.size() == 2 ? std::uint16_t((std::uint8_t(written[0]) << 8) | std::uint8_t(written[1]))
                                       : std::uint16_t(std::uint8_t(written[0]));
        }
        if (code >= 0x100) {
            key.push_back(char(code >> 8));
            key.push_back(char(code & 0xFF));
        } else if (code != 0 || ch == 0) {
            key.push_back(char(code));
        } else {
            // After every character of the code page (no lead byte is above
            // 0xFC), in code point order among themselves.
            key.push_back(char(0xFD));
            key.push_back(char((ch >> 16) & 0xFF));
            key.push_back(char((ch >> 8) & 0xFF));
            key.push_back(char(ch & 0xFF));
        }
    }
    return key;
}

namespace {

QString myNumberText(std::string_view stored)
{
    if (stored.empty())
        return {};
    if (IsProtectedFieldMasked())
        return QStringLiteral("*************");
    QByteArray plain;
    if (!DecryptAESString(QByteArray(stored.data(), qsizetype(stored.size())), QByteArray(kFieldKey), plain))
        return {};
    return cp932::Decode(plain);
}

QString dateTimeText(double value, const char* format)
{
    if (value == 0)
        return {};
    return StoredToDateTime(value).toString(QString::fromLatin1(format));
}

QString addressText(const TAdrsListCache& c, int row)
{
    return cp932::Trim(c.Text(row, afTdfkn)) + cp932::Trim(c.Text(row, afAdrs1)) + cp932::Trim(c.Text(row, afAdrs2)) +
           cp932::Trim(c.Text(row, afAdrs3));
}

} // namespace

QString AdrsListFlagText(int columnNo, bool set)
{
    if (columnNo == alcTelDiv)
        return set ? QStringLiteral("代表") : QString();
    if (columnNo == alcPrivCorp)
        return set ? QStringLiteral("個人") : QStringLiteral("会社");
    return {};
}

QString AdrsListCellText(const TAdrsListCache& c, int row, int columnNo)
{
    switch (columnNo) {
    case alcNo: return QString::number(c.RecNo(row));
    case alcGroup: return GroupName(int(c.Integer(row, afGroup)));
    case alcTelDiv: return AdrsListFlagText(columnNo, c.Integer(row, afTelDiv) == 3);
    case alcPrivCorp: return AdrsListFlagText(columnNo, c.Integer(row, afPrivCorp) != 0);
    case alcAddress: return addressText(c, row);
    case alcAddDateTime: return dateTimeText(c.Float(row, afAddDateTime), "yyyy/MM/dd hh:mm:ss");
    case alcAddDate: return dateTimeText(c.Float(row, afAddDateTime), "yyyy/MM/dd");
    case alcAddTime: return dateTimeText(c.Float(row, afAddDateTime), "hh:mm:ss");
    case alcUpdDateTime: return dateTimeText(c.Float(row, afUpdDateTime), "yyyy/MM/dd hh:mm:ss");
    case alcUpdDate: return dateTimeText(c.Float(row, afUpdDateTime), "yyyy/MM/dd");
    case alcUpdTime: return dateTimeText(c.Float(row, afUpdDateTime), "hh:mm:ss");
    case alcCodeMain: return GetCtgryMainName(int(c.Integer(row, afCodeMain)));
    case alcCodeSub: {
        const int sub = int(c.Integer(row, afCodeSub));
        return sub ? GetCtgrySubName(int(c.Integer(row, afCodeMain)) * 100 + sub) : QString();
    }
    case alcPubDate: {
        const QString v = cp932::Trim(c.Text(row, afPubDate));
        return v.size() == 6 ? v.left(4) + u'/' + v.mid(4) : v;
    }
    case alcPos: {
        const QString v = cp932::Trim(c.Text(row, afPos));
        return v.size() == 7 ? v.left(3) + u'-' + v.mid(3) : v;
    }
    case alcNote: {
        QString v = c.Text(row, afNote).left(512);
        v.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        v.replace(u'\n', u' ');
        return v.trimmed();
    }
    // Kana names are shown decoded when they were stored in the wide-text form.
    case alcNameKana: return wideText(c.Utf8(row, afNameKana));
    default: break;
    }
    if (columnNo < 0 || columnNo >= kAdrsListColumnCount)
        return {};
    const int field = AdrsListColumnDefs[size_t(columnNo)].field;
    if (field < 0)
        return {};
    const std::string_view v = c.Utf8(row, field);
    switch (AdrsColumnKind(field)) {
    case TFieldKind::Phone: return HyphenatePhoneNumber(utf8(v));
    case TFieldKind::Wide: return wideText(v);
    case TFieldKind::Cipher: return myNumberText(v);
    default: return utf8(v);
    }
}

TAdrsListModel::TAdrsListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TAdrsListModel::SetColumns(std::vector<int> columns)
{
    beginResetModel();
    columns_ = std::move(columns);
    if (!rowOrder_ && !CanSortBy(sortColumn_)) {
        sortOrder(); // drops it
        relistRows();
    }
    endResetModel();
}

bool TAdrsListModel::PassesGroup(int groupChoice, std::int64_t group)
{
    if (groupChoice <= 0)
        return true;
    return group == groupChoice - 1;
}

bool TAdrsListModel::RowPassesFilter(int cacheRow) const
{
    if (!PassesGroup(groupChoice_, cache_.Integer(cacheRow, afGroup)))
        return false;
    return !condition_ || condition_(cache_, cacheRow);
}

void TAdrsListModel::SetSort(int columnNo, bool descending)
{
    if (columnNo < -1 || columnNo >= kAdrsListColumnCount)
        columnNo = -1;
    beginResetModel();
    sortColumn_ = columnNo;
    sortDescending_ = descending;
    sortOrder();
    relistRows();
    endResetModel();
}

bool TAdrsListModel::CanSortBy(int columnNo) const
{
    if (columnNo < 0 || columnNo >= kAdrsListColumnCount)
        return true;
    if (std::find(columns_.begin(), columns_.end(), columnNo) == columns_.end())
        return false;
    const int field = AdrsListColumnDefs[size_t(columnNo)].field;
    return field < 0 || AdrsColumnKind(field) != TFieldKind::Cipher || !IsProtectedFieldMasked();
}

void TAdrsListModel::SetRowOrder(TRowOrder order)
{
    beginResetModel();
    rowOrder_ = std::move(order);
    sortOrder();
    relistRows();
    endResetModel();
}

void TAdrsListModel::Rebuild()
{
    beginResetModel();
    sortOrder();
    relistRows();
    endResetModel();
}

void TAdrsListModel::Relist()
{
    beginResetModel();
    relistRows();
    endResetModel();
}

void TAdrsListModel::sortOrder()
{
    if (rowOrder_) {
        order_ = rowOrder_(cache_);
        const int rows = cache_.Count();
        std::erase_if(order_, [rows](int row) { return row < 0 || row >= rows; });
        return;
    }
    if (!CanSortBy(sortColumn_)) {
        // Not sorted by hidden values or a hidden column, nor claimed to be:
        // the book's order, also once the lock is lifted or the column shown
        // again (no sort the user did not see).
        sortColumn_ = -1;
        sortDescending_ = false;
    }
    const int n = cache_.Count();
    order_.resize(size_t(n));
    std::iota(order_.begin(), order_.end(), 0); // the cache holds the book in RecNo order
    const int col = sortColumn_;
    if (col < 0 || n < 2) {
        if (sortDescending_ && col == alcNo)
            std::reverse(order_.begin(), order_.end());
        return;
    }
    const bool desc = sortDescending_;
    auto sortBy = [&](const auto& keys) {
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            return desc ? keys[size_t(b)] < keys[size_t(a)] : keys[size_t(a)] < keys[size_t(b)];
        });
    };
    auto intKeys = [&](auto key) {
        std::vector<std::int64_t> keys(static_cast<size_t>(n));
        for (int r = 0; r < n; ++r)
            keys[size_t(r)] = key(r);
        sortBy(keys);
    };
    auto floatKeys = [&](auto key) {
        std::vector<double> keys(static_cast<size_t>(n));
        for (int r = 0; r < n; ++r)
            keys[size_t(r)] = key(r);
        sortBy(keys);
    };
    switch (col) {
    case alcNo: intKeys([&](int r) { return cache_.RecNo(r); }); return;
    case alcGroup: intKeys([&](int r) { return cache_.Integer(r, afGroup); }); return;
    case alcTelDiv: intKeys([&](int r) { return cache_.Integer(r, afTelDiv) == 3 ? 0 : 1; }); return;
    case alcPrivCorp: intKeys([&](int r) { return cache_.Integer(r, afPrivCorp) ? 0 : 1; }); return;
    case alcCodeMain: intKeys([&](int r) { return cache_.Integer(r, afCodeMain); }); return;
    case alcCodeSub:
        intKeys([&](int r) { return cache_.Integer(r, afCodeMain) * 100 + cache_.Integer(r, afCodeSub); });
        return;
    case alcAddDateTime: floatKeys([&](int r) { return cache_.Float(r, afAddDateTime); }); return;
    case alcUpdDateTime: floatKeys([&](int r) { return cache_.Float(r, afUpdDateTime); }); return;
    case alcAddDate: floatKeys([&](int r) { return std::floor(cache_.Float(r, afAddDateTime)); }); return;
    case alcUpdDate: floatKeys([&](int r) { return std::floor(cache_.Float(r, afUpdDateTime)); }); return;
    case alcAddTime:
        floatKeys([&](int r) { double v = cache_.Float(r, afAddDateTime); return v - std::floor(v); });
        return;
    case alcUpdTime:
        floatKeys([&](int r) { double v = cache_.Float(r, afUpdDateTime); return v - std::floor(v); });
        return;
    default: break;
    }
    const int field = AdrsListColumnDefs[size_t(col)].field;
    const TFieldKind kind = field >= 0 ? AdrsColumnKind(field) : TFieldKind::Narrow;
    // Text sorts as its code page 932 bytes, the form the book stores it in
    // (the level-1 kanji in reading order). Keys are built once per sort;
    // the cache holds UTF-8, whose ASCII is the same bytes.
    if (col == alcAddress || col == alcNameKana || kind == TFieldKind::Wide || kind == TFieldKind::Cipher) {
        std::vector<std::string> keys(static_cast<size_t>(n));
        for (int r = 0; r < n; ++r)
            keys[size_t(r)] = Cp932SortKey(AdrsListCellText(cache_, r, col));
        sortBy(keys);
    } else if (field >= 0) {
        std::vector<std::string> keys(static_cast<size_t>(n));
        for (int r = 0; r < n; ++r) {
            const std::string_view v = cache_.Utf8(r, field);
            keys[size_t(r)] = isAscii(v) ? std::string(v) : Cp932SortKey(utf8(v));
        }
        sortBy(keys);
    }
}

void TAdrsListModel::relistRows()
{
    rows_.clear();
    rows_.reserve(order_.size());
    shownAt_.assign(size_t(cache_.Count()), -1);
    for (int cacheRow : order_) {
        if (!RowPassesFilter(cacheRow))
            continue;
        shownAt_[size_t(cacheRow)] = int(rows_.size());
        rows_.push_back(cacheRow);
    }
}

int TAdrsListModel::RecNo(int index) const
{
    if (index < 0 || index >= RowCount())
        return -1;
    return int(cache_.RecNo(rows_[size_t(index)]));
}

int TAdrsListModel::IndexOfRecNo(std::int64_t recNo) const
{
    const int cacheRow = cache_.IndexOfRecNo(recNo);
    return cacheRow < 0 || size_t(cacheRow) >= shownAt_.size() ? -1 : shownAt_[size_t(cacheRow)];
}

QString TAdrsListModel::CellText(int index, int columnNo) const
{
    if (index < 0 || index >= RowCount())
        return {};
    return AdrsListCellText(cache_, rows_[size_t(index)], columnNo);
}

int TAdrsListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount(); }

int TAdrsListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant TAdrsListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= RowCount() || index.column() >= int(columns_.size()))
        return {};
    const int col = columns_[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole: return CellText(index.row(), col);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (AdrsListColumnDefs[size_t(col)].alignRight ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::ForegroundRole:
        if (col == alcSymbol) {
            // Stored as a Windows colour value: 0x00BBGGRR.
            const auto v = std::uint32_t(cache_.Integer(rows_[size_t(index.row())], afSymbolColor));
            return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
        }
        return {};
    default: return {};
    }
}

QVariant TAdrsListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
        return {};
    const int col = columns_[size_t(section)];
    if (role == Qt::DisplayRole)
        return AdrsListColumnCaption(col, KeywordNames.data());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (AdrsListColumnDefs[size_t(col)].alignRight ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

void TAdrsListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= int(columns_.size()))
        return;
    const int col = columns_[size_t(column)];
    if (col == sortColumn_ && (order == Qt::DescendingOrder) == sortDescending_)
        return;
    SetSort(col, order == Qt::DescendingOrder);
}
