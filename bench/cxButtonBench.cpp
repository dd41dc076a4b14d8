// Repainting one owner-drawn button (ultra-flat painter) against the system drawing
// the same native push button, in the same run: window invalidated, then painted.
#include "BenchSupport.h"
#include "controls/buttons/cxButtons.h"
#include "framework/Forms.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace qv;

namespace {

// Microseconds per repaint, median of several rounds.
double TimeRepaints(TWinControl* control, int count)
{
    std::vector<double> rounds;
    for (int r = 0; r < 7; ++r) {
        double start = bench::Now();
        for (int i = 0; i < count; ++i) {
            InvalidateRect(control->Handle(), nullptr, TRUE);
            UpdateWindow(control->Handle());
        }
        rounds.push_back((bench::Now() - start) * 1e6 / count);
    }
    return bench::Median(rounds);
}

} // namespace

int main()
{
    Application->Initialize();
    std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
    form->SetClientSize(200, 100);
    form->Font().SetName(L"SimSun");
    form->Font().SetHeight(-12);
    auto owner = new TcxButton(form.get());
    owner->SetBounds(10, 10, 75, 25);
    owner->SetCaption(L"保存设置");
    owner->SetParent(form.get());
    auto native = new TButton(form.get());
    native->SetBounds(100, 10, 75, 25);
    native->SetCaption(L"保存设置");
    native->SetParent(form.get());
    form->Show();
    Application->ProcessMessages();

    const int count = 2000;
    TimeRepaints(owner, 200);  // warm-up: fonts, brushes, the painter's colours
    TimeRepaints(native, 200);
    double ownerUs = TimeRepaints(owner, count);
    double nativeUs = TimeRepaints(native, count);
    SendMessageW(owner->Handle(), CM_MOUSEENTER, 0, 0);
    double hotUs = TimeRepaints(owner, count);
    std::printf("native push button, system drawing:   %7.2f us per repaint\n", nativeUs);
    std::printf("owner-drawn button, normal:           %7.2f us per repaint, %.2f x native\n", ownerUs,
                ownerUs / nativeUs);
    std::printf("owner-drawn button, hot:              %7.2f us per repaint, %.2f x native\n", hotUs,
                hotUs / nativeUs);
    return 0;
}
