#include "framework/Graphics.h"

#include <gtest/gtest.h>

using namespace qv;

TEST(Colors, SystemColoursAreLookedUpAndOthersKeepTheirRgb)
{
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ColorToRGB(clBtnFace));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), ColorToRGB(clHighlight));
    EXPECT_EQ(0x00123456u, ColorToRGB(0x00123456));
}

TEST(GdiObjects, HandlesAreCreatedLazilyAndFreedWithTheirOwner)
{
    int before = TGdiCounters::LiveObjects();
    {
        TFont font;
        EXPECT_EQ(before, TGdiCounters::LiveObjects()) << "no handle before it is needed";
        ASSERT_TRUE(font.Handle());
        EXPECT_EQ(before + 1, TGdiCounters::LiveObjects());
        font.SetHeight(-20);  // the old handle goes at once
        EXPECT_EQ(before, TGdiCounters::LiveObjects());
        font.Handle();
        TBrush brush;
        brush.SetStyle(TBrushStyle::bsClear);
        brush.Handle();  // the stock null brush is not ours
        EXPECT_EQ(before + 1, TGdiCounters::LiveObjects());
    }
    EXPECT_EQ(before, TGdiCounters::LiveObjects());
}

TEST(Canvas, DrawsWithTheLazilySelectedBrushAndLeavesTheContextAsItWas)
{
    TBitmap bmp(10, 10);
    TCanvas& c = bmp.Canvas();
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(2, 2, 5, 5));
    EXPECT_EQ(RGB(255, 0, 0), bmp.PixelAt(2, 2));
    EXPECT_EQ(RGB(255, 0, 0), bmp.PixelAt(4, 4));
    EXPECT_EQ(RGB(255, 255, 255), bmp.PixelAt(5, 5));
    // Changing the brush while it is selected must not draw with a deleted object.
    c.Brush().SetColor(clBlue);
    c.FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(RGB(0, 0, 255), bmp.PixelAt(0, 0));
}

TEST(Canvas, ClearBrushBecomesSolidWhenGivenAColour)
{
    TBrush b;
    b.SetStyle(TBrushStyle::bsClear);
    b.SetColor(clWhite);
    EXPECT_EQ(TBrushStyle::bsSolid, b.Style());
}

TEST(Canvas, FocusRectangleDrawnTwiceLeavesNoTrace)
{
    TBitmap bmp(20, 20);
    TCanvas& c = bmp.Canvas();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(Rect(0, 0, 20, 20));
    COLORREF face = bmp.PixelAt(3, 3);
    c.DrawFocusRect(Rect(3, 3, 17, 17));
    bool changed = false;
    for (int x = 3; x < 17; ++x)
        changed |= bmp.PixelAt(x, 3) != face;
    EXPECT_TRUE(changed);
    c.DrawFocusRect(Rect(3, 3, 17, 17));
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y)
            ASSERT_EQ(face, bmp.PixelAt(x, y)) << x << "," << y;
}

TEST(Bitmap, ResizingKeepsTheCanvasUsableAndCopiesAreIndependent)
{
    TBitmap bmp(4, 4);
    TCanvas* canvas = &bmp.Canvas();
    canvas->Brush().SetColor(clLime);
    canvas->FillRect(Rect(0, 0, 4, 4));
    TBitmap copy;
    copy.Assign(bmp);
    bmp.SetSize(8, 8);
    EXPECT_EQ(canvas, &bmp.Canvas());
    canvas->FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(RGB(0, 255, 0), bmp.PixelAt(7, 7));
    EXPECT_EQ(RGB(0, 255, 0), copy.PixelAt(3, 3));
    EXPECT_EQ(4, copy.Width());
    bmp.SetSize(0, 0);
    EXPECT_TRUE(bmp.Empty());
}

TEST(Canvas, ScreenCanvasGivesItsContextBack)
{
    int before = TGdiCounters::LiveDCs();
    {
        TScreenCanvas screen;
        EXPECT_TRUE(screen.Handle());
        EXPECT_EQ(before + 1, TGdiCounters::LiveDCs());
    }
    EXPECT_EQ(before, TGdiCounters::LiveDCs());
}

TEST(Canvas, AFontChangedWhileSelectedIsReallyDeleted)
{
    TBitmap bmp(10, 10);
    TCanvas& c = bmp.Canvas();
    c.TextOut(0, 0, L"x");
    HGDIOBJ first = c.Font().Handle();
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(first));
    c.Font().SetColor(clRed);  // colour only: the same font stays selected
    EXPECT_EQ(first, GetCurrentObject(c.Handle(), OBJ_FONT));
    c.Font().SetHeight(-30);
    // Deleting a selected object fails silently and leaks it; the canvas lets go first.
    EXPECT_EQ(0u, GetObjectType(first));
    c.TextOut(0, 0, L"x");
    EXPECT_EQ(c.Font().Handle(), GetCurrentObject(c.Handle(), OBJ_FONT));
}

TEST(Bitmap, TransparentDrawingWorksWhileItsOwnCanvasIsInUse)
{
    TBitmap glyph(4, 4);
    glyph.Canvas().Brush().SetColor(clFuchsia);
    glyph.Canvas().FillRect(Rect(0, 0, 4, 4));
    glyph.Canvas().Brush().SetColor(clGreen);
    glyph.Canvas().FillRect(Rect(1, 1, 3, 3));
    TBitmap target(4, 4);
    target.Canvas().Brush().SetColor(clWhite);
    target.Canvas().FillRect(Rect(0, 0, 4, 4));
    glyph.DrawTransparent(target.Canvas().Handle(), 0, 0);
    EXPECT_EQ(RGB(255, 255, 255), target.PixelAt(0, 0));
    EXPECT_EQ(RGB(0, 128, 0), target.PixelAt(1, 1));
}
