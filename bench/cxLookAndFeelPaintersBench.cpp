// PaintButton of a 75 x 25 button for each painter and state, in calls per second,
// against one FillRect plus one DrawText of the same size measured in the same run
// (rounds of the two interleaved). Prints figures only.
#include "BenchSupport.h"
#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "controls/lookandfeel/dxUxTheme.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace qv;

namespace {

// Median calls per second of each.
std::pair<double, double> CallsPerSecond(const std::function<void()>& painter, const std::function<void()>& bare,
                                         int callsPerRound = 500, int rounds = 11)
{
    auto [a, b] = bench::SecondsPerCall(painter, bare, callsPerRound, rounds);
    return {1.0 / a, 1.0 / b};
}

} // namespace

int main()
{
    TBitmap bitmap(100, 40);
    TcxCanvas canvas(&bitmap.Canvas());
    canvas.Font().SetName(L"SimSun");
    canvas.Font().SetHeight(-12);
    const RECT r = Rect(5, 5, 80, 30);
    const std::wstring caption = L"确定(&O)";
    HDC dc = canvas.Handle();
    canvas.Canvas()->RequireAll();
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    auto bare = [&] {
        FillRect(dc, &r, face);
        RECT t = r;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };

    const std::pair<const char*, TcxLookAndFeelPainterClass> painters[] = {
        {"standard", TcxStandardLookAndFeelPainter::Instance()},
        {"flat", TcxFlatLookAndFeelPainter::Instance()},
        {"ultra-flat", TcxUltraFlatLookAndFeelPainter::Instance()},
    };
    const std::pair<const char*, TcxButtonState> states[] = {
        {"default", cxbsDefault}, {"normal", cxbsNormal}, {"hot", cxbsHot},
        {"pressed", cxbsPressed}, {"disabled", cxbsDisabled},
    };
    std::printf("PaintButton 75 x 25 with a caption, against FillRect + DrawText of the same size\n");
    std::printf("%-12s %-10s %14s %14s %8s\n", "painter", "state", "calls/s", "bare calls/s", "ratio");
    for (auto [name, painter] : painters)
        for (auto [stateName, state] : states) {
            auto [calls, bareCalls] =
                CallsPerSecond([&, painter = painter, state = state] { painter->PaintButton(canvas, r, caption, state); },
                               bare);
            std::printf("%-12s %-10s %14.0f %14.0f %8.2f\n", name, stateName, calls, bareCalls, bareCalls / calls);
        }
    std::printf("(ratio: time of one PaintButton over time of the bare pair)\n");

    // The themed painter against one DrawThemeBackground plus DrawThemeText of the same
    // size with a handle opened once: what the theme cache leaves to pay.
    if (HTHEME theme = OpenTheme(totButton)) {
        auto themedBare = [&] {
            dxDrawThemeBackground(theme, dc, dxtpPushButton, 1, r, &r);
            dxDrawThemeText(theme, dc, dxtpPushButton, 1, caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE, r);
        };
        std::printf("\nThemed PaintButton 75 x 25, against DrawThemeBackground + DrawThemeText of the same size\n");
        std::printf("%-12s %-10s %14s %14s %8s\n", "painter", "state", "calls/s", "bare calls/s", "ratio");
        for (auto [stateName, state] : states) {
            auto [calls, bareCalls] = CallsPerSecond(
                [&, state = state] { TcxWinXPLookAndFeelPainter::Instance()->PaintButton(canvas, r, caption, state); },
                themedBare);
            std::printf("%-12s %-10s %14.0f %14.0f %8.2f\n", "themed", stateName, calls, bareCalls, bareCalls / calls);
        }
    } else {
        std::printf("\nNo visual styles here: the themed painter is not measured.\n");
    }
    DeleteObject(face);
    return 0;
}
