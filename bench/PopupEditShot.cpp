// A form with a popup edit whose popup is open under it, for looking at: the popup
// holds a panel with a label-like edit and a button, and has the system panel with
// its size grip and close button. It stays open until the process is ended. The
// screen rectangles of the edit and the popup are printed once the popup shows.
#include "controls/dropdown/cxDropDownEdit.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

#include <cstdio>

using namespace qv;

int main()
{
    Application->Initialize();
    TForm* form = Application->CreateForm<TForm>();
    form->SetCaption(L"Popup edit");
    form->SetBounds(100, 100, 360, 300);
    form->Font().SetName(L"SimSun");
    form->Font().SetHeight(-12);

    auto panel = new TPanel(form);
    panel->SetBounds(0, 0, 220, 110);
    panel->SetVisible(false);
    panel->SetParent(form);
    auto text = new TEdit(form);
    text->SetBounds(8, 8, 204, 21);
    text->SetText(L"弹出窗口里的编辑框");
    text->SetParent(panel);
    auto button = new TButton(form);
    button->SetBounds(8, 40, 75, 25);
    button->SetCaption(L"确定");
    button->SetParent(panel);

    auto edit = new TcxPopupEdit(form);
    edit->SetBounds(20, 20, 160, 21);
    edit->SetParent(form);
    edit->SetText(L"办公室");
    TcxCustomPopupEditProperties& p = edit->Properties();
    p.SetPopupControl(panel);
    p.SetPopupSysPanelStyle(true);
    p.OnPopup = [&](TObject*) {
        RECT e{}, w{};
        GetWindowRect(edit->Handle(), &e);
        GetWindowRect(edit->PopupWindow().Handle(), &w);
        std::printf("edit  %ld,%ld - %ld,%ld\npopup %ld,%ld - %ld,%ld\n", e.left, e.top, e.right, e.bottom, w.left,
                    w.top, w.right, w.bottom);
        std::fflush(stdout);
    };

    form->Show();
    edit->SetFocus();
    edit->DropDown();
    Application->Run();
    return 0;
}
