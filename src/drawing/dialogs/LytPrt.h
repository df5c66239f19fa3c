#pragma once
// "宛名印刷" / "ラベル印刷" / "名刺印刷": the print dialog of the address-side
// and label designers. It chooses which address records are printed and in
// which order, the copies, where on the sheet printing starts, the offsets
// and (envelopes) the flap and direction, and shows the current printer and
// paper. It does not print: the designer reads the results after OK.
//
// The caller calls SetUseAddressData, SetPrintKind, SetPiecesPerSheet and
// SetPrintExtent in that order, sets ReturnFromPreview, shows it modally and
// on mrOk reads the results. Choices are kept per kind in Telvora21.ini
// ([LAYOUT PRINT], [LABEL PRINT], [CARD PRINT]).

#include "drawing/objects/DrawRect.h"
#include "platform/ui/DialogKit.h"

#include <QList>
#include <QPoint>
#include <functional>
#include <memory>

namespace Ui {
class TLayoutPrintDialog;
}
class QAbstractButton;
class QLineEdit;
class TEnterKeyFilter;

// What the dialog reads of the address-book main window and its book: the
// rows in display order, the selection, and the print mark of a record. The
// program wires the main window in at start; tests give their own.
class TPrintRecordSource {
public:
    virtual ~TPrintRecordSource() = default;
    virtual int RowCount() const = 0;
    virtual bool IsRowSelected(int row) const = 0;
    virtual int RecNoAt(int row) const = 0;
    // The first selected row, -1 when none is.
    virtual int FirstSelectedRow() const = 0;
    // The record's print mark (0 none, 1 "print", 2 "exclude"); -1 when
    // the book holds no such record.
    virtual int PrintTargetOf(int recNo) const = 0;
};
// The source the dialog uses (none: an empty list).
void SetPrintRecordSourceProvider(std::function<TPrintRecordSource*()> provider);

class TLayoutPrintDialog : public TModalDialog {
    Q_OBJECT
public:
    using TDataList = QList<qint32>;

    explicit TLayoutPrintDialog(QWidget* owner = nullptr);
    ~TLayoutPrintDialog() override;

    void SetUseAddressData(bool Use);
    // 0 postcard address side, 1 envelope, 2 label sheet, 3 business card.
    void SetPrintKind(quint8 Kind);
    void SetPiecesPerSheet(qint32 N);
    // The extent of what the layout prints, in layout pixels from the paper's edge.
    void SetPrintExtent(const TRect& R);
    void SetReturnFromPreview(bool Value) { ReturnFromPreview = Value; }

    // Results.
    const TDataList& DataList() const { return dataList_; }
    // 0.1 mm, positive right and down.
    void GetOffset(QPoint& P) const;
    qint32 GetFlap() const;
    bool GetReverse() const;
    qint32 GetLabelStart() const;
    qint32 GetLabelCount() const;
    bool GetLimitedPrinter() const;
    bool IsPreviewRequested() const { return PreviewRequested; }
    bool IsPrinterChanged() const { return PrinterChanged; }

    qint32 GetRangeKind() const { return RangeKind; }
    qint32 GetLimitKind() const { return LimitKind; }
    qint32 GetStartNo() const { return StartNo; }
    qint32 GetEndNo() const { return EndNo; }
    int HelpContext() const { return helpContext_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString section() const;
    void loadSettings();
    void writeSettings();
    void fillPrinterPanels();
    void chooseRange(int kind);
    void chooseLimit(int kind);
    void enableRangeEdits();
    void buildDataList();
    void updateSheetCount();
    void showRange();
    void setRange(int start, int end, bool startMoved);
    void stepRange(bool start, int delta);
    void takeRangeEdit(bool start);
    void takeFlapEdit();
    void showOffset();
    void checkExtent();
    void choosePrinter();
    void next();
    void preview(bool recordPage);
    void print();

    std::unique_ptr<Ui::TLayoutPrintDialog> ui;
    TEnterKeyFilter* enter_ = nullptr;

    quint8 PrintKind = 0;
    TDataList dataList_;
    TRect PrintExtent;
    qint32 LimitKind = 0;
    qint32 RangeKind = -1;
    bool PrinterChanged = false;
    qint32 StartNo = 1;
    qint32 EndNo = 1;
    bool UseAddressData = false;
    bool PreviewRequested = false;
    bool MultiPiece = false;
    bool ReturnFromPreview = false;

    bool shown_ = false;
    int helpContext_ = 80;
};
