// Handlers of an edit that raise, and validation that refuses without a message: the
// error reaches the application's handler, the program goes on, and the edit is left
// in a state a person can go on working with (typed text kept, focus where it is seen,
// enter and exit steps paired).
#include "EditTestSupport.h"

#include "framework/Exceptions.h"
#include "support/UserInput.h"

using namespace qv;
using namespace qvtest;

namespace {

const std::set<std::string> kEditAndApp{"edit", "app", "after"};

struct HandlerErrorTest : EditFormTest {
    void SetUp() override
    {
        EditFormTest::SetUp();
        after->OnEnter = [this](TObject*) { seq.Event("after", "OnEnter"); };
    }

    // The handler records itself and raises while armed.
    TNotifyEvent Raising(const std::string& name, const wchar_t* message, const bool& armed)
    {
        return [this, name, message, &armed](TObject*) {
            seq.Event("edit", name);
            if (armed)
                throw Exception(message);
        };
    }
};

} // namespace

TEST_F(HandlerErrorTest, RaisingOnChangeWhileTypingIsShownAndTheTypingStays)
{
    bool armed = true;
    edit->Properties().OnChange = Raising("OnChange", L"变更处理失败", armed);
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    seq.Clear();
    TypeText(L"ab");
    ASSERT_EQ(2u, errors.size()) << "one message per keystroke";
    EXPECT_EQ(L"变更处理失败", errors[0]);
    EXPECT_EQ(L"ab", edit->Text()) << "the characters were typed all the same";
    EXPECT_EQ(Inner(), GetFocus());
    EXPECT_TRUE(edit->UserModified());

    armed = false;
    seq.Clear();
    PressKey(VK_TAB);
    EXPECT_TRUE(after->Focused()) << "the edit goes on working";
    EXPECT_EQ(TcxEditValue(L"ab"), edit->EditValue());
    EXPECT_TRUE(seq.MatchesFor(kEditAndApp, {{"edit", "OnEditValueChanged"}, {"edit", "OnExit"}, {"after", "OnEnter"}},
                               "leaving after the failed handlers"));
}

TEST_F(HandlerErrorTest, RaisingOnChangeOnEscapeIsShownAndTheValueIsRestored)
{
    edit->SetText(L"old");
    EXPECT_SCREEN_FRESH();
    bool armed = false;
    edit->Properties().OnChange = Raising("OnChange", L"恢复时出错", armed);
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    PressKey(VK_END);
    TypeText(L"x");
    armed = true;
    int escapesSeen = 0;
    edit->OnKeyPress = [&](TObject*, wchar_t& c) { escapesSeen += c == VK_ESCAPE; };
    seq.Clear();
    PressKey(VK_ESCAPE);
    EXPECT_EQ(std::vector<std::wstring>{L"恢复时出错"}, errors);
    EXPECT_EQ(L"old", edit->Text()) << "the value at enter is back on screen";
    EXPECT_EQ(TcxEditValue(L"old"), edit->EditValue());
    EXPECT_FALSE(edit->UserModified());
    EXPECT_EQ(0, escapesSeen) << "the Escape that restored the value is still swallowed";
    EXPECT_EQ(Inner(), GetFocus());

    armed = false;
    errors.clear();
    TypeText(L"y");
    PressKey(VK_TAB);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(after->Focused());
}

