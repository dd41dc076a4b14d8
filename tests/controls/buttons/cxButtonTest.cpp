// The library's button driven with real messages: what it draws into a memory bitmap,
// how it tracks the mouse, and what its drop-down kinds do.
#include "controls/buttons/cxButtons.h"
#include "controls/lookandfeel/LookAndFeelTestSupport.h"
#include "controls/lookandfeel/dxUxTheme.h"
#include "framework/FrameworkTestSupport.h"
#include "support/ScreenCheck.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

#include <set>

using namespace qv;
using qvtest::PumpUntil;

namespace {

COLORREF Rgb(TColor c) { return ColorToRGB(c); }

// A button whose memory, once freed, is kept and filled with a window handle of
// the test's choosing: a use of the freed button then reaches that window.
HWND g_poison = nullptr;

class TProbeButton : public TcxButton {
public:
    using TcxButton::TcxButton;

    // What reached the owner-draw context: each copy of the buffer, and whether
    // anything had been drawn there before it (the tests prefill it with lime).
    struct Blit {
        RECT bounds;
        bool targetUntouched;
    };
    std::vector<Blit> blits;

    void DrawBuffer(HDC ADC, const RECT& ABounds, TCanvas& ABuffer) override
    {
        bool untouched = true;
        for (int y = ABounds.top; y < ABounds.bottom && untouched; ++y)
            for (int x = ABounds.left; x < ABounds.right && untouched; ++x)
                untouched = GetPixel(ADC, x, y) == RGB(0, 255, 0);
        blits.push_back({ABounds, untouched});
        TcxButton::DrawBuffer(ADC, ABounds, ABuffer);
    }

    static void operator delete(void* p, std::size_t size)
    {
        if (!g_poison) {
            ::operator delete(p);
            return;
        }
        auto* words = static_cast<HWND*>(p);
        for (std::size_t i = 0; i < size / sizeof(HWND); ++i)
            words[i] = g_poison;
    }
};

struct ButtonTest : ::testing::Test {
    TForm* form = nullptr;
    TcxButton* button = nullptr;
    int clicks = 0;

    void SetUp() override
    {
        form = NewForm<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 200);
        form->SetClientSize(300, 200);
        // Something else holds the focus, so no focus frame crosses the pixels under test.
        auto other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(200, 150, 90, 20);
        button = new TProbeButton(form);
        button->SetBounds(10, 10, 75, 25);
        button->SetCaption(L"确定");
        button->SetParent(form);
        button->OnClick = [this](TObject*) { ++clicks; };
        form->Show();
        other->SetFocus();
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        // Whatever the test did last, the screen shows it.
        EXPECT_SCREEN_FRESH();
        delete form;
        g_poison = nullptr;
        Application->OnException = nullptr;
    }

    // Asks the parent to have the button drawn, as the system does, into a bitmap.
    std::unique_ptr<TBitmap> Draw(UINT itemState = 0)
    {
        auto bmp = std::make_unique<TBitmap>(button->Width(), button->Height());
        TcxCanvas(&bmp->Canvas()).FillRect(Rect(0, 0, bmp->Width(), bmp->Height()), clLime);
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = static_cast<UINT>(GetDlgCtrlID(button->Handle()));
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = itemState;
        dis.hwndItem = button->Handle();
        dis.hDC = bmp->Canvas().Handle();
        dis.rcItem = Rect(0, 0, button->Width(), button->Height());
        SendMessageW(form->Handle(), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        return bmp;
    }

    LONG NativeStyle() const { return GetWindowLongW(button->Handle(), GWL_STYLE) & 0x0F; }
};

} // namespace

