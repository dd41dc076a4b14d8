#include "FrameworkTestSupport.h"

#include "framework/ComCtrls.h"
#include "framework/Exceptions.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "support/ScreenCheck.h"
#include "support/UserInput.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

using namespace qv;
using namespace qvtest;

namespace {

// A form on screen for the controls under test; freed with everything on it.
struct FormFixture : ::testing::Test {
    TForm* form = nullptr;
    void SetUp() override
    {
        form = NewForm<TForm>(nullptr);
        form->SetClientSize(300, 200);
        form->SetCaption(L"controls");
        form->Show();
    }
    void TearDown() override
    {
        // What the test left on the form is what the form draws.
        EXPECT_SCREEN_FRESH();
        delete form;
    }
};

// A button that answers the reflected notification on its own.
class TReflectingButton : public TButton {
public:
    using TButton::TButton;
    int reflected = 0;
    void WndProc(TMessage& m) override
    {
        if (m.Msg == CN_COMMAND)
            ++reflected;
        TButton::WndProc(m);
    }
};

} // namespace

using Controls = FormFixture;

TEST_F(Controls, ClickOfANativeButtonIsReflectedToTheButtonAndFiresOnClick)
{
    auto b = new TReflectingButton(form);
    b->SetParent(form);
    b->SetCaption(L"按钮");
    int clicks = 0;
    b->OnClick = [&](TObject* s) {
        EXPECT_EQ(b, s);
        ++clicks;
    };
    SendMessageW(b->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, b->reflected);
    EXPECT_EQ(1, clicks);
    // The native procedure still answers what the framework does not handle.
    wchar_t text[16] = {};
    SendMessageW(b->Handle(), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"按钮", text);
}

TEST_F(Controls, EnabledAndFontChangesReachTheWindowAndTheControl)
{
    auto c = new TRecordingControl(form);
    c->SetParent(form);
    c->SetBounds(0, 0, 50, 20);
    c->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(c->Handle()));
    EXPECT_EQ(1, c->Count(CM_ENABLEDCHANGED));
    c->SetEnabled(false);
    EXPECT_EQ(1, c->Count(CM_ENABLEDCHANGED)) << "no notification without a change";
    c->Font().SetHeight(-16);
    EXPECT_EQ(1, c->Count(CM_FONTCHANGED));
    EXPECT_FALSE(c->ParentFont());
    EXPECT_EQ(reinterpret_cast<WPARAM>(c->Font().Handle()),
              static_cast<WPARAM>(SendMessageW(c->Handle(), WM_GETFONT, 0, 0)));
}

TEST_F(Controls, ChildrenFollowTheParentFontUntilTheyGetTheirOwn)
{
    auto follower = new TButton(form);
    follower->SetParent(form);
    auto own = new TButton(form);
    own->SetParent(form);
    own->Font().SetColor(clRed);
    form->Font().SetHeight(-20);
    EXPECT_EQ(-20, follower->Font().Height());
    EXPECT_NE(-20, own->Font().Height());
}

TEST_F(Controls, TabOrderIsTheWindowOrderTheDialogManagerWalks)
{
    auto a = new TButton(form);
    auto b = new TButton(form);
    auto c = new TButton(form);
    for (auto x : {a, b, c})
        x->SetParent(form);
    c->SetTabOrder(0);
    a->SetTabOrder(2);
    EXPECT_EQ(0, c->TabOrder());
    EXPECT_EQ(1, b->TabOrder());
    EXPECT_EQ(2, a->TabOrder());
    HWND first = GetWindow(form->Handle(), GW_CHILD);
    EXPECT_EQ(c->Handle(), first);
    EXPECT_EQ(b->Handle(), GetWindow(first, GW_HWNDNEXT));
    EXPECT_EQ(a->Handle(), GetNextDlgTabItem(form->Handle(), b->Handle(), FALSE));
}

TEST_F(Controls, AlignedChildrenFillTheParent)
{
    auto top = new TPanel(form);
    top->SetHeight(50);
    top->SetAlign(TAlign::alTop);
    top->SetParent(form);
    auto rest = new TPanel(form);
    rest->SetAlign(TAlign::alClient);
    rest->SetParent(form);
    EXPECT_EQ(Rect(0, 0, 300, 50), top->BoundsRect());
    EXPECT_EQ(Rect(0, 50, 300, 200), rest->BoundsRect());
    form->SetClientSize(400, 300);
    EXPECT_EQ(Rect(0, 0, 400, 50), top->BoundsRect());
    EXPECT_EQ(Rect(0, 50, 400, 300), rest->BoundsRect());
}

