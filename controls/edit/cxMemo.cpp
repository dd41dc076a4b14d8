#include "controls/edit/cxMemo.h"

#include <algorithm>

using namespace qv;

bool MemoNeedsHorizontalRedraw(TScrollStyle AScrollBars, bool AWordWrap)
{
    return AWordWrap && AScrollBars != ssHorizontal && AScrollBars != ssBoth;
}

// ---------------------------------------------------------------------------

TcxCustomMemoProperties::TcxCustomMemoProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner)
{
    SetAutoSelect(false);
}

void TcxCustomMemoProperties::SetScrollBars(TScrollStyle Value)
{
    if (Value == scrollBars_)
        return;
    scrollBars_ = Value;
    Changed();
}

void TcxCustomMemoProperties::SetWantReturns(bool Value)
{
    if (Value == wantReturns_)
        return;
    wantReturns_ = Value;
    Changed();
}

void TcxCustomMemoProperties::SetWantTabs(bool Value)
{
    if (Value == wantTabs_)
        return;
    wantTabs_ = Value;
    Changed();
}

void TcxCustomMemoProperties::SetWordWrap(bool Value)
{
    if (Value == wordWrap_)
        return;
    wordWrap_ = Value;
    Changed();
}

void TcxCustomMemoProperties::SetMemoAlignment(TAlignment Value)
{
    TcxEditAlignment a;
    a.SetHorz(Value);
    SetAlignment(a);
}

TcxCustomEdit* TcxCustomMemoProperties::CreateEdit(TComponent* AOwner) { return new TcxMemo(AOwner); }

std::unique_ptr<TcxCustomEditViewInfo> TcxCustomMemoProperties::CreateViewInfo()
{
    return std::make_unique<TcxCustomMemoViewInfo>();
}

// ---------------------------------------------------------------------------

void TcxCustomMemoViewInfo::Assign(const TcxContainerViewInfo& ASource)
{
    TcxCustomTextEditViewInfo::Assign(ASource);
    if (auto s = dynamic_cast<const TcxCustomMemoViewInfo*>(&ASource))
        WordWrap = s->WordWrap;
}

bool TcxCustomMemoViewInfo::IsEqual(const TcxContainerViewInfo& AOther) const
{
    auto o = dynamic_cast<const TcxCustomMemoViewInfo*>(&AOther);
    return o && TcxCustomTextEditViewInfo::IsEqual(AOther) && WordWrap == o->WordWrap;
}

void TcxCustomMemoViewInfo::PaintContent(TcxCanvas& ACanvas)
{
    if (!DrawText || Text.empty() || IsRectEmptyR(TextRect))
        return;
    if (Font)
        ACanvas.Font().Assign(*Font);
    ACanvas.Font().SetColor(ContainerState.Contains(csDisabled) ? clGrayText : TextColor);
    ACanvas.Brush().SetStyle(TBrushStyle::bsClear);
    // From the top, each line where the inner memo would put it.
    TcxTextFlags flags = cxAlignmentsToTextFlags(Alignment, vaTop) | tfExpandTabs;
    if (WordWrap)
        flags |= tfWordBreak;
    ACanvas.DrawCaption(Text, TextRect, flags);
}

void TcxCustomMemoProperties::DoAssign(const TcxCustomEditProperties& ASource)
{
    TcxCustomTextEditProperties::DoAssign(ASource);
    if (auto s = dynamic_cast<const TcxCustomMemoProperties*>(&ASource)) {
        SetScrollBars(s->scrollBars_);
        SetWantReturns(s->wantReturns_);
        SetWantTabs(s->wantTabs_);
        SetWordWrap(s->wordWrap_);
    }
}

// ---------------------------------------------------------------------------

TcxCustomInnerMemo::TcxCustomInnerMemo(TComponent* AOwner) : TcxInnerTextEditBase<TMemo>(AOwner)
{
    SetParentFont(true);
}

void TcxCustomInnerMemo::CreateParams(TCreateParams& Params)
{
    TcxInnerTextEditBase<TMemo>::CreateParams(Params);
    // A memo scrolls sideways only without word wrap.
    if (WordWrap())
        Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    Params.ClassStyleRemoved = CS_VREDRAW | (MemoNeedsHorizontalRedraw(ScrollBars(), WordWrap()) ? 0 : CS_HREDRAW);
    Params.WinClassName = MemoNeedsHorizontalRedraw(ScrollBars(), WordWrap()) ? L"TcxInnerMemo" : L"TcxInnerMemoNoHRedraw";
}

