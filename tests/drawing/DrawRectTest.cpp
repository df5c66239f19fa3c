#include "DrawRectTestItem.h"
#include "drawing/objects/DrawItems.h"
#include "platform/RefDevice.h"

#include <climits>

namespace {

class DrawRectPrint : public ::testing::Test {
protected:
    void SetUp() override { saved_ = RefDevice(); }
    void TearDown() override { SetRefDevice(saved_); }
    static void SetPrinter(int dpiX, int dpiY, int offX, int offY) { SetRefDevice({true, dpiX, dpiY, offX, offY}); }
    TRefDevice saved_;
};

} // namespace

TEST(DrawRect, ZoomMapsEachSideRoundingHalfAwayFromZeroAndZeroZoomChangesNothing)
{
    TTestItem item;
    item.SetZoom(1.5);
    item.SetRect({0, 0, 101, 51});
    EXPECT_EQ(item.GetDisplayRect(), TRect(0, 0, 152, 77));
    item.SetRect({-1, -3, 1, 3});
    EXPECT_EQ(item.GetDisplayRect(), TRect(-2, -5, 2, 5));

    // The two directions round independently: a round trip may move a side.
    item.SetZoom(2.0);
    item.SetDisplayRect({3, 4, 7, 9});
    EXPECT_EQ(item.GetRect(), TRect(2, 2, 4, 5));
    EXPECT_EQ(item.GetDisplayRect(), TRect(3, 4, 7, 9));
    item.SetZoom(2.0);
    EXPECT_EQ(item.GetDisplayRect(), TRect(4, 4, 8, 10));

    // Zoom zero leaves both rectangles alone.
    item.SetZoom(0);
    item.SetDisplayRect({0, 0, 5, 5});
    EXPECT_EQ(item.GetRect(), TRect(2, 2, 4, 5));
    EXPECT_EQ(item.GetDisplayRect(), TRect(4, 4, 8, 10));
}

TEST(DrawRect, AssignTakesRectangleAtOwnZoomAndVisibleOnly)
{
    TTestItem source;
    source.SetRect({10, 20, 30, 40});
    source.SetVisible(false);
    source.SetClipSide(csRight);
    source.SetClipLine(25);
    source.PreparePrint({0, 0}, true);

    TTestItem target;
    target.SetZoom(0.5);
    target.Assign(source);
    EXPECT_EQ(target.GetRect(), TRect(10, 20, 30, 40));
    EXPECT_EQ(target.GetDisplayRect(), TRect(5, 10, 15, 20));
    EXPECT_FALSE(target.IsVisible());
    EXPECT_EQ(target.GetClipSide(), csNone);
    EXPECT_EQ(target.GetPrintRect(), TRect());
}

TEST_F(DrawRectPrint, MapsLayoutPixelsAndPageOffsetToPrinterPixels)
{
    SetPrinter(600, 600, 100, 100);
    TTestItem item;
    item.SetRect({10, 20, 110, 70});
    item.PreparePrint({100, 50}, true);
    EXPECT_EQ(item.GetPrintRect(), TRect(299, 243, 924, 556));
    item.PreparePrint({100, 50}, false);
    EXPECT_EQ(item.GetPrintRect(), TRect(199, 143, 824, 456));

    // Each axis takes its own resolution; width and height round on their
    // own, so the right side is not the rounded right coordinate.
    SetPrinter(300, 600, 0, 0);
    item.SetRect({1, 1, 4, 2});
    item.PreparePrint({0, 0}, false);
    EXPECT_EQ(item.GetPrintRect(), TRect(3, 6, 12, 12));
}

TEST_F(DrawRectPrint, ExtremeRectanglesSaturate)
{
    SetPrinter(1200, 1200, 0, 0);
    TTestItem item;
    item.SetRect({INT_MIN, 0, INT_MAX, 10});
    item.PreparePrint({INT_MAX, INT_MIN}, false);
    const TRect r = item.GetPrintRect();
    EXPECT_EQ(r.Left, INT_MIN);
    EXPECT_EQ(r.Top, INT_MIN);
    EXPECT_EQ(r.Right, INT_MAX);
}

