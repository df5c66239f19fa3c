#include "core/ui/SubAdrsOpen.h"

#include "core/DBInfo.h"
#include "platform/ui/MessageBox.h"

bool OpenSubAdrsTable(TDMTelvora21& dm, const QString& folder, QWidget* owner)
{
    QString cause;
    if (dm.OpenSubAdrsTable(folder, &cause))
        return true;
    // The cause on a line of its own, as every storage message has it: a
    // book another program holds is told as in use, not as a file that
    // could not be opened for some unknown reason.
    ShowMessage(owner,
                cause.isEmpty() ? kSubAdrsOpenError
                                : kSubAdrsOpenError + QStringLiteral("  \r\n") + cause + QStringLiteral("  "),
                MB_OK | MB_ICONERROR);
    return false;
}
