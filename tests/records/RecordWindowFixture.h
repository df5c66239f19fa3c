#pragma once
// The record window on a fake address list of three full sample rows, with
// the message box recorded and a throw-away data folder.

#include "RecordSamples.h"
#include "support/TestSupport.h"

#include "core/Category.h"
#include "core/DBInfo.h"
#include "core/Settings.h"
#include "records/DtInqiry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// Rows the record window steps through, as a source list offers them.
template <class Link, class Row>
class TFakeRows : public Link {
public:
    std::vector<Row> rows;
    int index = -1;

    bool IsFirst() const override { return rows.empty() || index <= 0; }
    bool IsLast() const override { return rows.empty() || index >= Count() - 1; }
    int Count() const override { return int(rows.size()); }
    int CurrentIndex() const override { return index; }
    void SetCurrentIndex(int i) override { index = i >= -1 && i < Count() ? i : index; }
    void UpdateColor() override {}
    bool Move(TMoveKind kind, Row& row) override
    {
        return ReadAt(kind == mkFirst ? 0 : kind == mkPrior ? index - 1 : kind == mkNext ? index + 1 : Count() - 1, row);
    }
    bool ReadAt(int i, Row& row)
    {
        if (i < 0 || i >= Count())
            return false;
        index = i;
        row = rows[size_t(i)];
        return true;
    }
};

// A search window's results.
using TFakeResults = TFakeRows<TResultLink, TListingDetail>;

// The address list: rows of records, and what it was told.
class TFakeAddressList : public TFakeRows<TAddressListLink, TAdrsRecord> {
public:
    QList<int> updated, deleted;
    int refreshed = 0;

    bool ReadRecord(int recNo, TAdrsRecord& record) override
    {
        const int i = IndexOfRecNo(recNo);
        if (i >= 0)
            record = rows[size_t(i)];
        return i >= 0;
    }
    bool ReadRecordAt(int i, TAdrsRecord& record) override { return ReadAt(i, record); }
    void RefreshList(bool, bool, bool) override { ++refreshed; }
    int IndexOfRecNo(int recNo) const override
    {
        for (int i = 0; i < Count(); ++i)
            if (rows[size_t(i)].RecNo == recNo)
                return i;
        return -1;
    }
    void SelectItem(int, bool, bool) override {}
    void NotifyRecordsUpdated(const QList<int>& recNos) override { updated += recNos; }
    void NotifyRecordsDeleted(const QList<int>& recNos) override { deleted += recNos; }
    int SenderCount() const override { return 2; }
    QString SenderTitle(int i) const override { return i == 0 ? QStringLiteral("本社") : QStringLiteral("支店"); }
    int SenderRecNo(int i) const override { return i == 0 ? 7 : 9; }
    void EditGroupNames() override {}
};

class RecordWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        Settings() = TSettings();
        CtgryMainList.clear();
        CtgrySubLists.assign(7, {});
        for (int code = 1; code <= 6; ++code)
            CtgryMainList.push_back({code, QStringLiteral("大分類%1").arg(code)});
        for (int minor = 1; minor <= 4; ++minor)
            CtgrySubLists[5].push_back({500 + minor, QStringLiteral("小分類%1").arg(minor)});
        for (int i = 0; i < 3; ++i) {
            TAdrsRecord r = FullSampleRecord();
            r.RecNo = 100 + i;
            list.rows.push_back(std::move(r));
        }
        previous = SetInquiryLinksProvider([this] {
            TInquiryLinks links;
            links.AddressList = &list;
            return links;
        });
        // The lookup dialog is never shown: each run is counted and cancelled.
        previousRunner = TDataInquiry::SetDicSearchRunner([this](TDicSearch&) { ++lookupRuns; return 2; });
        window = new TDataInquiry;
    }
    void TearDown() override
    {
        if (DataInquiry)
            delete DataInquiry.data();
        TDataInquiry::SetDicSearchRunner(previousRunner);
        SetInquiryLinksProvider(previous);
        CtgryMainList.clear();
        CtgrySubLists.clear();
    }
    template <class T>
    T* find(const QString& name)
    {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void showRow(int i)
    {
        window->SetSourceMode(TDataInquiry::smAddressList);
        TAdrsRecord r;
        ASSERT_TRUE(list.ReadRecordAt(i, r));
        window->ShowInquiry(r);
    }

    TTempDataFolder folder;
    TMessageRecorder messages;
    TFakeAddressList list;
    TInquiryLinksProvider previous;
    TDataInquiry::TDicSearchRunner previousRunner;
    int lookupRuns = 0;
    TDataInquiry* window = nullptr;
};

// The same window with a real book open ("Book1" of the data folder).
class RecordWindowOnBook : public RecordWindow {
protected:
    void SetUp() override
    {
        RecordWindow::SetUp();
        dm = std::make_unique<TDMTelvora21>();
        dm->OpenAdrsTable(QStringLiteral("Book1"));
    }
    void TearDown() override
    {
        RecordWindow::TearDown();
        dm.reset();
    }

    std::unique_ptr<TDMTelvora21> dm;
};
