// Two figures of the edit controls, each against the system's nearest control in the
// same run:
//  - a 121 x 21 edit with one button (view data, view info and paint on every
//    repaint) against a native drop-down combo box (an edit with a button);
//  - typing 1,000 characters into the text edit against typing them into a native
//    edit, each character a key down, character and key up to the focused window,
//    followed by UpdateWindow.
#include "BenchSupport.h"
#include "controls/edit/cxTextEdit.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <cstdio>

using namespace qv;

namespace {

// Sends one character as a user's key would arrive, then lets the window repaint.
void TypeChar(HWND wnd, wchar_t c)
{
    const SHORT scan = VkKeyScanW(c);
    const WORD vk = LOBYTE(scan);
    SendMessageW(wnd, WM_KEYDOWN, vk, 1);
    SendMessageW(wnd, WM_CHAR, c, 1);
    SendMessageW(wnd, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
    UpdateWindow(wnd);
}

} // namespace

int main()
{
    Application->Initialize();
    std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
    form->SetClientSize(320, 120);
    form->Font().SetName(L"SimSun");
    form->Font().SetHeight(-12);

    auto edit = new TcxTextEdit(form.get());
    edit->SetBounds(10, 10, 121, 21);
    edit->SetParent(form.get());
    edit->Properties().Buttons().Add();
    edit->SetText(L"办公室");
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 150, 10, 121, 200,
                                 form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(form->Font().Handle()), FALSE);
    SetWindowTextW(combo, L"办公室");

    auto typed = new TcxTextEdit(form.get());
    typed->SetBounds(10, 60, 121, 21);
    typed->SetParent(form.get());
    auto native = new TEdit(form.get());
    native->SetBounds(150, 60, 121, 21);
    native->SetParent(form.get());
    form->Show();
    SetFocus(form->Handle());
    Application->ProcessMessages();

    auto repaint = [](HWND wnd) {
        return [wnd] { RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); };
    };
    for (double end = bench::Now() + 1.0; bench::Now() < end;) {
        repaint(edit->Handle())();
        repaint(combo)();
    }
    auto [editSeconds, comboSeconds] = bench::SecondsPerCall(repaint(edit->Handle()), repaint(combo), 200, 25);
    std::printf("native drop-down combo box repaint:      %7.2f us\n", comboSeconds * 1e6);
    std::printf("edit with one button repaint:            %7.2f us, %.2f x native\n", editSeconds * 1e6,
                editSeconds / comboSeconds);

    // Typing: rounds of 100 characters into each, interleaved, each edit emptied
    // between rounds; ten rounds make the 1,000 characters.
    const std::wstring text = L"abcdefghij0123456789";
    HWND typedInner = typed->InnerControl()->Handle();
    std::vector<double> ours, theirs;
    for (int round = 0; round < 10; ++round)
        for (auto [wnd, samples] : {std::make_pair(typedInner, &ours), std::make_pair(native->Handle(), &theirs)}) {
            SetFocus(wnd);
            SetWindowTextW(wnd, L"");
            Application->ProcessMessages();
            const double start = bench::Now();
            for (int i = 0; i < 100; ++i)
                TypeChar(wnd, text[static_cast<size_t>(i) % text.size()]);
            samples->push_back((bench::Now() - start) / 100);
        }
    const double oursMedian = bench::Median(ours), theirsMedian = bench::Median(theirs);
    std::printf("native EDIT, per typed character:        %7.2f us\n", theirsMedian * 1e6);
    std::printf("text edit, per typed character:          %7.2f us, %.2f x native\n", oursMedian * 1e6,
                oursMedian / theirsMedian);
    return 0;
}