TEST_F(ButtonTest, DefaultLookAndFeelIsOwnerDrawnByTheUltraFlatPainter)
{
    EXPECT_EQ(BS_OWNERDRAW, NativeStyle());
    EXPECT_FALSE(button->IsSystemPaint());
    EXPECT_EQ(TcxUltraFlatLookAndFeelPainter::Instance(), button->GetPainterClass());
    auto bmp = Draw();
    EXPECT_EQ(cxbsNormal, button->LastPaintState());
    EXPECT_EQ(Rgb(clBtnText), bmp->PixelAt(0, 0));
    EXPECT_EQ(Rgb(clBtnText), bmp->PixelAt(74, 24));
    EXPECT_EQ(Rgb(clBtnFace), bmp->PixelAt(2, 2));
}

TEST_F(ButtonTest, WithVisualStylesTheThemedPainterDrawsNativeAndStandardButtons)
{
    ASSERT_TRUE(AreVisualStylesAvailable({totButton})) << "the test system has Wine's theme";
    button->SetKind(cxbkDropDown);  // owner-drawn, so the painter draws it
    button->LookAndFeel().WriteNativeStyle(true);
    EXPECT_EQ(TcxWinXPLookAndFeelPainter::Instance(), button->GetPainterClass());
    EXPECT_TRUE(button->IsHotTrackable());
    auto bmp = Draw();
    EXPECT_EQ(0, qvtest::InkOf(*bmp, Rect(0, 0, 75, 25), RGB(0, 255, 0)).pixels - 75 * 25) << "drawn all over";
    // A standard button the system would draw itself is drawn by the themed painter too.
    button->LookAndFeel().WriteNativeStyle(false);
    button->LookAndFeel().WriteKind(lfStandard);
    EXPECT_EQ(TcxWinXPLookAndFeelPainter::Instance(), button->GetPainterClass());
    button->SetUseSystemPaint(false);
    EXPECT_EQ(TcxStandardLookAndFeelPainter::Instance(), button->GetPainterClass());
    // A native-style standard button without glyph is the system's own.
    button->SetKind(cxbkStandard);
    button->SetUseSystemPaint(true);
    button->LookAndFeel().WriteNativeStyle(true);
    EXPECT_TRUE(button->IsSystemPaint());
    EXPECT_EQ(BS_PUSHBUTTON, NativeStyle());
}

TEST_F(ButtonTest, StandardKindWithSystemPaintIsAPlainNativeButton)
{
    button->LookAndFeel().WriteKind(lfStandard);
    EXPECT_TRUE(button->IsSystemPaint());
    EXPECT_EQ(BS_PUSHBUTTON, NativeStyle()) << "the window was recreated without owner drawing";
    EXPECT_FALSE(button->IsHotTrackable());
    button->Perform(CM_MOUSEENTER);
    EXPECT_FALSE(button->IsHot());
    // Still clicks like any button.
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, clicks);
}

