// The edit framework. Every edit control is built from two halves: a properties
// object (settings and value events, shareable through a repository item) and the
// control (the value, the text on screen, the modified and validated flags, focus,
// and the inner window that does the typing). The control is a container; before it
// paints it asks its properties for a view data object that works out a fresh view
// info from the properties, the style and the bounds.
#pragma once

#include "controls/container/cxContainer.h"
#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "framework/Forms.h"
#include "framework/Scope.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

class TcxCustomEdit;
class TcxCustomEditProperties;
class TcxCustomEditStyle;
class TcxCustomEditViewData;
class TcxCustomEditViewInfo;
class TcxEditRepositoryItem;

// The characters that keys make (WM_CHAR), by name.
inline constexpr wchar_t kBackspaceChar = L'\b';
inline constexpr wchar_t kTabChar = L'\t';
inline constexpr wchar_t kLineFeedChar = L'\n';
inline constexpr wchar_t kEnterChar = L'\r';
inline constexpr wchar_t kEscapeChar = L'\x1b';
// Ctrl+V, Ctrl+X and Ctrl+Z as characters: the window's paste, cut and undo.
inline constexpr wchar_t kPasteChar = L'\x16';
inline constexpr wchar_t kCutChar = L'\x18';
inline constexpr wchar_t kUndoChar = L'\x1a';

// ---------------------------------------------------------------------------
// The edit value

// A date and time as the days since 30 December 1899 (the fraction is the time of day).
struct TcxDateTime {
    double Value = 0;
    friend bool operator==(const TcxDateTime& a, const TcxDateTime& b) { return a.Value == b.Value; }
};

enum TcxEditValueType { evtNull, evtString, evtInteger, evtFloat, evtDate };

// The value of an edit: nothing (Null), a text, a whole number, a number or a date.
class TcxEditValue {
public:
    TcxEditValue() = default;
    TcxEditValue(const std::wstring& AValue) : value_(AValue) {}
    TcxEditValue(const wchar_t* AValue) : value_(std::wstring(AValue)) {}
    TcxEditValue(long long AValue) : value_(AValue) {}
    TcxEditValue(int AValue) : value_(static_cast<long long>(AValue)) {}
    TcxEditValue(double AValue) : value_(AValue) {}
    TcxEditValue(TcxDateTime AValue) : value_(AValue) {}
    static TcxEditValue Null() { return {}; }

    TcxEditValueType Type() const { return static_cast<TcxEditValueType>(value_.index()); }
    bool IsNull() const { return Type() == evtNull; }
    bool IsString() const { return Type() == evtString; }
    // The text of the value: empty for Null, numbers in the shortest exact form, dates
    // as the system formats them.
    std::wstring ToString() const;
    const std::wstring* AsString() const { return std::get_if<std::wstring>(&value_); }

    // The same type and an equal value (Null equals Null).
    friend bool operator==(const TcxEditValue& a, const TcxEditValue& b) { return a.value_ == b.value_; }
    friend bool operator!=(const TcxEditValue& a, const TcxEditValue& b) { return !(a == b); }

private:
    std::variant<std::monostate, std::wstring, long long, double, TcxDateTime> value_;
};

// A key with its shift state as one 16-bit value: the virtual key plus these bits.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCutOf(WORD AKey, qv::TShiftState AShift);

// ---------------------------------------------------------------------------
// Styles

enum TcxEditBorderStyle { ebsNone, ebsSingle, ebsThick, ebsFlat, ebs3D, ebsUltraFlat };
enum TcxEditButtonStyle { btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat, btsUltraFlat };
enum TcxEditButtonTransparency { ebtNone, ebtInactive, ebtAlways, ebtHideInactive, ebtHideUnselected };
enum TcxEditPopupBorderStyle { epbsDefault, epbsSingle, epbsFrame3D, epbsFlat };
enum : int { svButtonStyle = 8, svButtonTransparency = 9, svPopupBorderStyle = 10 };
inline constexpr int cxEditStyleValueCount = 11;

class TcxEditStyleController;

class TcxCustomEditStyle : public TcxContainerStyle {
public:
    using TcxContainerStyle::TcxContainerStyle;

    TcxEditBorderStyle BorderStyle() const
    {
        return static_cast<TcxEditBorderStyle>(TcxContainerStyle::BorderStyle());
    }
    void SetBorderStyle(TcxEditBorderStyle Value)
    {
        TcxContainerStyle::SetBorderStyle(static_cast<TcxContainerBorderStyle>(Value));
    }
    TcxEditButtonStyle ButtonStyle() const;
    void SetButtonStyle(TcxEditButtonStyle Value);
    TcxEditButtonTransparency ButtonTransparency() const;
    void SetButtonTransparency(TcxEditButtonTransparency Value);
    TcxEditPopupBorderStyle PopupBorderStyle() const;
    void SetPopupBorderStyle(TcxEditPopupBorderStyle Value);
    TcxEditStyleController* StyleController() const;
    void SetStyleController(TcxEditStyleController* Value);

