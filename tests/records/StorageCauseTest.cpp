// Saves the user starts that fail for real on the data folder: each message
// names what stopped it, in Japanese, from the one list of causes.

#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Groups.h"
#include "core/HistoryData.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "core/ui/AdrsList.h"
#include "platform/FileErrors.h"
#include "records/InputList.h"
#include "records/ProtectMemoEdit.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace {

// A folder standing where a file of ours belongs: neither read nor replaced.
void FolderInPlaceOf(const QString& file)
{
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file)) << file.toStdString();
}

template <class T>
T* Child(const QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

struct TFailedSave {
    const char* what;
    QString heading;
    QString cause;
    // Makes the save fail and runs it the way a user does.
    std::function<void(TMessageRecorder&)> run;
};

class StorageCause : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        LoadItemNames();
        dm = std::make_unique<TDMTelvora21>();
    }
    TTempDataFolder folder;
    std::unique_ptr<TDMTelvora21> dm;
};

TEST_F(StorageCause, EachFailedSaveNamesItsTrueCause)
{
    const QString folderInPlace = FileErrorCause(EISDIR);
    const std::vector<TFailedSave> saves = {
        {"protected memo names (AdrsList.ini)", QStringLiteral("保護メモ項目の設定が保存できませんでした  "),
         folderInPlace,
         [](TMessageRecorder&) {
             FolderInPlaceOf(AdrsListIniFileName());
             TProtectMemoEdit dialog;
             Child<QLineEdit>(dialog, "edtProtectMemo1")->setText(QStringLiteral("表ソ能"));
             Child<QPushButton>(dialog, "btnOk")->click();
         }},
        {"pick list (History/Post.mtd)", QStringLiteral("役職のリストが保存できませんでした  "), folderInPlace,
         [](TMessageRecorder&) {
             FolderInPlaceOf(DataPath() + QStringLiteral("History/Post.mtd"));
             TInputList dialog;
             dialog.SetListKind(TInputList::lkPost);
             Child<QLineEdit>(dialog, "edtName")->setText(QStringLiteral("課長代理"));
             QTest::keyClick(Child<QLineEdit>(dialog, "edtName"), Qt::Key_Return);
             Child<QPushButton>(dialog, "btnOk")->click();
         }},
        {"group names (Group.dat)", QStringLiteral("グループ名が保存できませんでした  "), folderInPlace,
         [](TMessageRecorder&) {
             FolderInPlaceOf(GroupDatFileName());
             TAddressList list;
             QTimer::singleShot(0, [] {
                 QWidget* dialog = QApplication::activeModalWidget();
                 ASSERT_NE(dialog, nullptr);
                 dialog->findChild<QLineEdit*>("edtGroup1")->setText(QStringLiteral("得意先"));
                 dialog->findChild<QPushButton*>("btnOk")->click();
             });
             list.actEditGroup->trigger();
         }},
    };
    for (const TFailedSave& save : saves) {
        SCOPED_TRACE(save.what);
        TMessageRecorder messages;
        save.run(messages);
        ASSERT_FALSE(messages.Messages().empty());
        const QString text = messages.LastText();
        EXPECT_TRUE(text.startsWith(save.heading)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n") + save.cause + QStringLiteral("  ")))
            << text.toStdString();
    }
}

} // namespace