TEST_F(ButtonTest, MouseEnterMakesItHotAndLeaveTakesItBack)
{
    SendMessageW(button->Handle(), CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(button->IsHot());
    auto hot = Draw();
    EXPECT_EQ(cxbsHot, button->LastPaintState());
    EXPECT_EQ(Rgb(clHighlight), hot->PixelAt(0, 0));
    EXPECT_EQ(Rgb(HotLightColor()), hot->PixelAt(3, 3));
    SendMessageW(button->Handle(), CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button->IsHot());
    auto cold = Draw();
    EXPECT_EQ(Rgb(clBtnFace), cold->PixelAt(3, 3));
}

// The mouse and the keyboard as a person uses them: hovering, pressing, releasing
// and tabbing onto the button each show at once on the screen.
TEST_F(ButtonTest, HoverPressReleaseAndFocusShowOnTheScreenAtOnce)
{
    ASSERT_TRUE(qvtest::input::BringToFront(form->Handle()));
    EXPECT_SCREEN_FRESH();
    const POINT inside = button->ClientToScreen(POINT{20, 10});
    const TColor face = ColorToRGB(clBtnFace);
    // A pixel of the face clear of the caption and of the focus frame.
    auto faceOnScreen = [&] { return qvtest::TScreenShot::Settled(Bounds(inside.x - 10, inside.y - 5, 1, 1)).pixels[0]; };
    qvtest::input::MoveTo(inside);
    EXPECT_TRUE(PumpUntil([&] { return button->IsHot(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(qvtest::Hex(Rgb(HotLightColor())), qvtest::Hex(faceOnScreen())) << "hot";
    qvtest::input::Press(inside);
    EXPECT_TRUE(PumpUntil([&] { return GetCapture() == button->Handle(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(qvtest::Hex(Rgb(PressedLightColor())), qvtest::Hex(faceOnScreen())) << "pressed";
    qvtest::input::Release(inside);
    EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
    EXPECT_SCREEN_FRESH();
    qvtest::input::MoveTo(POINT{inside.x + 300, inside.y + 300});
    EXPECT_TRUE(PumpUntil([&] { return !button->IsHot(); }));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(qvtest::Hex(face), qvtest::Hex(faceOnScreen())) << "cold again";
    // The click focused the button: Tab goes to the edit and comes back.
    ASSERT_TRUE(button->Focused());
    qvtest::input::Key(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return !button->Focused(); }));
    EXPECT_SCREEN_FRESH();
    qvtest::input::Key(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return button->Focused(); }));
    EXPECT_SCREEN_FRESH();
    qvtest::input::Key(VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return clicks == 2; }));
    EXPECT_SCREEN_FRESH();
}

TEST_F(ButtonTest, TrackingTimerEndsTheHotStateWhenNoLeaveNotificationComes)
{
    POINT inside = button->ClientToScreen(POINT{20, 10});
    SetCursorPos(inside.x, inside.y);
    SendMessageW(button->Handle(), CM_MOUSEENTER, 0, 0);
    ASSERT_TRUE(button->IsHot());
    EXPECT_TRUE(IsMouseTracking(button));
    // Away, and nobody tells the button: its 10 ms timer notices.
    SetCursorPos(inside.x + 400, inside.y + 400);
    EXPECT_TRUE(PumpUntil([&] { return !button->IsHot(); }));
    EXPECT_FALSE(IsMouseTracking(button));
}

TEST_F(ButtonTest, DisabledButtonIsNeverHot)
{
    SendMessageW(button->Handle(), CM_MOUSEENTER, 0, 0);
    button->SetEnabled(false);
    EXPECT_FALSE(button->IsHot());
    auto bmp = Draw();
    EXPECT_EQ(cxbsDisabled, button->LastPaintState());
    EXPECT_EQ(Rgb(clHighlight), bmp->PixelAt(0, 0));
    SendMessageW(button->Handle(), CM_MOUSEENTER, 0, 0);
    EXPECT_FALSE(button->IsHot());
    button->SetEnabled(true);
}

TEST_F(ButtonTest, PressedAndDefaultFrames)
{
    auto pressed = Draw(ODS_SELECTED);
    EXPECT_EQ(cxbsPressed, button->LastPaintState());
    EXPECT_EQ(Rgb(clHighlight), pressed->PixelAt(0, 0));
    EXPECT_EQ(Rgb(PressedLightColor()), pressed->PixelAt(3, 3));

    auto focused = Draw(ODS_FOCUS);
    EXPECT_EQ(cxbsDefault, button->LastPaintState());
    EXPECT_EQ(Rgb(clWindowFrame), focused->PixelAt(0, 0));
    EXPECT_EQ(Rgb(clWindowFrame), focused->PixelAt(1, 1));
    EXPECT_EQ(Rgb(clBtnFace), focused->PixelAt(2, 12));

    // The form's default button draws the heavy frame while no other button has the focus.
    button->SetDefault(true);
    Draw();
    EXPECT_EQ(cxbsDefault, button->LastPaintState());
    EXPECT_TRUE(button->IsDefaultActive());
}

namespace {

// Where the caption's ink goes when the caption is laid out alone, centred in the
// client area (the layout the glyph object uses without a glyph).
RECT ReferenceCaptionInk(TcxButton* button)
{
    TBitmap b(button->Width(), button->Height());
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(Rect(0, 0, b.Width(), b.Height()));
    c.Font().Assign(button->Font());
    c.Font().SetColor(clBlack);
    c.RequireFont();
    const std::wstring text = button->Text();
    RECT size{0, 0, b.Width(), 0};
    DrawTextW(c.Handle(), text.c_str(), static_cast<int>(text.size()), &size, DT_CALCRECT);
    RECT r = Bounds((b.Width() - Width(size) + 1) / 2, (b.Height() - Height(size) + 1) / 2, Width(size), Height(size));
    SetBkMode(c.Handle(), TRANSPARENT);
    DrawTextW(c.Handle(), text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER);
    return qvtest::InkOf(b, Rect(0, 0, b.Width(), b.Height()), Rgb(clBtnFace)).bounds;
}

} // namespace

// Which state wins when several hold, and what each looks like: the face, the
// frame, the caption's place and colours.
TEST_F(ButtonTest, StatePrecedenceAndTheLookOfEachState)
{
    const RECT reference = ReferenceCaptionInk(button);
    ASSERT_FALSE(IsRectEmptyR(reference));
    struct Row {
        const char* name;
        bool enabled, hot;
        UINT itemState;
        TcxButtonState state;
        TColor face, frame;
        std::set<COLORREF> ink;
    };
    const Row rows[] = {
        {"normal", true, false, 0, cxbsNormal, clBtnFace, clBtnText, {Rgb(clBtnText)}},
        {"focused", true, false, ODS_FOCUS, cxbsDefault, clBtnFace, clWindowFrame, {Rgb(clBtnText)}},
        {"hot", true, true, 0, cxbsHot, HotLightColor(), clHighlight, {Rgb(clBtnText)}},
        {"hot and focused", true, true, ODS_FOCUS, cxbsHot, HotLightColor(), clHighlight, {Rgb(clBtnText)}},
        {"hot and pushed", true, true, ODS_SELECTED, cxbsPressed, PressedLightColor(), clHighlight,
         {Rgb(clHighlightText)}},
        {"pushed and focused", true, false, ODS_SELECTED | ODS_FOCUS, cxbsPressed, PressedLightColor(), clHighlight,
         {Rgb(clHighlightText)}},
        {"disabled and pushed", false, false, ODS_SELECTED | ODS_FOCUS, cxbsDisabled, clBtnFace, clHighlight,
         {Rgb(clBtnShadow), Rgb(clBtnHighlight)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        button->SetEnabled(row.enabled);
        SendMessageW(button->Handle(), row.hot ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
        ASSERT_EQ(row.hot, button->IsHot());
        auto bmp = Draw(row.itemState);
        EXPECT_EQ(row.state, button->LastPaintState());
        EXPECT_EQ(qvtest::Hex(Rgb(row.face)), qvtest::Hex(bmp->PixelAt(3, 3))) << "face";
        EXPECT_EQ(qvtest::Hex(Rgb(row.frame)), qvtest::Hex(bmp->PixelAt(0, 12))) << "frame";
        const qvtest::TInk ink = qvtest::InkOf(*bmp, Rect(2, 2, 73, 23), Rgb(row.face));
        EXPECT_EQ(row.ink, ink.colors) << ink.Describe();
        // Embossed when disabled: the light copy one pixel right and down.
        const RECT expected = row.state == cxbsDisabled
            ? Rect(reference.left, reference.top, reference.right + 1, reference.bottom + 1)
            : reference;
        EXPECT_EQ(expected, ink.bounds) << ink.Describe();
    }
    button->SetEnabled(true);
}

TEST_F(ButtonTest, FocusedButtonGetsTheFocusFrameInsideTheFace)
{
    button->SetFocus();
    Application->ProcessMessages();
    ASSERT_TRUE(button->Focused());
    auto bmp = Draw(ODS_FOCUS);
    // Ultra-flat focus bounds: 3 pixels in; the dotted frame changes some of its pixels.
    bool dotted = false;
    for (int x = 3; x < 72; ++x)
        dotted |= bmp->PixelAt(x, 3) != Rgb(clBtnFace);
    EXPECT_TRUE(dotted);
    EXPECT_EQ(Rgb(clBtnFace), bmp->PixelAt(2, 12));
}

TEST_F(ButtonTest, DoubleClickActsAsASecondPress)
{
    int presses = 0;
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
    LPARAM at = MAKELPARAM(10, 10);
    SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, at);
    SendMessageW(button->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(2, presses);
    EXPECT_EQ(2, clicks);
}

TEST_F(ButtonTest, ColoursOfNoneOrDefaultAreNotAssigned)
{
    TcxButtonColors& colors = button->Colors();
    colors.SetNormal(clRed);
    EXPECT_TRUE(colors.AssignedColors().Contains(cxbsNormal));
    auto red = Draw();
    EXPECT_EQ(RGB(255, 0, 0), red->PixelAt(3, 3));
    colors.SetNormal(clNone);
    EXPECT_EQ(clDefault, colors.Normal());
    EXPECT_TRUE(colors.AssignedColors().Empty());
    // At run time the assigned set cannot be forced.
    colors.SetAssignedColors(TcxButtonAssignedColors{cxbsHot});
    EXPECT_TRUE(colors.AssignedColors().Empty());
}

TEST_F(ButtonTest, GetDrawParamsMayChangeColourAndFont)
{
    button->OnGetDrawParams = [](TcxCustomButton*, TcxButtonState, TColor& color, TFont& font) {
        color = clYellow;
        font.SetColor(clBlue);
    };
    button->Invalidate();
    auto bmp = Draw();
    EXPECT_EQ(RGB(255, 255, 0), bmp->PixelAt(3, 3));
    bool blue = false;
    for (int y = 0; y < 25 && !blue; ++y)
        for (int x = 0; x < 75 && !blue; ++x)
            blue = bmp->PixelAt(x, y) == RGB(0, 0, 255);
    EXPECT_TRUE(blue) << "the caption is drawn in the font colour the handler chose";
}

TEST_F(ButtonTest, HotTrackingRepaintReachesTheScreenAsOneCopyOfTheWholeButton)
{
    auto* probe = static_cast<TProbeButton*>(button);
    SendMessageW(button->Handle(), CM_MOUSEENTER, 0, 0);
    probe->blits.clear();
    auto bmp = Draw();
    ASSERT_EQ(1u, probe->blits.size());
    EXPECT_EQ(Rect(0, 0, 75, 25), probe->blits[0].bounds);
    EXPECT_TRUE(probe->blits[0].targetUntouched) << "something was drawn on the context before the copy";
    EXPECT_EQ(0, qvtest::InkOf(*bmp, Rect(0, 0, 75, 25), RGB(0, 255, 0)).pixels - 75 * 25)
        << "the copy covers the whole button";
    EXPECT_EQ(Rgb(HotLightColor()), bmp->PixelAt(3, 3));
}

TEST_F(ButtonTest, ThrowingDrawParamsHandlerLeavesNoHandleOrSelectionBehind)
{
    Draw();  // fonts and brushes made once
    std::vector<std::wstring> errors;
    Application->OnException = [&](TObject*, const std::exception_ptr& e) {
        try {
            std::rethrow_exception(e);
        } catch (const Exception& x) {
            errors.push_back(x.Message());
        }
    };
    button->OnGetDrawParams = [](TcxCustomButton*, TcxButtonState, TColor&, TFont&) {
        throw Exception(L"no colours today");
    };
    TBitmap target(75, 25);
    HDC dc = target.Canvas().Handle();
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT), brush = GetCurrentObject(dc, OBJ_BRUSH),
                  pen = GetCurrentObject(dc, OBJ_PEN);
    const int objects = TGdiCounters::LiveObjects(), dcs = TGdiCounters::LiveDCs();
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(button->Handle()));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = button->Handle();
    dis.hDC = dc;
    dis.rcItem = Rect(0, 0, 75, 25);
    SendMessageW(form->Handle(), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    ASSERT_EQ(1u, errors.size()) << "the error reaches the application";
    EXPECT_EQ(L"no colours today", errors[0]);
    EXPECT_EQ(objects, TGdiCounters::LiveObjects());
    EXPECT_EQ(dcs, TGdiCounters::LiveDCs());
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT)) << "the button's font is still selected";
    EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_FALSE(button->ControlCanvas().HandleAllocated()) << "the canvas let go of the context";
    // And the next paint is an ordinary one.
    button->OnGetDrawParams = nullptr;
    EXPECT_EQ(Rgb(clBtnFace), Draw()->PixelAt(3, 3));
}

TEST_F(ButtonTest, MarginAndNumGlyphsSetterRules)
{
    button->SetMargin(-2);
    EXPECT_EQ(-1, button->Margin());
    button->SetMargin(3);
    EXPECT_EQ(3, button->Margin());
    button->SetNumGlyphs(5);
    EXPECT_EQ(4, button->NumGlyphs());
    button->SetNumGlyphs(0);
    EXPECT_EQ(4, button->NumGlyphs());
}

TEST_F(ButtonTest, AGlyphMakesTheButtonOwnerDrawnAndIsLaidOutLeftOfTheCaption)
{
    button->LookAndFeel().WriteKind(lfStandard);
    ASSERT_EQ(BS_PUSHBUTTON, NativeStyle());
    TBitmap glyph(8, 8);
    glyph.Canvas().Brush().SetColor(clFuchsia);
    glyph.Canvas().FillRect(Rect(0, 0, 8, 8));
    glyph.Canvas().Brush().SetColor(clGreen);
    glyph.Canvas().FillRect(Rect(2, 2, 6, 6));
    button->SetGlyph(glyph);
    EXPECT_FALSE(button->UseSystemPaint());
    EXPECT_EQ(BS_OWNERDRAW, NativeStyle());
    auto bmp = Draw();
    // The transparent colour (fuchsia) is left out; the green square shows left of centre.
    int firstGreen = -1;
    for (int x = 0; x < 75 && firstGreen < 0; ++x)
        if (bmp->PixelAt(x, 12) == Rgb(clGreen))
            firstGreen = x;
    ASSERT_GE(firstGreen, 0);
    EXPECT_LT(firstGreen, 37);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 75; ++x)
            ASSERT_NE(RGB(255, 0, 255), bmp->PixelAt(x, y));
}

TEST_F(ButtonTest, AWideSinglePictureIsOneGlyph)
{
    // 32 x 16: one picture, not two square ones.
    TBitmap glyph(32, 16);
    TcxCanvas c(&glyph.Canvas());
    c.FillRect(Rect(0, 0, 32, 16), clFuchsia);
    c.FillRect(Rect(0, 4, 32, 12), clGreen);
    button->SetCaption(L"");
    button->SetGlyph(glyph);
    EXPECT_EQ(1, button->NumGlyphs());
    auto bmp = Draw();
    const qvtest::TInk ink = qvtest::InkOf(*bmp, Rect(2, 2, 73, 23), Rgb(clBtnFace));
    EXPECT_EQ(32, Width(ink.bounds)) << ink.Describe() << ": the whole picture";
    EXPECT_EQ(8, Height(ink.bounds)) << ink.Describe();
}

TEST_F(ButtonTest, MenuReferencesAreClearedWhenTheMenusGo)
{
    auto popup = new TPopupMenu(form);
    auto drop = new TPopupMenu(form);
    button->SetPopupMenu(popup);
    button->SetDropDownMenu(drop);
    EXPECT_EQ(popup, button->PopupMenu());
    delete popup;
    delete drop;
    EXPECT_EQ(nullptr, button->PopupMenu());
    EXPECT_EQ(nullptr, button->DropDownMenu());
    // Not a menu of either kind: refused.
    TComponent notAMenu(nullptr);
    button->SetPopupMenu(&notAMenu);
    EXPECT_EQ(nullptr, button->PopupMenu());
}

TEST_F(ButtonTest, RepaintsAndHotCyclesLeakNoHandles)
{
    auto cycle = [&] {
        SendMessageW(button->Handle(), CM_MOUSEENTER, 0, 0);
        Draw();
        SendMessageW(button->Handle(), CM_MOUSELEAVE, 0, 0);
        Draw(ODS_SELECTED);
        button->Repaint();
    };
    cycle();
    int objects = TGdiCounters::LiveObjects();
    int dcs = TGdiCounters::LiveDCs();
    for (int i = 0; i < 1000; ++i)
        cycle();
    EXPECT_EQ(objects, TGdiCounters::LiveObjects());
    EXPECT_EQ(dcs, TGdiCounters::LiveDCs());
}

// ---------------------------------------------------------------------------

namespace {

// Closes whatever menu is open once the timer fires inside the menu's loop, after
// running an optional action there.
std::function<void()> g_inMenu;
void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (g_inMenu)
        g_inMenu();
    EndMenu();
}

struct DropDownTest : ButtonTest {
    TPopupMenu* menu = nullptr;
    int popups = 0;
    bool droppedDuringPopup = false;

    void SetUp() override
    {
        ButtonTest::SetUp();
        menu = new TPopupMenu(form);
        for (int i = 0; i < 5; ++i)
            menu->Add(L"项目 " + std::to_wstring(i));
        menu->OnPopup = [this](TObject*) {
            ++popups;
            droppedDuringPopup = button->IsMenuDropped();
            SetTimer(nullptr, 0, 50, CloseMenuSoon);
        };
        button->SetDropDownMenu(menu);
    }
    void TearDown() override
    {
        g_inMenu = nullptr;
        ButtonTest::TearDown();
    }

    // Picks the menu's first item from the keyboard once the menu is up.
    static void CALLBACK ChooseFirstItemSoon(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        HWND anyWindowOfTheThread = GetForegroundWindow();
        PostMessageW(anyWindowOfTheThread, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(anyWindowOfTheThread, WM_KEYDOWN, VK_RETURN, 0);
    }

    void MoveFormTo(int top)
    {
        form->SetBounds(100, top, form->Width(), form->Height());
        Application->ProcessMessages();
    }
};

} // namespace

TEST_F(DropDownTest, OpensBelowTheButtonAndShowsItPressedMeanwhile)
{
    button->SetKind(cxbkDropDown);
    MoveFormTo(100);
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return popups == 1 && !button->IsMenuDropped(); }));
    EXPECT_TRUE(droppedDuringPopup);
    POINT bottomLeft = button->ClientToScreen(POINT{0, button->Height()});
    EXPECT_EQ(bottomLeft.x, menu->PopupPoint().x);
    EXPECT_EQ(bottomLeft.y, menu->PopupPoint().y);
    EXPECT_EQ(0, clicks) << "a drop-down button's click opens the menu instead";
    Application->ProcessMessages();
    EXPECT_EQ(1, popups) << "press and click open the menu once";
}

