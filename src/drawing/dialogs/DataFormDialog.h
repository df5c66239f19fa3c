#pragma once
// "書式の設定": the data-format part of the print settings (bytes 0-59 of
// TPrintSetting): character conversions, legal-form notation, postal marks
// and honorifics. The designer fills it with SetDataForm, tells it the paper
// kind (or that only the sender block is concerned), shows it modally and on
// OK takes bytes 0-59 back with GetDataForm.

#include "drawing/objects/PrintSetting.h"
#include "platform/ui/DialogKit.h"

#include <memory>

namespace Ui {
class TDataFormDialog;
}

class TDataFormDialog : public TModalDialog {
    Q_OBJECT
public:
    explicit TDataFormDialog(QWidget* owner = nullptr);
    ~TDataFormDialog() override;

    // Fills the controls from bytes 0-59 of the record. A notation or postal
    // mark other than 0 or 1 chooses the third button.
    void SetDataForm(const TPrintSetting& setting);
    // Writes bytes 0-59 from the controls; the other bytes stay as they
    // were. An honorific whose text was not changed keeps its stored bytes.
    void GetDataForm(TPrintSetting& setting) const;

    // Label paper (2): no sender postal mark, and a note that the honorifics
    // apply only to records without joint names. Business-card paper (3): no
    // sender postal mark and no honorifics. Other kinds change nothing.
    void SetPaperKind(int kind);
    // Only the sender block is concerned: no addressee postal mark and no
    // honorifics.
    void SetSenderOnly(bool value);

    int HelpContext() const { return helpContext_; }

private:
    void disableHonors();

    std::unique_ptr<Ui::TDataFormDialog> ui;
    int helpContext_ = 0;
};
