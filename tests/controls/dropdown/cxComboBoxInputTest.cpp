// A fixed-list combo box used as a person uses it, with real keys and presses sent
// through the system's input queue: a press on the text of the closed list, presses
// everywhere outside the open list (status bar, panel, title bar), moving, dragging
// and deactivating the form, and what the first opening shows. After each step the
// screen must equal a full repaint, and the item index, the text and the screen agree.
#include "controls/dropdown/DropDownTestSupport.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"

#include <gtest/gtest.h>

using namespace qvtest::dropdown;
namespace input = qvtest::input;
using qvtest::TScreenPixels;
using qvtest::WindowRect;

namespace {

// A combo box that can be put into the designing state.
class TDesignedCombo : public TcxComboBox {
public:
    using TcxComboBox::TcxComboBox;
    void SetDesigning(bool AOn)
    {
        if (AOn)
            SetComponentState(csDesigning);
        else
            ClearComponentState(csDesigning);
    }
};

struct ComboInputTest : ComboBoxTest {
    TButton* button = nullptr;
    TPanel* panel = nullptr;
    TStatusBar* status = nullptr;
    TcxComboBox* combo = nullptr;

    void SetUp() override
    {
        ComboBoxTest::SetUp();
        form->SetText(L"combo");
        panel = new TPanel(form);
        panel->SetBounds(150, 90, 140, 50);
        panel->SetParent(form);
        button = new TButton(form);
        button->SetBounds(200, 10, 80, 30);
        button->SetText(L"button");
        button->SetParent(form);
        status = new TStatusBar(form);
        status->SetBounds(0, 177, 300, 23);
        status->SetParent(form);
        combo = MakeCombo(lsFixedList);
        combo->SetItemIndex(0);
        button->SetFocus();
        Pump();
        ASSERT_TRUE(input::BringToFront(form->Handle()));
        seq.Clear();
    }

    POINT OnText() const { return input::At(combo->Handle(), 20, combo->Height() / 2); }
    POINT OnButton() const
    {
        const RECT b = combo->ViewInfo().ButtonsInfo.at(0).Bounds;
        return input::At(combo->Handle(), (b.left + b.right) / 2, (b.top + b.bottom) / 2);
    }
    // A point of the form's title bar, away from its buttons.
    POINT OnTitleBar() const
    {
        const RECT w = WindowRect(form->Handle());
        POINT client{0, 0};
        ::ClientToScreen(form->Handle(), &client);
        return POINT{w.left + 40, (w.top + client.y) / 2};
    }
    // Opens with F4 from the keyboard and moves the highlight down once.
    void OpenAndMoveTheHighlight()
    {
        combo->SetFocus();
        Pump();
        input::Key(VK_F4);
        ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
        EXPECT_SCREEN_FRESH();
        input::Key(VK_DOWN);
        ASSERT_TRUE(PumpUntil([&] { return List(combo).ItemIndex() == 1; }));
        EXPECT_SCREEN_FRESH();
    }
    // Closed, with the choice it had before it opened, on the screen as in the control.
    void ExpectClosedWithTheOldChoice(const char* what)
    {
        EXPECT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }, 2000)) << what;
        EXPECT_FALSE(IsWindowVisible(combo->PopupWindow().Handle())) << what;
        EXPECT_EQ(0, combo->ItemIndex()) << what;
        EXPECT_EQ(L"Office", combo->Text()) << what;
        EXPECT_EQ(0, List(combo).ItemIndex()) << what << ": the highlight is back on the current item";
        EXPECT_SCREEN_FRESH();
    }
};

} // namespace

TEST_F(ComboInputTest, APressOnTheTextOfTheClosedListFocusesItAndOpensIt)
{
    ASSERT_EQ(button->Handle(), GetFocus());
    input::Click(OnText());
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); })) << "the press opens the list";
    EXPECT_TRUE(combo->Focused());
    EXPECT_FALSE(button->Focused());
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(0, List(combo).ItemIndex());

    // A press on the text of the open list closes it, as does one on the button.
    input::Click(OnText());
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    input::Click(OnButton());
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    input::Click(OnButton());
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();

    // A free-text list takes the focus into its text and does not open.
    TcxComboBox* free = MakeCombo(lsEditList);
    free->SetTop(100);
    button->SetFocus();
    Pump();
    input::Click(input::At(free->Handle(), 20, free->Height() / 2));
    ASSERT_TRUE(PumpUntil([&] { return free->Focused(); }));
    Pump();
    EXPECT_FALSE(free->DroppedDown());
    EXPECT_FALSE(free->PopupRequested());
    EXPECT_SCREEN_FRESH();
}