TEST_F(DropDownTest, NearTheBottomOfTheScreenTheMenuOpensAbove)
{
    button->SetKind(cxbkDropDown);
    MoveFormTo(GetSystemMetrics(SM_CYSCREEN) - 80);
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return popups == 1 && !button->IsMenuDropped(); }));
    POINT top = button->ClientToScreen(POINT{0, 0});
    EXPECT_LT(menu->PopupPoint().y, top.y);
}

TEST_F(DropDownTest, PressWhileTheMenuIsShownClosesItWithoutReopeningOrClicking)
{
    button->SetKind(cxbkDropDown);
    // The press arrives while the menu is up; its click comes after the menu closed.
    g_inMenu = [this] { SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); };
    PostMessageW(button->Handle(), CM_DROPDOWNPOPUPMENU, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return popups == 1 && !button->IsMenuDropped(); }));
    g_inMenu = nullptr;
    button->Perform(CN_COMMAND, MAKEWPARAM(GetDlgCtrlID(button->Handle()), BN_CLICKED),
                    reinterpret_cast<LPARAM>(button->Handle()));
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    Application->ProcessMessages();
    EXPECT_EQ(1, popups);
    EXPECT_EQ(0, clicks);
}

TEST_F(DropDownTest, SplitButtonClicksOnItsMainPartAndOpensOnItsArrow)
{
    button->SetKind(cxbkDropDownButton);
    LPARAM main = MAKELPARAM(10, 10);
    SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, main);
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, main);
    EXPECT_EQ(1, clicks);
    Application->ProcessMessages();
    EXPECT_EQ(0, popups);

    // A press on the arrow part: the native button is pushed, but the main part is not
    // drawn pressed; then the menu opens (and the whole button shows pressed).
    SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 10));
    Draw(ODS_SELECTED);
    EXPECT_NE(cxbsPressed, button->LastPaintState());
    ASSERT_TRUE(PumpUntil([&] { return popups == 1 && !button->IsMenuDropped(); }));
    EXPECT_TRUE(droppedDuringPopup);
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(70, 10));
}

