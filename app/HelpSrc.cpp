#include "app/HelpSrc.h"

#include "app/ControlIds.h"

namespace qv::app {

const std::vector<std::wstring>& HelpLines()
{
    static const std::vector<std::wstring> lines = {
        L"Quorvane可以让你在Windows 2000/XP中保存多套网络(IP地址)设置，并且根",
        L"据不同的网络环境方便地切换到不同的设置。",
        L"",
        L"本软件为绿色软件，免费，无需安装即可运行。",
        L"",
        L"简要说明：",
        L"  首次使用时要先行保存不同工作环境下的网络设置，操作步骤如下：",
        L"",
        L"  假设你现在在单位使用电脑，现在的网络设置（不管是自动获取还是手工指定IP）",
        L"可以让你在办公室正常工作。",
        L"",
        L"①运行本程序，点击保存设置，设置文件名假设为“办公室”；",
        L"②打开Windows网络属性设置对话框，修改网络设置（例如在家里使用时的配置）；",
        L"③关闭所有Windows网络属性设置对话框，运行本程序，点击保存设置，设置文件名",
        L"  假设为“家庭”；",
        L"",
        L"设置即告完成，以后运行本程序时，选择相应的设置文件，点击“切换”即可。",
        L"",
        std::wstring(57, L' ') + L"Quorvane 开发组",
        std::wstring(54, L' ') + L"二○○四年二月二日",
    };
    return lines;
}

THelp::THelp(TComponent* owner) : TForm(owner)
{
    SetName(L"Help");
    SetCaption(L"帮助说明");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(0);
    SetPosition(TPosition::poScreenCenter);
    Font().SetName(L"SimSun");
    Font().SetHeight(-12);
    SetColor(clBtnFace);
    SetClientSize(454, 295);

    cxMemo1 = new THelpMemo(this);
    cxMemo1->SetName(L"cxMemo1");
    cxMemo1->SetControlId(idHelpMemo);
    cxMemo1->SetHeight(250);
    cxMemo1->SetAlign(TAlign::alTop);
    cxMemo1->Properties().SetReadOnly(true);
    cxMemo1->Lines().Assign(HelpLines());
    cxMemo1->SetParent(this);

    cxButton1 = new THelpButton(this);
    cxButton1->SetName(L"cxButton1");
    cxButton1->SetControlId(idHelpOKBT);
    cxButton1->SetBounds(192, 262, 75, 25);
    cxButton1->SetCaption(L"确定");
    cxButton1->SetModalResult(mrOk);
    cxButton1->SetParent(this);

    cxMemo1->SetTabOrder(0);
    cxButton1->SetTabOrder(1);
    OnShow = [this](TObject* s) { FormShow(s); };
}

bool MemoTextOverflows(HWND memo)
{
    const int lines = static_cast<int>(SendMessageW(memo, EM_GETLINECOUNT, 0, 0));
    if (lines < 2)
        return false;
    auto top = [memo](int line) {
        const LRESULT index = SendMessageW(memo, EM_LINEINDEX, line, 0);
        return static_cast<int>(static_cast<short>(HIWORD(SendMessageW(memo, EM_POSFROMCHAR, index, 0))));
    };
    // The line height is the distance between the first two lines (all lines are one font).
    const int first = top(0);
    const int height = top(1) - first;
    RECT client{};
    GetClientRect(memo, &client);
    return first + lines * height > client.bottom;
}

void THelp::FormShow(TObject*)
{
    // The layout is made for SimSun's 12-pixel lines: a departure from the memo's
    // settings (no scroll bars) only where the text would otherwise be cut off.
    TWinControl* inner = cxMemo1->InnerControl();
    if (inner && inner->HandleAllocated() && MemoTextOverflows(inner->Handle()))
        cxMemo1->Properties().SetScrollBars(ssVertical);
}

void ShowHelp()
{
    auto help = dynamic_cast<THelp*>(Application->FindComponent(L"Help"));
    if (!help)
        help = NewForm<THelp>(Application);
    try {
        help->ShowModal();
    } catch (...) {
        delete help;
        throw;
    }
    delete help;
}

} // namespace qv::app
