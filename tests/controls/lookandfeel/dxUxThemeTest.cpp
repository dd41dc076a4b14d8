// The visual-styles binding with the system's library (Wine's theme in the test
// prefix) and with a stand-in library whose every call is recorded.
#include "controls/lookandfeel/LookAndFeelTestSupport.h"
#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "controls/lookandfeel/dxThemeManager.h"
#include "controls/lookandfeel/dxUxTheme.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace qv;
using qvtest::Rgb;
using qvtest::TPaintSurface;

TEST(SystemThemes, TheTestSystemDrawsButtonsThroughItsTheme)
{
    ASSERT_TRUE(IsUxThemeLoaded());
    ASSERT_TRUE(ThemesActive()) << "scripts/prefix.reg sets Wine's theme";
    EXPECT_TRUE(AreVisualStylesAvailable({totButton, totListView}));
    TcxLookAndFeel lf(nullptr);
    lf.WriteNativeStyle(true);
    EXPECT_EQ(TcxWinXPLookAndFeelPainter::Instance(), lf.GetPainter());
    TPaintSurface themed(75, 25), standard(75, 25);
    TcxWinXPLookAndFeelPainter::Instance()->PaintButton(themed.canvas, Rect(0, 0, 75, 25), L"OK", cxbsNormal);
    TcxStandardLookAndFeelPainter::Instance()->PaintButton(standard.canvas, Rect(0, 0, 75, 25), L"OK", cxbsNormal);
    EXPECT_FALSE(themed.SameAs(standard));
    EXPECT_LT(themed.Count(RGB(255, 0, 255)), 75 * 25 / 10) << "the theme painted the button";
}

namespace {

// Any function as the system's untyped entry point (through the generic function type).
template <class F>
FARPROC AsProc(F* f)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

} // namespace

namespace {

// The stand-in library.
struct Fake {
    DWORD major = 6, minor = 1;
    int loads = 0, frees = 0;
    std::vector<std::string> resolved;
    std::vector<std::wstring> opened;
    std::vector<HTHEME> closed;
    std::set<std::wstring> failing;
    bool active = true;
    int nextHandle = 100;
    std::vector<std::pair<int, int>> backgrounds;  // part, state
    std::vector<DWORD> textFlags;
    HTHEME drawnWith = nullptr;
};
Fake g_fake;

HTHEME WINAPI FakeOpenThemeData(HWND, LPCWSTR name)
{
    g_fake.opened.push_back(name);
    if (g_fake.failing.count(name))
        return nullptr;
    return reinterpret_cast<HTHEME>(static_cast<INT_PTR>(++g_fake.nextHandle));
}
HRESULT WINAPI FakeCloseThemeData(HTHEME theme)
{
    g_fake.closed.push_back(theme);
    return S_OK;
}
HTHEME WINAPI FakeOpenThemeDataForDpi(HWND, LPCWSTR name, UINT dpi)
{
    g_fake.opened.push_back(std::wstring(name) + L"@" + std::to_wstring(dpi));
    return reinterpret_cast<HTHEME>(static_cast<INT_PTR>(++g_fake.nextHandle));
}
BOOL WINAPI FakeIsThemeActive() { return g_fake.active; }
HRESULT WINAPI FakeDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* r, const RECT*)
{
    g_fake.drawnWith = theme;
    g_fake.backgrounds.push_back({part, state});
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(dc, r, brush);
    DeleteObject(brush);
    return S_OK;
}
HRESULT WINAPI FakeDrawThemeText(HTHEME, HDC, int, int, LPCWSTR, int, DWORD flags, DWORD, const RECT*)
{
    g_fake.textFlags.push_back(flags);
    return S_OK;
}
HRESULT WINAPI FakeGetThemeColor(HTHEME, int, int, int property, COLORREF* color)
{
    if (property != 3803)
        return E_FAIL;
    *color = RGB(9, 8, 7);
    return S_OK;
}
HRESULT WINAPI FakeContentRect(HTHEME, HDC, int, int, const RECT* bounds, RECT* content)
{
    *content = Inflated(*bounds, -3, -3);
    return S_OK;
}
BOOL WINAPI FakePartiallyTransparent(HTHEME, int, int) { return FALSE; }
HRESULT WINAPI FakePartSize(HTHEME, HDC, int part, int, const RECT*, int, SIZE* size)
{
    // The tree's glyph 9 wide, the explorer bar's expand parts 19.
    *size = part == 2 ? SIZE{9, 9} : SIZE{19, 19};
    return S_OK;
}
HRESULT WINAPI FakeBackgroundRegion(HTHEME, HDC, int, int, const RECT* r, HRGN* region)
{
    // A round part: the corners of its rectangle are outside.
    *region = CreateEllipticRgn(r->left, r->top, r->right, r->bottom);
    return S_OK;
}

