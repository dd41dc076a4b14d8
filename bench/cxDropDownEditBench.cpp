// Opening and closing a popup edit's popup, against showing and hiding a plain
// window of the same size in the same run:
//  - open: from DropDown until the posted show request is handled and neither the
//    popup nor any window inside it has anything left to paint;
//  - close: from CloseUp until the popup is hidden.
// The plain window is a pre-created borderless top-level window that paints a frame;
// it is shown with SW_SHOWNA and UpdateWindow and hidden with SW_HIDE. The popup is
// created by a first opening before the timing starts and reused from then on. The
// popup takes the activation and the focus; for scale, the plain window is also
// timed shown activated (SW_SHOW) and hidden again.
#include "BenchSupport.h"
#include "controls/dropdown/cxDropDownEdit.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

#include <cstdio>

using namespace qv;

namespace {

LRESULT CALLBACK FrameWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT r;
        GetClientRect(wnd, &r);
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        EndPaint(wnd, &ps);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND CreateFrameWindow(const RECT& bounds)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"QvBenchFrameWindow";
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP, bounds.left,
                           bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// Shown, and nothing left to paint in the window or in any window inside it.
bool FullyPainted(HWND wnd)
{
    if (!IsWindowVisible(wnd) || GetUpdateRect(wnd, nullptr, FALSE))
        return false;
    for (HWND child = GetWindow(wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && !FullyPainted(child))
            return false;
    return true;
}

// Dispatches messages until done() holds, for at most two seconds.
template <class F>
bool PumpUntil(F done)
{
    const double end = bench::Now() + 2.0;
    while (!done()) {
        if (bench::Now() > end)
            return false;
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

void Drain()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

int main()
{
    Application->Initialize();
    std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
    form->SetBounds(100, 100, 320, 240);
    form->Font().SetName(L"SimSun");
    form->Font().SetHeight(-12);

    // The popup's control: a panel with two plain controls.
    auto panel = new TPanel(form.get());
    panel->SetBounds(0, 0, 200, 120);
    panel->SetVisible(false);
    panel->SetParent(form.get());
    auto text = new TEdit(form.get());
    text->SetBounds(8, 8, 184, 21);
    text->SetParent(panel);
    auto button = new TButton(form.get());
    button->SetBounds(8, 40, 75, 25);
    button->SetCaption(L"OK");
    button->SetParent(panel);

    auto edit = new TcxPopupEdit(form.get());
    edit->SetBounds(10, 10, 121, 21);
    edit->SetParent(form.get());
    edit->Properties().SetPopupControl(panel);
    // A combo box's list popup: it neither takes the activation nor the focus.
    auto combo = new TcxComboBox(form.get());
    combo->SetBounds(10, 40, 121, 21);
    combo->SetParent(form.get());
    for (int i = 0; i < 8; ++i)
        combo->Items().Add(L"配置" + std::to_wstring(i));
    form->Show();
    edit->SetFocus();
    Drain();

    // The bench's own loop stands in for the popup's local one, so that it can look
    // at the popup between two messages.
    TcxCustomEditPopupWindow& popup = edit->PopupWindow();
    popup.SetModalLoop(false);
    auto open = [&] {
        edit->DropDown();
        return PumpUntil([&] { return edit->DroppedDown() && FullyPainted(popup.Handle()); });
    };
    auto close = [&] {
        edit->CloseUp(false);
        return PumpUntil([&] { return !IsWindowVisible(popup.Handle()); });
    };
    auto openList = [&] {
        combo->DropDown();
        return PumpUntil(
            [&] { return combo->DroppedDown() && FullyPainted(combo->PopupWindow().Handle()); });
    };
    auto closeList = [&] {
        combo->CloseUp(false);
        return PumpUntil([&] { return !IsWindowVisible(combo->PopupWindow().Handle()); });
    };
    if (!open() || !close()) {
        std::printf("the popup did not open and close\n");
        return 1;
    }
    Drain();
    RECT bounds{};
    GetWindowRect(popup.Handle(), &bounds);
    HWND frame = CreateFrameWindow(bounds);

    std::vector<double> popupOpen, popupClose, frameShow, frameHide, activeShow, activeHide, listOpen, listClose;
    const int rounds = 200, warmUp = 20;
    for (int round = 0; round < rounds + warmUp; ++round) {
        const double start = bench::Now();
        if (!open()) {
            std::printf("the popup did not open in round %d\n", round);
            return 1;
        }
        const double opened = bench::Now();
        close();
        const double closed = bench::Now();
        Drain();

        const double showing = bench::Now();
        ShowWindow(frame, SW_SHOWNA);
        UpdateWindow(frame);
        PumpUntil([&] { return FullyPainted(frame); });
        const double shown = bench::Now();
        ShowWindow(frame, SW_HIDE);
        const double hidden = bench::Now();
        Drain();

        // For scale: the same window shown activated, as the popup is.
        const double activating = bench::Now();
        ShowWindow(frame, SW_SHOW);
        UpdateWindow(frame);
        PumpUntil([&] { return FullyPainted(frame); });
        const double activated = bench::Now();
        ShowWindow(frame, SW_HIDE);
        const double deactivated = bench::Now();
        combo->SetFocus();
        Drain();
        const double listing = bench::Now();
        if (!openList()) {
            std::printf("the combo box's list did not open in round %d\n", round);
            return 1;
        }
        const double listed = bench::Now();
        closeList();
        const double unlisted = bench::Now();
        edit->SetFocus();
        Drain();
        if (round < warmUp)
            continue;
        listOpen.push_back(listed - listing);
        listClose.push_back(unlisted - listed);
        activeShow.push_back(activated - activating);
        activeHide.push_back(deactivated - activated);
        popupOpen.push_back(opened - start);
        popupClose.push_back(closed - opened);
        frameShow.push_back(shown - showing);
        frameHide.push_back(hidden - shown);
    }
    DestroyWindow(frame);

    const double o = bench::Median(popupOpen), c = bench::Median(popupClose);
    const double s = bench::Median(frameShow), h = bench::Median(frameHide);
    std::printf("popup size %ld x %ld, %d rounds\n", bounds.right - bounds.left, bounds.bottom - bounds.top, rounds);
    std::printf("plain window, show and paint:       %8.1f us\n", s * 1e6);
    std::printf("popup edit, DropDown to painted:    %8.1f us, %.2f x plain\n", o * 1e6, o / s);
    std::printf("plain window, hide:                 %8.1f us\n", h * 1e6);
    std::printf("popup edit, CloseUp to hidden:      %8.1f us, %.2f x plain\n", c * 1e6, c / h);
    RECT list{};
    GetWindowRect(combo->PopupWindow().Handle(), &list);
    const double lo = bench::Median(listOpen), lc = bench::Median(listClose);
    std::printf("combo box list (%ld x %ld), DropDown to painted: %8.1f us, %.2f x plain\n", list.right - list.left,
                list.bottom - list.top, lo * 1e6, lo / s);
    std::printf("combo box list, CloseUp to hidden:  %8.1f us, %.2f x plain\n", lc * 1e6, lc / h);
    // The popup edit's popup takes the activation and the focus; a plain window
    // that does so too shows what that alone costs.
    const double as = bench::Median(activeShow), ah = bench::Median(activeHide);
    std::printf("for scale, plain window activated:  show %.1f us (%.2f x plain), hide %.1f us (%.2f x plain)\n",
                as * 1e6, as / s, ah * 1e6, ah / h);
    return 0;
}
