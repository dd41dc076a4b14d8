// Display scale: one rounding rule, the density the system reports, and forms that
// scale their layout when they are made on a denser display or moved to one.
#include "FrameworkTestSupport.h"

#include "framework/ComCtrls.h"
#include "framework/Dpi.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "support/ScreenCheck.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace qv;
using namespace qvtest;

TEST(Dpi, OneRoundingRuleThatReturnsToTheLayout)
{
    struct Row {
        int value, dpi, scaled;
    };
    // Halves round away from zero; at 96 every value stays.
    for (Row r : {Row{65, 96, 65}, Row{65, 120, 81}, Row{65, 144, 98}, Row{65, 192, 130}, Row{-12, 120, -15},
                  Row{-12, 144, -18}, Row{-16, 120, -20}, Row{135, 120, 169}, Row{1, 144, 2}, Row{0, 192, 0}})
        EXPECT_EQ(r.scaled, ScaleDpi(r.value, r.dpi)) << r.value << " at " << r.dpi;
    // Every length of the program's layouts comes back from each density unchanged.
    for (int dpi : {120, 144, 168, 192, 240})
        for (int v = 0; v <= 460; ++v)
            ASSERT_EQ(v, ScaleDpi(ScaleDpi(v, dpi), kDesignDpi, dpi)) << v << " at " << dpi;
}

TEST(Dpi, ALayoutMovedBetweenDensitiesIsWhereItIsLaidOutForEach)
{
    for (int from : {120, 144, 192})
        for (int to : {96, 120, 144, 168, 192})
            for (int v = 0; v <= 460; ++v)
                ASSERT_EQ(ScaleDpi(v, to), RescaleDpi(ScaleDpi(v, from), to, from)) << v << " from " << from << " to " << to;
}

TEST(Dpi, LinesStayOnePixelUpTo150PercentAndGrowByWholePixels)
{
    for (auto [dpi, width] : {std::pair{96, 1}, {120, 1}, {144, 1}, {168, 2}, {192, 2}, {240, 3}, {288, 3}, {384, 4}})
        EXPECT_EQ(width, LineWidthForDpi(dpi)) << dpi;
}

TEST(Dpi, TheSystemsDensityIsWhatWindowsAreShownAt)
{
    TScreenCanvas screen;
    const int logPixels = GetDeviceCaps(screen.Handle(), LOGPIXELSY);
    EXPECT_EQ(logPixels, SystemDpi());
    TForm* form = NewForm<TForm>(nullptr);
    form->SetClientSize(200, 100);
    form->Show();
    Pump();
    EXPECT_EQ(logPixels, DpiForWindow(form->Handle()));
    EXPECT_EQ(logPixels, DpiForPoint(POINT{10, 10}));
    EXPECT_EQ(logPixels, form->Dpi()) << "the form is laid out for the display it is on";
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), SystemMetricForDpi(SM_CXVSCROLL, logPixels));
    EXPECT_EQ(ScaleDpi(200, logPixels), form->ClientWidth());
    delete form;
}

namespace {

// A form laid out as the program's windows are: at 96 DPI, with a panel, buttons, an
// edit with a font of its own and a status bar of fixed panels.
struct LaidOutForm {
    TForm* form = NewForm<TForm>(nullptr);
    TPanel* panel = new TPanel(form);
    TButton* button = new TButton(form);
    TEdit* edit = new TEdit(form);
    TStatusBar* status = new TStatusBar(form);

    LaidOutForm()
    {
        form->SetBorderStyle(TFormBorderStyle::bsSingle);
        form->Font().SetName(L"SimSun");
        form->Font().SetHeight(-12);
        form->SetClientSize(440, 134);
        panel->SetBounds(0, 0, 449, 65);
        panel->SetParent(form);
        button->SetBounds(368, 11, 65, 41);
        button->SetCaption(L"切换");
        button->SetParent(panel);
        edit->SetBounds(14, 21, 347, 20);
        edit->Font().SetHeight(-16);
        edit->SetParent(panel);
        status->SetBounds(0, 111, 440, 23);
        status->SetParent(form);
        status->SetPanelWidths({250, 250});
    }
    ~LaidOutForm() { delete form; }
};

} // namespace

TEST(Dpi, AFormMovedToAnotherDensityRescalesItselfAndComesBack)
{
    LaidOutForm f;
    f.form->Show();
    Pump();
    const int start = f.form->Dpi();
    const int target = start == 144 ? 192 : 144;
    auto expectLayoutAt = [&](int dpi) {
        SCOPED_TRACE(dpi);
        EXPECT_EQ(dpi, f.form->Dpi());
        EXPECT_EQ(ScaleDpi(440, dpi), f.form->ClientWidth());
        EXPECT_EQ(ScaleDpi(134, dpi), f.form->ClientHeight());
        EXPECT_EQ(Bounds(ScaleDpi(368, dpi), ScaleDpi(11, dpi), ScaleDpi(65, dpi), ScaleDpi(41, dpi)),
                  f.button->BoundsRect());
        RECT r;
        GetWindowRect(f.button->Handle(), &r);
        EXPECT_EQ(ScaleDpi(65, dpi), r.right - r.left) << "the window follows";
        EXPECT_EQ(ScaleDpi(-12, dpi), f.form->Font().Height());
        EXPECT_EQ(ScaleDpi(-12, dpi), f.button->Font().Height()) << "the parent's font";
        EXPECT_TRUE(f.button->ParentFont());
        EXPECT_EQ(ScaleDpi(-16, dpi), f.edit->Font().Height()) << "a font of its own";
        EXPECT_FALSE(f.edit->ParentFont());
        int edges[2] = {};
        SendMessageW(f.status->Handle(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges));
        EXPECT_EQ(ScaleDpi(250, dpi), edges[0]);
    };
    expectLayoutAt(start);
    EXPECT_SCREEN_FRESH();

    // The system tells the window of its new density and suggests a rectangle.
    RECT wr;
    GetWindowRect(f.form->Handle(), &wr);
    RECT suggested = Bounds(wr.left + 10, wr.top + 10, ScaleDpi(wr.right - wr.left, target, start),
                            ScaleDpi(wr.bottom - wr.top, target, start));
    SendMessageW(f.form->Handle(), WM_DPICHANGED, MAKEWPARAM(target, target), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    expectLayoutAt(target);
    GetWindowRect(f.form->Handle(), &wr);
    EXPECT_EQ(suggested.left, wr.left);
    EXPECT_EQ(suggested.top, wr.top);
    EXPECT_SCREEN_FRESH();

    SendMessageW(f.form->Handle(), WM_DPICHANGED, MAKEWPARAM(start, start), reinterpret_cast<LPARAM>(&wr));
    Pump();
    expectLayoutAt(start);
    EXPECT_SCREEN_FRESH();
}
