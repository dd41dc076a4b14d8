#include "support/ScreenCheck.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "support/MessageSequence.h"
#include "support/PngWriter.h"

#include <algorithm>
#include <climits>
#include <sstream>

namespace qvtest {

namespace {

constexpr UINT kFullRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;

bool Inside(const std::vector<RECT>& rects, int x, int y)
{
    const POINT p{x, y};
    return std::any_of(rects.begin(), rects.end(), [&](const RECT& r) { return PtInRect(&r, p) != 0; });
}

RECT OnScreen(HWND wnd)
{
    RECT r{}, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(wnd, &r);
    RECT cut{};
    IntersectRect(&cut, &r, &screen);
    return cut;
}

std::vector<HWND> VisibleTopLevel(DWORD processId)
{
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } s{processId, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto s = reinterpret_cast<Search*>(lp);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != s->pid || !IsWindowVisible(w))
                return TRUE;
            const RECT r = OnScreen(w);
            if (!IsRectEmpty(&r))
                s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The caret of each window's thread, in screen coordinates, a pixel larger.
std::vector<RECT> Carets(const std::vector<HWND>& windows)
{
    std::vector<RECT> carets;
    for (HWND w : windows) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) || !info.hwndCaret)
            continue;
        RECT r = info.rcCaret;
        MapWindowPoints(info.hwndCaret, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
        InflateRect(&r, 1, 1);
        carets.push_back(r);
    }
    return carets;
}

// Lets the windows' threads handle what is queued: this thread's by pumping, another
// process's by a sent message, which it answers once it reads its queue again.
void LetHandle(const std::vector<HWND>& windows, DWORD processId)
{
    if (processId == GetCurrentProcessId()) {
        if (qv::Application)
            qv::Application->ProcessMessages();
        return;
    }
    for (HWND w : windows) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
}

std::string Utf8(const std::wstring& s)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Describe(HWND wnd)
{
    wchar_t text[128] = {}, cls[64] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(wnd, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got);
    GetClassNameW(wnd, cls, 64);
    return "\"" + Utf8(text) + "\" (" + Utf8(cls) + ")";
}

std::wstring DumpName(int number, const char* what)
{
    std::string test = "window";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        test = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(test.begin(), test.end(), '/', '_');
    std::ostringstream name;
    name << "stale-" << test << "-" << number << "-" << what << ".png";
    const std::string s = name.str();
    return std::wstring(s.begin(), s.end());
}

} // namespace