TEST_F(Controls, RecreatingTheWindowKeepsTextBoundsAndChildren)
{
    auto panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 100, 50);
    auto b = new TButton(form);
    b->SetParent(panel);
    b->SetCaption(L"内");
    HWND old = panel->Handle();
    panel->RecreateWnd();
    EXPECT_NE(old, panel->Handle());
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(panel->Handle(), GetParent(b->Handle()));
    EXPECT_EQ(L"内", b->Text());
    RECT r;
    GetWindowRect(panel->Handle(), &r);
    EXPECT_EQ(100, r.right - r.left);
}

TEST_F(Controls, MovingToAnotherParentWindowKeepsTheWindowsUnlessTheyHoldTheFocus)
{
    auto left = new TPanel(form), right = new TPanel(form);
    left->SetParent(form);
    right->SetParent(form);
    right->SetBounds(150, 0, 150, 100);
    auto box = new TPanel(form);
    box->SetParent(left);
    box->SetBounds(5, 6, 80, 40);
    auto edit = new TEdit(form);
    edit->SetParent(box);
    edit->SetText(L"移动");
    auto first = new TButton(form);
    first->SetParent(right);
    const HWND boxWnd = box->Handle(), editWnd = edit->Handle();

    box->SetParent(right);
    EXPECT_EQ(boxWnd, box->Handle());
    EXPECT_EQ(editWnd, edit->Handle());
    EXPECT_EQ(right->Handle(), GetParent(boxWnd));
    EXPECT_EQ(L"移动", edit->Text());
    EXPECT_EQ(Rect(5, 6, 85, 46), box->BoundsRect());
    POINT origin{0, 0};
    MapWindowPoints(boxWnd, right->Handle(), &origin, 1);
    EXPECT_EQ(5, origin.x);
    EXPECT_EQ(6, origin.y);
    EXPECT_EQ(first->Handle(), GetWindow(right->Handle(), GW_CHILD)) << "the Z order is the tab order";
    EXPECT_EQ(boxWnd, GetWindow(first->Handle(), GW_HWNDNEXT));

    // A window with the focus in it is made anew, as are windows going nowhere.
    edit->SetFocus();
    ASSERT_EQ(editWnd, GetFocus());
    box->SetParent(left);
    EXPECT_FALSE(IsWindow(boxWnd));
    EXPECT_EQ(left->Handle(), GetParent(box->Handle()));
    EXPECT_EQ(L"移动", edit->Text());
    const HWND again = box->Handle();
    box->SetParent(nullptr);
    EXPECT_FALSE(IsWindow(again));
    EXPECT_FALSE(box->HandleAllocated());
}

TEST_F(Controls, ExceptionInAHandlerReachesTheApplicationAndTheWindowGoesOn)
{
    std::wstring seen;
    Application->OnException = [&](TObject*, const std::exception_ptr& e) { seen = TApplication::MessageOf(e); };
    auto b = new TButton(form);
    b->SetParent(form);
    b->OnClick = [](TObject*) { throw Exception(L"出错了"); };
    SendMessageW(b->Handle(), BM_CLICK, 0, 0);
    Application->OnException = nullptr;
    EXPECT_EQ(L"出错了", seen);
    EXPECT_TRUE(IsWindow(b->Handle()));
}

TEST_F(Controls, SilentAbortInAHandlerEndsItWithoutAMessage)
{
    int seen = 0;
    Application->OnException = [&](TObject*, const std::exception_ptr&) { ++seen; };
    auto b = new TButton(form);
    b->SetParent(form);
    b->OnClick = [](TObject*) { throw EAbort(); };
    SendMessageW(b->Handle(), BM_CLICK, 0, 0);
    Application->OnException = nullptr;
    EXPECT_EQ(0, seen) << "nothing reaches the handler that shows messages";
    EXPECT_TRUE(IsWindow(b->Handle()));
}

TEST_F(Controls, DestroyingAParentTakesItsChildrenAndTheirWindows)
{
    auto panel = new TPanel(form);
    panel->SetParent(form);
    auto b = new TButton(form);
    b->SetParent(panel);
    HWND bw = b->Handle();
    int count = form->ComponentCount();
    delete panel;
    EXPECT_FALSE(IsWindow(bw));
    EXPECT_EQ(count - 2, form->ComponentCount());
    EXPECT_EQ(nullptr, TWinControl::FindControl(bw));
}

