#pragma once
// The Unicode name edit. While the user types a name in kana, the reading
// at the caret is offered to the name-reading popup (NameConvertNeed); the
// name picked there replaces the reading (InsertName) and the reading is
// added to the associated reading edit.

#include "platform/ui/DialogKit.h"

#include <QLineEdit>
#include <functional>

class TTntNMDEdit : public QLineEdit, public TEnterKeyClaimant {
    Q_OBJECT
public:
    explicit TTntNMDEdit(QWidget* parent = nullptr);

    // The edit that receives the reading of a picked name; nullptr for none.
    void SetKanaEdit(QLineEdit* edit) { kanaEdit_ = edit; }
    QLineEdit* KanaEdit() const { return kanaEdit_; }

    // Puts the name into the text in place of the reading being typed (or
    // of the selection), the caret at the end, and appends the reading to
    // the reading edit. Each edit keeps its limit: a name that does not fit
    // is refused whole and brings no reading; a reading that does not fit
    // is left out.
    void InsertName(const QString& name, const QString& reading);

    // Every key pressed goes here first while set; true consumes it.
    std::function<bool(int key)> OnConvertKeyDown;

    // Enter goes to OnConvertKeyDown before the window's Enter-moves-on.
    bool ClaimEnterKey(int key) override { return OnConvertKeyDown && OnConvertKeyDown(key); }

signals:
    // need: a reading is being typed; kind 0 a family name (the reading
    // starts the text), 1 a given name (it follows something typed before).
    void NameConvertNeed(bool need, const QString& reading, int kind);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void CheckReading();

    QLineEdit* kanaEdit_ = nullptr;
    QString reading_;
    int readingStart_ = -1;
};