TdxUxThemeLoader FakeLoader()
{
    TdxUxThemeLoader loader;
    loader.GetVersion = [](DWORD& major, DWORD& minor) {
        major = g_fake.major;
        minor = g_fake.minor;
        return true;
    };
    loader.Load = [](const wchar_t* name) {
        ++g_fake.loads;
        return std::wstring(name) == L"UxTheme.dll" ? reinterpret_cast<HMODULE>(0x1234) : nullptr;
    };
    loader.Resolve = [](HMODULE, const char* name) -> FARPROC {
        g_fake.resolved.push_back(name);
        static const std::map<std::string, FARPROC> table = {
            {"OpenThemeData", AsProc(&FakeOpenThemeData)},
            {"CloseThemeData", AsProc(&FakeCloseThemeData)},
            {"IsThemeActive", AsProc(&FakeIsThemeActive)},
            {"DrawThemeBackground", AsProc(&FakeDrawThemeBackground)},
            {"DrawThemeText", AsProc(&FakeDrawThemeText)},
            {"GetThemeColor", AsProc(&FakeGetThemeColor)},
            {"GetThemeBackgroundContentRect", AsProc(&FakeContentRect)},
            {"IsThemeBackgroundPartiallyTransparent", AsProc(&FakePartiallyTransparent)},
            {"GetThemePartSize", AsProc(&FakePartSize)},
            {"GetThemeBackgroundRegion", AsProc(&FakeBackgroundRegion)},
            {"OpenThemeDataForDpi", AsProc(&FakeOpenThemeDataForDpi)},
        };
        const auto found = table.find(name);
        return found == table.end() ? nullptr : found->second;
    };
    loader.Free = [](HMODULE) { ++g_fake.frees; };
    return loader;
}

// Each test starts the binding and the theme manager on the stand-in, and puts
// the system's back afterwards.
class StandInThemes : public testing::Test {
protected:
    void Start()
    {
        FinalizeThemeManager();
        InitializeUxTheme(FakeLoader());
        InitializeThemeManager();
    }
    void SetUp() override
    {
        g_fake = Fake{};
        Start();
    }
    void TearDown() override
    {
        FinalizeThemeManager();
        InitializeUxTheme(TdxUxThemeLoader::System());
        InitializeThemeManager();
    }
    const TcxWinXPLookAndFeelPainter* XP() { return TcxWinXPLookAndFeelPainter::Instance(); }
};

} // namespace

TEST_F(StandInThemes, BeforeXPTheLibraryIsNeverLoadedAndOnXPEveryEntryIsResolvedInOrder)
{
    g_fake = Fake{};
    g_fake.major = 5;
    g_fake.minor = 0;
    Start();
    EXPECT_EQ(0, g_fake.loads);
    EXPECT_FALSE(IsUxThemeLoaded());
    EXPECT_FALSE(AreVisualStylesAvailable());
    EXPECT_EQ(nullptr, OpenTheme(totButton));
    EXPECT_TRUE(g_fake.opened.empty()) << "no entry point is ever called";
    TcxLookAndFeel lf(nullptr);
    lf.WriteNativeStyle(true);
    EXPECT_EQ(TcxUltraFlatLookAndFeelPainter::Instance(), lf.GetPainter());

    g_fake.minor = 1;
    Start();
    EXPECT_EQ(1, g_fake.loads);
    int count = 0;
    const char* const* names = dxUxThemeEntryPointNames(count);
    ASSERT_EQ(46, count);
    EXPECT_EQ(std::vector<std::string>(names, names + count), g_fake.resolved);
    EXPECT_EQ("CloseThemeData", g_fake.resolved.front());
    EXPECT_EQ("SetWindowTheme", g_fake.resolved.back());
    EXPECT_TRUE(AreVisualStylesAvailable());
    EXPECT_EQ(TcxWinXPLookAndFeelPainter::Instance(), lf.GetPainter());
}

