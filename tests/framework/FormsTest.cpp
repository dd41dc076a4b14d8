#include "FrameworkTestSupport.h"

#include "framework/Exceptions.h"
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace qv;
using namespace qvtest;

TEST(Forms, OnCreateRunsOnceTheFormIsBuilt)
{
    struct TMyForm : TForm {
        explicit TMyForm(TComponent* o) : TForm(o)
        {
            edit = new TEdit(this);
            OnCreate = [this](TObject*) { editAtCreate = edit; };
        }
        TEdit* edit;
        TEdit* editAtCreate = nullptr;
    };
    std::unique_ptr<TMyForm> f(NewForm<TMyForm>(nullptr));
    EXPECT_EQ(f->edit, f->editAtCreate);
}

TEST(Forms, ClientSizeIsTheClientAreaWhateverTheFrame)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    f->SetBorderStyle(TFormBorderStyle::bsSingle);
    f->SetBorderIcons(biSystemMenu);
    f->SetClientSize(440, 134);
    f->Show();
    RECT r;
    GetClientRect(f->Handle(), &r);
    EXPECT_EQ(440, r.right);
    EXPECT_EQ(134, r.bottom);
    LONG style = GetWindowLongW(f->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST(Forms, ScreenCentredFormIsCentredAndOnShowComesFirst)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    f->SetClientSize(200, 100);
    f->SetPosition(TPosition::poScreenCenter);
    bool visibleInOnShow = true;
    f->OnShow = [&](TObject*) { visibleInOnShow = IsWindowVisible(f->Handle()) != 0; };
    f->Show();
    EXPECT_FALSE(visibleInOnShow);
    RECT r;
    GetWindowRect(f->Handle(), &r);
    EXPECT_EQ((Screen->Width() - (r.right - r.left)) / 2, r.left);
    EXPECT_EQ((Screen->Height() - (r.bottom - r.top)) / 2, r.top);
}

TEST(Forms, ButtonWithAModalResultEndsShowModal)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    auto ok = new TButton(f.get());
    ok->SetParent(f.get());
    ok->SetModalResult(mrOk);
    PostMessageW(ok->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(mrOk, f->ShowModal());
    EXPECT_FALSE(f->Visible());
    EXPECT_FALSE(IsWindowVisible(f->Handle()));
}

TEST(Forms, ClosingAModalFormAnyOtherWayIsCancel)
{
    std::unique_ptr<TForm> owner(NewForm<TForm>(nullptr));
    owner->Show();
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    f->SetBorderIcons(0);
    f->HandleNeeded();
    PostMessageW(f->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(mrCancel, f->ShowModal());
    // The other windows were disabled only while the form was up.
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
}

TEST(Forms, OtherWindowsWaitWhileAModalFormIsUp)
{
    std::unique_ptr<TForm> owner(NewForm<TForm>(nullptr));
    owner->Show();
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    bool ownerEnabledDuring = true;
    f->OnShow = [&](TObject*) {
        PostMessageW(f->Handle(), WM_CLOSE, 0, 0);
    };
    auto probe = new TButton(f.get());
    probe->SetParent(f.get());
    probe->OnEnter = [&](TObject*) { ownerEnabledDuring = IsWindowEnabled(owner->Handle()) != 0; };
    f->ShowModal();
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
}

TEST(Forms, ShowModalOfAVisibleFormIsRefused)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    f->Show();
    EXPECT_THROW(f->ShowModal(), Exception);
}

