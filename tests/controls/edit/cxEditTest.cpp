// The edit life cycle driven with real keys and focus changes: the order of value
// events, validation and its errors, Escape, modal dialogs, shortcuts, edit buttons,
// the properties object and what a recalculation invalidates.
#include "EditTestSupport.h"

using namespace qv;
using namespace qvtest;

namespace {

const std::set<std::string> kEdit{"edit", "app"};

} // namespace

TEST_F(EditFormTest, TypingThenTabFiresOnChangePerKeyThenOneValueChange)
{
    FocusEdit();
    seq.Clear();
    TypeText(L"ab");
    EXPECT_TRUE(edit->UserModified());
    EXPECT_TRUE(edit->EditValue().IsNull()) << "typing does not change the value";
    PressKey(VK_TAB);
    EXPECT_TRUE(after->Focused()) << "Tab moved on";
    EXPECT_EQ(L"ab", edit->Text()) << "and inserted nothing";
    EXPECT_TRUE(seq.MatchesFor(kEdit, {{"edit", "OnChange"}, {"edit", "OnChange"}, {"edit", "OnEditValueChanged"},
                                       {"edit", "OnExit"}},
                               "typing then Tab"));
    EXPECT_EQ(TcxEditValue(L"ab"), edit->EditValue());
    EXPECT_FALSE(edit->UserModified());
    EXPECT_TRUE(errors.empty());
}

TEST_F(EditFormTest, EnterValidatesOnlyWithValidateOnEnter)
{
    FocusEdit();
    TypeText(L"x");
    seq.Clear();
    PressKey(VK_RETURN);
    EXPECT_TRUE(seq.MatchesFor(kEdit, {}, "Enter without ValidateOnEnter"));
    EXPECT_TRUE(edit->EditValue().IsNull());

    edit->Properties().SetValidateOnEnter(true);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"x", edit->Text()) << "a properties change keeps what was typed";
    TypeText(L"yz");
    seq.Clear();
    PressKey(VK_RETURN);
    EXPECT_TRUE(seq.MatchesFor(kEdit, {{"edit", "OnEditValueChanged"}}, "Enter with ValidateOnEnter"));
    EXPECT_EQ(TcxEditValue(L"xyz"), edit->EditValue());
    EXPECT_TRUE(edit->Focused()) << "Enter keeps the focus";

    // Events held back by a lock come out in order: the change before the value change.
    seq.Clear();
    edit->LockChangeEvents(true);
    edit->SetEditValue(TcxEditValue(L"other"));
    EXPECT_SCREEN_FRESH();
    TypeText(L"w");
    EXPECT_TRUE(seq.MatchesFor(kEdit, {}, "while locked"));
    edit->LockChangeEvents(false);
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(seq.MatchesFor(kEdit, {{"edit", "OnChange"}, {"edit", "OnEditValueChanged"}}, "unlocked"));
}

TEST_F(EditFormTest, ValidationErrorKeepsTheFocusAndEscapeRestoresTheValueAtEnter)
{
    edit->SetText(L"good");
    EXPECT_SCREEN_FRESH();
    edit->Properties().OnValidate = [](TObject*, TcxEditValue&, std::wstring&, bool& error) { error = true; };
    int escapes = 0;
    edit->OnKeyPress = [&](TObject*, wchar_t& c) { escapes += c == 27; };
    FocusEdit();
    PressKey(VK_END);
    TypeText(L"!");
    seq.Clear();
    PressKey(VK_TAB);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(L"Invalid input value. Use escape key to abandon changes", errors[0]);
    EXPECT_EQ(Inner(), GetFocus()) << "the focus stays in the edit";
    EXPECT_TRUE(edit->UserModified());
    EXPECT_EQ(L"good!", edit->Text()) << "the value stays as typed";
    EXPECT_TRUE(seq.MatchesFor(kEdit, {{"app", "exception"}}, "no OnExit, no value change"));
    EXPECT_EQ(5, edit->SelLength()) << "all selected";

    seq.Clear();
    PressKey(VK_ESCAPE);
    EXPECT_EQ(L"good", edit->Text());
    EXPECT_EQ(TcxEditValue(L"good"), edit->EditValue());
    EXPECT_FALSE(edit->UserModified());
    EXPECT_EQ(0, escapes) << "the Escape that restored the value is swallowed";
    EXPECT_TRUE(seq.MatchesFor(kEdit, {{"edit", "OnChange"}}, "Escape"));
}