TEST_F(DropDownTest, StandardKindOrNoMenuOpensNothing)
{
    PostMessageW(button->Handle(), CM_DROPDOWNPOPUPMENU, 0, 0);
    Application->ProcessMessages();
    EXPECT_EQ(0, popups);
    button->SetKind(cxbkDropDown);
    button->SetDropDownMenu(nullptr);
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    Application->ProcessMessages();
    EXPECT_EQ(0, popups);
    EXPECT_FALSE(button->IsMenuDropped());
}

TEST_F(DropDownTest, MenuItemThatFreesTheButtonLeavesNothingTouchingIt)
{
    button->SetKind(cxbkDropDown);
    std::vector<UINT> afterwards;
    HWND witness = AllocateHWnd([&](TMessage& m) { afterwards.push_back(m.Msg); });
    bool freed = false;
    menu->OnPopup = [this](TObject*) { SetTimer(nullptr, 0, 50, ChooseFirstItemSoon); };
    menu->Items(0)->OnClick = [&](TObject*) {
        g_poison = witness;
        delete button;
        button = nullptr;
        freed = true;
    };
    PostMessageW(button->Handle(), CM_DROPDOWNPOPUPMENU, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return freed; }));
    PostMessageW(witness, WM_NULL, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !afterwards.empty(); }));
    EXPECT_EQ(std::vector<UINT>{WM_NULL}, afterwards) << "the freed button posted to itself";
    DeallocateHWnd(witness);
}

