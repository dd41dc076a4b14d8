// The combo box's current item and its incremental search, key by key in each list
// style: Backspace, the caret and navigation keys, characters that find nothing, a
// read-only box, items that change under the current item, and the switches that make
// the text follow at once or post the value. The item index, the text and the screen
// agree after every step.
#include "controls/dropdown/DropDownTestSupport.h"

#include <gtest/gtest.h>

using namespace qvtest::dropdown;

namespace {

struct LookupTest : ComboBoxTest {
    TcxComboBox* combo = nullptr;

    // Office, office2, Home; focused, with its events recorded.
    TcxComboBox* Make(TcxEditDropDownListStyle AStyle)
    {
        combo = MakeCombo(AStyle);
        combo->Properties().SetImmediateDropDown(false);
        combo->Properties().OnValidate = [this](TObject*, TcxEditValue&, std::wstring&, bool&) {
            seq.Event("edit", "OnValidate");
        };
        Focus(combo);
        seq.Clear();
        return combo;
    }
    // The text, the selected tail and the item index, as one value to compare.
    std::wstring State()
    {
        return combo->Text() + L" [" + combo->SelText() + L"] " + std::to_wstring(combo->ItemIndex());
    }
    // The item index and the text never disagree: the text is the current item's, or
    // no item is current.
    ::testing::AssertionResult Agree()
    {
        const int index = combo->ItemIndex();
        if (index < -1 || index >= combo->Items().Count())
            return ::testing::AssertionFailure() << "item index " << index << " of " << combo->Items().Count();
        if (index >= 0 && combo->Text() != combo->Items()[index])
            return ::testing::AssertionFailure() << "item " << index << " but the text is another";
        return ::testing::AssertionSuccess();
    }
    void Type(const std::wstring& AText) { qvtest::TypeText(AText); }
};

} // namespace

TEST_F(LookupTest, BackspaceInEachListStyle)
{
    // Free text: Backspace that empties the search text chooses nothing again.
    Make(lsEditList);
    Type(L"of");
    EXPECT_EQ(L"Office [fice] 0", State());
    PressKey(VK_BACK);
    EXPECT_EQ(L"Office [ffice] 0", State()) << "one character less of the search";
    EXPECT_TRUE(combo->FindSelection());
    PressKey(VK_BACK);
    EXPECT_EQ(L" [] -1", State()) << "the search text is empty: the value is emptied and no item is current";
    EXPECT_FALSE(combo->FindSelection());
    EXPECT_EQ(2, Count(seq, "OnClick")) << "found, then lost: " << seq.Dump();
    EXPECT_TRUE(Agree());
    Type(L"ab");
    PressKey(VK_BACK);
    EXPECT_EQ(L"a [] -1", State()) << "no search under way: an ordinary Backspace";

    // Typed freely but only towards an item: the first Backspace starts the search.
    combo->SetText(L"");
    combo->Properties().SetDropDownListStyle(lsEditFixedList);
    combo->SetItemIndex(2);
    combo->SelectAll();
    combo->SetSelStart(4);
    seq.Clear();
    ASSERT_FALSE(combo->FindSelection());
    PressKey(VK_BACK);
    EXPECT_EQ(L"Home [e] 2", State());
    EXPECT_TRUE(combo->FindSelection());
    PressKey(VK_BACK);
    PressKey(VK_BACK);
    EXPECT_EQ(L"Home [ome] 2", State());
    PressKey(VK_BACK);
    EXPECT_EQ(L" [] -1", State());
    EXPECT_FALSE(combo->FindSelection());
    EXPECT_EQ(1, Count(seq, "OnClick")) << seq.Dump();
    EXPECT_TRUE(Agree());

    // A fixed list: Backspace is always taken; the text stays an item.
    combo->Properties().SetDropDownListStyle(lsFixedList);
    combo->SetItemIndex(-1);
    seq.Clear();
    PressKey(VK_BACK);
    EXPECT_EQ(L" [] -1", State()) << "nothing to take back";
    Type(L"of");
    PressKey(VK_BACK);
    EXPECT_EQ(L"Office [ffice] 0", State());
    PressKey(VK_BACK);
    EXPECT_FALSE(combo->FindSelection()) << "the search text is empty: the search ends";
    EXPECT_EQ(L"Office [] 0", State()) << "the item stays, nothing is selected any more";
    EXPECT_TRUE(Agree());
    Type(L"h");
    EXPECT_EQ(L"Home [ome] 2", State()) << "a new search begins with the next character";
    EXPECT_EQ(2, Count(seq, "OnClick")) << seq.Dump();
}

