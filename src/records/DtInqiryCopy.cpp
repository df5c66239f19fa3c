// The record window's item copy and its settings.

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"
#include "records/CopyItemSet.h"
#include "records/DtInqiryUnits.h"

#include "core/Folders.h"
#include "core/Groups.h"
#include "core/Settings.h"
#include "platform/IniFile.h"
#include "platform/FileErrors.h"
#include "platform/ui/MessageBox.h"

#include <cerrno>
#include <QClipboard>
#include <QGuiApplication>

using namespace dtinquiry;

namespace {

const QString kSection = QStringLiteral("DATA INQUIRY");

QString IniPath()
{
    return DataFolder() + QStringLiteral("Telvora21.ini");
}

} // namespace

void TDataInquiry::LoadCopySettings()
{
    TIniFile ini(IniPath());
    copyItems_ = ParseCopyItems(ini.ReadString(kSection, QStringLiteral("CopyItemIndex"), QString()),
                                ini.ReadString(kSection, QStringLiteral("CopyItemCopy"), QString()));
    copyLastReturn_ = ini.ReadBool(kSection, QStringLiteral("LastReturn"), true);
}

bool TDataInquiry::SaveCopySettings()
{
    TIniFile ini(IniPath());
    ini.WriteString(kSection, QStringLiteral("CopyItemIndex"), CopyItemIndexText(copyItems_));
    ini.WriteString(kSection, QStringLiteral("CopyItemCopy"), CopyItemCopyText(copyItems_));
    ini.WriteBool(kSection, QStringLiteral("LastReturn"), copyLastReturn_);
    return ini.UpdateFile();
}

QString TDataInquiry::ItemCopyText() const
{
    TCopySource source;
    source.Input = ReadControls();
    source.GroupName = groupNo_ > 0 ? GroupName(groupNo_) : QString();
    source.CommonMyNumber = CommonMyNumber();
    source.JointOwner = ui->cbxJointOwner->currentText();
    source.Sender = ui->cbxSender->currentText();
    source.CatMain = ui->cbxCatMain->currentText();
    source.CatSub = ui->cbxCatSub->currentText();
    if (heldRecord_) {
        source.AddDateTime = heldRecord_->AddDateTime;
        source.UpdDateTime = heldRecord_->UpdDateTime;
    }
    return ComposeItemCopy(CopyItemValues(source), copyItems_, IsProtectedFieldMasked(), copyLastReturn_);
}

void TDataInquiry::CopyItemsClick()
{
    THourglass wait;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(ItemCopyText());
}

void TDataInquiry::CopySettingClick()
{
    TCopyItemSet dialog(this);
    {
        THourglass wait;
        dialog.SetItems(copyItems_, copyLastReturn_);
    }
    if (dialog.ShowModal() != mrOk)
        return;
    dialog.GetItems(copyItems_, copyLastReturn_);
    if (!SaveCopySettings())
        ShowMessage(this, QStringLiteral("設定が保存できませんでした  \r\n") + FileErrorCause(errno) + QStringLiteral("  "),
                    MB_OK | MB_ICONSTOP);
}
