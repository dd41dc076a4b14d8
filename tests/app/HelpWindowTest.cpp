// The windows' font and the help window's text, as a user sees them: texts are laid
// out for SimSun's metrics, and the help window must show all of its lines.
#include "AppDriver.h"

#include "app/ControlIds.h"
#include "framework/Graphics.h"

#include <gtest/gtest.h>

using namespace qvtest;
using namespace qv::app;

namespace {

struct Measured {
    TEXTMETRICW metrics{};
    std::vector<int> advances;
    std::wstring missing;
};

Measured MeasureSimSun(BYTE charset, const std::wstring& text)
{
    Measured m;
    const qv::TWindowDC screen(nullptr);
    const qv::TGdiObject font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, 0, 0, 0, 0, L"SimSun"));
    HDC dc = screen.Get();
    HGDIOBJ old = SelectObject(dc, font.Get());
    GetTextMetricsW(dc, &m.metrics);
    for (wchar_t c : text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, &c, 1, &size);
        m.advances.push_back(size.cx);
        WORD glyph = 0;
        if (GetGlyphIndicesW(dc, &c, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) != 1 || glyph == 0xFFFF)
            m.missing += c;
    }
    SelectObject(dc, old);
    return m;
}

} // namespace

TEST(WindowFont, SimSunHasItsOwnMetricsInEveryCharacterSetTheWindowsUse)
{
    const std::wstring halfWidth = L"AWi1 (/", fullWidth = L"汉删①②③○，；：（）“”。、";
    for (BYTE charset : {BYTE(DEFAULT_CHARSET), BYTE(ANSI_CHARSET), BYTE(GB2312_CHARSET)}) {
        SCOPED_TRACE(testing::Message() << "character set " << int(charset));
        const Measured half = MeasureSimSun(charset, halfWidth), full = MeasureSimSun(charset, fullWidth);
        EXPECT_EQ(12, half.metrics.tmHeight + half.metrics.tmExternalLeading) << "one line";
        EXPECT_EQ(std::vector<int>(halfWidth.size(), 6), half.advances);
        EXPECT_EQ(std::vector<int>(fullWidth.size(), 12), full.advances);
        EXPECT_TRUE(full.missing.empty()) << full.missing.size() << " glyphs missing";
    }
}

TEST(HelpWindow, ShowsAllTwentyLinesUnwrapped)
{
    AppDriver app;
    app.Start();
    HWND help = app.WaitWindow(L"帮助说明");
    ASSERT_TRUE(help);
    // The memo's text window is inside the memo control.
    HWND memo = GetWindow(ChildById(help, idHelpMemo), GW_CHILD);
    ASSERT_TRUE(memo);

    EXPECT_EQ(20, SendMessageW(memo, EM_GETLINECOUNT, 0, 0)) << "a line wrapped";
    EXPECT_EQ(0, SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0));
    auto top = [&](int line) {
        const LRESULT index = SendMessageW(memo, EM_LINEINDEX, line, 0);
        return static_cast<int>(static_cast<short>(HIWORD(SendMessageW(memo, EM_POSFROMCHAR, index, 0))));
    };
    EXPECT_EQ(12, top(1) - top(0));
    EXPECT_EQ(19 * 12, top(19) - top(0));
    RECT client;
    GetClientRect(memo, &client);
    EXPECT_LE(top(19) + 12, client.bottom) << "the date line is cut off";

    AppDriver::Click(ChildById(help, idHelpOKBT));
    EXPECT_TRUE(app.Main());
}