TEST_F(StandInThemes, CachedHandleIsReusedAndAnotherClassNameReopens)
{
    const HTHEME button = OpenTheme(totButton);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(button, OpenTheme(totButton));
    EXPECT_EQ(button, OpenTheme(totButton, L"BUTTON")) << "names compare without case";
    EXPECT_EQ(std::vector<std::wstring>{L"Button"}, g_fake.opened);

    const HTHEME other = OpenTheme(totButton, L"Edit");
    EXPECT_NE(button, other);
    EXPECT_EQ(std::vector<HTHEME>{button}, g_fake.closed);
    EXPECT_EQ(L"Edit", ThemeData(totButton).ClassName);
    EXPECT_EQ(S_OK, CloseTheme(totButton));
    EXPECT_EQ(nullptr, ThemeData(totButton).Handle);
    EXPECT_EQ(L"", ThemeData(totButton).ClassName);
    EXPECT_EQ(0, CloseTheme(totButton)) << "nothing open";

    // A class that does not open: 0, the name forgotten, and the next call tries again.
    g_fake.failing = {L"ListView"};
    EXPECT_EQ(nullptr, OpenTheme(totListView));
    EXPECT_EQ(nullptr, OpenTheme(totListView));
    EXPECT_EQ(2, std::count(g_fake.opened.begin(), g_fake.opened.end(), std::wstring(L"ListView")));
    EXPECT_FALSE(AreVisualStylesAvailable({totButton, totListView}));
    EXPECT_TRUE(AreVisualStylesAvailable({totButton}));
}

TEST_F(StandInThemes, ThemeChangeClosesHandlesKeepsNamesAndTellsEachNotificatorOnce)
{
    const HTHEME button = OpenTheme(totButton), edit = OpenTheme(totEdit);
    int first = 0, second = 0;
    TdxThemeChangedNotificator a, b;
    a.OnThemeChanged = [&] { ++first; };
    b.OnThemeChanged = [&] { ++second; };
    ASSERT_NE(nullptr, dxThemeChangedEventReceiver());
    g_fake.active = false;
    EXPECT_EQ(0, SendMessageW(dxThemeChangedEventReceiver()->WindowHandle(), WM_THEMECHANGED, 0, 0));
    EXPECT_EQ((std::set<HTHEME>{button, edit}), std::set<HTHEME>(g_fake.closed.begin(), g_fake.closed.end()));
    EXPECT_EQ(nullptr, ThemeData(totButton).Handle);
    EXPECT_EQ(L"Button", ThemeData(totButton).ClassName) << "the names stay";
    EXPECT_EQ(L"Edit", ThemeData(totEdit).ClassName);
    EXPECT_EQ(1, first);
    EXPECT_EQ(1, second);
    EXPECT_FALSE(ThemesActive());
    EXPECT_FALSE(AreVisualStylesAvailable());

    g_fake.active = true;
    SendMessageW(dxThemeChangedEventReceiver()->WindowHandle(), WM_THEMECHANGED, 0, 0);
    EXPECT_TRUE(ThemesActive());
    EXPECT_NE(nullptr, OpenTheme(totButton));
    EXPECT_EQ(L"Button", g_fake.opened.back());
}

