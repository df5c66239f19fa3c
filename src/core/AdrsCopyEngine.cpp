#include "core/AdrsCopyEngine.h"

#include "core/AdrsFields.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/common/AddressText.h"
#include "platform/FileErrors.h"
#include "platform/Seams.h"
#include "platform/SqlTable.h"

#include <QFileInfo>
#include <array>
#include <sqlite3.h>

namespace {

const QString kRecNo = QStringLiteral("RecNo");
const QString kCustomCode = QStringLiteral("CustomCode");

struct TTarget {
    const char* Name;
    int Column;
};
constexpr std::array<TTarget, 4> kTargets{{{"Tel", afTel}, {"Fax", afFax}, {"Portable1", afPortable1},
                                           {"Portable2", afPortable2}}};

} // namespace

TAdrsCopyEngine::TAdrsCopyEngine(TSqlTable& source, TSqlTable& destination, const TAdrsCopyOptions& options)
    : src_(source), dst_(destination), opt_(options)
{
}

TAdrsCopyWriteFault TAdrsCopyEngine::WriteFaultOf(const ESqlTableError& error)
{
    // The table knows a lock another connection holds from one the file
    // system refuses (which the engine calls busy too); only the first is
    // the book in use.
    if (error.Kind() == ESqlTableError::TKind::InUse)
        return TAdrsCopyWriteFault::InUse;
    if (error.Kind() == ESqlTableError::TKind::Moved)
        return TAdrsCopyWriteFault::Moved;
    const int code = error.Code();
    if (SqliteErrorMeansDamaged(code))
        return TAdrsCopyWriteFault::Damaged;
    switch (code & 0xFF) {
    case SQLITE_FULL: return TAdrsCopyWriteFault::DiskFull;
    case SQLITE_READONLY: return TAdrsCopyWriteFault::ReadOnly;
    case SQLITE_IOERR: return TAdrsCopyWriteFault::DiskError;
    default: return TAdrsCopyWriteFault::Other;
    }
}

bool TAdrsCopyEngine::IsSameBook(const TSqlTable& source, const TSqlTable& destination)
{
    const QString a = QFileInfo(source.FileName()).canonicalFilePath();
    const QString b = QFileInfo(destination.FileName()).canonicalFilePath();
    return !a.isEmpty() && a == b;
}

TAdrsCopyCounts TAdrsCopyEngine::Run(const std::vector<int>& recNos)
{
    TAdrsCopyCounts total;
    if (IsSameBook(src_, dst_)) {
        total.WriteError = true;
        return total;
    }
    // The first failure that lost records to the destination tells why.
    auto fault = [&](TAdrsCopyWriteFault kind) {
        if (total.WriteFault == TAdrsCopyWriteFault::None)
            total.WriteFault = kind == TAdrsCopyWriteFault::None ? TAdrsCopyWriteFault::Other : kind;
    };
    try {
        dstCount_ = dst_.RecordCount();
    } catch (const ESqlTableError& e) {
        total.WriteError = true;
        fault(WriteFaultOf(e));
        return total;
    }
    // Counted per batch: a batch whose transaction is gone (a failed commit,
    // or SQLite taking it back itself when the disk filled) wrote nothing,
    // and its records are then counted as failed, not as written.
    TAdrsCopyCounts batch;
    int inBatch = 0;
    auto commit = [&] {
        bool kept = false;
        if (dst_.InTransaction()) {
            try {
                dst_.Commit();
                kept = true;
            } catch (const ESqlTableError& e) {
                lastFault_ = WriteFaultOf(e);
                try {
                    dst_.Rollback();
                } catch (const ESqlTableError&) {
                }
            }
        }
        if (kept) {
            total.Registered += batch.Registered;
            total.Overwritten += batch.Overwritten;
        } else {
            total.Failed += batch.Registered + batch.Overwritten;
            dstCount_ -= batch.Registered;
            // Taken back whole (a full disk, a disk error) or not committed:
            // the destination could not be written, whatever was refused.
            if (inBatch > 0)
                fault(lastFault_);
        }
        total.NotProcessed += batch.NotProcessed;
        total.Failed += batch.Failed;
        batch = {};
        inBatch = 0;
    };
    for (int recNo : recNos) {
        TAdrsCopyResult r = TAdrsCopyResult::Failed;
        try {
            if (!src_.Locate(kRecNo, recNo))
                continue;
        } catch (const ESqlTableError&) {
            // A source row that cannot be read is not a row that is gone.
            ++batch.Failed;
            if (OnStep)
                OnStep();
            continue;
        }
        if (!dst_.InTransaction()) {
            try {
                dst_.StartTransaction();
            } catch (const ESqlTableError& e) {
                total.WriteError = true;
                fault(WriteFaultOf(e));
                break;
            }
        }
        lastFault_ = TAdrsCopyWriteFault::None;
        r = copyCurrent();
        // A record that failed on the file, its disk or its lock (not
        // refused by the book's rules) was lost to a destination that cannot
        // be written, even when SQLite kept the batch going.
        if (r == TAdrsCopyResult::Failed && lastFault_ != TAdrsCopyWriteFault::None &&
            lastFault_ != TAdrsCopyWriteFault::Other)
            fault(lastFault_);
        if (r == TAdrsCopyResult::LimitReached) {
            total.LimitReached = true;
            break;
        }
        switch (r) {
        case TAdrsCopyResult::Registered: ++batch.Registered; break;
        case TAdrsCopyResult::Overwritten: ++batch.Overwritten; break;
        case TAdrsCopyResult::NotProcessed: ++batch.NotProcessed; break;
        default: ++batch.Failed; break;
        }
        if (OnStep)
            OnStep();
        if (++inBatch >= kCopyBatchSize || !dst_.InTransaction())
            commit(); // a batch SQLite took back is settled at once; the next record begins anew
    }
    commit();
    return total;
}