TEST_F(EditFormTest, ValidationHandlerMessageAndChangedValueAreShown)
{
    edit->Properties().OnValidate = [](TObject*, TcxEditValue& value, std::wstring& text, bool& error) {
        error = true;
        text = L"数值无效";
        value = TcxEditValue(L"fixed");
    };
    FocusEdit();
    TypeText(L"bad");
    PressKey(VK_TAB);
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(L"数值无效", errors[0]);
    EXPECT_EQ(L"fixed", edit->Text()) << "the handler's value is shown";
    EXPECT_EQ(Inner(), GetFocus());
}

TEST_F(EditFormTest, EscapeInAnUnmodifiedEditReachesTheForm)
{
    auto cancel = new TButton(form);
    cancel->SetBounds(200, 10, 75, 25);
    cancel->SetCancel(true);
    cancel->SetParent(form);
    int cancelled = 0;
    cancel->OnClick = [&](TObject*) { ++cancelled; };
    FocusEdit();
    PressKey(VK_ESCAPE);
    EXPECT_EQ(1, cancelled) << "the dialog's Cancel button still works";

    TypeText(L"q");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(1, cancelled) << "Escape that restores a changed value stays in the edit";
    EXPECT_EQ(L"", edit->Text());
}

TEST(EditProperties, SettersNotifyOnceAndReadOnlyBecomesAssigned)
{
    TcxTextEditProperties p(nullptr);
    int changes = 0;
    p.OnPropertiesChanged = [&](TcxCustomEditProperties*) { ++changes; };
    EXPECT_FALSE(p.ReadOnly());
    EXPECT_FALSE(p.IsReadOnlyStored());
    p.SetReadOnly(false);
    EXPECT_TRUE(p.IsReadOnlyStored()) << "set to its current value, it is now assigned";
    EXPECT_EQ(1, changes);
    p.SetReadOnly(false);
    EXPECT_EQ(1, changes) << "the same assigned value again: nothing";
    p.SetBeepOnError(false);
    EXPECT_EQ(1, changes) << "an unchanged value does not notify";

    TcxTextEditProperties source(nullptr);
    source.SetAutoSelect(false);
    source.SetBeepOnError(true);
    source.SetReadOnly(true);
    source.SetMaxLength(12);
    source.Buttons().Add();
    source.SetClickShortCut(0);
    source.OnChange = [](TObject*) {};
    changes = 0;
    p.Assign(&source);
    EXPECT_EQ(1, changes) << "Assign reports once, at the end";
    EXPECT_FALSE(p.AutoSelect());
    EXPECT_TRUE(p.ReadOnly());
    EXPECT_EQ(12, p.MaxLength());
    EXPECT_EQ(1, p.Buttons().Count());
    EXPECT_EQ(0, p.ClickShortCut());
    EXPECT_TRUE(static_cast<bool>(p.OnChange));

    p.SetMaxLength(-5);
    EXPECT_EQ(0, p.MaxLength()) << "negative is stored as no limit";
    EXPECT_TRUE(p.IsMaxLengthStored());
    EXPECT_EQ(L"Value out of bounds", p.DefaultErrorText(1));
    EXPECT_EQ(L"Invalid input value. Use escape key to abandon changes", p.DefaultErrorText(0));
}

TEST(EditProperties, AlignmentHorzIsAssignedEvenWhenUnchangedAndReadsTheDefault)
{
    TcxTextEditProperties p(nullptr);
    int changes = 0;
    p.OnPropertiesChanged = [&](TcxCustomEditProperties*) { ++changes; };
    TcxEditAlignment& a = p.AssignedAlignment();
    a.SetHorz(taLeftJustify);
    EXPECT_TRUE(a.IsHorzAssigned());
    EXPECT_EQ(0, changes) << "no change, no report";
    a.SetVert(taVCenter);
    EXPECT_EQ(1, changes);
    a.Reset();
    TcxCustomEditDefaultValuesProvider provider;
    p.SetDefaultValuesProvider(&provider);
    EXPECT_EQ(taLeftJustify, p.Alignment().Horz()) << "unassigned Horz reads the provider's";
    EXPECT_FALSE(p.Alignment().IsHorzAssigned());
    a.SetHorz(taRightJustify);
    EXPECT_EQ(taRightJustify, p.Alignment().Horz());
}

TEST(EditProperties, DestroyedDefaultValuesProviderIsDroppedEverywhere)
{
    TcxTextEditProperties a(nullptr), b(nullptr);
    {
        TcxCustomEditDefaultValuesProvider provider;
        a.SetDefaultValuesProvider(&provider);
        b.SetDefaultValuesProvider(&provider);
    }
    EXPECT_EQ(nullptr, a.DefaultValuesProvider());
    EXPECT_EQ(nullptr, b.DefaultValuesProvider());
    EXPECT_FALSE(a.ReadOnly());
    EXPECT_TRUE(a.CanModify());
}