TEST_F(HandlerErrorTest, RaisingOnEditValueChangedOnExitIsShownAndTheExitCompletes)
{
    bool armed = true;
    edit->Properties().OnEditValueChanged = Raising("OnEditValueChanged", L"值变更处理失败", armed);
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    TypeText(L"v");
    seq.Clear();
    PressKey(VK_TAB);
    EXPECT_EQ(std::vector<std::wstring>{L"值变更处理失败"}, errors);
    EXPECT_TRUE(after->Focused()) << "a valid value was taken: the focus moves on";
    EXPECT_EQ(TcxEditValue(L"v"), edit->EditValue());
    EXPECT_FALSE(edit->UserModified());
    EXPECT_TRUE(seq.MatchesFor(kEditAndApp,
                               {{"edit", "OnEditValueChanged"}, {"app", "exception"}, {"edit", "OnExit"},
                                {"after", "OnEnter"}},
                               "Tab out with a raising value handler"));

    // Coming back is an ordinary enter: the form knows the edit was left.
    seq.Clear();
    PressKey(VK_TAB, ssShift);
    EXPECT_EQ(Inner(), GetFocus());
    EXPECT_TRUE(seq.MatchesFor(kEditAndApp, {{"edit", "OnEnter"}}, "Shift+Tab back"));
}

TEST_F(HandlerErrorTest, RaisingOnEditValueChangedOnEnterIsShownAndTheFocusStays)
{
    bool armed = true;
    edit->Properties().SetValidateOnEnter(true);
    EXPECT_SCREEN_FRESH();
    edit->Properties().OnEditValueChanged = Raising("OnEditValueChanged", L"回车处理失败", armed);
    EXPECT_SCREEN_FRESH();
    FocusEdit();
    TypeText(L"12");
    PressKey(VK_RETURN);
    EXPECT_EQ(std::vector<std::wstring>{L"回车处理失败"}, errors);
    EXPECT_EQ(TcxEditValue(L"12"), edit->EditValue());
    EXPECT_EQ(L"12", edit->Text());
    EXPECT_EQ(Inner(), GetFocus());

    armed = false;
    TypeText(L"3");
    PressKey(VK_RETURN);
    EXPECT_EQ(1u, errors.size());
    EXPECT_EQ(TcxEditValue(L"123"), edit->EditValue());
}

TEST_F(HandlerErrorTest, RaisingOnValidateKeepsTheFocusAndTheTypedText)
{
    bool armed = true;
    edit->Properties().OnValidate = [&](TObject*, TcxEditValue&, std::wstring&, bool&) {
        if (armed)
            throw Exception(L"校验程序出错");
    };
    FocusEdit();
    TypeText(L"abc");
    seq.Clear();
    PressKey(VK_TAB);
    EXPECT_EQ(std::vector<std::wstring>{L"校验程序出错"}, errors);
    EXPECT_EQ(Inner(), GetFocus()) << "a value that could not be checked is not taken: the focus comes back";
    EXPECT_EQ(L"abc", edit->Text());
    EXPECT_TRUE(edit->EditValue().IsNull());
    EXPECT_TRUE(edit->UserModified());
    EXPECT_TRUE(seq.MatchesFor(kEditAndApp, {{"app", "exception"}}, "no exit, no value change, nothing entered"));

    armed = false;
    PressKey(VK_TAB);
    EXPECT_TRUE(after->Focused());
    EXPECT_EQ(TcxEditValue(L"abc"), edit->EditValue());
}

TEST_F(HandlerErrorTest, RaisingOnEditingRefusesTheKeyAndIsShown)
{
    bool armed = true;
    edit->OnEditing = [&](TObject*, bool&) {
        if (armed)
            throw Exception(L"不能编辑");
    };
    FocusEdit();
    TypeText(L"q");
    EXPECT_EQ(std::vector<std::wstring>{L"不能编辑"}, errors);
    EXPECT_EQ(L"", edit->Text());
    armed = false;
    TypeText(L"w");
    EXPECT_EQ(L"w", edit->Text());
}

TEST_F(HandlerErrorTest, RaisingOnChangeOfAMemoLineBreakIsShown)
{
    auto memo = new TcxMemo(form);
    memo->SetBounds(150, 10, 140, 89);
    memo->SetParent(form);
    EXPECT_SCREEN_FRESH();
    bool armed = true;
    memo->Properties().OnChange = [&](TObject*) {
        if (armed)
            throw Exception(L"备注变更失败");
    };
    memo->SetFocus();
    Pump();
    PressKey(VK_RETURN);
    TypeText(L"z");
    EXPECT_EQ(2u, errors.size());
    EXPECT_EQ(L"\r\nz", memo->Text());
}

