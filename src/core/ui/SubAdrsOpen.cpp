#include "core/ui/SubAdrsOpen.h"

#include "core/DBInfo.h"
#include "platform/ui/MessageBox.h"

bool OpenSubAdrsTable(TDMTelvora21& dm, const QString& folder, QWidget* owner)
{
    if (dm.OpenSubAdrsTable(folder))
        return true;
    ShowMessage(owner, kSubAdrsOpenError, MB_OK | MB_ICONERROR);
    return false;
}