TAdrsCopyResult TAdrsCopyEngine::copyCurrent()
{
    if (dstCount_ >= kMaxAdrsRecords) {
        if (OnLimit)
            OnLimit();
        return TAdrsCopyResult::LimitReached;
    }
    const QDateTime now = Now();
    // A record writes one statement (the post's INSERT or UPDATE), and SQLite
    // takes a failed statement back alone while the transaction goes on: no
    // savepoint per record is needed (one cost about 30 µs a record, a third
    // of the copy).
    try {
        if (opt_.TargetCount() > 0 && opt_.SameNumCheck == 1 && findSameNumber())
            return TAdrsCopyResult::NotProcessed; // nothing written
        bool overwrite = false;
        const QByteArray code = src_.AsUtf8(afCustomCode);
        if (!code.isEmpty()) {
            dst_.SetIndexName(kCustomCode);
            if (dst_.FindKey({QString::fromUtf8(code)})) {
                if (opt_.SameCustomCheck != 0)
                    return TAdrsCopyResult::NotProcessed;
                overwrite = true; // the first with that code in index order
            }
        }
        if (overwrite)
            dst_.Edit();
        else
            dst_.Append();
        writeFields(now);
        dst_.Post();
        if (overwrite)
            return TAdrsCopyResult::Overwritten;
        ++dstCount_;
        return TAdrsCopyResult::Registered;
    } catch (const ESqlTableError& e) {
        lastFault_ = WriteFaultOf(e);
        // The failed statement wrote nothing; the edit buffer is let go.
        try {
            if (dst_.State() == TSqlTable::TState::Edit || dst_.State() == TSqlTable::TState::Insert)
                dst_.Cancel();
        } catch (const ESqlTableError&) {
        }
        return TAdrsCopyResult::Failed;
    }
}

bool TAdrsCopyEngine::findSameNumber()
{
    const std::array<bool, 4> ticked{opt_.Tel, opt_.Fax, opt_.Portable1, opt_.Portable2};
    std::vector<const TTarget*> taking;
    std::vector<QByteArray> values;
    for (size_t i = 0; i < kTargets.size(); ++i) {
        if (!ticked[i])
            continue;
        QByteArray v = src_.AsUtf8(kTargets[i].Column);
        if (v.isEmpty())
            continue;
        taking.push_back(&kTargets[i]);
        values.push_back(std::move(v));
    }
    if (taking.empty())
        return false;
    if (opt_.BothType == 1) {
        for (size_t i = 0; i < taking.size(); ++i) {
            dst_.SetIndexName(QLatin1String(taking[i]->Name));
            if (dst_.FindKey({QString::fromUtf8(values[i])}))
                return true;
        }
        return false;
    }
    // Every taking-part number equal: walk the first one's index over its
    // equal keys and test the others on each row.
    dst_.SetIndexName(QLatin1String(taking[0]->Name));
    dst_.FindNearest({QString::fromUtf8(values[0])});
    for (; !dst_.Eof() && dst_.CurrentRecNo() != 0; dst_.Next()) {
        if (dst_.AsUtf8(taking[0]->Column) != values[0])
            break;
        bool all = true;
        for (size_t i = 1; i < taking.size() && all; ++i)
            all = dst_.AsUtf8(taking[i]->Column) == values[i];
        if (all)
            return true;
    }
    return false;
}

void TAdrsCopyEngine::writeFields(const QDateTime& now)
{
    ForEachAdrsColumn([&](const auto& d, int, int column) {
        using D = std::decay_t<decltype(d)>;
        if constexpr (D::Kind == TFieldKind::RecNo || D::Kind == TFieldKind::DateTime) {
            // RecNo is the destination's; the dates follow the date rule below.
        } else if constexpr (D::Kind == TFieldKind::Integer || D::Kind == TFieldKind::Boolean) {
            dst_.SetInteger(column, src_.AsInteger(column));
        } else if constexpr (D::Kind == TFieldKind::Float) {
            dst_.SetFloat(column, src_.AsFloat(column));
        } else if constexpr (D::Kind == TFieldKind::Lines) {
            if (src_.IsNull(column))
                dst_.SetNull(column);
            else
                dst_.SetUtf8(column, src_.AsUtf8(column));
        } else {
            dst_.SetUtf8(column, src_.AsUtf8(column));
        }
    });
    double add = DateTimeToStored(TruncToSeconds(now));
    double upd = DateTimeToStored(now);
    if (opt_.SameAddDateTime) {
        add = src_.AsFloat(afAddDateTime);
        if (opt_.SameUpdDateTime)
            upd = src_.AsFloat(afUpdDateTime);
    }
    dst_.SetFloat(afAddDateTime, add);
    dst_.SetFloat(afUpdDateTime, upd);
}
