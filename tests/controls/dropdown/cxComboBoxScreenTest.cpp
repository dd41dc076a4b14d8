// A fixed list paints its text itself: whatever changes the text, the item or the
// search selection, the screen shows it at once (and equals a full repaint).
#include "DropDownTestSupport.h"
#include "support/ScreenCheck.h"

#include <gtest/gtest.h>

using namespace qv;
using qvtest::PressKey;
using qvtest::Pump;
using qvtest::PumpUntil;
using qvtest::ShowsText;
using qvtest::TypeText;

namespace {

struct FixedListScreenTest : qvtest::dropdown::DropDownTest {
    TcxComboBox* combo = nullptr;

    void SetUp() override
    {
        DropDownTest::SetUp();
        combo = MakeEdit<TcxComboBox>(10, 50);
        combo->SetBounds(10, 50, 200, 20);
        combo->Properties().SetDropDownListStyle(lsFixedList);
        combo->Items().Assign(std::vector<std::wstring>{L"Office", L"School", L"Home", L"Lab", L"Cafe"});
        Pump();
    }

    // The text area of the closed box on the screen, inside the frame and left of the button.
    RECT TextArea()
    {
        RECT r = qvtest::ScreenRect(combo);
        return RECT{r.left + 3, r.top + 3, r.right - 20, r.bottom - 3};
    }
    ::testing::AssertionResult Shows(const std::wstring& text)
    {
        EXPECT_SCREEN_FRESH();
        if (combo->Text() != text)
            return ::testing::AssertionFailure() << "the combo box holds another text";
        return ShowsText(TextArea(), text);
    }
};

} // namespace

TEST_F(FixedListScreenTest, KeysOnTheClosedListShowTheItemAtOnce)
{
    combo->SetFocus();
    Pump();
    EXPECT_TRUE(Shows(L""));
    const std::pair<WORD, const wchar_t*> steps[] = {
        {VK_DOWN, L"Office"}, {VK_DOWN, L"School"}, {VK_END, L"Cafe"},  {VK_UP, L"Lab"},
        {VK_HOME, L"Office"}, {VK_NEXT, L"Cafe"},   {VK_PRIOR, L"Office"},
    };
    for (auto [key, text] : steps) {
        PressKey(key);
        EXPECT_TRUE(Shows(text)) << "key " << key;
        EXPECT_EQ(text, combo->Items()[static_cast<size_t>(combo->ItemIndex())]);
    }
}

TEST_F(FixedListScreenTest, CodeThatSetsTheItemOrRebuildsTheItemsIsShown)
{
    combo->SetItemIndex(2);
    EXPECT_TRUE(Shows(L"Home"));
    // The main window's rebuild: text emptied, items cleared and added, the first chosen.
    combo->SetText(L"");
    EXPECT_TRUE(Shows(L""));
    combo->Items().BeginUpdate();
    combo->Items().Clear();
    combo->Items().Add(L"Lab");
    combo->Items().Add(L"Cafe");
    combo->Items().EndUpdate();
    combo->SetItemIndex(0);
    EXPECT_TRUE(Shows(L"Lab"));
    combo->SetItemIndex(1);
    EXPECT_TRUE(Shows(L"Cafe"));
    // Cleared to nothing: nothing is shown, not the deleted item.
    combo->SetText(L"");
    combo->Items().Clear();
    EXPECT_TRUE(Shows(L""));
}

TEST_F(FixedListScreenTest, ChoicesInTheOpenListAreShownWhenTaken)
{
    combo->SetFocus();
    Pump();
    PressKey(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_TRUE(Shows(L"")) << "only the highlight moves while the list is open";
    PressKey(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_TRUE(Shows(L"School"));
}

TEST_F(FixedListScreenTest, TypedPrefixShowsTheFoundItemWithItsRestSelected)
{
    combo->SetFocus();
    Pump();
    PressKey(VK_F4);
    ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
    TypeText(L"h");
    EXPECT_EQ(L"Home", combo->Text());
    // The typed H is plain text, the found rest "ome" is drawn selected right after it.
    const qvtest::TScreenShot shot = qvtest::TScreenShot::Settled(TextArea());
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = shot.bounds.top; y < shot.bounds.bottom; ++y)
        for (int x = shot.bounds.left; x < shot.bounds.right; ++x)
            if (shot.At(x, y) == highlight) {
                box.left = std::min<LONG>(box.left, x);
                box.right = std::max<LONG>(box.right, x + 1);
            }
    ASSERT_LT(box.left, box.right) << "no selection on the screen";
    TBitmap probe(1, 1);
    probe.Canvas().Font().SetName(L"SimSun");
    probe.Canvas().Font().SetHeight(-12);
    const int typed = probe.Canvas().TextWidth(L"H"), rest = probe.Canvas().TextWidth(L"ome");
    EXPECT_EQ(rest, box.right - box.left) << "the selected part is the rest of the item";
    EXPECT_TRUE(ShowsText(RECT{shot.bounds.left, shot.bounds.top, box.left, shot.bounds.bottom}, L"H"));
    EXPECT_GE(box.left - shot.bounds.left, typed);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_SCREEN_FRESH();
}
