#include "controls/lookandfeel/cxGraphics.h"
#include "controls/lookandfeel/LookAndFeelTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <set>
#include <thread>

using namespace qv;
using qvtest::Rgb;
using qvtest::TPaintSurface;

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);

// A bitmap whose every pixel has its own colour, so a copied pixel tells where it came from.
void FillDistinct(TBitmap& b)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.Canvas().SetPixel(x, y, RGB(10 + 40 * x, 10 + 40 * y, 99));
}

} // namespace

TEST(CanvasFill, TiledBitmapSitsOnTheGridOfItsSizeAndIsCutToTheRectangle)
{
    TBitmap tile(4, 4);
    FillDistinct(tile);
    TPaintSurface s(12, 8);
    s.canvas.FillRect(Rect(2, 2, 9, 5), &tile);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            bool inside = x >= 2 && x < 9 && y >= 2 && y < 5;
            COLORREF expected = inside ? tile.PixelAt(x % 4, y % 4) : kMagenta;
            ASSERT_EQ(expected, s.At(x, y)) << "pixel " << x << "," << y;
        }
}

TEST(CanvasFill, TilesContinueLeftOfAndAboveTheOrigin)
{
    TBitmap tile(4, 4);
    FillDistinct(tile);
    TPaintSurface s(8, 8);
    // Logical (-4, -4) is the bitmap's first pixel.
    SetWindowOrgEx(s.canvas.Handle(), -4, -4, nullptr);
    s.canvas.FillRect(Rect(-3, -3, 2, 2), &tile);
    SetWindowOrgEx(s.canvas.Handle(), 0, 0, nullptr);
    for (int y = 1; y < 6; ++y)
        for (int x = 1; x < 6; ++x) {
            int lx = x - 4, ly = y - 4;
            ASSERT_EQ(tile.PixelAt(((lx % 4) + 4) % 4, ((ly % 4) + 4) % 4), s.At(x, y)) << x << "," << y;
        }
    EXPECT_EQ(kMagenta, s.At(0, 0));
    EXPECT_EQ(kMagenta, s.At(6, 6));
}

TEST(CanvasFill, HugeTiledRectangleWalksOnlyTheTilesThatCanShow)
{
    // On its own thread, so that a fill walking 10^16 tiles fails the test instead of hanging it;
    // what that thread uses is left behind when it does not finish.
    struct Work {
        TBitmap tile{2, 2};
        TPaintSurface surface{8, 8};
        std::promise<void> done;
    };
    auto* work = new Work;
    FillDistinct(work->tile);
    std::future<void> finished = work->done.get_future();
    std::thread fill([work] {
        work->surface.canvas.FillRect(Rect(-100000000, -100000000, 100000000, 100000000), &work->tile);
        work->done.set_value();
    });
    if (finished.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        fill.detach();
        FAIL() << "the fill did not end within 10 s";
    }
    fill.join();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(work->tile.PixelAt(x % 2, y % 2), work->surface.At(x, y)) << x << "," << y;
    delete work;
}

TEST(CanvasFill, EmptyBitmapOrNoneFillsWithTheBrush)
{
    TPaintSurface s(6, 6);
    TBitmap empty;
    s.canvas.SetBrushColor(clBlue);
    s.canvas.FillRect(Rect(1, 1, 3, 3), &empty);
    s.canvas.FillRect(Rect(3, 3, 5, 5));
    EXPECT_TRUE(s.AllIn(Rect(1, 1, 3, 3), RGB(0, 0, 255)));
    EXPECT_TRUE(s.AllIn(Rect(3, 3, 5, 5), RGB(0, 0, 255)));
    EXPECT_EQ(kMagenta, s.At(0, 0));
    EXPECT_EQ(kMagenta, s.At(5, 2));
}

TEST(CanvasBrush, SetBrushColorMakesAClearBrushFillAgain)
{
    TPaintSurface s(4, 4);
    s.canvas.SetBrushColor(clRed);
    s.canvas.Brush().SetStyle(TBrushStyle::bsClear);
    s.canvas.FrameSides(Rect(0, 0, 4, 4), clRed);
    EXPECT_EQ(RGB(255, 0, 0), s.At(0, 0));
}