TEST_F(ComboInputTest, APressAnywhereOutsideTheOpenListClosesItWithTheOldChoice)
{
    struct Target {
        const char* name;
        std::function<POINT()> where;
    };
    const Target targets[] = {
        {"the status bar", [&] { return input::Center(status->Handle()); }},
        {"the panel", [&] { return input::Center(panel->Handle()); }},
        {"the form's client area", [&] { return input::At(form->Handle(), 150, 160); }},
        {"the title bar", [&] { return OnTitleBar(); }},
        {"the right button on the panel", [&] { return input::Center(panel->Handle()); }},
    };
    for (const Target& t : targets) {
        OpenAndMoveTheHighlight();
        const POINT p = t.where();
        if (std::string(t.name).find("right") != std::string::npos) {
            input::MoveTo(p);
            INPUT in[2]{};
            in[0].type = in[1].type = INPUT_MOUSE;
            in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
            in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
            SendInput(2, in, sizeof(INPUT));
        } else {
            input::Click(p);
        }
        ExpectClosedWithTheOldChoice(t.name);
        EXPECT_TRUE(combo->Focused()) << t.name << ": nothing there takes the focus";
    }
    EXPECT_EQ(0, Count(seq, "OnClick")) << seq.Dump();
}

TEST_F(ComboInputTest, MovingDraggingOrDeactivatingTheFormClosesTheOpenList)
{
    // Moved by the program.
    OpenAndMoveTheHighlight();
    form->SetBounds(form->Left() + 30, form->Top() + 20, form->Width(), form->Height());
    ExpectClosedWithTheOldChoice("moved");

    // Dragged by its title bar: the list does not stay where the form was.
    OpenAndMoveTheHighlight();
    const RECT before = WindowRect(form->Handle());
    const POINT from = OnTitleBar();
    input::Drag(from, POINT{from.x + 60, from.y + 40});
    ExpectClosedWithTheOldChoice("dragged");
    EXPECT_TRUE(PumpUntil([&] { return WindowRect(form->Handle()).left != before.left; }))
        << "the drag moved the form";
    EXPECT_SCREEN_FRESH();

    // Another window of the program activated.
    OpenAndMoveTheHighlight();
    TForm* other = NewForm<TForm>(nullptr);
    other->SetBounds(500, 400, 200, 120);
    other->Show();
    ASSERT_TRUE(input::BringToFront(other->Handle()));
    ExpectClosedWithTheOldChoice("deactivated");
    delete other;
    Pump();
}

