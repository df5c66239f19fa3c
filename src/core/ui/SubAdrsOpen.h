#pragma once
// Opening the second (exclusive) book from a window: the data module reports
// the failure, this tells the user.

class QString;
class QWidget;
class TDMTelvora21;

// dm.OpenSubAdrsTable(folder); on failure shows kSubAdrsOpenError with its
// cause under it and the error icon over owner, and returns false.
bool OpenSubAdrsTable(TDMTelvora21& dm, const QString& folder, QWidget* owner = nullptr);