TEST(EditButtons, DefaultMovesBetweenButtonsAndNegativeWidthSticks)
{
    TcxTextEditProperties p(nullptr);
    int changes = 0;
    p.OnPropertiesChanged = [&](TcxCustomEditProperties*) { ++changes; };
    TcxEditButton& first = p.Buttons().Add();
    TcxEditButton& second = p.Buttons().Add();
    EXPECT_FALSE(first.Default()) << "only a designer makes the first button the default";
    changes = 0;
    first.SetDefault(true);
    second.SetDefault(true);
    EXPECT_FALSE(first.Default());
    EXPECT_TRUE(second.Default());
    EXPECT_EQ(2, changes);
    second.SetWidth(-3);
    second.SetWidth(20);
    EXPECT_EQ(-3, second.Width());
    second.SetVisible(false);
    EXPECT_EQ(1, p.Buttons().VisibleCount());
}

// A modal dialog with the edit, closed with a result while the edit has the focus.
TEST_F(EditFormTest, ModalDialogTakesTheValueOnOkAndDoesNotValidateOnCancel)
{
    auto dialog = NewForm<TForm>(nullptr);
    dialog->SetClientSize(200, 80);
    auto dEdit = new TcxTextEdit(dialog);
    dEdit->SetBounds(10, 10, 121, 21);
    dEdit->SetParent(dialog);
    EXPECT_SCREEN_FRESH();
    int validations = 0;
    dEdit->Properties().OnValidate = [&](TObject*, TcxEditValue&, std::wstring&, bool&) { ++validations; };
    // The user's part runs inside the modal loop, from a message posted before it starts.
    int result = mrNone;
    dEdit->InnerControl()->SetWindowProc([&, next = dEdit->InnerControl()->WindowProc()](TMessage& m) {
        if (m.Msg != WM_APP + 8) {
            next(m);
            return;
        }
        TypeText(L"v");
        dialog->SetModalResult(result);
    });
    for (int r : {mrOk, mrCancel}) {
        result = r;
        validations = 0;
        dialog->HandleNeeded();
        PostMessageW(dEdit->InnerControl()->Handle(), WM_APP + 8, 0, 0);
        EXPECT_EQ(r, dialog->ShowModal());
        if (r == mrOk) {
            EXPECT_EQ(1, validations) << "OK validates once, silently";
            EXPECT_EQ(TcxEditValue(L"v"), dEdit->EditValue()) << "the value was taken over";
        } else {
            EXPECT_EQ(0, validations) << "Cancel does not validate";
            EXPECT_EQ(TcxEditValue(L"v"), dEdit->EditValue()) << "the second v was not taken";
        }
        EXPECT_TRUE(errors.empty()) << "no message";
    }
    delete dialog;
}

TEST_F(EditFormTest, CtrlEnterClicksTheDefaultButtonOnlyWithButtons)
{
    std::vector<int> clicks;
    edit->Properties().OnEditButtonClick = [&](TObject*, int index) { clicks.push_back(index); };
    wchar_t typed = 0;
    edit->OnKeyPress = [&](TObject*, wchar_t& c) { typed = c; };
    FocusEdit();
    PressKey(VK_RETURN, ssCtrl);
    EXPECT_TRUE(clicks.empty()) << "no buttons: an ordinary key";

    TcxEditButton& b0 = edit->Properties().Buttons().Add();
    edit->Properties().Buttons().Add();
    EXPECT_SCREEN_FRESH();
    typed = 0;
    PressKey(VK_RETURN, ssCtrl);
    EXPECT_TRUE(clicks.empty()) << "no default button: nothing";
    EXPECT_EQ(0, typed) << "and no character";
    b0.SetDefault(true);
    EXPECT_SCREEN_FRESH();
    PressKey(VK_RETURN, ssCtrl);
    EXPECT_EQ(std::vector<int>{0}, clicks);
}

namespace {

// Counts the rectangles a recalculation invalidates.
class TCountingEdit : public TcxTextEdit {
public:
    using TcxTextEdit::TcxTextEdit;
    std::vector<RECT> invalidated;

protected:
    void InvalidateRect(const RECT& R) override
    {
        invalidated.push_back(R);
        TcxTextEdit::InvalidateRect(R);
    }
};

} // namespace

