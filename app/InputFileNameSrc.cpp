#include "app/InputFileNameSrc.h"

#include "app/ControlIds.h"

namespace qv::app {

std::wstring& NameDialogText()
{
    static std::wstring text;
    return text;
}

int& NameDialogResult()
{
    static int result = 0;
    return result;
}

TFileName::TFileName(TComponent* owner) : TForm(owner)
{
    SetName(L"FileName");
    SetCaption(L"设置文件名称");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(0);
    Font().SetName(L"SimSun");
    Font().SetHeight(-12);
    SetColor(clBtnFace);
    SetClientSize(258, 78);
    OnShow = [this](TObject* s) { FormShow(s); };

    Edit = new TNameEdit(this);
    Edit->SetName(L"Edit");
    Edit->SetControlId(idNameEdit);
    Edit->SetBounds(8, 8, 241, 20);
    Edit->SetParent(this);

    OKBT = new TDialogButton(this);
    OKBT->SetName(L"OKBT");
    OKBT->SetControlId(idOKBT);
    OKBT->SetBounds(32, 40, 75, 25);
    OKBT->SetCaption(L"确定");
    OKBT->OnClick = [this](TObject* s) { OKBTClick(s); };
    OKBT->SetParent(this);

    CanceBT = new TDialogButton(this);
    CanceBT->SetName(L"CanceBT");
    CanceBT->SetControlId(idCanceBT);
    CanceBT->SetBounds(152, 40, 75, 25);
    CanceBT->SetCaption(L"取消");
    CanceBT->OnClick = [this](TObject* s) { CanceBTClick(s); };
    CanceBT->SetParent(this);

    Edit->SetTabOrder(0);
    OKBT->SetTabOrder(1);
    CanceBT->SetTabOrder(2);
}

void TFileName::FormShow(TObject*)
{
    // Centred, 135 pixels (at 96 DPI) below the middle of the screen, wherever the main
    // window is on it: the screen is the monitor that shows the main window.
    RECT screen = Rect(0, 0, Screen->Width(), Screen->Height());
    if (Application->MainForm() && Application->MainForm()->HandleAllocated()) {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (GetMonitorInfoW(MonitorFromWindow(Application->MainForm()->Handle(), MONITOR_DEFAULTTOPRIMARY), &info))
            screen = info.rcMonitor;
    }
    SetTop(screen.top + (qv::Height(screen) - Height()) / 2 + ScaleDpi(135, Dpi()));
    SetLeft(screen.left + (qv::Width(screen) - Width()) / 2);
    Edit->SetText(NameDialogText());
    Edit->Repaint();
}

void TFileName::OKBTClick(TObject*)
{
    NameDialogText() = Edit->Text();
    NameDialogResult() = 1;
    Close();
}

void TFileName::CanceBTClick(TObject*)
{
    NameDialogResult() = 2;
    Close();
}

int AskName(std::wstring& name)
{
    auto dialog = dynamic_cast<TFileName*>(Application->FindComponent(L"FileName"));
    if (!dialog)
        dialog = NewForm<TFileName>(Application);
    NameDialogText() = name;
    // Only OK sets 1: closing the dialog any other way counts as Cancel, also
    // after an earlier OK.
    NameDialogResult() = 2;
    try {
        dialog->ShowModal();
        name = NameDialogText();
    } catch (...) {
        delete dialog;
        throw;
    }
    delete dialog;
    return NameDialogResult();
}

} // namespace qv::app