TEST_F(StandInThemes, ThemedButtonIgnoresTheColoursAndFallsBackWhenItsClassDoesNotOpen)
{
    TPaintSurface s(75, 25);
    XP()->PaintButton(s.canvas, Rect(0, 0, 75, 25), L"OK", cxbsHot, true, clLime, clRed);
    EXPECT_EQ(0, s.Count(RGB(0, 255, 0))) << "the face colour is the theme's";
    EXPECT_EQ(75 * 25, s.Count(RGB(1, 2, 3)));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 2}}), g_fake.backgrounds) << "push button, hot";
    EXPECT_EQ(std::vector<DWORD>{DT_CENTER | DT_VCENTER | DT_SINGLELINE}, g_fake.textFlags);
    EXPECT_EQ(3, XP()->ButtonBorderWidth(cxbsNormal)) << "the content rectangle's left inset";
    EXPECT_EQ(Rect(3, 3, 72, 22), XP()->ButtonFocusBounds(s.canvas, Rect(0, 0, 75, 25)));
    EXPECT_EQ(RGB(9, 8, 7), XP()->ButtonGlyphColor(cxbsNormal));
    EXPECT_EQ(clBtnFace, XP()->ButtonFaceColor(cxbsNormal)) << "no colour for property 204";
    EXPECT_EQ(psNative, XP()->PainterStyle());

    g_fake.failing = {L"Button"};
    CloseAllThemes();
    TPaintSurface fallback(75, 25), standard(75, 25);
    XP()->PaintButton(fallback.canvas, Rect(0, 0, 75, 25), L"", cxbsNormal, true, clLime);
    TcxStandardLookAndFeelPainter::Instance()->PaintButton(standard.canvas, Rect(0, 0, 75, 25), L"", cxbsNormal,
                                                           true, clLime);
    EXPECT_TRUE(fallback.SameAs(standard));
    EXPECT_EQ(2, XP()->ButtonBorderWidth(cxbsDefault)) << "the standard width of a normal button";
    g_fake.failing.clear();
    EXPECT_EQ(3, XP()->ButtonBorderWidth(cxbsDefault)) << "the next call tries again";
}

TEST_F(StandInThemes, ExpandButtonsAndCheckBoxesAreDrawnByTheirThemeParts)
{
    TPaintSurface s(20, 20);
    // The tree's glyph part, closed or opened; its width from the theme.
    XP()->PaintExpandButton(s.canvas, Rect(0, 0, 9, 9), clDefault, false);
    XP()->PaintExpandButton(s.canvas, Rect(0, 0, 9, 9), clDefault, true);
    EXPECT_EQ(9, XP()->ExpandButtonSize());
    // The explorer bar's expand part (collapse while expanded), by button state.
    XP()->PaintGroupExpandButton(s.canvas, Rect(0, 0, 19, 19), cxbsHot, false);
    XP()->PaintGroupExpandButton(s.canvas, Rect(0, 0, 19, 19), cxbsPressed, true);
    XP()->PaintGroupExpandButton(s.canvas, Rect(0, 0, 19, 19), cxbsNormal, true);
    EXPECT_EQ(19, XP()->GroupExpandButtonSize());
    // The push button class's check box part: unchecked 1-4, checked 5-8 by state.
    XP()->PaintCheckBox(s.canvas, Rect(0, 0, 13, 13), false, cxbsNormal);
    XP()->PaintCheckBox(s.canvas, Rect(0, 0, 13, 13), false, cxbsDisabled);
    XP()->PaintCheckBox(s.canvas, Rect(0, 0, 13, 13), true, cxbsHot);
    XP()->PaintCheckBox(s.canvas, Rect(0, 0, 13, 13), true, cxbsPressed);
    XP()->PaintCheckBox(s.canvas, Rect(0, 0, 13, 13), true, cxbsDefault);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{2, 1}, {2, 2}, {6, 2}, {7, 3}, {7, 1}, {3, 1}, {3, 4}, {3, 6},
                                                 {3, 7}, {3, 5}}),
              g_fake.backgrounds);
    EXPECT_TRUE(std::count(g_fake.opened.begin(), g_fake.opened.end(), std::wstring(L"TreeView")));
    EXPECT_TRUE(std::count(g_fake.opened.begin(), g_fake.opened.end(), std::wstring(L"ExplorerBar")));
    EXPECT_EQ(19 * 19, s.Count(RGB(1, 2, 3))) << "what the theme drew";

    // The group button's hit test follows the part's shape.
    EXPECT_TRUE(XP()->IsPointInGroupExpandButton(Rect(0, 0, 19, 19), POINT{9, 9}));
    EXPECT_FALSE(XP()->IsPointInGroupExpandButton(Rect(0, 0, 19, 19), POINT{0, 0})) << "a corner of a round part";
    EXPECT_FALSE(XP()->IsPointInGroupExpandButton(Rect(0, 0, 19, 19), POINT{25, 9}));
}

