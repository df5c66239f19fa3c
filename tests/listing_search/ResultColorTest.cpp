#include "core/Settings.h"
#include "core/common/Units.h"
#include "listing_search/NmAdSch.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <gtest/gtest.h>

// The result list a record was taken from is painted in [VIEW] BGColor: the
// colour the settings hold, with the one default the settings give it.
TEST(ResultColor, SourceListTakesTheColourOfTheSettings)
{
    TTempDataFolder folder; // no Telvora21.ini: every default
    LoadSettings();
    TNameAdrsSearch w;
    w.findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(QStringLiteral("店"));
    w.StartSearch();
    w.WaitForSearch();
    ASSERT_GT(w.GetResultCount(), 0);
    auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    ASSERT_NE(list, nullptr);
    const QColor plain = list->palette().color(QPalette::Base);

    w.SetShownInRecordWindow(true);
    w.UpdateResultColor();
    EXPECT_EQ(list->palette().color(QPalette::Base), ColorFromStored(kDefaultBGColor));

    // A colour chosen in the settings and not yet written is the one shown.
    Settings().BGColor = 0x00336699;
    w.UpdateResultColor();
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(0x99, 0x66, 0x33));
    Settings().BGPaint = false;
    w.UpdateResultColor();
    EXPECT_EQ(list->palette().color(QPalette::Base), plain);
    LoadSettings();
}
