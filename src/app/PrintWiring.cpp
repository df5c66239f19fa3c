#include "app/PrintWiring.h"

#include "core/AdrsRecord.h"
#include "core/ui/AdrsList.h"
#include "drawing/dialogs/LytPrt.h"
#include "platform/ui/PrinterSetup.h"

namespace {

// The main window as the print dialog sees it, while it exists.
class TMainWindowRecords : public TPrintRecordSource {
public:
    int RowCount() const override { return AddressList ? AddressList->GetRecordCount() : 0; }
    bool IsRowSelected(int row) const override { return AddressList && AddressList->IsSelected(row); }
    int RecNoAt(int row) const override { return AddressList ? AddressList->GetRecNo(row) : 0; }
    int FirstSelectedRow() const override { return AddressList ? AddressList->GetSelectedIndex() : -1; }
    int PrintTargetOf(int recNo) const override
    {
        TAdrsRecord record;
        if (!AddressList || !AddressList->ReadRecord(recNo, record))
            return -1;
        return record.PrintTarget;
    }
};

} // namespace

void WirePrinting(TAddressList&)
{
    static TMainWindowRecords records;
    InstallSystemPrinters();
    SetPrintRecordSourceProvider([]() -> TPrintRecordSource* { return &records; });
}
