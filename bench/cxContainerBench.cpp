// Repainting a 121 x 21 container that hosts a native edit against a native edit with
// a client edge and the same text, both real child windows repainted with their
// children, rounds interleaved in one run.
#include "BenchSupport.h"
#include "controls/container/cxContainer.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <cstdio>

using namespace qv;

int main()
{
    Application->Initialize();
    std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
    form->SetClientSize(300, 100);
    auto box = new TcxContainer(form.get());
    box->SetBounds(10, 10, 121, 21);
    box->SetParent(form.get());
    auto inner = new TEdit(form.get());
    inner->SetBorderStyle(TBorderStyle::bsNone);
    inner->SetText(L"192.168.1.10 办公室");
    box->SetInnerControl(inner);
    auto native = new TEdit(form.get());
    native->SetBounds(150, 10, 121, 21);
    native->SetText(L"192.168.1.10 办公室");
    native->SetParent(form.get());
    form->Show();
    // Neither edit has the focus: no caret to hide and show around each paint.
    SetFocus(form->Handle());
    Application->ProcessMessages();

    auto repaint = [](TWinControl* c) {
        return [c] { RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); };
    };
    // The first paints of new windows under Wine cost more for a while: settle first.
    for (double end = bench::Now() + 1.0; bench::Now() < end;) {
        repaint(box)();
        repaint(native)();
    }
    auto [boxSeconds, nativeSeconds] = bench::SecondsPerCall(repaint(box), repaint(native), 200, 25);
    std::printf("native EDIT with client edge:      %7.2f us per repaint\n", nativeSeconds * 1e6);
    std::printf("container hosting a native edit:   %7.2f us per repaint, %.2f x native\n", boxSeconds * 1e6,
                boxSeconds / nativeSeconds);
    return 0;
}