TEST(CanvasFrames, FrameSidesFillsStripsOfTheWidthOnTheChosenSidesOnly)
{
    TPaintSurface s(10, 10);
    s.canvas.FrameSides(Rect(1, 1, 9, 9), clBlue, sdLeft | sdBottom, 2);
    const COLORREF blue = RGB(0, 0, 255);
    EXPECT_TRUE(s.AllIn(Rect(1, 1, 3, 9), blue));
    EXPECT_TRUE(s.AllIn(Rect(1, 7, 9, 9), blue));
    EXPECT_TRUE(s.AllIn(Rect(3, 1, 9, 7), kMagenta)) << "top and right untouched";
    EXPECT_EQ(10 * 10 - (2 * 8 + 6 * 2), s.Count(kMagenta));

    // clDefault keeps the colour the caller gave the brush.
    s.Clear(clFuchsia);
    s.canvas.SetBrushColor(clLime);
    s.canvas.FrameSides(Rect(0, 0, 10, 10), clDefault);
    EXPECT_EQ(RGB(0, 255, 0), s.At(0, 5));
    EXPECT_EQ(RGB(0, 255, 0), s.At(9, 5));
    EXPECT_EQ(RGB(0, 255, 0), s.At(5, 0));
    EXPECT_EQ(RGB(0, 255, 0), s.At(5, 9));
    EXPECT_EQ(kMagenta, s.At(1, 1));

    // A width larger than the rectangle stays inside it.
    s.Clear(clFuchsia);
    s.canvas.FrameSides(Rect(2, 2, 5, 5), clBlue, sdRight, 10);
    EXPECT_TRUE(s.AllIn(Rect(2, 2, 5, 5), blue));
    EXPECT_EQ(kMagenta, s.At(1, 3));
}

TEST(CanvasFrames, TwoColorFrameGivesTheCornersOfRightAndBottomTheSecondColour)
{
    TPaintSurface s(6, 5);
    s.canvas.DrawTwoColorFrame(Rect(0, 0, 6, 5), clRed, clBlue);
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    EXPECT_EQ(red, s.At(0, 0));
    EXPECT_EQ(red, s.At(4, 0));
    EXPECT_EQ(red, s.At(0, 3));
    EXPECT_EQ(blue, s.At(5, 0)) << "top-right corner: right side drawn after the top";
    EXPECT_EQ(blue, s.At(0, 4)) << "bottom-left corner: bottom side drawn last";
    EXPECT_EQ(blue, s.At(5, 4));
    EXPECT_TRUE(s.AllIn(Rect(1, 1, 5, 4), kMagenta));
}

TEST(CanvasFrames, ThreeDEdgeColoursFollowTheTableForEachRow)
{
    struct Row {
        bool sunken, outer;
        TColor leftTop, rightBottom;
    } rows[] = {
        {true, true, clBtnShadow, clBtnHighlight},
        {true, false, cl3DDkShadow, cl3DLight},
        {false, true, cl3DLight, cl3DDkShadow},
        {false, false, clBtnHighlight, clBtnShadow},
    };
    for (const Row& row : rows) {
        TPaintSurface s(5, 5);
        s.canvas.Draw3DEdge(Rect(0, 0, 5, 5), row.sunken, row.outer, sdAll);
        SCOPED_TRACE(testing::Message() << "sunken " << row.sunken << " outer " << row.outer);
        EXPECT_EQ(Rgb(row.leftTop), s.At(0, 2));
        EXPECT_EQ(Rgb(row.leftTop), s.At(2, 0));
        EXPECT_EQ(Rgb(row.rightBottom), s.At(4, 2));
        EXPECT_EQ(Rgb(row.rightBottom), s.At(2, 4));
        EXPECT_EQ(kMagenta, s.At(2, 2)) << "one ring only";
    }
}