// ---------------------------------------------------------------------------

TcxCustomMemo::TcxCustomMemo(TComponent* AOwner) : TcxCustomTextEdit(AOwner)
{
    SetAutoSize(false);
    SetBounds(Left(), Top(), 185, 89);
}

std::unique_ptr<TcxCustomEditProperties> TcxCustomMemo::CreateProperties()
{
    return std::make_unique<TcxMemoProperties>(this);
}

TWinControl* TcxCustomMemo::CreateInnerEdit()
{
    auto inner = new TcxCustomInnerMemo(this);
    inner->SetColor(clWindow);
    return inner;
}

TcxCustomInnerMemo* TcxCustomMemo::InnerMemo() { return dynamic_cast<TcxCustomInnerMemo*>(InnerControl()); }

TStrings& TcxCustomMemo::Lines()
{
    EnsureCreated();
    return InnerMemo()->Lines();
}

void TcxCustomMemo::CreateParams(TCreateParams& Params)
{
    TcxCustomTextEdit::CreateParams(Params);
    const bool hRedraw = MemoNeedsHorizontalRedraw(ActiveProperties().ScrollBars(), ActiveProperties().WordWrap());
    Params.WinClassName = hRedraw ? L"TcxMemo" : L"TcxMemoNoHRedraw";
    Params.ClassStyle = CS_DBLCLKS | (hRedraw ? CS_HREDRAW : 0);
}

void TcxCustomMemo::PropertiesChanged(TcxCustomEditProperties* Sender)
{
    if (TcxCustomInnerMemo* inner = InnerMemo(); inner && !IsInitializing()) {
        TcxCustomMemoProperties& p = ActiveProperties();
        if (inner->ScrollBars() != p.ScrollBars() || inner->WordWrap() != p.WordWrap()) {
            // Both windows are made again (their classes depend on these); the text stays.
            const std::wstring text = GetDisplayText();
            inner->SetScrollBars(p.ScrollBars());
            inner->SetWordWrap(p.WordWrap());
            if (HandleAllocated())
                RecreateWnd();
            if (GetDisplayText() != text)
                inner->SetText(text);
        }
        inner->SetWantReturns(p.WantReturns());
        inner->SetWantTabs(p.WantTabs());
    }
    TcxCustomTextEdit::PropertiesChanged(Sender);
}

void TcxCustomMemo::PlaceInnerEdit()
{
    TWinControl* inner = InnerControl();
    if (!inner || placing_)
        return;
    placing_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{placing_};
    const RECT c = ViewInfo().ContentRect;
    const RECT r = Bounds(c.left + 1, c.top + 1, std::max(0, static_cast<int>(c.right - c.left - 2)),
                          std::max(0, static_cast<int>(c.bottom - c.top - 2)));
    if (!(inner->BoundsRect() == r))
        inner->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    inner->SetColor(ViewInfo().BackgroundColor);
    inner->Font().Assign(Style().Font());
}

void TcxCustomMemo::CalculateViewInfo(POINT P, bool AIsMouseOver)
{
    TcxCustomTextEdit::CalculateViewInfo(P, AIsMouseOver);
    if (auto vi = dynamic_cast<TcxCustomMemoViewInfo*>(&ViewInfo()))
        vi->WordWrap = ActiveProperties().WordWrap();
}

bool TcxCustomMemo::IsEditValueChangingKey(WORD AKey, TShiftState AShift)
{
    if (AKey == VK_RETURN && ActiveProperties().WantReturns())
        return true;
    return TcxCustomTextEdit::IsEditValueChangingKey(AKey, AShift);
}

bool TcxCustomMemo::IsValueChangingChar(wchar_t AChar)
{
    // Enter and Ctrl+Enter break the line where returns are wanted.
    if (AChar == kEnterChar || AChar == kLineFeedChar)
        return ActiveProperties().WantReturns();
    return TcxCustomTextEdit::IsValueChangingChar(AChar);
}

std::wstring TcxCustomMemo::PreparePastedText(const std::wstring& AText, int AKeptLength)
{
    return FitMaxLength(AText, AKeptLength);
}

void TcxCustomMemo::KeyDown(WORD& Key, TShiftState Shift)
{
    TcxCustomTextEdit::KeyDown(Key, Shift);
    // Ctrl+A selects the whole text of a memo that has any.
    if (Key == 'A' && (Shift & ssCtrl) && !(Shift & ssAlt) && InnerMemo() && !GetDisplayText().empty()) {
        SelectAll();
        Key = 0;
    }
}