TEST_F(DropDownTest, ClosingPressDraggedOffTheButtonDoesNotSwallowTheNextClick)
{
    button->SetKind(cxbkDropDownButton);
    // The press that closes the menu is released outside: no click follows it.
    g_inMenu = [this] { SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); };
    PostMessageW(button->Handle(), CM_DROPDOWNPOPUPMENU, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return popups == 1 && !button->IsMenuDropped(); }));
    g_inMenu = nullptr;
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(-40, 60));
    EXPECT_EQ(0, clicks);
    // The next real press and release on the main part click.
    SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(1, clicks);
}

TEST_F(DropDownTest, SplitButtonsTwoPartsOverlapByTwoPixels)
{
    button->SetKind(cxbkDropDownButton);
    auto bmp = Draw();
    // The arrow part starts 15 pixels from the right; the main part's right frame lies under it.
    EXPECT_EQ(qvtest::Hex(Rgb(clBtnFace)), qvtest::Hex(bmp->PixelAt(59, 3))) << "the main part's face";
    EXPECT_EQ(qvtest::Hex(Rgb(clBtnText)), qvtest::Hex(bmp->PixelAt(60, 3))) << "the arrow part's frame";
    EXPECT_EQ(qvtest::Hex(Rgb(clBtnFace)), qvtest::Hex(bmp->PixelAt(61, 3)));
}