    int GetAssignedValuesCount() const override { return cxEditStyleValueCount; }
    std::wstring GetAssignedValueName(int AIndex) const override;

protected:
    void DoAssign(const TcxContainerStyle& ASource) override;

private:
    TcxCustomEditStyle* ControllerEditStyle() const;

    TcxEditButtonStyle buttonStyle_ = btsDefault;
    TcxEditButtonTransparency buttonTransparency_ = ebtNone;
    TcxEditPopupBorderStyle popupBorderStyle_ = epbsDefault;
};

class TcxEditStyle : public TcxCustomEditStyle {
public:
    using TcxCustomEditStyle::TcxCustomEditStyle;
};

// A style controller whose style is an edit style.
class TcxEditStyleController : public TcxStyleController {
public:
    using TcxStyleController::TcxStyleController;
    TcxCustomEditStyle& Style() { return static_cast<TcxCustomEditStyle&>(TcxStyleController::Style()); }

protected:
    std::unique_ptr<TcxContainerStyle> CreateStyle() override;
};

// ---------------------------------------------------------------------------
// Edit buttons

enum TcxEditButtonKind { bkEllipsis, bkDown, bkGlyph };

class TcxEditButtons;

class TcxEditButton : public qv::TPersistent {
public:
    explicit TcxEditButton(TcxEditButtons* ACollection);

    int Index() const;
    bool Default() const { return default_; }
    // True first clears Default on every other button.
    void SetDefault(bool Value);
    // Made on first read; a change of the bitmap notifies.
    qv::TBitmap& Glyph();
    bool HasGlyph() const { return glyph_ && !glyph_->Empty(); }
    // nullptr frees the bitmap.
    void SetGlyph(const qv::TBitmap* Value);
    TcxEditButtonKind Kind() const { return kind_; }
    void SetKind(TcxEditButtonKind Value);
    bool LeftAlignment() const { return leftAlignment_; }
    void SetLeftAlignment(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    // 0: automatic. Any value is stored while the width is not negative; once it is, changes are ignored.
    int Width() const { return width_; }
    void SetWidth(int Value);
    qv::TColor ContentColor() const { return contentColor_; }
    void SetContentColor(qv::TColor Value);

    void Assign(const qv::TPersistent* Source) override;

private:
    friend class TcxEditButtons;
    void Changed();
    // Made with a change report: a new size of the bitmap changes the button's width
    // and maybe the edit's height.
    void MakeGlyph();

    TcxEditButtons* collection_;
    bool default_ = false;
    std::unique_ptr<qv::TBitmap> glyph_;
    TcxEditButtonKind kind_ = bkDown;
    bool leftAlignment_ = false;
    bool visible_ = true;
    int width_ = 0;
    qv::TColor contentColor_ = qv::clBtnText;
};

// The buttons of an edit, owned by its properties; every change of the collection or
// of a button is reported through OnChanged.
class TcxEditButtons : public qv::TPersistent {
public:
    explicit TcxEditButtons(qv::TPersistent* AOwner);
    ~TcxEditButtons() override;

    int Count() const { return static_cast<int>(items_.size()); }
    TcxEditButton& operator[](int AIndex) const { return *items_.at(static_cast<size_t>(AIndex)); }
    TcxEditButton& Add();
    void Delete(int AIndex);
    void Clear();
    int VisibleCount() const;
    int IndexOf(const TcxEditButton* AButton) const;

    void BeginUpdate() { update_.Begin(); }
    void EndUpdate() { update_.End(); }
    void Assign(const qv::TPersistent* Source) override;
    qv::TPersistent* GetOwner() const override { return owner_; }

    std::function<void()> OnChanged;

private:
    friend class TcxEditButton;
    void Changed();

    qv::TPersistent* owner_;
    std::vector<std::unique_ptr<TcxEditButton>> items_;
    TcxUpdateBracket update_;
};

// ---------------------------------------------------------------------------
// Properties

enum TcxEditVertAlignment { taTopJustify, taBottomJustify, taVCenter };

class TcxEditAlignment : public qv::TPersistent {
public:
    explicit TcxEditAlignment(TcxCustomEditProperties* AOwner = nullptr);