TEST_F(ComboInputTest, TheFirstOpeningHighlightsTheCurrentItemAndScrollsItIntoView)
{
    combo->Items().Assign(Numbered(100));
    combo->SetItemIndex(99);
    EXPECT_EQ(L"item99", combo->Text());
    combo->SetFocus();
    Pump();
    input::Key(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    TcxCustomEditListBox& list = List(combo);
    EXPECT_EQ(99, list.ItemIndex()) << "the first opening";
    EXPECT_EQ(92, list.TopIndex()) << "the last row is in view";
    EXPECT_SCREEN_FRESH();
    // The row is drawn highlighted.
    const RECT row = list.ItemRect(99);
    ASSERT_FALSE(IsRectEmptyR(row));
    EXPECT_TRUE(PumpUntil([&] {
        return qvtest::SameColor(ColorToRGB(clHighlight),
                                 TScreenPixels::OfClient(list.Handle()).At(row.right - 3, row.top + 1));
    }, 2000)) << "row 100 is shown highlighted";
    input::Key(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();

    // Again after the current item changed while closed.
    input::Key(VK_HOME);
    Pump();
    EXPECT_EQ(0, combo->ItemIndex());
    input::Key(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_EQ(0, list.ItemIndex());
    EXPECT_EQ(0, list.TopIndex());
    EXPECT_SCREEN_FRESH();
    input::Key(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
}

TEST_F(ComboInputTest, TheWheelOverTheOpenListScrollsByTheSystemsLinesOrAPage)
{
    UINT saved = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved, 0);
    struct Restore {
        UINT lines;
        ~Restore() { SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0); }
    } restore{saved};
    combo->Items().Assign(Numbered(40));
    combo->SetItemIndex(0);
    combo->SetFocus();
    Pump();
    auto open = [&] {
        input::Key(VK_F4);
        ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
        input::MoveTo(input::Center(List(combo).Handle()));
        Pump();
    };
    auto wheel = [&](int delta, int top) {
        input::Wheel(delta);
        EXPECT_TRUE(PumpUntil([&] { return List(combo).TopIndex() == top; }, 2000))
            << "delta " << delta << ": top row " << List(combo).TopIndex() << ", expected " << top;
        EXPECT_SCREEN_FRESH();
    };
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 2, nullptr, 0);
    open();
    wheel(-WHEEL_DELTA, 2);
    wheel(WHEEL_DELTA, 0);
    input::Key(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));

    // "One screen at a time": a page of the rows shown, each notch.
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0);
    open();
    wheel(-WHEEL_DELTA, 8);
    wheel(-WHEEL_DELTA, 16);
    wheel(WHEEL_DELTA, 8);
    EXPECT_EQ(0, combo->ItemIndex()) << "scrolling chooses nothing";
    EXPECT_EQ(L"item00", combo->Text());
    input::Key(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));

    // The wheel on the closed list steps through the items, one per notch.
    input::MoveTo(OnText());
    input::Wheel(-WHEEL_DELTA);
    EXPECT_TRUE(PumpUntil([&] { return combo->ItemIndex() == 1; }, 2000));
    EXPECT_EQ(L"item01", combo->Text());
    EXPECT_SCREEN_FRESH();

    // Where the edit allows no keyboard navigation (while designing), the wheel moves
    // nothing, open or closed.
    auto designed = MakeEdit<TDesignedCombo>(10, 100);
    designed->Properties().SetDropDownListStyle(lsFixedList);
    designed->Items().Assign(Numbered(40));
    designed->SetItemIndex(0);
    designed->SetFocus();
    Pump();
    input::Key(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return designed->DroppedDown(); }));
    // Over the edit the edit hands the wheel on to its open list, and here does not.
    input::MoveTo(input::At(designed->Handle(), 20, designed->Height() / 2));
    input::Wheel(-WHEEL_DELTA);
    EXPECT_TRUE(PumpUntil([&] { return List(designed).TopIndex() == 8; }, 2000)) << "handed on";
    input::Wheel(WHEEL_DELTA);
    EXPECT_TRUE(PumpUntil([&] { return List(designed).TopIndex() == 0; }, 2000));
    designed->SetDesigning(true);
    input::Wheel(-WHEEL_DELTA);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(0, List(designed).TopIndex());
    designed->SetDesigning(false);
    designed->CloseUp(false);
    designed->SetDesigning(true);
    input::MoveTo(input::At(designed->Handle(), 20, designed->Height() / 2));
    input::Wheel(-WHEEL_DELTA);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(0, designed->ItemIndex());
    designed->SetDesigning(false);
    EXPECT_SCREEN_FRESH();
}

TEST_F(ComboInputTest, AFocusTakingPopupClosesOnAPressOutsideAndWhenTheFormMoves)
{
    auto area = new TPanel(form);
    area->SetBounds(0, 0, 120, 60);
    area->SetParent(form);
    area->SetVisible(false);
    TcxPopupEdit* edit = MakeEdit<TcxPopupEdit>(10, 100);
    edit->Properties().SetPopupControl(area);
    edit->PopupWindow().SetModalLoop(false);
    for (int step = 0; step < 3; ++step) {
        edit->SetFocus();
        Pump();
        input::Key(VK_F4);
        ASSERT_TRUE(PumpUntil([&] { return edit->DroppedDown(); }));
        EXPECT_EQ(edit->PopupWindow().Handle(), GetActiveWindow());
        EXPECT_SCREEN_FRESH();
        if (step == 0)
            input::Click(input::Center(status->Handle()));
        else if (step == 1)
            input::Click(OnTitleBar());
        else
            form->SetBounds(form->Left() - 20, form->Top() + 10, form->Width(), form->Height());
        EXPECT_TRUE(PumpUntil([&] { return !edit->DroppedDown(); }, 2000)) << step;
        EXPECT_EQ(form, area->Parent()) << step << ": the control went back";
        EXPECT_SCREEN_FRESH();
    }
}