TEST(CanvasFrames, FocusFrameAndInversionUndoThemselves)
{
    {
        // The dotted frame inverts or keeps each pixel, whatever colours the caller left on the canvas.
        TPaintSurface s(12, 12, clBtnFace);
        s.canvas.Font().SetColor(clRed);
        s.canvas.SetBrushColor(clBlue);
        s.canvas.DrawFocusFrame(Rect(1, 1, 11, 11));
        const COLORREF face = Rgb(clBtnFace), inverted = face ^ 0x00FFFFFF;
        for (int x = 1; x < 11; ++x)
            EXPECT_TRUE(s.At(x, 1) == face || s.At(x, 1) == inverted) << x << ": " << qvtest::Hex(s.At(x, 1));
        EXPECT_GT(s.Count(inverted), 10);
        // The system's dotted pattern takes the context's text and background colours.
        EXPECT_EQ(qvtest::Hex(RGB(0, 0, 0)), qvtest::Hex(GetTextColor(s.canvas.Handle())));
        EXPECT_EQ(qvtest::Hex(RGB(255, 255, 255)), qvtest::Hex(GetBkColor(s.canvas.Handle())));
    }
    TPaintSurface s(12, 12, clBtnFace);
    TPaintSurface before(12, 12, clBtnFace);
    s.canvas.DrawFocusFrame(Rect(1, 1, 11, 11));
    EXPECT_FALSE(s.SameAs(before));
    s.canvas.DrawFocusFrame(Rect(1, 1, 11, 11));
    EXPECT_TRUE(s.SameAs(before));

    s.canvas.FillRect(Rect(0, 0, 6, 12), RGB(0x12, 0x34, 0x56));
    s.canvas.InvertArea(Rect(0, 0, 3, 3));
    EXPECT_EQ(RGB(0xED, 0xCB, 0xA9), s.At(1, 1));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), s.At(4, 4));
    EXPECT_EQ(static_cast<DWORD>(SRCCOPY), s.canvas.Canvas()->CopyMode());
    s.canvas.InvertArea(Rect(0, 0, 3, 3));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), s.At(1, 1));
}

TEST(TextFlags, ConvertToTheSystemsDrawTextFlags)
{
    EXPECT_EQ(static_cast<UINT>(DT_CENTER | DT_VCENTER | DT_SINGLELINE), cxFlagsToDTFlags(cxButtonCaptionFlags))
        << "the prefix flag lets '&' underline";
    EXPECT_EQ(static_cast<UINT>(DT_NOPREFIX | DT_RIGHT | DT_BOTTOM | DT_WORDBREAK | DT_EDITCONTROL | DT_NOCLIP),
              cxFlagsToDTFlags(tfAlignRight | tfAlignBottom | tfWordBreak | tfDontClip));
    EXPECT_EQ(static_cast<UINT>(DT_NOPREFIX | DT_EXPANDTABS | DT_END_ELLIPSIS | DT_CALCRECT | DT_PATH_ELLIPSIS),
              cxFlagsToDTFlags(tfAlignLeft | tfAlignTop | tfExpandTabs | tfShowEndEllipsis | tfCalcRect |
                               tfShowPathEllipsis));
}

namespace {

struct CaptionPixels {
    std::set<std::pair<int, int>> light, dark, other;
};

CaptionPixels Classify(const TPaintSurface& s, COLORREF background)
{
    CaptionPixels p;
    for (int y = 0; y < s.bitmap.Height(); ++y)
        for (int x = 0; x < s.bitmap.Width(); ++x) {
            COLORREF c = s.At(x, y);
            if (c == background)
                continue;
            if (c == Rgb(clBtnHighlight))
                p.light.insert({x, y});
            else if (c == Rgb(clBtnShadow))
                p.dark.insert({x, y});
            else
                p.other.insert({x, y});
        }
    return p;
}

// The light copy is the dark one moved by (1, 1); where they overlap the dark one wins.
void ExpectEmbossed(const CaptionPixels& p)
{
    ASSERT_FALSE(p.dark.empty());
    ASSERT_FALSE(p.light.empty());
    EXPECT_TRUE(p.other.empty()) << "only the two emboss colours (no antialiasing expected)";
    for (auto [x, y] : p.dark) {
        auto below = std::make_pair(x + 1, y + 1);
        EXPECT_TRUE(p.light.count(below) || p.dark.count(below)) << "no light pixel under " << x << "," << y;
    }
    for (auto [x, y] : p.light)
        EXPECT_TRUE(p.dark.count({x - 1, y - 1})) << "light pixel " << x << "," << y << " without its dark twin";
}

} // namespace