    qv::TAlignment Horz() const { return horz_; }
    // Marks Horz assigned even when it stays the same; reports only a change.
    void SetHorz(qv::TAlignment Value);
    TcxEditVertAlignment Vert() const { return vert_; }
    void SetVert(TcxEditVertAlignment Value);
    bool IsHorzAssigned() const { return isHorzAssigned_; }
    // Forgets the assigned Horz and reports.
    void Reset();
    // Copies Vert, Horz and the assigned flag, then reports.
    void Assign(const qv::TPersistent* Source) override;
    bool IsStored() const { return isHorzAssigned_ || vert_ != taTopJustify; }

    std::function<void()> OnChanged;

private:
    void Changed();

    TcxCustomEditProperties* owner_;
    qv::TAlignment horz_ = qv::taLeftJustify;
    TcxEditVertAlignment vert_ = taTopJustify;
    bool isHorzAssigned_ = false;
};

// Which values of the properties are assigned locally (published as AssignedValues).
class TcxCustomEditPropertiesValues : public qv::TPersistent {
public:
    explicit TcxCustomEditPropertiesValues(TcxCustomEditProperties* AProperties) : properties_(AProperties) {}
    bool ReadOnly = false;
    virtual void Reset() { ReadOnly = false; }
    void Assign(const qv::TPersistent* Source) override;

protected:
    TcxCustomEditProperties* properties_;
};

// Supplies what the properties do not assign themselves. The plain provider: not
// read-only, editing allowed, left-justified, every character accepted.
class TcxCustomEditDefaultValuesProvider : public qv::TObject {
public:
    TcxCustomEditDefaultValuesProvider() = default;
    ~TcxCustomEditDefaultValuesProvider() override;
    virtual bool IsReadOnly() const { return false; }
    virtual bool CanModify() const { return true; }
    virtual qv::TAlignment DefaultAlignment() const { return qv::taLeftJustify; }
    virtual bool IsValidChar(wchar_t) const { return true; }
    virtual int DefaultMaxLength() const { return 0; }
};

// The one binding this system has: the value is kept in the edit.
class TcxEditDataBinding : public qv::TObject {
public:
    explicit TcxEditDataBinding(TcxCustomEdit* AEdit);
    ~TcxEditDataBinding() override;

    TcxCustomEditDefaultValuesProvider* DefaultValuesProvider() const { return provider_.get(); }
    bool IsInEditMode() const;
    bool CanModify() const { return true; }
    // Asks to start editing (always granted).
    bool SetEditMode() { return true; }
    // Nothing is stored outside the edit.
    void StoreValue(const TcxEditValue&) {}
    void UpdateDisplayValue();

private:
    TcxCustomEdit* edit_;
    std::unique_ptr<TcxCustomEditDefaultValuesProvider> provider_;
};

using TcxEditButtonClickEvent = std::function<void(qv::TObject* Sender, int AButtonIndex)>;
using TcxEditValidateEvent = std::function<void(qv::TObject* Sender, TcxEditValue& ADisplayValue,
                                                std::wstring& AErrorText, bool& AError)>;
using TcxEditEditingEvent = std::function<void(qv::TObject* Sender, bool& ACanEdit)>;

class TcxCustomEditProperties : public TcxInterfacedPersistent {
public:
    explicit TcxCustomEditProperties(qv::TPersistent* AOwner);
    ~TcxCustomEditProperties() override;
    TcxCustomEditProperties(const TcxCustomEditProperties&) = delete;
    TcxCustomEditProperties& operator=(const TcxCustomEditProperties&) = delete;

    // Every properties object alive, in creation order.
    static const std::vector<TcxCustomEditProperties*>& Instances();

    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool Value);
    bool BeepOnError() const { return beepOnError_; }
    void SetBeepOnError(bool Value);
    TcxEditButtons& Buttons() { return *buttons_; }
    const TcxEditButtons& Buttons() const { return *buttons_; }
    void SetButtons(const TcxEditButtons& Value) { buttons_->Assign(&Value); }
    TShortCut ClearShortCut() const { return clearShortCut_; }
    void SetClearShortCut(TShortCut Value);
    TShortCut ClickShortCut() const { return clickShortCut_; }
    void SetClickShortCut(TShortCut Value);
    bool ImmediatePost() const { return immediatePost_; }
    void SetImmediatePost(bool Value);
    // A scratch copy in which an unassigned Horz is the default alignment.
    const TcxEditAlignment& Alignment() const;
    void SetAlignment(const TcxEditAlignment& Value);
    // The alignment object itself (what Assign and the form file write to).
    TcxEditAlignment& AssignedAlignment() { return *alignment_; }
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    bool IsReadOnlyStored() const { return AssignedValues().ReadOnly; }
    TcxCustomEditPropertiesValues& AssignedValues() const
    {
        const_cast<TcxCustomEditProperties*>(this)->EnsureAssignedValues();
        return *assignedValues_;
    }
    bool UseLeftAlignmentOnEditing() const { return useLeftAlignmentOnEditing_; }
    void SetUseLeftAlignmentOnEditing(bool Value);
    bool IsUseLeftAlignmentOnEditingStored() const
    {
        return useLeftAlignmentOnEditing_ != GetUseLeftAlignmentOnEditingDefault();
    }
    bool ValidateOnEnter() const { return validateOnEnter_; }
    void SetValidateOnEnter(bool Value);

