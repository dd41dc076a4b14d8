// The library's controls at twice the density: a form moved to a 192-DPI display
// draws one-pixel lines two pixels wide, and the drop-down button and the text are
// laid out for that display.
#include "DropDownTestSupport.h"
#include "framework/Dpi.h"
#include "support/ScreenCheck.h"

#include <gtest/gtest.h>

using namespace qv;
using qvtest::Pump;
using qvtest::PumpUntil;

namespace {

// The colour at (x, y) of the control on the screen.
COLORREF At(TControl* c, int x, int y)
{
    const RECT r = qvtest::ScreenRect(c);
    return qvtest::TScreenShot::Settled(Bounds(r.left + x, r.top + y, 1, 1)).pixels[0];
}

struct DenseDisplayTest : qvtest::dropdown::DropDownTest {
    TcxTextEdit* edit = nullptr;
    TcxComboBox* combo = nullptr;

    // The focus stays in the plain edit: the frames keep their plain colour.
    void SetUp() override
    {
        DropDownTest::SetUp();
        edit = new TcxTextEdit(form);
        edit->SetBounds(10, 40, 121, 21);
        edit->SetParent(form);
        edit->Style().SetShadow(true);
        combo = MakeEdit<TcxComboBox>(10, 90);
        combo->SetBounds(10, 90, 150, 20);
        combo->Properties().SetDropDownListStyle(lsFixedList);
        combo->Items().Assign(std::vector<std::wstring>{L"Office", L"Home"});
        combo->SetItemIndex(0);
        Pump();
    }
    void MoveTo(int dpi)
    {
        RECT wr;
        GetWindowRect(form->Handle(), &wr);
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&wr));
        Pump();
        ASSERT_EQ(dpi, form->Dpi());
    }
};

} // namespace

TEST_F(DenseDisplayTest, LinesGrowByWholePixelsAndButtonsFollowTheDensity)
{
    const int start = form->Dpi();
    ASSERT_LE(start, 144) << "the test starts below 150 %";
    const COLORREF frame = ColorToRGB(clBtnShadow), back = ColorToRGB(clWindow);
    // One line: the frame ring one pixel inside, the background inside it; the shadow 3 wide.
    EXPECT_TRUE(qvtest::SameColor(frame, At(edit, 1, 10)));
    EXPECT_TRUE(qvtest::SameColor(back, At(edit, 2, 10)));
    EXPECT_TRUE(qvtest::SameColor(ColorToRGB(clBtnShadow), At(edit, edit->Width() - 3, 10)));
    EXPECT_SCREEN_FRESH();

    MoveTo(192);
    // Two lines wide at 200 %: the ring outside the frame, the frame, the shadow.
    EXPECT_EQ(ScaleDpi(121, 192), edit->Width());
    EXPECT_TRUE(qvtest::SameColor(ColorToRGB(clBtnFace), At(edit, 1, 10)));
    EXPECT_TRUE(qvtest::SameColor(frame, At(edit, 2, 10)));
    EXPECT_TRUE(qvtest::SameColor(frame, At(edit, 3, 10)));
    EXPECT_TRUE(qvtest::SameColor(back, At(edit, 4, 10)));
    // The shadow, six pixels wide, inside the ring of two.
    for (int x = 1; x <= 8; ++x)
        EXPECT_TRUE(qvtest::SameColor(ColorToRGB(x <= 2 ? clBtnFace : clBtnShadow), At(edit, edit->Width() - x, 20)))
            << "shadow " << x;
    // The drop-down button is as wide as a scroll bar of that density.
    const auto& vi = combo->ViewInfo();
    ASSERT_FALSE(vi.ButtonsInfo.empty());
    EXPECT_EQ(SystemMetricForDpi(SM_CYHSCROLL, 192), Width(vi.ButtonsInfo[0].Bounds));
    // The text has the room of a line of the scaled font.
    EXPECT_GE(Height(vi.TextRect), ScaleDpi(12, 192));
    EXPECT_TRUE(qvtest::ShowsText(Bounds(qvtest::ScreenRect(combo).left + 4, qvtest::ScreenRect(combo).top + 4,
                                         ScaleDpi(100, 192), combo->Height() - 8),
                                  L"Office", L"SimSun", ScaleDpi(-12, 192)));
    EXPECT_SCREEN_FRESH();

    MoveTo(start);
    EXPECT_EQ(ScaleDpi(121, start), edit->Width());
    EXPECT_TRUE(qvtest::SameColor(back, At(edit, 2, 10))) << "one line again";
    EXPECT_SCREEN_FRESH();
}