TEST(Caption, DisabledTextIsDrawnTwiceWithTheLightCopyOnePixelRightAndDown)
{
    for (TcxTextFlags flags : {TcxTextFlags(tfAlignLeft | tfAlignTop | tfSingleLine),          // ExtTextOut
                               TcxTextFlags(tfAlignHCenter | tfAlignVCenter | tfSingleLine | tfShowPrefix),  // DrawText
                               TcxTextFlags(tfAlignRight | tfAlignBottom | tfWordBreak)}) {   // DrawText, lines
        SCOPED_TRACE(testing::Message() << "flags " << std::hex << flags);
        TPaintSurface s(80, 30, clBlack);
        s.canvas.Font().SetName(L"Tahoma");
        s.canvas.Font().SetHeight(-13);
        s.canvas.Font().SetColor(clRed);
        s.canvas.SetBrushColor(clBlack);
        s.canvas.DrawCaption(L"Hill", Rect(5, 5, 75, 25), flags, false);
        ExpectEmbossed(Classify(s, RGB(0, 0, 0)));
        EXPECT_EQ(clRed, s.canvas.Font().Color()) << "the caller's font colour comes back";
        EXPECT_EQ(TBrushStyle::bsSolid, s.canvas.Brush().Style());
    }
}

namespace {

std::unique_ptr<TPaintSurface> Caption(const std::wstring& text, const RECT& r, TcxTextFlags flags, bool enabled)
{
    auto s = std::make_unique<TPaintSurface>(120, 60, clBtnFace);
    s->canvas.Font().SetName(L"Tahoma");
    s->canvas.Font().SetHeight(-13);
    s->canvas.Font().SetColor(clBlack);
    s->canvas.Brush().SetStyle(TBrushStyle::bsClear);
    s->canvas.DrawCaption(text, r, flags, enabled);
    return s;
}

qvtest::TInk InkOf(const TPaintSurface& s) { return qvtest::InkOf(s.bitmap, Rect(0, 0, 120, 60), Rgb(clBtnFace)); }

} // namespace

TEST(Caption, PlacementOfDisabledRightAlignedTabbedAndMultiLineTexts)
{
    // Right-aligned and disabled, written with ExtTextOut: the light copy ends one
    // pixel left of where the enabled text ends, the dark one a pixel further.
    const RECT r = Rect(10, 10, 110, 50);
    const qvtest::TInk enabled = InkOf(*Caption(L"Hill", r, tfAlignRight | tfAlignTop | tfSingleLine, true));
    const qvtest::TInk disabled = InkOf(*Caption(L"Hill", r, tfAlignRight | tfAlignTop | tfSingleLine, false));
    EXPECT_EQ(enabled.bounds.right - 1, disabled.bounds.right) << enabled.Describe() << " / " << disabled.Describe();
    EXPECT_EQ(enabled.bounds.top, disabled.bounds.top);
    EXPECT_EQ((std::set<COLORREF>{Rgb(clBtnHighlight), Rgb(clBtnShadow)}), disabled.colors) << disabled.Describe();

    // A tab is expanded only when asked.
    const qvtest::TInk plain = InkOf(*Caption(L"a\tb", r, tfAlignLeft | tfAlignTop, true));
    const qvtest::TInk tabbed = InkOf(*Caption(L"a\tb", r, tfAlignLeft | tfAlignTop | tfExpandTabs, true));
    EXPECT_GT(Width(tabbed.bounds), Width(plain.bounds) + 20) << plain.Describe() << " / " << tabbed.Describe();

    // Several lines centred as a block: as much room above as below.
    const qvtest::TInk block = InkOf(*Caption(L"one\ntwo", r, tfAlignLeft | tfAlignVCenter, true));
    const int above = block.bounds.top - r.top, below = r.bottom - block.bounds.bottom;
    EXPECT_LE(std::abs(above - below), 3) << block.Describe();
    EXPECT_GT(Height(block.bounds), 18) << "two lines";
}

