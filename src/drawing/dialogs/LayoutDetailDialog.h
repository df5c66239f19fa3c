#pragma once
// "フォント・配置の詳細設定": the automatic layout of a designer's fixed data
// frames. Whether the layout is automatic and which items are shown belong
// to the designer and pass through the setters and getters below; the
// sizes, ratios and placement options are bytes 60-100 of TPrintSetting.
//
// The designer calls SetPaperKind, SetManualLayout, SetDataKind, the
// visibility setters, SetDetail and (for the message side's sender block)
// SetSenderOnly, shows the dialog modally, and on OK reads GetDetail, the
// visibility getters and ManualLayout.
//
// The page shown last is kept in [PRINTFORM] Detail of the settings file.

#include "drawing/objects/PrintSetting.h"
#include "platform/ui/DialogKit.h"

#include <memory>

class QCheckBox;
class TExTrackBar;

namespace Ui {
class TLayoutDetailDialog;
}

class TLayoutDetailDialog : public TModalDialog {
    Q_OBJECT
public:
    enum TDataKind : quint8 { dkBoth = 0, dkAddressee = 1, dkSender = 2 };
    static constexpr int kPageCount = 3;

    explicit TLayoutDetailDialog(QWidget* owner = nullptr);
    ~TLayoutDetailDialog() override;

    // 1 while automatic layout is off (ckbAuto unchecked).
    quint8 ManualLayout = 0;

    // Bytes 60-100: slider positions, ratio choices, alignments, joint
    // names, company line breaks, character spacing. Values out of range
    // are shown clamped (an alignment above 3 as centred).
    void SetDetail(const TPrintSetting& setting);
    // Writes bytes 60-100 from the controls; the other bytes stay as they were.
    void GetDetail(TPrintSetting& setting) const;

    // Label (2) and business-card (3) paper have no sender: every sender
    // control of the font and placement pages is disabled. Other paper has
    // no addressee additional information to size.
    void SetPaperKind(int kind);
    int PaperKind() const { return paperKind_; }
    void SetManualLayout(bool value);
    // Which items the layout holds (TDataKind): in manual layout the boxes
    // of the side not held are disabled.
    void SetDataKind(int kind);
    int DataKind() const { return dataKind_; }
    // Only the sender block is concerned: the addressee's sliders and name
    // alignment are disabled.
    void SetSenderOnly(bool value);

    bool GetPosVisible() const;
    void SetPosVisible(bool value);
    bool GetAddressVisible(int index) const; // index 0-2
    void SetAddressVisible(int index, bool value);
    bool GetNameVisible() const;
    void SetNameVisible(bool value);
    bool GetCorpVisible() const;
    void SetCorpVisible(bool value);
    bool GetDptmntVisible() const;
    void SetDptmntVisible(bool value);
    bool GetPostVisible() const;
    void SetPostVisible(bool value);
    bool GetSenderPosVisible() const;
    void SetSenderPosVisible(bool value);
    bool GetSenderAddressVisible(int index) const; // index 0-2
    void SetSenderAddressVisible(int index, bool value);
    bool GetSenderNameVisible() const;
    void SetSenderNameVisible(bool value);
    bool GetSenderCorpVisible() const;
    void SetSenderCorpVisible(bool value);
    bool GetSenderDptmntVisible() const;
    void SetSenderDptmntVisible(bool value);
    bool GetSenderPostVisible() const;
    void SetSenderPostVisible(bool value);
    bool GetAdditionVisible(int index) const; // index 0-3
    void SetAdditionVisible(int index, bool value);

    // 113 on the automatic-layout and font pages, 114 on the placement page.
    int HelpContext() const;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void autoLayoutChanged();
    void sliderMouseDown(TExTrackBar* bar, Qt::MouseButton button, const QPoint& pos);
    QList<QCheckBox*> addresseeBoxes() const;
    QList<QCheckBox*> senderBoxes() const; // sender items and contacts

    std::unique_ptr<Ui::TLayoutDetailDialog> ui;
    int paperKind_ = 0;
    int dataKind_ = dkBoth;
};
