// What the drop-down and combo box tests share: a form with a plain edit that has
// the focus first, list and area edits built on the drop-down edit, the edits'
// events recorded in order, and the popup watchdog.
#pragma once

#include "controls/container/PopupTestSupport.h"
#include "controls/dropdown/cxDropDownEdit.h"
#include "controls/edit/EditTestSupport.h"
#include "support/UserInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvtest::dropdown {

using namespace qv;
using qvtest::PressKey;
using qvtest::Pump;
using qvtest::PumpUntil;
using qvtest::TMessageSequence;


// What a list edit builds on: the popup shows the lookup items and Enter takes the
// highlighted one.
class TListProperties : public TcxCustomDropDownEditProperties {
public:
    using TcxCustomDropDownEditProperties::TcxCustomDropDownEditProperties;
    bool UsesLookupData() const override { return true; }
};

class TListEdit : public TcxCustomDropDownEdit {
public:
    using TcxCustomDropDownEdit::TcxCustomDropDownEdit;
    bool CanDropDown() override { return ActiveProperties().LookupItems().Count() > 0; }

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override
    {
        return std::make_unique<TListProperties>(this);
    }
};

// A drop-down edit whose popup holds an area of a fixed preferred size.
class TAreaProperties : public TcxCustomDropDownEditProperties {
public:
    using TcxCustomDropDownEditProperties::TcxCustomDropDownEditProperties;
    bool VisualAreaByLookupData() const override { return false; }
};

class TAreaEdit : public TcxCustomDropDownEdit {
public:
    using TcxCustomDropDownEdit::TcxCustomDropDownEdit;
    bool CanDropDown() override { return true; }
    SIZE GetPopupWindowClientPreferredSize() override { return SIZE{150, 90}; }

protected:
    std::unique_ptr<TcxCustomEditProperties> CreateProperties() override
    {
        return std::make_unique<TAreaProperties>(this);
    }
};

inline std::pair<int, int> SizeOf(const TControl& c) { return {c.Width(), c.Height()}; }

inline int Count(const TMessageSequence& seq, const std::string& event)
{
    int n = 0;
    for (const qvtest::TSeqEntry& e : seq.Recorded())
        n += e.event == event;
    return n;
}

inline void PostMouse(HWND wnd, UINT msg, POINT client)
{
    PostMessageW(wnd, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(client.x, client.y));
    Pump();
}

struct DropDownTest : ::testing::Test {
    qvtest::TPopupWatchdog watchdog;
    TForm* form = nullptr;
    TEdit* before = nullptr;
    TMessageSequence seq;
    std::vector<std::wstring> errors;

    void SetUp() override
    {
        watchdog.Start();
        SetCursorPos(0, 0);
        Application->OnException = [this](TObject*, const std::exception_ptr& e) {
            errors.push_back(TApplication::MessageOf(e));
        };
        form = NewForm<TForm>(nullptr);
        form->SetBounds(100, 100, 320, 240);
        form->SetClientSize(300, 200);
        form->Font().SetName(L"SimSun");
        form->Font().SetHeight(-12);
        before = new TEdit(form);
        before->SetBounds(10, 10, 80, 20);
        before->SetParent(form);
        form->Show();
        before->SetFocus();
        Pump();
    }
    void TearDown() override
    {
        EXPECT_FALSE(watchdog.Stop()) << "a popup stayed open until the watchdog closed it";
        delete form;
        Pump();
        EXPECT_TRUE(TcxCustomPopupWindow::OpenPopups().empty());
        Application->OnException = nullptr;
    }

    template <class T>
    T* MakeEdit(int x, int y)
    {
        auto e = new T(form);
        e->SetBounds(x, y, 121, 21);
        e->SetParent(form);
        TcxCustomDropDownEditProperties& p = e->Properties();
        p.OnInitPopup = [this](TObject*) { seq.Event("edit", "OnInitPopup"); };
        p.OnPopup = [this](TObject*) { seq.Event("edit", "OnPopup"); };
        p.OnCloseUp = [this](TObject*) { seq.Event("edit", "OnCloseUp"); };
        p.OnChange = [this](TObject*) { seq.Event("edit", "OnChange"); };
        p.OnEditValueChanged = [this](TObject*) { seq.Event("edit", "OnEditValueChanged"); };
        e->OnClick = [this](TObject*) { seq.Event("edit", "OnClick"); };
        return e;
    }
    TListEdit* MakeList(int x, int y)
    {
        auto e = MakeEdit<TListEdit>(x, y);
        e->Properties().LookupItems().Assign(std::vector<std::wstring>{L"alpha", L"beta", L"gamma"});
        e->Properties().SetPopupAutoSize(true);
        return e;
    }
    void Focus(TcxCustomEdit* e)
    {
        e->SetFocus();
        Pump();
        ASSERT_EQ(e->InnerControl()->Handle(), GetFocus());
    }
    // Opens by F4 and waits until the popup shows.
    void Open(TcxCustomDropDownEdit* e)
    {
        PressKey(VK_F4);
        ASSERT_TRUE(PumpUntil([&] { return e->DroppedDown(); }));
        EXPECT_SCREEN_FRESH();
    }
};


struct ComboBoxTest : DropDownTest {
    TcxComboBox* MakeCombo(TcxEditDropDownListStyle style,
                           std::vector<std::wstring> items = {L"Office", L"office2", L"Home"}, int width = 121)
    {
        auto combo = MakeEdit<TcxComboBox>(10, 50);
        combo->SetWidth(width);
        combo->Properties().SetDropDownListStyle(style);
        combo->Items().Assign(items);
        return combo;
    }
    TcxCustomEditListBox& List(TcxComboBox* combo) { return *combo->LookupData().List(); }
    using DropDownTest::Focus;
    void Focus(TcxComboBox* combo)
    {
        combo->SetFocus();
        Pump();
    }
};

inline std::vector<std::wstring> Numbered(int n)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < n; ++i)
        items.push_back((i < 10 ? L"item0" : L"item") + std::to_wstring(i));
    return items;
}

} // namespace qvtest::dropdown