TEST(Caption, EnabledTextIsDrawnOnceInTheFontColourAndAlignedByTheFlags)
{
    TPaintSurface s(80, 30, clWhite);
    s.canvas.Font().SetName(L"Tahoma");
    s.canvas.Font().SetHeight(-13);
    s.canvas.Font().SetColor(clBlue);
    s.canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const SIZE size = s.canvas.TextExtent(L"Hill");
    ASSERT_GT(size.cx, 0);
    s.canvas.DrawCaption(L"Hill", Rect(0, 0, 80, 30), tfAlignRight | tfAlignBottom | tfSingleLine);
    int minX = 80, maxX = -1, maxY = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            if (s.At(x, y) != RGB(255, 255, 255)) {
                EXPECT_EQ(RGB(0, 0, 255), s.At(x, y));
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                maxY = std::max(maxY, y);
            }
    EXPECT_GE(minX, 80 - size.cx) << "right aligned";
    EXPECT_LE(maxX, 79);
    EXPECT_GE(maxY, 30 - size.cy) << "bottom aligned";
    EXPECT_EQ(TBrushStyle::bsClear, s.canvas.Brush().Style()) << "the caller's brush style stays";

    // Nothing for an empty text.
    TPaintSurface empty(10, 10, clWhite);
    empty.canvas.DrawCaption(L"", Rect(0, 0, 10, 10), tfAlignLeft | tfAlignTop | tfSingleLine, false);
    EXPECT_EQ(100, empty.Count(RGB(255, 255, 255)));
}

TEST(Caption, TextThatFitsIsNotClippedButOneThatDoesNotIs)
{
    // An italic text reaches beyond its advance width; when it fits the rectangle
    // the overhang is still drawn, when it does not the rectangle clips it.
    TPaintSurface probe(120, 40, clWhite);
    probe.canvas.Font().SetName(L"Tahoma");
    probe.canvas.Font().SetHeight(-24);
    probe.canvas.Font().SetStyle(fsItalic);
    probe.canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const std::wstring text = L"ff";
    const SIZE size = probe.canvas.TextExtent(text);
    probe.canvas.Canvas()->TextOut(0, 0, text);
    int right = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x)
            if (probe.At(x, y) != RGB(255, 255, 255))
                right = std::max(right, x);
    ASSERT_GE(right, size.cx) << "the test needs an italic overhang";

    auto rightmost = [&](RECT r) {
        TPaintSurface s(120, 40, clWhite);
        s.canvas.Font().Assign(probe.canvas.Font());
        s.canvas.Brush().SetStyle(TBrushStyle::bsClear);
        s.canvas.DrawCaption(text, r, tfAlignLeft | tfAlignTop | tfSingleLine);
        int last = -1;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                if (s.At(x, y) != RGB(255, 255, 255))
                    last = std::max(last, x);
        return last;
    };
    EXPECT_EQ(right, rightmost(Rect(0, 0, size.cx + 1, 39))) << "fits: drawn whole";
    EXPECT_EQ(size.cx - 1, rightmost(Rect(0, 0, size.cx, 39))) << "does not fit: clipped to the rectangle";
}

TEST(Caption, CalculateTextRectPlacesTheBlockByTheAlignment)
{
    TPaintSurface s(10, 10);
    s.canvas.Font().SetName(L"Tahoma");
    s.canvas.Font().SetHeight(-13);
    const SIZE size = s.canvas.TextExtent(L"Hill");
    RECT r = Rect(10, 20, 110, 80);
    s.canvas.CalculateTextRect(L"Hill", r, tfAlignHCenter | tfAlignVCenter | tfSingleLine);
    EXPECT_EQ(size.cx, Width(r));
    EXPECT_EQ(size.cy, Height(r));
    EXPECT_EQ(10 + (100 - size.cx) / 2, r.left);
    EXPECT_EQ(20 + (60 - size.cy) / 2, r.top);

    r = Rect(10, 20, 110, 80);
    s.canvas.CalculateTextRect(L"Hill", r, tfAlignRight | tfAlignBottom | tfSingleLine);
    EXPECT_EQ(110, r.right);
    EXPECT_EQ(80, r.bottom);

    r = Rect(0, 0, 100, 100);
    s.canvas.CalculateTextRect(L"Hill\r\nHill", r, tfAlignLeft | tfAlignTop);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(2 * size.cy, Height(r)) << "two lines";
}

TEST(Clipping, WithoutClippingTheRegionIsTheLargeRectangle)
{
    TPaintSurface s(20, 20);
    std::unique_ptr<TcxRegion> clip = s.canvas.GetClipRegion();
    EXPECT_EQ(Rect(0, 0, cxMaxRegionSize, cxMaxRegionSize), clip->BoundsRect());

    s.canvas.IntersectClip(Rect(2, 3, 12, 13));
    s.canvas.ExcludeClip(Rect(2, 3, 4, 13));
    clip = s.canvas.GetClipRegion();
    EXPECT_EQ(Rect(4, 3, 12, 13), clip->BoundsRect());
    s.canvas.FillRect(Rect(0, 0, 20, 20), clBlue);
    EXPECT_EQ(kMagenta, s.At(3, 5));
    EXPECT_EQ(RGB(0, 0, 255), s.At(4, 5));
    EXPECT_EQ(kMagenta, s.At(12, 5));
}