TEST(Forms, EnterPressesTheFocusedButtonAndEscapeTheCancelButton)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    auto a = new TButton(f.get());
    a->SetParent(f.get());
    auto cancel = new TButton(f.get());
    cancel->SetParent(f.get());
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    int aClicks = 0;
    a->OnClick = [&](TObject*) { ++aClicks; };
    f->Show();
    a->SetFocus();
    Pump();
    // What the dialog manager sends for Enter and Escape.
    SendMessageW(f->Handle(), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(1, aClicks);
    f->Hide();
    PostMessageW(f->Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(mrCancel, f->ShowModal());
}

TEST(Forms, FocusChangesAreAnnouncedToEveryControl)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    auto first = new TButton(f.get());
    first->SetParent(f.get());
    auto a = new TButton(f.get());
    a->SetParent(f.get());
    auto rec = new TRecordingControl(f.get());
    rec->SetParent(f.get());
    f->Show();
    Pump();
    ASSERT_EQ(first, f->ActiveControl());
    int before = rec->Count(CM_FOCUSCHANGED);
    a->SetFocus();
    Pump();
    EXPECT_GT(rec->Count(CM_FOCUSCHANGED), before);
    EXPECT_EQ(a, f->ActiveControl());
    // A focused push button becomes the active default button; the one before it no longer is.
    EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongW(a->Handle(), GWL_STYLE) & 0x0F);
    EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongW(first->Handle(), GWL_STYLE) & 0x0F);
}

TEST(Screen, BusyCursorIsWhatTheWindowsShow)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    f->Show();
    Screen->SetCursor(crHourGlass);
    SendMessageW(f->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), GetCursor());
    Screen->SetCursor(crDefault);
    EXPECT_EQ(nullptr, detail::CursorOverride());
}

TEST(Application, MouseEnterAndLeaveFollowTheCursor)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    f->SetClientSize(200, 100);
    f->SetBounds(100, 100, f->Width(), f->Height());
    auto left = new TRecordingControl(f.get());
    left->SetParent(f.get());
    left->SetBounds(0, 0, 100, 100);
    auto right = new TRecordingControl(f.get());
    right->SetParent(f.get());
    right->SetBounds(100, 0, 100, 100);
    f->Show();
    // The application looks for the control under the mouse when it runs out of
    // messages; a timer keeps it from waiting for ever.
    SetTimer(f->Handle(), 1, 15, nullptr);
    POINT p = left->ClientToScreen(POINT{50, 50});
    SetCursorPos(p.x, p.y);
    ASSERT_TRUE(PumpUntil([&] {
        Application->HandleMessage();
        return left->Count(CM_MOUSEENTER) > 0;
    }));
    p = right->ClientToScreen(POINT{50, 50});
    SetCursorPos(p.x, p.y);
    ASSERT_TRUE(PumpUntil([&] {
        Application->HandleMessage();
        return right->Count(CM_MOUSEENTER) > 0;
    }));
    KillTimer(f->Handle(), 1);
    EXPECT_EQ(1, left->Count(CM_MOUSELEAVE));
    EXPECT_EQ(0, right->Count(CM_MOUSELEAVE));
}

TEST(Forms, AlphaBlendAndTransparentColorMakeALayeredWindow)
{
    std::unique_ptr<TForm> f(NewForm<TForm>(nullptr));
    f->SetAlphaBlend(true);
    f->SetAlphaBlendValue(200);  // before the window exists: applied when it is made
    f->Show();
    auto attributes = [&] {
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        GetLayeredWindowAttributes(f->Handle(), &key, &alpha, &flags);
        return std::tuple{key, alpha, flags};
    };
    auto layered = [&] { return (GetWindowLongPtrW(f->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
    ASSERT_TRUE(layered());
    EXPECT_EQ(std::tuple(COLORREF(0), BYTE(200), DWORD(LWA_ALPHA)), attributes());

    f->SetTransparentColorValue(clFuchsia);
    f->SetTransparentColor(true);
    EXPECT_EQ(std::tuple(COLORREF(RGB(255, 0, 255)), BYTE(200), DWORD(LWA_ALPHA | LWA_COLORKEY)), attributes());

    f->SetAlphaBlend(false);
    EXPECT_EQ(DWORD(LWA_COLORKEY), std::get<2>(attributes()));
    f->SetTransparentColor(false);
    EXPECT_FALSE(layered());
}