TEST(DrawRect, HitTestAndZonesAroundTheEdges)
{
    TTestItem item;
    item.SetRect({100, 200, 200, 300}); // centre (150, 250)
    EXPECT_TRUE(item.HitTest(199, 299));
    EXPECT_FALSE(item.HitTest(200, 250));

    const struct {
        qint32 x;
        quint8 zone;
    } xs[] = {{96, hzNone}, {97, hzLeft}, {104, hzNone}, {147, hzCentre}, {195, hzNone}, {202, hzRight}, {203, hzNone}};
    for (auto c : xs)
        EXPECT_EQ(item.GetHitZoneX(c.x), c.zone) << "x = " << c.x;
    EXPECT_EQ(item.GetHitZoneY(302), hzBottom);
    EXPECT_EQ(item.GetHitZone(200, 250), quint16(hzRight | hzCentre << 8));

    // On a narrow rectangle the near edge wins over the centre, the centre
    // over the far edge.
    item.SetRect({0, 0, 4, 4});
    EXPECT_EQ(item.GetHitZoneX(2), hzLeft);
    EXPECT_EQ(item.GetHitZoneX(5), hzCentre);
    EXPECT_EQ(item.GetHitZoneX(6), hzRight);
}

TEST(DrawRect, CursorsForGripsInsideAndOutside)
{
    TTestItem item;
    item.SetRect({100, 200, 200, 300});
    const struct {
        qint32 x, y;
        Qt::CursorShape cursor;
    } cases[] = {
        {199, 299, Qt::SizeFDiagCursor}, {100, 299, Qt::SizeBDiagCursor}, {150, 302, Qt::SizeVerCursor},
        {97, 250, Qt::SizeHorCursor},    {120, 200, Qt::SizeAllCursor},   {120, 198, Qt::ArrowCursor},
    };
    for (auto c : cases)
        EXPECT_EQ(item.GetCursor(c.x, c.y), c.cursor) << "(" << c.x << ", " << c.y << ")";

    item.SetRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    EXPECT_EQ(item.GetCursor(INT_MIN, INT_MAX), Qt::SizeBDiagCursor);
}

namespace {

template <int Tag>
std::unique_ptr<TDrawRect> MakeItem(quint8 kind)
{
    return std::make_unique<TTestItemT<Tag>>(kind);
}

class DrawRectRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        UnregisterDrawItemClasses(); // the program's own, when an earlier test registered them
        ASSERT_TRUE(RegisterDrawRectClass({"TTestPos", {ikPosCode, ikSenderPosCode}, MakeItem<1>}));
        ASSERT_TRUE(RegisterDrawRectClass({"TTestName", {ikName, ikSenderName}, MakeItem<2>}));
        ASSERT_TRUE(RegisterDrawRectClass({"TTestCorp", {ikName, ikSenderName}, MakeItem<3>}));
    }
    void TearDown() override
    {
        for (const char* name : {"TTestPos", "TTestName", "TTestCorp"})
            UnregisterDrawRectClass(name);
    }
};

} // namespace

TEST_F(DrawRectRegistry, KindAloneDecidesOnlyWhereOneClassServesItAndANameForAnyKindItServes)
{
    auto sender = CreateDrawRectOfKind(ikSenderPosCode);
    ASSERT_TRUE(sender);
    EXPECT_TRUE(dynamic_cast<TTestItemT<1>*>(sender.get()));
    EXPECT_EQ(sender->GetKind(), ikSenderPosCode);

    EXPECT_FALSE(CreateDrawRectOfKind(ikName));
    EXPECT_FALSE(CreateDrawRectOfKind(3));
    std::vector<std::string> names;
    for (const char* n : DrawRectClassesOfKind(ikSenderName))
        names.emplace_back(n);
    EXPECT_EQ(names, (std::vector<std::string>{"TTestName", "TTestCorp"}));

    // A class named outright is made for any kind it serves.
    auto corp = CreateDrawRect("TTestCorp", ikSenderName);
    ASSERT_TRUE(corp);
    EXPECT_TRUE(dynamic_cast<TTestItemT<3>*>(corp.get()));
    EXPECT_EQ(corp->GetKind(), ikSenderName);

    EXPECT_FALSE(CreateDrawRect("TTestCorp", ikPosCode));
    EXPECT_FALSE(CreateDrawRect("TNoSuchRect"));
    EXPECT_FALSE(RegisterDrawRectClass({"TTestCorp", {ikWord}, MakeItem<4>}));
    EXPECT_FALSE(RegisterDrawRectClass({"TTestEmpty", {}, MakeItem<4>}));
}