TEST_F(EditFormTest, RecalculationInvalidatesOnlyWhatChanged)
{
    auto counted = new TCountingEdit(form);
    counted->SetBounds(150, 50, 121, 21);
    counted->SetParent(form);
    EXPECT_SCREEN_FRESH();
    TcxEditButton& b = counted->Properties().Buttons().Add();
    b.SetKind(bkEllipsis);
    Pump();
    counted->invalidated.clear();
    counted->ShortRefreshContainer(false);
    EXPECT_SCREEN_FRESH();
    counted->ShortRefreshContainer(false);
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(counted->invalidated.empty()) << "nothing changed, nothing invalidated";

    // The mouse over the text: the edit turns hot (its border changes). Then over the
    // button: only the button's state changes, and only the button is invalidated.
    POINT text = counted->ClientToScreen(POINT{10, 10});
    SetCursorPos(text.x, text.y);
    counted->ShortRefreshContainer(true);
    EXPECT_SCREEN_FRESH();
    ASSERT_FALSE(counted->invalidated.empty());
    EXPECT_TRUE(counted->ViewInfo().ContainerState.Contains(csHot));
    counted->invalidated.clear();
    const TcxEditButtonViewInfo button = counted->ViewInfo().ButtonsInfo.at(0);
    POINT p = counted->ClientToScreen(POINT{(button.Bounds.left + button.Bounds.right) / 2, 10});
    SetCursorPos(p.x, p.y);
    counted->ShortRefreshContainer(true);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(ebsSelected, counted->ViewInfo().ButtonsInfo.at(0).State);
    ASSERT_EQ(1u, counted->invalidated.size());
    EXPECT_EQ(button.Bounds, counted->invalidated[0]);
    counted->invalidated.clear();
    counted->ShortRefreshContainer(true);
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(counted->invalidated.empty());
    SetCursorPos(0, 0);
}

TEST_F(EditFormTest, ButtonClicksOnReleaseOnlyWhileStillOverTheButton)
{
    std::vector<int> clicks;
    edit->Properties().OnEditButtonClick = [&](TObject*, int index) { clicks.push_back(index); };
    edit->Properties().Buttons().Add().SetKind(bkEllipsis);
    Pump();
    EXPECT_SCREEN_FRESH();
    const RECT b = edit->ViewInfo().ButtonsInfo.at(0).Bounds;
    const POINT inside{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    auto press = [&](POINT at, POINT release) {
        POINT s = edit->ClientToScreen(at);
        SetCursorPos(s.x, s.y);
        TShiftScope down(0);
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_LBUTTON] = 0x80;
        SetKeyboardState(state);
        SendMessageW(edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        EXPECT_EQ(ebsPressed, edit->ViewInfo().ButtonsInfo.at(0).State);
        s = edit->ClientToScreen(release);
        SetCursorPos(s.x, s.y);
        SendMessageW(edit->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(release.x, release.y));
        state[VK_LBUTTON] = 0;
        SetKeyboardState(state);
        SendMessageW(edit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(release.x, release.y));
    };
    press(inside, POINT{inside.x, inside.y + 1});
    EXPECT_EQ(std::vector<int>{0}, clicks) << "released over the button";
    press(inside, POINT{5, 5});
    EXPECT_EQ(std::vector<int>{0}, clicks) << "dragged off before the release: no click";
    EXPECT_EQ(-1, edit->PressedButton());
    SetCursorPos(0, 0);
}

TEST_F(EditFormTest, RepositoryItemLendsItsPropertiesAndMustFitTheEdit)
{
    TcxEditRepository repository(nullptr);
    auto item = repository.CreateItem<TcxEditRepositoryItem>();
    EXPECT_THROW(edit->SetRepositoryItem(item), Exception) << "base properties do not fit a text edit";

    struct TTextItem : TcxEditRepositoryItem {
        using TcxEditRepositoryItem::TcxEditRepositoryItem;
        std::unique_ptr<TcxCustomEditProperties> CreateProperties() override
        {
            return std::make_unique<TcxTextEditProperties>(this);
        }
    };
    auto textItem = new TTextItem(nullptr);
    repository.Add(textItem);
    edit->SetRepositoryItem(textItem);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(&textItem->Properties(), &edit->ActiveProperties());
    static_cast<TcxTextEditProperties&>(textItem->Properties()).SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    EXPECT_TRUE(static_cast<TCustomEdit*>(edit->InnerControl())->ReadOnly()) << "the item's change reached the edit";
    delete textItem;
    EXPECT_EQ(nullptr, edit->RepositoryItem());
    EXPECT_EQ(&edit->Properties(), &edit->ActiveProperties());
    EXPECT_FALSE(static_cast<TCustomEdit*>(edit->InnerControl())->ReadOnly());
}

TEST_F(EditFormTest, DeferredErrorMessageRaisesItsText)
{
    PostDeferredErrorMessage(edit->Handle(), L"稍后报告的错误");
    Pump();
    EXPECT_SCREEN_FRESH();
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(L"稍后报告的错误", errors[0]);
}
