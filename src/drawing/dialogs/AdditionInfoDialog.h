#pragma once
// "追加情報の設定": the customer barcode on or off with its size, and on
// labels and business cards up to four additional items printed with the
// address (a record field, a fixed item or a free text). For postcards and
// envelopes it shrinks to the barcode part under "バーコードの設定". The
// designer fills it through the setters (SetPaperKind first, then
// SetDataKind), shows it modally and reads it back through the getters.

#include "platform/ui/DialogKit.h"

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

// Data kinds and paper kinds of the designer.
enum : quint8 { adkAddress = 1, adkSender = 2 };
enum : quint8 { apkPostcard = 0, apkEnvelope = 1, apkLabel = 2, apkCard = 3 };

class TAdditionInfoDialog : public TModalDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 4;

    explicit TAdditionInfoDialog(QWidget* owner = nullptr);

    void SetPaperKind(quint8 Kind);
    void SetDataKind(quint8 Kind);
    void SetAdditionChecked(int Index, bool Value);
    bool GetAdditionChecked(int Index) const;
    // Selects the entry with the code (none selected when no entry has it).
    void SetAdditionItem(int Index, int Code);
    void SetAdditionText(int Index, const QString& Text);
    // The code of the chosen entry, 0 when the text is free (or empty).
    int GetAdditionItem(int Index) const;
    // The free text trimmed; empty when an entry is chosen.
    QString GetAdditionText(int Index) const;
    void SetBarcode(bool Value);
    bool GetBarcode() const;
    void SetMaxBarSize(quint8 Value);
    void SetBarSize(int Value);
    int GetBarSize() const;
    void DisableBarcode(bool Value);

    quint8 GetPaperKind() const { return PaperKind; }
    quint8 GetDataKind() const { return DataKind; }
    quint8 GetMaxBarSize() const { return MaxBarSize; }
    int HelpContext() const { return 117; }

    // The entries offered for a paper kind and data kind: caption and code.
    static std::vector<std::pair<QString, int>> ItemsFor(quint8 PaperKind, quint8 DataKind);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void followAddition(int Index);
    void followBarcode();
    void barSizeChosen(int Index);

    quint8 DataKind = adkAddress;
    quint8 MaxBarSize = 3;
    quint8 PaperKind = apkPostcard;

    QGroupBox* gbxAddition = nullptr;
    std::array<QCheckBox*, kRows> ckbAddition{};
    std::array<QComboBox*, kRows> cbxAddition{};
    QCheckBox* ckbBarcode = nullptr;
    QGroupBox* gbxBarcode = nullptr;
    QLabel* lblBarSize = nullptr;
    QComboBox* cbxBarSize = nullptr;
    QFrame* bvlLine = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