TEST_F(LookupTest, AFailedFixedListSearchKeepsTheItemWhileItsTailIsSelected)
{
    Make(lsFixedList);
    Type(L"o");
    EXPECT_EQ(L"Office [ffice] 0", State());
    Type(L"h");
    EXPECT_EQ(L"Office [ffice] 0", State()) << "Oh is no item's beginning: refused";
    EXPECT_EQ(1, Count(seq, "OnClick")) << seq.Dump();
    // The whole item typed: nothing is selected, and a character that continues no
    // item starts again from itself.
    Type(L"ffice");
    EXPECT_EQ(L"Office [] 0", State());
    Type(L"h");
    EXPECT_EQ(L"Home [ome] 2", State());
    EXPECT_TRUE(Agree());
}

TEST_F(LookupTest, CaretAndNavigationKeysInEachListStyle)
{
    // A fixed list: Home and End choose, Left, Right and Delete only end the search.
    Make(lsFixedList);
    PressKey(VK_END);
    EXPECT_EQ(L"Home [] 2", State());
    PressKey(VK_HOME);
    EXPECT_EQ(L"Office [] 0", State());
    for (WORD key : {VK_LEFT, VK_RIGHT, VK_DELETE}) {
        Type(L"o");
        ASSERT_EQ(L"Office [ffice] 0", State()) << key << ": the search begins anew after the last one ended";
        ASSERT_TRUE(combo->FindSelection());
        PressKey(key);
        EXPECT_FALSE(combo->FindSelection()) << key;
        EXPECT_EQ(L"Office [] 0", State()) << key << ": the search's selection goes with it";
        EXPECT_EQ(0, combo->ItemIndex()) << key;
    }
    EXPECT_TRUE(Agree());

    // Free text: Home and End move the caret; Left and Right end the search and put
    // the caret at an end of the selection; Delete deletes.
    TcxComboBox* fixed = combo;
    fixed->SetTop(100);
    Make(lsEditList);
    Type(L"of");
    PressKey(VK_HOME);
    EXPECT_EQ(L"Office [] 0", State());
    EXPECT_EQ(0, combo->SelStart());
    EXPECT_TRUE(combo->FindSelection()) << "Home does not end the search";
    PressKey(VK_END);
    EXPECT_FALSE(combo->FindSelection()) << "End with nothing selected ends it";
    EXPECT_EQ(6, combo->SelStart());
    Type(L"");
    combo->SetText(L"");
    Type(L"of");
    PressKey(VK_LEFT);
    EXPECT_EQ(2, combo->SelStart());
    EXPECT_EQ(0, combo->SelLength());
    EXPECT_FALSE(combo->FindSelection());
    combo->SetSelStart(2);
    combo->SetSelLength(4);
    PressKey(VK_RIGHT);
    EXPECT_EQ(6, combo->SelStart());
    EXPECT_EQ(0, combo->SelLength());
    combo->SetSelStart(2);
    combo->SetSelLength(4);
    PressKey(VK_DELETE);
    EXPECT_EQ(L"Of [] 0", State()) << "the selection is deleted; the item stays until the list follows";

    // Typed towards an item: Delete changes nothing.
    combo->SetTop(150);
    Make(lsEditFixedList);
    Type(L"ho");
    EXPECT_EQ(L"Home [me] 2", State());
    PressKey(VK_DELETE);
    EXPECT_EQ(L"Home [me] 2", State());
    EXPECT_FALSE(combo->FindSelection());
    PressKey(VK_RIGHT);
    EXPECT_EQ(L"Home [] 2", State());
    EXPECT_EQ(4, combo->SelStart());
    EXPECT_TRUE(Agree());
}

TEST_F(LookupTest, TypingTowardsAnItemRefusesWhatLeadsNowhere)
{
    Make(lsEditFixedList);
    Type(L"x");
    EXPECT_EQ(L" [] -1", State()) << "refused in an empty edit";
    EXPECT_FALSE(combo->FindSelection()) << "the text is empty";
    Type(L"of");
    EXPECT_EQ(L"Office [fice] 0", State());
    Type(L"fx");
    EXPECT_EQ(L"Office [ice] 0", State()) << "x is refused";
    EXPECT_TRUE(combo->FindSelection());
    Type(L"ice2");
    EXPECT_EQ(L"office2 [] 1", State()) << "Office2 begins office2, ignoring case";
    combo->SelectAll();
    Type(L"HOMX");
    EXPECT_EQ(L"Home [e] 2", State()) << "the typed part takes the item's case; X is refused";
    EXPECT_EQ(3, Count(seq, "OnClick")) << seq.Dump();
    EXPECT_TRUE(Agree());
}