    TcxCustomEditDefaultValuesProvider* DefaultValuesProvider() const { return provider_; }
    void SetDefaultValuesProvider(TcxCustomEditDefaultValuesProvider* Value) { provider_ = Value; }
    // The provider is going away: every properties object drops it.
    static void ProviderDestroyed(TcxCustomEditDefaultValuesProvider* AProvider);

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate(bool ANotify = true);
    int UpdateCount() const { return updateCount_; }
    // While set, Changed reports nothing (an owner copying values in).
    void SetChangedLocked(bool Value) { changedLocked_ = Value; }

    void Assign(const qv::TPersistent* Source) override;
    bool CanModify() const;
    // The character passes HandleEditChar.
    virtual bool IsValidChar(wchar_t AChar) const;
    // Tab inserts a tab character (the memo's WantTabs).
    virtual bool WantTabs() const { return false; }
    // Escape can restore the value at enter.
    bool CanReset() const { return CanResetValue(); }
    // AProperties is of this object's class or of a class derived from it (each
    // properties class answers for its own class).
    virtual bool IsInstance(const TcxCustomEditProperties&) const { return true; }

    // Overridable queries and steps, in slot order.
    virtual void AlignmentReset();
    virtual void SetAlignmentValue(const TcxEditAlignment& Value);
    virtual void ButtonsChanged();
    virtual bool CanValidate() const { return false; }
    virtual void Changed();
    virtual bool CompareValues() const { return false; }
    virtual bool GetUseLeftAlignmentOnEditingDefault() const { return true; }
    virtual std::unique_ptr<TcxCustomEditPropertiesValues> CreateAssignedValues();
    virtual qv::TAlignment GetDefaultHorzAlignment() const;
    virtual std::wstring DefaultErrorText(int AKind) const;
    virtual std::unique_ptr<TcxCustomEditViewData> CreateViewData(TcxCustomEditStyle* AStyle);
    virtual bool SuppressChangeOnSetValue() const { return false; }
    virtual TcxCustomEdit* CreateEdit(qv::TComponent* AOwner);
    virtual std::unique_ptr<TcxCustomEditViewInfo> CreateViewInfo();
    virtual bool CanResetValue() const { return false; }
    virtual TcxEditValue PrepareDisplayValue(const TcxEditValue& AEditValue) const { return AEditValue; }
    virtual void ValidateDisplayValue(TcxEditValue& ADisplayValue, std::wstring& AErrorText, bool& AError,
                                      TcxCustomEdit* AEdit);

    TcxEditButtonClickEvent OnEditButtonClick;
    qv::TNotifyEvent OnChange;
    qv::TNotifyEvent OnEditValueChanged;
    TcxEditValidateEvent OnValidate;
    // How the owning edit or repository item learns of a change.
    std::function<void(TcxCustomEditProperties*)> OnPropertiesChanged;

protected:
    // The range and format checks of a descendant, before OnValidate.
    virtual void DoValidate(TcxEditValue& ADisplayValue, std::wstring& AErrorText, bool& AError, TcxCustomEdit* AEdit);
    // Copies of a descendant's own values, inside Assign's bracket.
    virtual void DoAssign(const TcxCustomEditProperties& ASource);
    // Made on first use: the constructor cannot ask a descendant for its values class.
    void EnsureAssignedValues();

    std::unique_ptr<TcxCustomEditPropertiesValues> assignedValues_;

private:
    // Assign's copies, inside its update bracket.
    void AssignValues(const TcxCustomEditProperties& AProperties);
    void RunOnValidate(TcxEditValue& ADisplayValue, std::wstring& AErrorText, bool& AError, TcxCustomEdit* AEdit);

    bool autoSelect_ = true;
    bool beepOnError_ = false;
    std::unique_ptr<TcxEditButtons> buttons_;
    TShortCut clearShortCut_ = 0;
    TShortCut clickShortCut_ = 0x400D;
    bool immediatePost_ = false;
    std::unique_ptr<TcxEditAlignment> alignment_;
    mutable std::unique_ptr<TcxEditAlignment> scratchAlignment_;
    bool readOnly_ = false;
    int updateCount_ = 0;
    bool useLeftAlignmentOnEditing_ = true;
    bool validateOnEnter_ = false;
    bool changedLocked_ = false;
    TcxCustomEditDefaultValuesProvider* provider_ = nullptr;
};

