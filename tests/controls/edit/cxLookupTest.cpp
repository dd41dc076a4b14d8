// A text edit with items, in each list style: incremental search, navigation keys and
// the current item following the text, driven with real keys.
#include "EditTestSupport.h"

using namespace qv;
using namespace qvtest;

namespace {

struct TListProperties : TcxTextEditProperties {
    using TcxTextEditProperties::TcxTextEditProperties;
    TcxEditEditingStyle style = esEdit;
    TcxEditEditingStyle EditingStyle() const override { return style; }
};

struct TListEdit : TcxTextEdit {
    using TcxTextEdit::TcxTextEdit;
    TListProperties& List() { return static_cast<TListProperties&>(Properties()); }

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override
    {
        return std::make_unique<TListProperties>(this);
    }
};

struct LookupTest : EditFormTest {
    TListEdit* list = nullptr;
    int clicks = 0;

    void Make(TcxEditEditingStyle style, std::vector<std::wstring> items = {L"Office", L"office2", L"Home"})
    {
        list = new TListEdit(form);
        list->SetBounds(150, 50, 121, 21);
        list->SetParent(form);
        list->List().style = style;
        list->List().LookupItems().Assign(items);
        list->OnClick = [this](TObject*) { ++clicks; };
        list->SetFocus();
        Pump();
        EXPECT_SCREEN_FRESH();
    }
    std::wstring Selected() { return list->SelText(); }
};

} // namespace

TEST_F(LookupTest, FixedListTypingFindsItemsAndRefusesTheRest)
{
    Make(esFixedList);
    TypeText(L"o");
    EXPECT_EQ(L"Office", list->Text());
    EXPECT_EQ(L"ffice", Selected());
    EXPECT_EQ(0, list->ItemIndex());
    TypeText(L"f");
    EXPECT_EQ(L"Office", list->Text()) << "the typed part keeps the item's letter case";
    EXPECT_EQ(L"fice", Selected());
    TypeText(L"x");
    EXPECT_EQ(L"Office", list->Text()) << "a character that leads to no item is refused";
    EXPECT_EQ(0, list->ItemIndex());
    EXPECT_EQ(1, clicks) << "one item change, one click";
}

TEST_F(LookupTest, SearchIgnoresCaseAndShowsTheItemsCase)
{
    Make(esFixedList);
    TypeText(L"HO");
    EXPECT_EQ(L"Home", list->Text());
    EXPECT_EQ(2, list->SelStart()) << "Ho typed";
    EXPECT_EQ(L"me", Selected());
    EXPECT_EQ(2, list->ItemIndex());
}

TEST_F(LookupTest, EditListTakesFreeTextAndClearsTheItem)
{
    Make(esEdit);
    TypeText(L"x");
    EXPECT_EQ(L"x", list->Text());
    EXPECT_EQ(-1, list->ItemIndex());
    EXPECT_FALSE(list->FindSelection());
    // With the caret at the end the search runs: typing completes an item.
    list->SetText(L"");
    EXPECT_SCREEN_FRESH();
    TypeText(L"h");
    EXPECT_EQ(L"Home", list->Text());
    EXPECT_EQ(L"ome", Selected());
    EXPECT_EQ(2, list->ItemIndex());
}

TEST_F(LookupTest, ArrowsStepWithoutWrapAndPageDownFromNoItem)
{
    std::vector<std::wstring> twenty;
    for (int i = 0; i < 20; ++i)
        twenty.push_back(L"item" + std::to_wstring(i));
    Make(esFixedList, twenty);
    EXPECT_EQ(-1, list->ItemIndex());
    PressKey(VK_NEXT);
    EXPECT_EQ(7, list->ItemIndex()) << "Page Down from no item with 8 rows";
    EXPECT_EQ(L"item7", list->Text());
    PressKey(VK_END);
    EXPECT_EQ(19, list->ItemIndex());
    PressKey(VK_DOWN);
    EXPECT_EQ(19, list->ItemIndex()) << "no wrap at the end";
    EXPECT_EQ(list->Handle(), GetFocus()) << "a fixed list hides its inner window; the edit keeps the focus";
    PressKey(VK_UP);
    EXPECT_EQ(18, list->ItemIndex());
    PressKey(VK_PRIOR, ssCtrl);
    EXPECT_EQ(0, list->ItemIndex());
    EXPECT_EQ(4, clicks);
}

TEST_F(LookupTest, FixedListTextThatIsNoPrefixClearsTheItem)
{
    Make(esFixedList);
    list->SetItemIndex(2);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(L"Home", list->Text());
    EXPECT_EQ(1, clicks);
    list->SetItemIndex(7);
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(2, list->ItemIndex()) << "out of range is ignored";
    list->SetText(L"zzz");
    EXPECT_SCREEN_FRESH();
    EXPECT_EQ(-1, list->ItemIndex());
    EXPECT_EQ(2, clicks);
    list->SetText(L"");
    EXPECT_SCREEN_FRESH();
    list->List().LookupItems().Clear();
    EXPECT_SCREEN_FRESH();
    PressKey(VK_DOWN);
    EXPECT_EQ(-1, list->ItemIndex()) << "an empty list: arrows do nothing";
}

TEST_F(LookupTest, ReadOnlyEditKeepsItsValueWhenStepping)
{
    Make(esFixedList);
    list->SetItemIndex(0);
    EXPECT_SCREEN_FRESH();
    list->List().SetReadOnly(true);
    EXPECT_SCREEN_FRESH();
    PressKey(VK_DOWN);
    EXPECT_EQ(L"Office", list->Text()) << "the select step needs a modifiable edit";
}