TEST_F(LookupTest, AReadOnlyComboBoxOrOneWhoseEditingIsRefusedKeepsItsItem)
{
    Make(lsFixedList);
    combo->SetItemIndex(0);
    combo->Properties().SetReadOnly(true);
    seq.Clear();
    auto unchanged = [&](const char* what) {
        EXPECT_EQ(L"Office", combo->Text()) << what;
        EXPECT_EQ(0, combo->ItemIndex()) << what;
        EXPECT_TRUE(Agree()) << what;
    };
    for (WORD key : {VK_DOWN, VK_END, VK_NEXT})
        PressKey(key);
    unchanged("keys");
    Type(L"h");
    unchanged("a character");
    SendMessageW(combo->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    Pump();
    EXPECT_SCREEN_FRESH();
    unchanged("the wheel");

    // The open list may be looked through; neither Enter nor a click takes a row.
    PressKey(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    PressKey(VK_DOWN);
    EXPECT_EQ(1, List(combo).ItemIndex());
    PressKey(VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown());
    unchanged("Enter");
    PressKey(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    const RECT row = List(combo).ItemRect(2);
    PostMouse(List(combo).Handle(), WM_LBUTTONDOWN, POINT{5, row.top + 2});
    PostMouse(List(combo).Handle(), WM_LBUTTONUP, POINT{5, row.top + 2});
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_SCREEN_FRESH();
    unchanged("a click on a row");
    combo->Properties().SetReadOnly(false);
    combo->LookupData().AcceptHighlight();
    EXPECT_EQ(0, combo->ItemIndex());

    // OnEditing refuses: the same.
    bool asked = false;
    combo->OnEditing = [&](TObject*, bool& can) {
        asked = true;
        can = false;
    };
    PressKey(VK_DOWN);
    EXPECT_TRUE(asked);
    unchanged("editing refused");
    EXPECT_EQ(0, Count(seq, "OnClick")) << seq.Dump();

    // The program may still choose the item.
    combo->OnEditing = nullptr;
    combo->Properties().SetReadOnly(true);
    combo->SetItemIndex(2);
    EXPECT_EQ(L"Home", combo->Text());
    EXPECT_EQ(2, combo->ItemIndex());
    EXPECT_SCREEN_FRESH();
}

TEST_F(LookupTest, TheItemIndexNeverPointsPastTheItems)
{
    Make(lsFixedList);
    combo->SetItemIndex(2);
    combo->Items().Clear();
    EXPECT_EQ(-1, combo->ItemIndex()) << "no items, no current item";
    EXPECT_EQ(L"Home", combo->Text()) << "clearing the items leaves the text alone";
    combo->Items().Assign(std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"});
    EXPECT_EQ(-1, combo->ItemIndex()) << "the old index does not come back with new items";

    combo->SetItemIndex(4);
    combo->Items().BeginUpdate();
    combo->Items().Delete(4);
    combo->Items().Delete(3);
    EXPECT_EQ(-1, combo->ItemIndex()) << "read while the change is under way";
    combo->Items().EndUpdate();
    EXPECT_EQ(-1, combo->ItemIndex());
    PressKey(VK_DOWN);
    EXPECT_EQ(L"a [] 0", State()) << "the arrows move from no item";
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_EQ(L"c [] 2", State());
    EXPECT_TRUE(Agree());
}

TEST_F(LookupTest, ImmediateUpdateTextAndImmediatePost)
{
    Make(lsFixedList);
    combo->Properties().SetImmediateUpdateText(true);
    PressKey(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    PressKey(VK_DOWN);
    EXPECT_EQ(L"Office", combo->Text()) << "the text follows the highlight at once";
    EXPECT_EQ(0, combo->ItemIndex());
    EXPECT_EQ(0, List(combo).ItemIndex());
    PressKey(VK_DOWN);
    EXPECT_EQ(L"office2 [] 1", State());
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(L"office2 [] 1", State()) << "what was shown stays";
    EXPECT_EQ(0, Count(seq, "OnValidate"));

    // With ImmediatePost a change the search found is posted at once (this system
    // keeps no value outside the edit, so a post stores nothing); the search goes on
    // after it, and what is shown and raised is what it is without the switch.
    std::string events[2];
    for (bool post : {false, true}) {
        TcxComboBox* fixed = combo;
        Make(lsEditList);
        combo->SetTop(post ? 150 : 100);
        combo->Properties().SetImmediatePost(post);
        Type(L"x");
        PressKey(VK_BACK);
        Type(L"h");
        EXPECT_EQ(L"Home [ome] 2", State()) << post;
        EXPECT_TRUE(combo->FindSelection()) << post << ": the search goes on after the post";
        Type(L"o");
        EXPECT_EQ(L"Home [me] 2", State()) << post;
        fixed->SetFocus();
        Pump();
        EXPECT_TRUE(Agree());
        events[post] = seq.Dump();
    }
    EXPECT_EQ(events[0], events[1]);
    EXPECT_TRUE(Agree());
}