// ---------------------------------------------------------------------------
// Repository

class TcxEditRepositoryItem;

// Told when a repository item's properties change and when the item goes.
class IcxEditRepositoryItemListener {
public:
    virtual void ItemRemoved(TcxEditRepositoryItem* Sender) = 0;
    virtual void PropertiesChanged(TcxEditRepositoryItem* Sender) = 0;

protected:
    ~IcxEditRepositoryItemListener() = default;
};

class TcxEditRepositoryItem : public qv::TComponent {
public:
    explicit TcxEditRepositoryItem(qv::TComponent* AOwner);
    ~TcxEditRepositoryItem() override;

    // Made on first use from CreateProperties.
    TcxCustomEditProperties& Properties();
    void SetProperties(const TcxCustomEditProperties& Value) { Properties().Assign(&Value); }
    qv::TComponent* Repository() const { return repository_; }
    // Ignored while loading.
    void SetParentComponent(qv::TComponent* AParent);

    void AddListener(IcxEditRepositoryItemListener* AListener);
    void RemoveListener(IcxEditRepositoryItemListener* AListener);
    const std::vector<IcxEditRepositoryItemListener*>& Listeners() const { return listeners_; }

protected:
    virtual std::unique_ptr<TcxCustomEditProperties> CreateProperties();

private:
    friend class TcxEditRepository;
    std::unique_ptr<TcxCustomEditProperties> properties_;
    std::vector<IcxEditRepositoryItemListener*> listeners_;
    qv::TComponent* repository_ = nullptr;
};

class TcxEditRepository : public qv::TComponent {
public:
    explicit TcxEditRepository(qv::TComponent* AOwner) : qv::TComponent(AOwner) {}
    ~TcxEditRepository() override;

    // Creates an item of the class and adds it.
    template <class T>
    T* CreateItem()
    {
        auto item = new T(Owner() ? Owner() : this);
        Add(item);
        return item;
    }
    void Add(TcxEditRepositoryItem* AItem);
    void Remove(TcxEditRepositoryItem* AItem);
    int Count() const { return static_cast<int>(items_.size()); }
    TcxEditRepositoryItem* Item(int AIndex) const { return items_.at(static_cast<size_t>(AIndex)); }

protected:
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;

private:
    std::vector<TcxEditRepositoryItem*> items_;
};

// ---------------------------------------------------------------------------
// View data and view info

enum TcxEditButtonViewState { ebsDisabled, ebsNormal, ebsPressed, ebsSelected };

struct TcxEditButtonViewInfo {
    RECT Bounds{};
    RECT VisibleBounds{};
    int ButtonIndex = -1;  // in Buttons
    TcxEditButtonKind Kind = bkDown;
    bool Default = false;
    const qv::TBitmap* Glyph = nullptr;
    bool LeftAlignment = false;
    int Width = 0;
    TcxEditButtonStyle Style = btsUltraFlat;
    bool Transparent = false;
    TcxEditButtonViewState State = ebsNormal;
    bool NativeStyle = false;
    // The only button, of kind bkDown: the look of a drop-down combo.
    bool IsComboLook = false;
    qv::TColor ContentColor = qv::clBtnText;

    bool SameLook(const TcxEditButtonViewInfo& O) const
    {
        return State == O.State && Style == O.Style && Kind == O.Kind && Transparent == O.Transparent
            && Bounds == O.Bounds;
    }
};

// Edit states: the container's (focused, disabled, hot, normal).
using TcxEditState = TcxContainerState;

class TcxCustomEditViewInfo : public TcxContainerViewInfo {
public:
    TcxEditBorderStyle EditBorderStyle = ebsUltraFlat;  // the style's, before the hot-state table
    std::vector<TcxEditButtonViewInfo> ButtonsInfo;
    // Positions in ButtonsInfo of the first and last left-aligned and right-aligned
    // buttons (-1 for none); the last of each group is the one next to the text.
    int FirstLeftButton = -1, LastLeftButton = -1, FirstRightButton = -1, LastRightButton = -1;
    int PressedButton = -1;
    int HotButton = -1;
    RECT ContentRect{};  // inside the border, without the buttons
    RECT TextRect{};     // the content rectangle less the text margins
    RECT TextMargins{};
    TcxLookAndFeelPainterClass Painter = nullptr;
    qv::TFont* Font = nullptr;
    qv::TColor TextColor = qv::clWindowText;