TEST(Clipping, SetClipRegionCombinesByTheOperationAndLeavesTheRegionAlone)
{
    const COLORREF blue = RGB(0, 0, 255);
    auto paintWith = [&](auto setup) {
        auto s = std::make_unique<TPaintSurface>(20, 20);
        setup(s->canvas);
        s->canvas.FillRect(Rect(0, 0, 20, 20), clBlue);
        return s;
    };
    // roCopy replaces, roAdd joins, roSubtract cuts out, roIntersect keeps the common part.
    auto copy = paintWith([](TcxCanvas& c) {
        c.IntersectClip(Rect(0, 0, 5, 5));
        c.SetClipRegion(TcxRegion(10, 10, 15, 15), roCopy);
    });
    EXPECT_EQ(kMagenta, copy->At(2, 2));
    EXPECT_EQ(blue, copy->At(12, 12));

    auto add = paintWith([](TcxCanvas& c) {
        c.IntersectClip(Rect(0, 0, 5, 5));
        c.SetClipRegion(std::make_unique<TcxRegion>(10, 10, 15, 15), roAdd);
    });
    EXPECT_EQ(blue, add->At(2, 2));
    EXPECT_EQ(blue, add->At(12, 12));
    EXPECT_EQ(kMagenta, add->At(7, 7));

    auto subtract = paintWith([](TcxCanvas& c) { c.SetClipRegion(TcxRegion(0, 0, 10, 20), roSubtract); });
    EXPECT_EQ(kMagenta, subtract->At(5, 5));
    EXPECT_EQ(blue, subtract->At(15, 5));

    // The region is in logical coordinates: with the window origin moved it still
    // clips where the drawing lands, and the caller's region is not moved.
    TPaintSurface s(30, 30);
    TcxRegion region(10, 10, 15, 15);
    SetWindowOrgEx(s.canvas.Handle(), 5, 5, nullptr);
    EXPECT_EQ(5, s.canvas.GetWindowOrigin().x);
    EXPECT_EQ(5, s.canvas.GetWindowOrigin().y);
    s.canvas.SetClipRegion(region, roIntersect);
    s.canvas.FillRect(Rect(0, 0, 40, 40), clRed);
    SetWindowOrgEx(s.canvas.Handle(), 0, 0, nullptr);
    EXPECT_TRUE(s.AllIn(Rect(5, 5, 10, 10), RGB(255, 0, 0)));
    EXPECT_EQ(kMagenta, s.At(4, 4));
    EXPECT_EQ(kMagenta, s.At(10, 10));
    EXPECT_EQ(Rect(10, 10, 15, 15), region.BoundsRect());
}

TEST(Regions, ConstructCombineAndOffset)
{
    const int before = TGdiCounters::LiveObjects();
    {
        TcxRegion empty;
        EXPECT_TRUE(empty.IsEmpty());
        TcxRegion a(Rect(0, 0, 10, 10));
        TcxRegion b(5, 0, 15, 10);
        EXPECT_EQ(before + 3, TGdiCounters::LiveObjects());

        a.CombineRegion(b, roAdd);
        EXPECT_EQ(Rect(0, 0, 15, 10), a.BoundsRect());
        a.CombineRegion(TcxRegion(0, 0, 5, 10), roSubtract);
        EXPECT_EQ(Rect(5, 0, 15, 10), a.BoundsRect());
        a.CombineRegion(TcxRegion(0, 0, 8, 3), roIntersect);
        EXPECT_EQ(Rect(5, 0, 8, 3), a.BoundsRect());
        a.CombineRegion(b, roCopy);
        EXPECT_TRUE(a.IsEqual(b));
        a.OffsetRegion(-5, 2);
        EXPECT_EQ(Rect(0, 2, 10, 12), a.BoundsRect());
        EXPECT_TRUE(a.PtInRegion(0, 2));
        EXPECT_FALSE(a.PtInRegion(10, 2));
        EXPECT_EQ(Rect(5, 0, 15, 10), b.BoundsRect()) << "the other region is not changed";

        // A region given with ownership is freed by the combination.
        a.CombineRegion(std::make_unique<TcxRegion>(100, 100, 101, 101), roAdd);
        EXPECT_EQ(before + 3, TGdiCounters::LiveObjects());

        // An existing handle is taken over.
        TcxRegion adopted(CreateRectRgn(1, 1, 2, 2));
        EXPECT_EQ(before + 4, TGdiCounters::LiveObjects());
    }
    EXPECT_EQ(before, TGdiCounters::LiveObjects());
}

