// DrawCaption and FrameSides per call, against the bare system calls they wrap,
// measured in the same run on the same 32-bit memory bitmap. Prints figures only.
#include "BenchSupport.h"
#include "controls/lookandfeel/cxGraphics.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace qv;

namespace {

// Median nanoseconds per call of each.
std::pair<double, double> NsPerCall(const std::function<void()>& library, const std::function<void()>& bare,
                                    int callsPerRound = 1000, int rounds = 15)
{
    auto [a, b] = bench::SecondsPerCall(library, bare, callsPerRound, rounds, 200);
    return {a * 1e9, b * 1e9};
}

void Report(const char* what, std::pair<double, double> t)
{
    std::printf("%-44s %9.0f ns/call   bare %9.0f ns/call   ratio %.2f\n", what, t.first, t.second,
                t.first / t.second);
}

} // namespace

int main()
{
    TBitmap bitmap(200, 50);
    TcxCanvas canvas(&bitmap.Canvas());
    canvas.Font().SetName(L"Tahoma");
    canvas.Font().SetHeight(-11);
    canvas.Font().SetColor(clBtnText);
    canvas.FillRect(Rect(0, 0, 200, 50), clBtnFace);
    const RECT r = Rect(10, 10, 85, 35);
    const std::wstring caption = L"&Switch";
    HDC dc = canvas.Handle();
    canvas.Canvas()->RequireAll();

    std::printf("cxGraphics: library operations against the system calls they wrap\n");

    Report("DrawCaption, button flags (DrawText)",
           NsPerCall([&] { canvas.DrawCaption(caption, r, cxButtonCaptionFlags, true); },
                     [&] {
                         RECT rr = r;
                         DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rr,
                                   DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                     }));

    const std::wstring plain = L"Switch";
    const TcxTextFlags lineFlags = tfAlignHCenter | tfAlignVCenter | tfSingleLine;
    Report("DrawCaption, single line (ExtTextOut)",
           NsPerCall([&] { canvas.DrawCaption(plain, r, lineFlags, true); },
                     [&] {
                         ExtTextOutW(dc, r.left + 20, r.top + 6, ETO_CLIPPED, &r, plain.c_str(),
                                     static_cast<UINT>(plain.size()), nullptr);
                     }));

    Report("DrawCaption, disabled (two DrawText)",
           NsPerCall([&] { canvas.DrawCaption(caption, r, cxButtonCaptionFlags, false); },
                     [&] {
                         for (int i = 0; i < 2; ++i) {
                             RECT rr = Offsetted(r, i, i);
                             DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rr,
                                       DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                         }
                     }));

    HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
    auto fourFills = [&] {
        RECT sides[4] = {Rect(r.left, r.top, r.left + 1, r.bottom), Rect(r.right - 1, r.top, r.right, r.bottom),
                         Rect(r.left, r.top, r.right, r.top + 1), Rect(r.left, r.bottom - 1, r.right, r.bottom)};
        for (const RECT& s : sides)
            FillRect(dc, &s, brush);
    };
    Report("FrameSides, four sides (four FillRect)", NsPerCall([&] { canvas.FrameSides(r, clBtnShadow); }, fourFills));
    Report("DrawTwoColorFrame (vs four FillRect)",
           NsPerCall([&] { canvas.DrawTwoColorFrame(r, clBtnHighlight, cl3DDkShadow); }, fourFills));
    DeleteObject(brush);
    return 0;
}