TEST_F(StandInThemes, ExpandButtonsAndCheckBoxesFallBackWhenTheirClassDoesNotOpen)
{
    g_fake.failing = {L"TreeView", L"ExplorerBar", L"Button"};
    const TcxStandardLookAndFeelPainter* standard = TcxStandardLookAndFeelPainter::Instance();
    auto same = [&](auto paint) {
        TPaintSurface themed(20, 20), plain(20, 20);
        paint(XP(), themed.canvas);
        paint(standard, plain.canvas);
        return themed.SameAs(plain);
    };
    EXPECT_TRUE(same([](auto p, TcxCanvas& c) { p->PaintExpandButton(c, Rect(2, 2, 14, 14), clDefault, true); }));
    EXPECT_TRUE(same([](auto p, TcxCanvas& c) { p->PaintGroupExpandButton(c, Rect(0, 0, 15, 15), cxbsHot, false); }));
    EXPECT_TRUE(same([](auto p, TcxCanvas& c) { p->PaintCheckBox(c, Rect(2, 2, 15, 15), true, cxbsNormal); }));
    EXPECT_EQ(standard->ExpandButtonSize(), XP()->ExpandButtonSize());
    EXPECT_EQ(standard->GroupExpandButtonSize(), XP()->GroupExpandButtonSize());
    EXPECT_TRUE(XP()->IsPointInGroupExpandButton(Rect(0, 0, 15, 15), POINT{0, 0})) << "the whole rectangle";
    EXPECT_TRUE(g_fake.backgrounds.empty());
}

TEST(SystemThemes, TheTestSystemDrawsCheckBoxesThroughItsTheme)
{
    ASSERT_TRUE(AreVisualStylesAvailable({totButton}));
    TPaintSurface themed(13, 13), standard(13, 13);
    TcxWinXPLookAndFeelPainter::Instance()->PaintCheckBox(themed.canvas, Rect(0, 0, 13, 13), true, cxbsNormal);
    TcxStandardLookAndFeelPainter::Instance()->PaintCheckBox(standard.canvas, Rect(0, 0, 13, 13), true, cxbsNormal);
    EXPECT_FALSE(themed.SameAs(standard)) << "the theme's check box, not the standard one";
    EXPECT_LT(themed.Count(RGB(255, 0, 255)), 13 * 13 / 2) << "something was drawn";
}

TEST_F(StandInThemes, PartsForAnotherDensityComeFromAThemeOpenedForIt)
{
    const int system = SystemDpi(), other = system == 192 ? 144 : 192;
    HTHEME plain = OpenTheme(totButton);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain, OpenThemeForDpi(totButton, system)) << "the system's density: the class's theme";
    HTHEME dense = OpenThemeForDpi(totButton, other);
    EXPECT_TRUE(std::find(g_fake.resolved.begin(), g_fake.resolved.end(), "OpenThemeDataForDpi") != g_fake.resolved.end())
        << "looked up when first needed";
    ASSERT_TRUE(dense);
    EXPECT_NE(plain, dense);
    EXPECT_EQ(L"Button@" + std::to_wstring(other), g_fake.opened.back());
    const size_t opened = g_fake.opened.size();
    EXPECT_EQ(dense, OpenThemeForDpi(totButton, other)) << "kept";
    EXPECT_EQ(opened, g_fake.opened.size());
    // A painter drawing for that density asks for it.
    TPaintSurface surface(75, 25);
    surface.canvas.SetDpi(other);
    XP()->PaintButton(surface.canvas, Rect(0, 0, 75, 25), L"OK", cxbsNormal);
    EXPECT_EQ(opened, g_fake.opened.size()) << "the kept theme served the painter";
    EXPECT_EQ(dense, g_fake.drawnWith);
    surface.canvas.SetDpi(system);
    XP()->PaintButton(surface.canvas, Rect(0, 0, 75, 25), L"OK", cxbsNormal);
    EXPECT_EQ(plain, g_fake.drawnWith);
    CloseAllThemes();
    EXPECT_TRUE(std::find(g_fake.closed.begin(), g_fake.closed.end(), dense) != g_fake.closed.end());
}