TScreenShot TScreenShot::Read(const RECT& r)
{
    TScreenShot shot;
    shot.bounds = r;
    const int w = shot.Width(), h = shot.Height();
    if (w <= 0 || h <= 0)
        return shot;
    qv::TBitmap copy(w, h);
    {
        qv::TScreenCanvas screen;
        BitBlt(copy.Canvas().Handle(), 0, 0, w, h, screen.Handle(), r.left, r.top, SRCCOPY);
    }
    GdiFlush();
    shot.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    const std::uint32_t* bits = copy.Bits();
    for (size_t i = 0; i < shot.pixels.size(); ++i) {
        const std::uint32_t v = bits[i];  // 0x00RRGGBB
        shot.pixels[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    return shot;
}

TScreenShot TScreenShot::Settled(const RECT& r, int timeoutMs)
{
    GdiFlush();
    TScreenShot last = Read(r);
    const DWORD start = GetTickCount();
    while (static_cast<int>(GetTickCount() - start) < timeoutMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT);
        // This thread's windows go on with what is due meanwhile (a tracking timer).
        if (qv::Application)
            qv::Application->ProcessMessages();
        TScreenShot next = Read(r);
        if (next.pixels == last.pixels)
            return next;
        last = std::move(next);
    }
    return last;
}

COLORREF TScreenShot::At(int x, int y) const
{
    if (x < bounds.left || y < bounds.top || x >= bounds.right || y >= bounds.bottom)
        return CLR_INVALID;
    return pixels[static_cast<size_t>(y - bounds.top) * static_cast<size_t>(Width()) + static_cast<size_t>(x - bounds.left)];
}

bool TScreenShot::WritePng(const std::wstring& path) const
{
    if (Width() <= 0 || Height() <= 0)
        return false;
    qv::TBitmap bitmap(Width(), Height());
    std::uint32_t* bits = bitmap.Bits();
    for (size_t i = 0; i < pixels.size(); ++i)
        bits[i] = (static_cast<std::uint32_t>(GetRValue(pixels[i])) << 16)
            | (static_cast<std::uint32_t>(GetGValue(pixels[i])) << 8) | GetBValue(pixels[i]);
    return qvtest::WritePng(bitmap, path);
}

namespace {

::testing::AssertionResult Check(const std::vector<HWND>& windows, DWORD processId)
{
    if (windows.empty())
        return ::testing::AssertionSuccess();
    LetHandle(windows, processId);
    std::vector<TScreenShot> before;
    for (HWND w : windows)
        before.push_back(TScreenShot::Settled(OnScreen(w)));
    // The caret is asked for after the first read: it may have moved while the
    // screen settled.
    std::vector<RECT> carets = Carets(windows);

    for (HWND w : windows)
        if (IsWindow(w))
            RedrawWindow(w, nullptr, nullptr, kFullRepaint);
    LetHandle(windows, processId);

    for (size_t i = 0; i < windows.size(); ++i) {
        const TScreenShot after = TScreenShot::Settled(before[i].bounds);
        std::vector<RECT> skip = carets;
        for (const RECT& c : Carets(windows))
            skip.push_back(c);
        int differing = 0;
        RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
        POINT first{};
        for (int y = after.bounds.top; y < after.bounds.bottom; ++y)
            for (int x = after.bounds.left; x < after.bounds.right; ++x) {
                if (before[i].At(x, y) == after.At(x, y) || Inside(skip, x, y))
                    continue;
                if (differing++ == 0)
                    first = POINT{x, y};
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        if (differing == 0)
            continue;
        static int failures = 0;
        ++failures;
        const std::wstring screenFile = DumpName(failures, "screen"), repaintFile = DumpName(failures, "repainted");
        before[i].WritePng(screenFile);
        after.WritePng(repaintFile);
        const RECT& b = after.bounds;
        return ::testing::AssertionFailure()
            << "stale paint in " << Describe(windows[i]) << ": " << differing
            << " pixels differ after a full repaint, first at (" << first.x - b.left << ", " << first.y - b.top
            << ") of the window: screen " << Hex(before[i].At(first.x, first.y)) << ", repainted "
            << Hex(after.At(first.x, first.y)) << "; differences within (" << box.left - b.left << ", "
            << box.top - b.top << ")-(" << box.right - b.left << ", " << box.bottom - b.top << "); see "
            << Utf8(screenFile) << " and " << Utf8(repaintFile);
    }
    return ::testing::AssertionSuccess();
}

} // namespace

namespace {

bool Ink(COLORREF c) { return GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11 < 128 * 100; }

} // namespace

::testing::AssertionResult ShowsText(const RECT& region, const std::wstring& text, const wchar_t* fontName,
                                     int fontHeight)
{
    const TScreenShot shot = TScreenShot::Settled(region);
    const int W = shot.Width(), H = shot.Height();
    // Selected text is light on the highlight: inside the highlighted box, light
    // pixels are its ink. The caret of the foreground window is no ink.
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    RECT selected{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (shot.At(region.left + x, region.top + y) == highlight) {
                selected.left = std::min<LONG>(selected.left, x);
                selected.top = std::min<LONG>(selected.top, y);
                selected.right = std::max<LONG>(selected.right, x + 1);
                selected.bottom = std::max<LONG>(selected.bottom, y + 1);
            }
    std::vector<RECT> carets = Carets({GetForegroundWindow()});
    std::vector<char> seen(static_cast<size_t>(std::max(0, W * H)));
    int inkCount = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const COLORREF c = shot.At(region.left + x, region.top + y);
            const bool inSelection = PtInRect(&selected, POINT{x, y}) != 0;
            const bool ink = !Inside(carets, region.left + x, region.top + y)
                && (inSelection ? !Ink(c) : Ink(c));
            inkCount += seen[static_cast<size_t>(y * W + x)] = ink;
        }
    if (text.empty()) {
        if (inkCount == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << inkCount << " pixels of ink where no text should show";
    }
    // The text as it is drawn in the font, black on white.
    qv::TBitmap probe(1, 1);
    probe.Canvas().Font().SetName(fontName);
    probe.Canvas().Font().SetHeight(fontHeight);
    const SIZE size = probe.Canvas().TextExtent(text);
    qv::TBitmap drawn(std::max<LONG>(1, size.cx), std::max<LONG>(1, size.cy));
    drawn.Canvas().Font().SetName(fontName);
    drawn.Canvas().Font().SetHeight(fontHeight);
    // Drawn as the screen shows it: selected (light on the highlight) or plain.
    const bool selectedText = selected.right > selected.left;
    drawn.Canvas().Font().SetColor(selectedText ? qv::clHighlightText : qv::clBlack);
    drawn.Canvas().Brush().SetColor(selectedText ? qv::clHighlight : qv::clWhite);
    drawn.Canvas().FillRect(RECT{0, 0, drawn.Width(), drawn.Height()});
    SetBkMode(drawn.Canvas().Handle(), TRANSPARENT);
    drawn.Canvas().TextOut(0, 0, text);
    GdiFlush();
    const int w = drawn.Width(), h = drawn.Height();
    std::vector<char> want(static_cast<size_t>(w * h));
    int wantInk = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            wantInk += want[static_cast<size_t>(y * w + x)] = selectedText != Ink(drawn.PixelAt(x, y));
    // Rasterising a scaled font may differ in a pixel or two between two programs:
    // a few pixels may differ, far fewer than another text would.
    const int tolerance = std::max(2, wantInk / 25);
    int best = INT_MAX;
    for (int oy = 0; oy + h <= H; ++oy)
        for (int ox = 0; ox + w <= W; ++ox) {
            int differing = 0, inside = 0;
            for (int y = 0; y < h && differing <= tolerance; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool a = seen[static_cast<size_t>((oy + y) * W + ox + x)], b = want[static_cast<size_t>(y * w + x)];
                    differing += a != b;
                    inside += a;
                }
            // Ink outside the text's place counts too: the text must be alone.
            differing += inkCount - inside;
            best = std::min(best, differing);
            if (differing <= tolerance)
                return ::testing::AssertionSuccess();
        }
    static int failures = 0;
    const std::wstring file = DumpName(++failures, "text");
    shot.WritePng(file);
    return ::testing::AssertionFailure() << "the screen does not show \"" << Utf8(text) << "\" alone (" << inkCount
                                         << " pixels of ink in the region, the text has " << wantInk
                                         << "; at best " << best << " pixels differ; see " << Utf8(file) << ")";
}

::testing::AssertionResult ScreenMatchesRepaint(HWND top)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    if (!IsWindowVisible(top))
        return ::testing::AssertionSuccess();
    return Check({top}, pid);
}

::testing::AssertionResult ScreenMatchesRepaintOfProcess(DWORD processId)
{
    if (processId == 0)
        processId = GetCurrentProcessId();
    if (processId == GetCurrentProcessId() && qv::Application)
        qv::Application->ProcessMessages();
    return Check(VisibleTopLevel(processId), processId);
}

} // namespace qvtest