    void Assign(const TcxContainerViewInfo& ASource) override;
    bool IsEqual(const TcxContainerViewInfo& AOther) const override;

protected:
    void PaintClassic(TcxCanvas& ACanvas) override;
    void PaintThemed(TcxCanvas& ACanvas) override;
    virtual void PaintButtons(TcxCanvas& ACanvas);
    virtual void PaintButton(TcxCanvas& ACanvas, const TcxEditButtonViewInfo& AButton, int AVisibleIndex);
    // Drawn over the background, for an edit whose inner window is hidden (none here).
    virtual void PaintContent(TcxCanvas&) {}
    void PaintBackground(TcxCanvas& ACanvas);
};

// Works a view info out for one calculation or size query; created, used once and freed.
class TcxCustomEditViewData : public qv::TObject {
public:
    TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle);

    TcxCustomEditProperties* Properties;
    TcxCustomEditStyle* Style;
    bool Enabled = true;
    bool Focused = false;
    RECT ContentOffset{};
    TcxEditBorderStyle BorderStyle;
    int ButtonVisibleCount;
    qv::TAlignment HorzAlignment;
    TcxEditVertAlignment VertAlignment;
    bool NativeStyle;
    int MaxWidth = INT_MAX;
    int MaxHeight = INT_MAX;
    // The edit's pressed button (-1) and whether the edit holds the mouse capture.
    int PressedButton = -1;
    // The display density the edit is drawn at; Line() is a line's width there.
    int Dpi = qv::kDesignDpi;
    int Line() const { return qv::LineWidthForDpi(Dpi); }
    bool MouseCaptured = false;
    bool IsDesigning = false;

    // Fills AViewInfo for ABounds with the mouse at P (client coordinates; outside
    // when AMouseOver is false) and the given mouse buttons down.
    virtual void Calculate(const RECT& ABounds, POINT P, bool AMouseOver, qv::TShiftState AButtons,
                           TcxCustomEditViewInfo& AViewInfo);
    // The size of an edit of this width (AutoSize): the height of one text line plus
    // the text margins and the reserved border, grown for a taller glyph.
    virtual SIZE GetEditSize(int AWidth);
    // The space reserved for the border on each side.
    RECT GetBorderExtent() const;
    RECT GetTextMargins() const;
    // The height of one line of text in the style's font.
    int GetTextLineHeight() const;
    // A text edit in one of the list styles has wider text margins.
    virtual bool IsListStyle() const { return false; }
    // btsDefault resolved for the look-and-feel.
    TcxEditButtonStyle ResolveButtonStyle() const;
    // The margins of a button around its content, across (left plus right) and down
    // (top plus bottom): the style's minimum, or the theme's where drawn natively.
    SIZE ButtonContentMargins() const;

protected:
    virtual void CalculateButtons(TcxCustomEditViewInfo& AViewInfo, POINT P, bool AMouseOver,
                                  qv::TShiftState AButtons);
    bool ButtonsHidden(const TcxEditState& AState) const;
};

// The border the hot state turns an edit border style into.
TcxEditBorderStyle GetEditDrawnBorderStyle(TcxEditBorderStyle AStyle, TcxContainerHotState AHotState);
// The popup border of a drop-down for the drawn border style.
TcxEditPopupBorderStyle GetEditPopupBorderStyle(TcxEditPopupBorderStyle AAssigned, TcxEditBorderStyle ADrawn);
// The painter that draws buttons of a resolved style in a state.
TcxLookAndFeelPainterClass GetEditButtonPainter(TcxEditButtonStyle AStyle, TcxEditButtonViewState AState);
TcxButtonState EditButtonStateToButtonState(TcxEditButtonViewState AState);

// ---------------------------------------------------------------------------
// The inner edit

// What an edit needs of the window that does its typing.
class IcxCustomInnerEdit {
public:
    virtual qv::TWinControl* GetControl() = 0;
    virtual TcxCustomEdit* GetContainer() = 0;
    virtual void SetContainer(TcxCustomEdit* AContainer) = 0;
    virtual TcxEditValue GetEditValue() = 0;
    virtual void SetEditValue(const TcxEditValue& Value) = 0;
    virtual bool GetReadOnly() = 0;
    virtual void SetReadOnly(bool Value) = 0;
    virtual void SetOnChange(qv::TNotifyEvent AEvent) = 0;
    virtual void SelectAll() = 0;

protected:
    ~IcxCustomInnerEdit() = default;
};

// The message that raises a deferred error: lParam is a block of a 32-bit length
// and that many characters (see PostDeferredErrorMessage); the edit frees it.
inline constexpr UINT CM_DEFERREDERRORMESSAGE = WM_APP + 105;
void PostDeferredErrorMessage(HWND AWnd, const std::wstring& AText);

// ---------------------------------------------------------------------------
// The edit control

class TcxCustomEdit : public TcxContainer, public IcxEditRepositoryItemListener {
public:
    explicit TcxCustomEdit(qv::TComponent* AOwner);
    ~TcxCustomEdit() override;

