#pragma once
// Number edits of the record and sender windows (telephone numbers, postal
// codes): the record keeps a number's digits, at most maxDigits of them, so
// a number is taken whole or not at all. Typing, pasting, dropping or an
// input-method commit that would leave the edit with more digits than the
// record holds, or a number (digits and hyphens) with more bytes than the
// edit holds, is refused whole with the edit's beep: cut to fit, it would
// be another number. Text that is no number is left to the edit's own cut
// and refused aloud where it is saved. Text the program sets is checked
// where it is saved; a text already too long may shrink but never grow.

class QLineEdit;

// The edit keeps its own rules (first line, code page 932, full-width digits
// folded); this check comes before them.
void KeepNumberWhole(QLineEdit* edit, int maxDigits);
