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
BOOL WINAPI FakeIsThemeActive() { return g_fake.active; }
HRESULT WINAPI FakeDrawThemeBackground(HTHEME, HDC dc, int part, int state, const RECT* r, const RECT*)
{
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