    // The edit's own properties (made on first use from CreateProperties).
    TcxCustomEditProperties& Properties();
    void SetProperties(const TcxCustomEditProperties& Value) { Properties().Assign(&Value); }
    // The repository item's properties when there is an item, else the own ones.
    TcxCustomEditProperties& ActiveProperties();
    TcxCustomEditStyle& Style() { return static_cast<TcxCustomEditStyle&>(TcxContainer::Style()); }
    TcxCustomEditViewInfo& ViewInfo() { return static_cast<TcxCustomEditViewInfo&>(TcxContainer::ViewInfo()); }
    TcxEditRepositoryItem* RepositoryItem() const { return repositoryItem_; }
    void SetRepositoryItem(TcxEditRepositoryItem* Value);
    IcxCustomInnerEdit* InnerEdit();
    TcxEditDataBinding& DataBinding();

    const TcxEditValue& EditValue();
    // Overridable: the text edit converts first.
    virtual void SetEditValue(const TcxEditValue& Value);
    // When editing is not locked and (not a user change or editing was granted).
    void ApplyUserValue(const TcxEditValue& Value, bool ALockClick = false);
    bool ModifiedAfterEnter() const { return modifiedSinceEnter_; }
    bool UserModified() const { return userModified_; }
    void SetUserModified(bool Value);
    void SetModifiedAfterEnter(bool Value);
    bool Validated() const { return validated_; }
    bool UserChanging() const { return userChanging_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    int PressedButton() const { return pressedButton_; }
    bool IsPosting() const { return posting_; }

    virtual std::wstring GetDisplayText();
    virtual void RefreshDisplay() {}
    virtual void SelectAll();
    bool ValidateEdit(bool ARaiseException);
    void PostEditValue(bool AValidate = true);
    void ResetEditValue();
    bool RequestEditing();
    bool CanModify();
    // Moves the focus back to the edit (without enter or exit steps), selects all,
    // beeps when asked to, and raises the text when there is one.
    void HandleValidationError(const std::wstring& AErrorText);
    void LockChangeEvents(bool ALock, bool ANotify = true);
    // The change-event bracket: runs AStep with the change events held back; they fire
    // once it is done, also when it raised (an exception of theirs then takes the place
    // of the step's). They never fire from a destructor, so a raising handler reaches
    // the application's handler. Nothing fires when the step destroyed the edit; the
    // answer says whether the edit is still there.
    template <class F>
    bool WithChangeEventsLocked(F&& AStep)
    {
        const auto alive = alive_;
        LockChangeEvents(true);
        try {
            AStep();
        } catch (...) {
            if (*alive)
                LockChangeEvents(false);
            throw;
        }
        if (*alive)
            LockChangeEvents(false);
        return *alive;
    }
    void ClickDefaultButton();
    void FireButtonClick(int AButtonIndex);
    // Whether a key that the dialog manager would take (Enter, Escape, a shortcut)
    // has a meaning in the edit now, so that the edit gets it instead.
    virtual bool WantsDialogKey(WORD AKey, qv::TShiftState AShift);

    // Recalculates view data and view info; invalidates what changed.
    void CalculateViewInfo(POINT P, bool AIsMouseOver) override;
    // Adjusts the size (AutoSize), recalculates and places the inner edit.
    void AdjustSize();

    void WndProc(qv::TMessage& Message) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    // A new font, border, shadow or hot tracking changes the height AutoSize gives.
    void StyleChanged(TcxContainerStyle* Sender) override;

    // Clipboard operations of the edit (the text edit fills them in).
    virtual void CopyToClipboard() {}
    virtual void CutToClipboard() {}
    virtual void PasteFromClipboard() {}
    virtual void ClearSelection() {}

    // IcxEditRepositoryItemListener
    void ItemRemoved(TcxEditRepositoryItem* Sender) override;
    void PropertiesChanged(TcxEditRepositoryItem* Sender) override;

    TcxEditEditingEvent OnEditing;
    // Published for a host; the edit never calls it.
    qv::TNotifyEvent PropertiesEvents;
    // A host control's key notification (none in this system).
    qv::TKeyEvent OnInternalKey;

protected:
    // Class-level queries.
    virtual std::unique_ptr<TcxCustomEditProperties> CreateProperties();
    // The inner control, or nullptr (the base has none).
    virtual qv::TWinControl* CreateInnerEdit() { return nullptr; }
    std::unique_ptr<TcxContainerStyle> CreateStyle() override;
    std::unique_ptr<TcxContainerViewInfo> CreateViewInfo() override;
    // Whether the edit allows editing at all (the text edit asks its inner edit).
    virtual bool CanEditValue() { return true; }
    // Whether the key changes the value (the text edit's rules).
    virtual bool IsEditValueChangingKey(WORD AKey, qv::TShiftState AShift);
    virtual bool IsValueChangingChar(wchar_t AChar) { return AChar >= 32; }
    // Ctrl+X or Shift+Delete.
    static bool IsCutKey(WORD AKey, qv::TShiftState AShift);
    // Whether the edit keeps the focus on Tab (the drop-down edit may).
    virtual bool KeepFocusOnTab() { return false; }
    // Whether the edit shows text (keys 33..40 are its own then).
    virtual bool HasText() const { return false; }
    // The display text becomes the EditValue (the text edit sets it).
    virtual void DisplayValueToEditValue(const TcxEditValue& ADisplayValue);
    // Shows a display value that a validation handler changed.
    virtual void SetDisplayValue(const TcxEditValue& ADisplayValue) { (void)ADisplayValue; }
    virtual void PropertiesChanged(TcxCustomEditProperties* Sender);
    virtual void HandleEditKey(WORD& Key, qv::TShiftState Shift);
    virtual void HandleEditChar(wchar_t& Key);
    // Places the inner edit in the content rectangle (the text edit has its rule).
    virtual void PlaceInnerEdit();
    // The view info changed from APrevious: invalidates what differs.
    void ViewInfoChanged(const TcxContainerViewInfo& APrevious) override;
    // Where an invalidation goes (a seam for tests that count them).
    virtual void InvalidateRect(const RECT& R);
    // The beep of a validation error (a seam for tests that count them).
    virtual void Beep() { MessageBeep(MB_OK); }
    void DoChange();
    void DoEditValueChanged();

    void AdjustInnerControl() override;
    void CreateHandle() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(WORD& Key, qv::TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void KeyUp(WORD& Key, qv::TShiftState Shift) override;
    void MouseDown(qv::TMouseButton Button, qv::TShiftState Shift, int X, int Y) override;
    void MouseUp(qv::TMouseButton Button, qv::TShiftState Shift, int X, int Y) override;
    void FocusChanged() override;
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;
    void BoundsChanged() override;
    // Shown again, the edit takes the size its settings give now.
    void VisibleChanged() override;

    // Makes properties, inner edit and binding on first use.
    void EnsureCreated();
    bool IsInitializing() const { return initializing_; }

    // Save and restore the two modified flags around a step.
    void SaveModified();
    void RestoreModified();
    // The guards of a block (they put back what they changed however it ends):
    // a change made by the user (true) or by the program (false) for the block's life;
    [[nodiscard]] qv::TScopedValue<bool> UserChange(bool AByUser = true) { return {userChanging_, AByUser}; }
    // Click held back while the block sets a value (OnClick is the user's choice only);
    [[nodiscard]] qv::TScopedCount ClickLock() { return qv::TScopedCount(clickLock_); }
    // the two modified flags put back after the block (SaveModified/RestoreModified).
    class [[nodiscard]] TModifiedFlagsKept {
    public:
        explicit TModifiedFlagsKept(TcxCustomEdit& AEdit) : edit_(AEdit) { edit_.SaveModified(); }
        ~TModifiedFlagsKept() { edit_.RestoreModified(); }
        TModifiedFlagsKept(const TModifiedFlagsKept&) = delete;
        TModifiedFlagsKept& operator=(const TModifiedFlagsKept&) = delete;

    private:
        TcxCustomEdit& edit_;
    };
    // The text of the inner edit changed (typed, or set by code).
    virtual void InnerEditChanged() {}

    // False once the edit is destroyed: a step that may destroy it (an event) keeps a
    // copy and looks before it goes on.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    bool userChanging_ = false;
    bool escapeHandled_ = false;
    bool errorFocus_ = false;
    int editingLock_ = 0;
    int clickLock_ = 0;

private:
    int ButtonIndexAt(POINT P);
    void CheckModalClose();

    bool created_ = false;
    bool initializing_ = false;
    std::unique_ptr<TcxCustomEditProperties> properties_;
    TcxEditRepositoryItem* repositoryItem_ = nullptr;
    TcxEditValue editValue_;
    TcxEditValue prevEditValue_;
    bool modifiedSinceEnter_ = false;
    bool userModified_ = false;
    bool validated_ = false;
    bool focusState_ = false;
    int changeLock_ = 0;
    bool changePending_ = false;
    bool valueChangedPending_ = false;
    std::vector<std::pair<bool, bool>> modifiedStack_;
    bool autoSize_ = true;
    int pressedButton_ = -1;
    IcxCustomInnerEdit* innerEdit_ = nullptr;
    std::unique_ptr<TcxEditDataBinding> dataBinding_;
    bool posting_ = false;
    bool adjusting_ = false;
};