TEST(Resources, DrawingLeavesNoObjectsOrContextsBehind)
{
    TPaintSurface s(60, 30);
    s.canvas.Font().SetName(L"Tahoma");
    // The canvas's own font and brush exist once drawn with; count from there.
    s.canvas.DrawCaption(L"Warm", Rect(0, 0, 60, 30), cxButtonCaptionFlags, true);
    const int objects = TGdiCounters::LiveObjects(), dcs = TGdiCounters::LiveDCs();
    for (int i = 0; i < 200; ++i) {
        s.canvas.DrawCaption(L"Warm", Rect(0, 0, 60, 30), cxButtonCaptionFlags, i % 2 == 0);
        s.canvas.DrawCaption(L"Warm", Rect(0, 0, 60, 30), tfAlignLeft | tfAlignTop | tfSingleLine, i % 2 == 0);
        s.canvas.FrameSides(Rect(0, 0, 60, 30), i % 2 ? clRed : clBlue);
        s.canvas.Draw3DEdge(Rect(0, 0, 60, 30), true, i % 2 == 0);
        s.canvas.SetClipRegion(std::make_unique<TcxRegion>(0, 0, 50, 20), roIntersect);
        s.canvas.SetClipRegion(TcxRegion(0, 0, 60, 30), roCopy);
        s.canvas.GetClipRegion();
    }
    EXPECT_EQ(objects, TGdiCounters::LiveObjects());
    EXPECT_EQ(dcs, TGdiCounters::LiveDCs());

    {
        TcxScreenCanvas screen;
        EXPECT_EQ(dcs, TGdiCounters::LiveDCs()) << "the screen context is taken when first needed";
        EXPECT_GT(screen.TextWidth(L"Warm"), 0);
        EXPECT_EQ(dcs + 1, TGdiCounters::LiveDCs());
    }
    EXPECT_EQ(dcs, TGdiCounters::LiveDCs());
}

TEST(LightColors, ChannelsAreWeightedSumsClampedAndNegativeSharesSubtract)
{
    const COLORREF face = RGB(212, 208, 200), highlight = RGB(10, 36, 106), window = RGB(255, 255, 255);
    // Hot: -2 % face, 30 % highlight, 72 % window; each share rounded on its own.
    EXPECT_EQ(RGB(183, 191, 212), cxGetLightColor(face, highlight, window, -2, 30, 72)) << "worked by hand";
    EXPECT_EQ(RGB(255, 255, 255), cxGetLightColor(face, highlight, window, 100, 100, 100)) << "clamped high";
    EXPECT_EQ(RGB(0, 0, 0), cxGetLightColor(face, highlight, window, -100, 0, 0)) << "clamped low";

    // A black or white face gives the highlight colour itself.
    EXPECT_EQ(highlight, cxGetLightColor(RGB(255, 255, 255), highlight, window, -2, 30, 72));
    EXPECT_EQ(highlight, cxGetLightColor(RGB(0, 0, 0), highlight, window, 14, 44, 40));

    // The public helpers read the system colours in force.
    const COLORREF sysFace = GetSysColor(COLOR_BTNFACE), sysHigh = GetSysColor(COLOR_HIGHLIGHT),
                   sysWin = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(cxGetLightColor(sysFace, sysHigh, sysWin, -2, 30, 72), GetLightColor(-2, 30, 72));
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetNearestColor(screen, cxGetLightColor(sysFace, sysHigh, sysWin, -2, 30, 72)), HotLightColor());
    EXPECT_EQ(GetNearestColor(screen, cxGetLightColor(sysFace, sysHigh, sysWin, 14, 44, 40)), PressedLightColor());
    ReleaseDC(nullptr, screen);
}
