// Filling a combo box with 10,000 items, opening its list the first time and typing a
// prefix that finds an item near the end, against the system's drop-down list combo
// box doing the same three steps, in the same run. Each round makes a new control
// (so that the opening is a first one) and destroys it afterwards, outside the clock.
#include "BenchSupport.h"
#include "controls/dropdown/cxDropDownEdit.h"
#include "framework/Forms.h"

#include <cstdio>
#include <memory>

using namespace qv;

namespace {

constexpr int kItems = 10000;
const wchar_t kPrefix[] = L"配置99";

std::wstring ItemName(int i) { return L"配置" + std::to_wstring(i); }

// Lets the window and its children paint everything they have to.
void Settle(HWND wnd)
{
    Application->ProcessMessages();
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TypeInto(HWND wnd, const wchar_t* text)
{
    for (const wchar_t* c = text; *c; ++c) {
        SendMessageW(wnd, WM_CHAR, *c, 1);
        UpdateWindow(wnd);
    }
}

} // namespace

int main()
{
    Application->Initialize();
    std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
    form->SetBounds(50, 50, 420, 300);
    form->Font().SetName(L"SimSun");
    form->Font().SetHeight(-12);
    form->Show();
    Application->ProcessMessages();

    std::vector<std::wstring> names;
    for (int i = 0; i < kItems; ++i)
        names.push_back(ItemName(i));
    const int rounds = 7;
    std::vector<double> library, system, fill, open;
    bool libraryFound = true, systemFound = true;

    for (int r = 0; r < rounds; ++r) {
        {
            auto combo = new TcxComboBox(form.get());
            combo->SetBounds(10, 10, 200, 21);
            combo->Properties().SetDropDownListStyle(lsFixedList);
            combo->SetParent(form.get());
            combo->SetFocus();
            Settle(form->Handle());
            const double start = bench::Now();
            combo->Items().BeginUpdate();
            for (const std::wstring& name : names)
                combo->Items().Add(name);
            combo->Items().EndUpdate();
            combo->SetItemIndex(0);
            const double filled = bench::Now();
            combo->DropDown();
            while (!combo->DroppedDown())
                Application->ProcessMessages();
            Settle(combo->PopupWindow().Handle());
            const double opened = bench::Now();
            TypeInto(GetFocus(), kPrefix);
            Settle(combo->PopupWindow().Handle());
            library.push_back(bench::Now() - start);
            fill.push_back(filled - start);
            open.push_back(opened - filled);
            libraryFound = libraryFound && combo->Text() == L"配置99";
            combo->CloseUp(false);
            delete combo;
            Application->ProcessMessages();
        }
        {
            HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                                         10, 10, 200, 200, form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
            SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(form->Font().Handle()), FALSE);
            SetFocus(combo);
            Settle(form->Handle());
            const double start = bench::Now();
            SendMessageW(combo, CB_INITSTORAGE, kItems, kItems * 16);
            for (const std::wstring& name : names)
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
            SendMessageW(combo, CB_SETCURSEL, 0, 0);
            SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
            Settle(form->Handle());
            COMBOBOXINFO info{};
            info.cbSize = sizeof(info);
            GetComboBoxInfo(combo, &info);
            if (info.hwndList)
                UpdateWindow(info.hwndList);
            TypeInto(combo, kPrefix);
            if (info.hwndList)
                UpdateWindow(info.hwndList);
            system.push_back(bench::Now() - start);
            wchar_t text[64] = {};
            GetWindowTextW(combo, text, 64);
            systemFound = systemFound && std::wstring(text).rfind(L"配置", 0) == 0;
            SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
            DestroyWindow(combo);
            Application->ProcessMessages();
        }
    }
    const double a = bench::Median(library) * 1000, b = bench::Median(system) * 1000;
    std::printf("fill %d items, open the list, type a prefix (median of %d rounds)\n", kItems, rounds);
    std::printf("  library combo box: %8.1f ms%s\n", a, libraryFound ? "" : " (the prefix did not find its item)");
    std::printf("    of which filling %.1f ms, opening %.1f ms\n", bench::Median(fill) * 1000,
                bench::Median(open) * 1000);
    std::printf("  system combo box:  %8.1f ms%s\n", b, systemFound ? "" : " (the prefix did not find an item)");
    std::printf("  ratio: %.2f (goal: at most 1)\n", b > 0 ? a / b : 0.0);
    return 0;
}
