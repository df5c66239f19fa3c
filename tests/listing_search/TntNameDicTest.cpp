#include "listing_search/SkkDictionary.h"
#include "listing_search/TntNameDic.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// Choosing from the popup is checked on the record window, which wires it to its name edits.

TEST(TntNameDic, MissingDictionaryIsNamedOnceAndOffersNothing)
{
    TNameDictionary::SetSharedPath(QStringLiteral("/nonexistent/SKK-JISYO.jinmei"));
    TMessageRecorder messages;
    {
        TTntNameDic popup(nullptr);
        EXPECT_FALSE(popup.Initialize());
        EXPECT_FALSE(popup.Initialize());
        EXPECT_EQ(popup.CountNames(QStringLiteral("やまだ"), 0), 0);
        popup.FillCandidates(0);
        EXPECT_FALSE(popup.isVisible());
    }
    TNameDictionary::SetSharedPath(kJinmeiDictionaryPath);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().contains(u"SKK-JISYO.jinmei"));
}
