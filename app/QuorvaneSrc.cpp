#include "app/QuorvaneSrc.h"

#include "app/ControlIds.h"
#include "app/HelpSrc.h"
#include "app/InputFileNameSrc.h"
#include "core/ConfigStore.h"
#include "framework/Handles.h"

namespace qv::app {

namespace {

const wchar_t kNetworkPanelCommand[] = L"RunDLL32.exe Shell32.dll,Control_RunDLL ncpa.cpl";

} // namespace

TQuorvane::TQuorvane(TComponent* owner) : TForm(owner)
{
    SetName(L"Quorvane");
    SetCaption(L"Quorvane");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(biSystemMenu);
    SetPosition(TPosition::poScreenCenter);
    Font().SetName(L"SimSun");
    Font().SetHeight(-12);
    SetColor(clBtnFace);
    SetClientSize(440, 134);
    OnCreate = [this](TObject* s) { FormCreate(s); };

    // Wider than the client area on purpose: its right bevel is cut off.
    Panel1 = new TPanel(this);
    Panel1->SetName(L"Panel1");
    Panel1->SetControlId(idPanel1);
    Panel1->SetBounds(0, 0, 449, 65);
    Panel1->SetBevelInner(TBevelCut::bvRaised);
    Panel1->SetBevelOuter(TBevelCut::bvLowered);
    Panel1->SetParent(this);

    ConfigList = new TConfigList(this);
    ConfigList->SetName(L"ConfigList");
    ConfigList->SetControlId(idConfigList);
    ConfigList->SetBounds(14, 21, 347, 20);
    ConfigList->Properties().SetDropDownListStyle(lsFixedList);
    ConfigList->SetParent(Panel1);

    SwitchBT = NewButton(Panel1, L"SwitchBT", idSwitchBT, Bounds(368, 11, 65, 41), L"切换", &TQuorvane::SwitchBTClick);
    SwitchBT->Font().SetColor(clRed);
    SwitchBT->Font().SetHeight(-16);

    NetCfgBT = NewButton(this, L"NetCfgBT", idNetCfgBT, Bounds(8, 76, 65, 25), L"修改设置", &TQuorvane::NetCfgBTClick);
    SaveBT = NewButton(this, L"SaveBT", idSaveBT, Bounds(80, 76, 65, 25), L"保存设置", &TQuorvane::SaveBTClick);
    ModifyNameBT = NewButton(this, L"ModifyNameBT", idModifyNameBT, Bounds(152, 76, 65, 25), L"修改名称",
                             &TQuorvane::ModifyNameBTClick);
    DelBT = NewButton(this, L"DelBT", idDelBT, Bounds(224, 76, 65, 25), L"删除设置", &TQuorvane::DelBTClick);
    HelpBT = NewButton(this, L"HelpBT", idHelpBT, Bounds(296, 76, 65, 25), L"帮助说明", &TQuorvane::HelpBTClick);
    CloseBT = NewButton(this, L"CloseBT", idCloseBT, Bounds(368, 76, 65, 25), L"关闭", &TQuorvane::CloseBTClick);

    StatusBar = new TStatusBar(this);
    StatusBar->SetName(L"StatusBar");
    StatusBar->SetControlId(idStatusBar);
    StatusBar->SetBounds(0, 111, 440, 23);
    StatusBar->SetParent(this);
    StatusBar->SetPanelWidths({250, 250});

    SwitchBT->SetTabOrder(0);
    ConfigList->SetTabOrder(1);
    Panel1->SetTabOrder(0);
    SaveBT->SetTabOrder(1);
    DelBT->SetTabOrder(2);
    HelpBT->SetTabOrder(3);
    CloseBT->SetTabOrder(4);
    ModifyNameBT->SetTabOrder(5);
    StatusBar->SetTabOrder(6);
    NetCfgBT->SetTabOrder(7);
}

TCommandButton* TQuorvane::NewButton(TWinControl* parent, const wchar_t* name, int id, RECT bounds,
                                     const wchar_t* caption, void (TQuorvane::*handler)(TObject*))
{
    auto button = new TCommandButton(this);
    button->SetName(name);
    button->SetControlId(id);
    button->SetBounds(bounds.left, bounds.top, qv::Width(bounds), qv::Height(bounds));
    button->SetCaption(caption);
    button->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
    button->SetParent(parent);
    return button;
}

void TQuorvane::SetStatus(const std::wstring& text)
{
    StatusBar->SetPanelText(0, text);
}

void TQuorvane::SetBusyCursor(bool busy)
{
    Screen->SetCursor(busy ? crHourGlass : crDefault);
}

void TQuorvane::FormCreate(TObject*)
{
    core::SetProgramDir(core::ExecutableDirectory());
    RefreshConfigList();
}

void TQuorvane::RefreshConfigList()
{
    ConfigList->SetText(L"");
    ConfigList->Items().BeginUpdate();
    ConfigList->Items().Clear();
    for (const auto& name : core::ListConfigNames())
        ConfigList->Items().Add(name);
    ConfigList->Items().EndUpdate();
    if (ConfigList->Items().Count() == 0) {
        SwitchBT->SetEnabled(false);
        ModifyNameBT->SetEnabled(false);
        DelBT->SetEnabled(false);
        ShowHelp();
    } else {
        ConfigList->SetItemIndex(0);
        SwitchBT->SetEnabled(true);
        ModifyNameBT->SetEnabled(true);
        DelBT->SetEnabled(true);
    }
}

void TQuorvane::SaveBTClick(TObject*)
{
    core::CommandLine().clear();
    if (AskName(core::CommandLine()) != 1)
        return;
    core::CaptureConfig(core::CommandLine(), Handle(), *this, [this] { RefreshConfigList(); });
}

void TQuorvane::SwitchBTClick(TObject*)
{
    core::ApplyConfig(ConfigList->Text(), Handle(), *this);
}

void TQuorvane::ModifyNameBTClick(TObject*)
{
    const std::wstring oldName = ConfigList->Text();
    core::CommandLine() = oldName;
    if (AskName(core::CommandLine()) != 1)
        return;
    const std::wstring newName = core::CommandLine();
    if (newName == oldName)
        return;
    if (!core::IsValidConfigName(newName)) {
        SetStatus(core::kStatusInvalidName);
        return;
    }
    if (core::RenameConfig(oldName, newName)) {
        RefreshConfigList();
        SetStatus(L"修改完成。");
    } else {
        SetStatus(L"修改配置文件名出错，无法修改！");
    }
}

void TQuorvane::DelBTClick(TObject*)
{
    const std::wstring name = ConfigList->Text();
    const std::wstring question = L"确认删除配置文件 " + name + L".NCF" + L" ？   ";
    if (MessageBoxW(Handle(), question.c_str(), L"警告", MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    if (core::DeleteConfig(name)) {
        RefreshConfigList();
        SetStatus(L"配置文件已删除。");
    } else {
        SetStatus(L"删除配置文件出错，删除失败！");
    }
}

void TQuorvane::NetCfgBTClick(TObject*)
{
    // The system's own network panel; nothing is waited for or read back.
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    std::wstring command = kNetworkPanelCommand;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        const TProcess panel(pi);
    }
    core::DeleteScript();
}

void TQuorvane::HelpBTClick(TObject*) { ShowHelp(); }

void TQuorvane::CloseBTClick(TObject*) { Close(); }

} // namespace qv::app
