#pragma once
// The record window's name edits: the core's name edit (which offers the
// reading being typed to the name-reading popup) with the same limit the
// other edits of the window keep. Unicode names count UTF-16 units, as the
// wide-text form stores them; readings kept in code page 932 count its bytes
// and refuse characters it cannot hold.

#include "core/ui/TntNMDEdit.h"

class TByteLimit;

class TNameEdit : public TTntNMDEdit {
    Q_OBJECT
    Q_PROPERTY(int maxBytes READ MaxBytes WRITE SetMaxBytes)
    Q_PROPERTY(bool wide READ Wide WRITE SetWide)
public:
    explicit TNameEdit(QWidget* parent = nullptr);

    int MaxBytes() const;
    void SetMaxBytes(int maxBytes);
    bool Wide() const;
    void SetWide(bool wide);

private:
    TByteLimit* limit_; // the edits' one limit behaviour, owned by this edit
};
