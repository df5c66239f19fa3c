#include "records/NameEdit.h"

#include "platform/ui/ByteLimitEdit.h"

TNameEdit::TNameEdit(QWidget* parent) : TTntNMDEdit(parent), limit_(new TByteLimit(this)) {}

int TNameEdit::MaxBytes() const { return limit_->MaxBytes(); }

void TNameEdit::SetMaxBytes(int maxBytes) { limit_->SetMaxBytes(maxBytes); }

bool TNameEdit::Wide() const { return limit_->Wide(); }

void TNameEdit::SetWide(bool wide) { limit_->SetWide(wide); }