// An OnValidate that refuses without a text: nothing is said, but the value is not
// taken and the focus does not move.
TEST_F(HandlerErrorTest, RefusalWithoutAMessageCancelsTheFocusChange)
{
    bool refuse = true;
    edit->Properties().OnValidate = [&](TObject*, TcxEditValue&, std::wstring& text, bool& error) {
        error = refuse;
        text.clear();
    };
    FocusEdit();
    TypeText(L"typed");
    seq.Clear();
    PressKey(VK_TAB);
    EXPECT_TRUE(errors.empty()) << "no message box";
    EXPECT_EQ(Inner(), GetFocus()) << "the focus is back in the edit";
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(L"typed", edit->Text()) << "the typed text is kept";
    EXPECT_TRUE(edit->UserModified());
    EXPECT_TRUE(seq.MatchesFor(kEditAndApp, {}, "no OnExit, the next control not entered"));

    // The form agrees: another Tab tries again, and once accepted the exit is one exit.
    refuse = false;
    PressKey(VK_TAB);
    EXPECT_TRUE(after->Focused());
    EXPECT_TRUE(seq.MatchesFor(kEditAndApp, {{"edit", "OnEditValueChanged"}, {"edit", "OnExit"}, {"after", "OnEnter"}},
                               "accepted"));
    EXPECT_EQ(TcxEditValue(L"typed"), edit->EditValue());
}

TEST_F(HandlerErrorTest, RefusalWithoutAMessageKeepsTheFocusOnAMouseClickElsewhere)
{
    edit->Properties().OnValidate = [](TObject*, TcxEditValue&, std::wstring& text, bool& error) {
        error = true;
        text.clear();
    };
    FocusEdit();
    TypeText(L"k");
    seq.Clear();
    // Focus taken away as a click on another control does it.
    after->SetFocus();
    Pump();
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(Inner(), GetFocus());
    EXPECT_EQ(L"k", edit->Text());
    EXPECT_TRUE(seq.MatchesFor(kEditAndApp, {}, "refused exit"));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(L"", edit->Text()) << "Escape abandons the change";
    PressKey(VK_TAB);
    EXPECT_TRUE(after->Focused());
}

TEST_F(HandlerErrorTest, RaisingButtonClickIsShownAndTheButtonIsDrawnReleased)
{
    bool armed = true;
    edit->Properties().Buttons().Add().SetKind(bkEllipsis);
    edit->Properties().Buttons()[0].SetDefault(true);
    int clicks = 0;
    edit->Properties().OnEditButtonClick = [&](TObject*, int) {
        ++clicks;
        if (armed)
            throw Exception(L"按钮处理失败");
    };
    Pump();
    EXPECT_SCREEN_FRESH();
    ASSERT_TRUE(input::BringToFront(form->Handle()));
    const RECT b = edit->ViewInfo().ButtonsInfo.at(0).Bounds;
    const POINT centre = edit->ClientToScreen(POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2});
    input::Click(centre);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }, 3000));
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(std::vector<std::wstring>{L"按钮处理失败"}, errors);
    EXPECT_NE(ebsPressed, edit->ViewInfo().ButtonsInfo.at(0).State) << "released";
    input::MoveTo(POINT{0, 0});
    ASSERT_TRUE(PumpUntil([&] { return edit->ViewInfo().ButtonsInfo.at(0).State == ebsNormal; }, 3000));
    EXPECT_SCREEN_FRESH();

    // The keyboard's click of the default button too.
    FocusEdit();
    PressKey(VK_RETURN, ssCtrl);
    EXPECT_EQ(2, clicks);
    EXPECT_EQ(2u, errors.size());
    armed = false;
    TypeText(L"ok");
    EXPECT_EQ(L"ok", edit->Text());
}