TEST_F(Controls, StatusBarPanelTextIsReadableAtOnce)
{
    auto bar = new TStatusBar(form);
    bar->SetParent(form);
    bar->SetBounds(0, 177, 300, 23);
    bar->SetPanelWidths({250, 250});
    bar->SetPanelText(0, L"正在执行操作……");
    wchar_t text[64] = {};
    SendMessageW(bar->Handle(), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"正在执行操作……", text);
    EXPECT_EQ(2, static_cast<int>(SendMessageW(bar->Handle(), SB_GETPARTS, 0, 0)));
}

TEST_F(Controls, ComboBoxTextIsTheSelectedItem)
{
    auto combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 200, 20);
    combo->Items().Add(L"办公室");
    combo->Items().Add(L"家庭");
    EXPECT_EQ(L"", combo->Text());
    combo->SetItemIndex(1);
    EXPECT_EQ(L"家庭", combo->Text());
    combo->SetText(L"办公室");
    EXPECT_EQ(0, combo->ItemIndex());
    combo->SetText(L"");
    EXPECT_EQ(-1, combo->ItemIndex());
    combo->Items().Clear();
    EXPECT_EQ(0, static_cast<int>(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0)));
    RECT r;
    GetWindowRect(combo->Handle(), &r);
    EXPECT_EQ(20, combo->Height());
}

TEST_F(Controls, MemoShowsItsLinesAndKeepsThemReadOnly)
{
    auto memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetReadOnly(true);
    memo->Lines().Assign(std::vector<std::wstring>{L"第一行", L"", L"third"});
    EXPECT_EQ(L"第一行\r\n\r\nthird", memo->Text());
    EXPECT_TRUE(GetWindowLongW(memo->Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(3, static_cast<int>(SendMessageW(memo->Handle(), EM_GETLINECOUNT, 0, 0)));
}

TEST_F(Controls, HiddenWindowGetsItsMessages)
{
    std::vector<UINT> got;
    HWND wnd = AllocateHWnd([&](HWND self, TMessage& m) {
        got.push_back(m.Msg);
        m.Result = DefWindowProcW(self, m.Msg, m.WParam, m.LParam);
    });
    SendMessageW(wnd, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_NE(got.end(), std::find(got.begin(), got.end(), WM_SYSCOLORCHANGE));
    DeallocateHWnd(wnd);
    EXPECT_FALSE(IsWindow(wnd));
}

namespace {

// Keeps the characters a control is sent, with the phase it saw them in, and takes
// every 'x' before the control can type it.
class TCharacterHost : public IMessageHost {
public:
    std::wstring seen;
    bool InnerMessage(TMessage& m, TMessagePhase phase) override
    {
        if (m.Msg != WM_CHAR)
            return false;
        seen += phase == TMessagePhase::mpBefore ? L'<' : L'>';
        seen += static_cast<wchar_t>(m.WParam);
        return phase == TMessagePhase::mpBefore && m.WParam == L'x';
    }
};

} // namespace

TEST_F(Controls, AMessageHostSeesTypingAroundTheControlsOwnHandlingAndMayTakeIt)
{
    auto edit = new TEdit(form);
    edit->SetBounds(10, 10, 150, 22);
    edit->SetParent(form);
    TCharacterHost host;
    edit->SetMessageHost(&host);
    ASSERT_TRUE(input::BringToFront(form->Handle()));
    edit->SetFocus();
    auto typed = [&](const std::wstring& keys, const std::wstring& text) {
        input::Type(keys);
        const bool shown = PumpUntil([&] { return edit->Text() == text; });
        EXPECT_SCREEN_FRESH();
        return shown;
    };
    ASSERT_TRUE(typed(L"axb", L"ab"));
    EXPECT_EQ(L"<a>a<x<b>b", host.seen) << "before and after the edit's handling; 'x' never reached it";

    // A recorder put in front of the control later still reaches the host behind it,
    // and taking the recorder away leaves the host in place.
    int recorded = 0;
    edit->SetWindowProc([&, next = edit->WindowProc()](TMessage& m) {
        recorded += m.Msg == WM_CHAR;
        next(m);
    });
    ASSERT_TRUE(typed(L"xc", L"abc"));
    EXPECT_EQ(2, recorded);
    edit->SetWindowProc(nullptr);
    ASSERT_TRUE(typed(L"xd", L"abcd"));

    // Without a host the control types everything itself.
    edit->SetMessageHost(nullptr);
    host.seen.clear();
    ASSERT_TRUE(typed(L"x", L"abcdx"));
    EXPECT_EQ(L"", host.seen);
}
