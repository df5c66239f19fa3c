#pragma once
// The record window's name edits: the core's name edit (which offers the
// reading being typed to the name-reading popup) with the same limit the
// other edits of the window keep. Unicode names count UTF-16 units, as the
// wide-text form stores them; readings kept in code page 932 count its bytes
// and refuse characters it cannot hold.

#include "core/ui/TntNMDEdit.h"

class TNameEdit : public TTntNMDEdit {
    Q_OBJECT
    Q_PROPERTY(int maxBytes READ MaxBytes WRITE SetMaxBytes)
    Q_PROPERTY(bool wide READ Wide WRITE SetWide)
public:
    explicit TNameEdit(QWidget* parent = nullptr);

    int MaxBytes() const { return maxBytes_; }
    void SetMaxBytes(int maxBytes) { maxBytes_ = qMax(0, maxBytes); }
    bool Wide() const { return wide_; }
    void SetWide(bool wide) { wide_ = wide; }

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class TNameLimitValidator;
    int maxBytes_ = 0;
    bool wide_ = false;
    QString accepted_;
};
