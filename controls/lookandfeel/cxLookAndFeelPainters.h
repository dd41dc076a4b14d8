// Painters: every visual element of the library's controls in one style. A painter
// keeps no state; each painter class has exactly one shared, immutable instance,
// and "a painter class" (TcxLookAndFeelPainterClass) is a pointer to it. All
// operations are virtual and declared in a fixed order (their slot numbers are
// given in the comments); descendants override parts of the standard behaviour.
// A rectangle argument is never changed, and clDefault as a colour argument means
// the painter's own colour for the state.
#pragma once

#include "controls/lookandfeel/cxGraphics.h"
#include "controls/lookandfeel/cxLookAndFeels.h"

#include "framework/ImgList.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>

enum TcxButtonState { cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled };
enum TcxPainterStyle { psFlat, psStandard, psUltraFlat, psNative };
enum TcxArrowDirection { adUp, adDown, adLeft, adRight };
enum TcxScrollBarPart { sbpNone, sbpLineUp, sbpLineDown, sbpThumb, sbpPageUp, sbpPageDown };

// Which sides of a grid cell touch another cell.
using TcxNeighbors = unsigned;
enum : TcxNeighbors { nLeft = 1, nTop = 2, nRight = 4, nBottom = 8 };

// The glyph a grid's row indicator shows.
enum TcxIndicatorKind { ikNone, ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow };

// A caller's own background drawing; true when it drew the background.
using TcxDrawBackgroundEvent = std::function<bool(TcxCanvas& ACanvas, const RECT& ABounds)>;

class TcxCustomLookAndFeelPainter {
public:
    static const TcxCustomLookAndFeelPainter* Instance();
    virtual ~TcxCustomLookAndFeelPainter() = default;
    TcxCustomLookAndFeelPainter(const TcxCustomLookAndFeelPainter&) = delete;
    TcxCustomLookAndFeelPainter& operator=(const TcxCustomLookAndFeelPainter&) = delete;

    // The arrow triangle of every arrow operation. Proportional: R is made square first.
    static void CalculateArrowPoints(RECT R, POINT& P0, POINT& P1, POINT& P2, TcxArrowDirection AArrowDirection,
                                     bool AProportional);

    // --- grid cells (slots 0-4)
    virtual void PaintFilterArrow(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor) const;             // 0
    virtual void PaintCellContent(TcxCanvas& ACanvas, const RECT& R, const TcxDrawBackgroundEvent& ADrawBackground,
                                  qv::TColor ABkColor, qv::TColor ATextColor, qv::TFont* AFont,
                                  const std::wstring& AText, qv::TAlignment AAlignmentHorz,
                                  TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                                  const RECT& ATextAreaBounds) const;                                        // 1
    virtual RECT CellContentBounds(const RECT& R) const;                                                    // 2
    virtual RECT CellTextBounds(const RECT& R) const;                                                       // 3
    virtual TcxPainterStyle PainterStyle() const;                                                           // 4

    // --- default colours of grid-like elements (slots 5-48)
    virtual qv::TColor DefaultContentEvenColor() const;            // 5
    virtual qv::TColor DefaultContentEvenTextColor() const;        // 6
    virtual qv::TColor DefaultContentOddColor() const;             // 7
    virtual qv::TColor DefaultContentOddTextColor() const;         // 8
    virtual qv::TColor DefaultGridLineColor() const;               // 9
    virtual qv::TColor DefaultContentTextColor() const;            // 10
    virtual qv::TColor DefaultHyperlinkTextColor() const;          // 11
    virtual qv::TColor DefaultPreviewTextColor() const;            // 12
    virtual qv::TColor DefaultDragArrowColor() const;              // 13
    virtual qv::TColor DefaultContentColor() const;                // 14
    virtual qv::TColor DefaultDropMarkColor() const;               // 15
    virtual qv::TColor DefaultEditorTextColor() const;             // 16
    virtual qv::TColor DefaultEditorBackgroundColor() const;       // 17
    virtual qv::TColor DefaultFilterBoxTextColor() const;          // 18
    virtual qv::TColor DefaultFilterBoxColor() const;              // 19
    virtual qv::TColor DefaultFooterColor() const;                 // 20
    virtual qv::TColor DefaultSelectionColor() const;              // 21
    virtual qv::TColor DefaultSelectionTextColor() const;          // 22
    virtual qv::TColor DefaultFooterLineColor() const;             // 23
    virtual qv::TColor DefaultHeaderHighlightColor() const;        // 24
    virtual qv::TColor DefaultFooterTextColor() const;             // 25
    virtual qv::TColor DefaultGroupColor() const;                  // 26
    virtual qv::TColor DefaultGroupTextColor() const;              // 27
    virtual qv::TColor DefaultGroupByBoxColor() const;             // 28
    virtual qv::TColor DefaultHeaderColor() const;                 // 29
    virtual qv::TColor DefaultHeaderTextColor() const;             // 30
    virtual qv::TColor DefaultHeaderShadowColor() const;           // 31
    virtual qv::TColor DefaultIndicatorColor() const;              // 32
    virtual qv::TColor DefaultBandHeaderColor() const;             // 33
    virtual qv::TColor DefaultBandHeaderTextColor() const;         // 34
    virtual qv::TColor DefaultTreeLineColor() const;               // 35
    virtual qv::TColor DefaultTabColor() const;                    // 36
    virtual qv::TColor DefaultTabsBackgroundColor() const;         // 37
    virtual qv::TColor DefaultTabTextColor() const;                // 38
    virtual qv::TColor DefaultSizeGripAreaColor() const;           // 39
    virtual qv::TColor DefaultErrorMarkColor() const;              // 40
    virtual qv::TColor DefaultFilterActiveColor() const;           // 41
    virtual qv::TColor DefaultGroupByBoxLineColor() const;         // 42
    virtual qv::TColor DefaultInactiveSelectionColor() const;      // 43
    virtual qv::TColor DefaultInactiveSelectionTextColor() const;  // 44
    virtual qv::TColor DefaultSeparatorColor() const;              // 45
    virtual qv::TColor DefaultScrollBarColor() const;              // 46
    virtual qv::TColor DefaultButtonTextColor() const;             // 47
    virtual qv::TColor DefaultButtonColor() const;                 // 48

    // --- arrows (slots 49-52)
    virtual void PaintArrow(TcxCanvas& ACanvas, const RECT& R, TcxArrowDirection AArrowDirection,
                            qv::TColor AColor) const;                                                         // 49
    virtual void PaintScrollArrow(TcxCanvas& ACanvas, const RECT& R, bool ADrawFace,
                                  TcxArrowDirection AArrowDirection, TcxButtonState AState) const;            // 50
    virtual void PaintArrowButtonFace(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const;      // 51
    virtual void PaintStateArrow(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                 TcxArrowDirection AArrowDirection) const;                                    // 52

    // --- borders and buttons (slots 53-66)
    virtual int ContentBorderWidth() const;                                                                   // 53
    virtual void PaintBorder(TcxCanvas& ACanvas, const RECT& R) const;                                       // 54
    virtual int ButtonBorderWidth(TcxButtonState AState = cxbsNormal) const;                                // 55
    virtual qv::TColor ButtonFaceColor(TcxButtonState AState) const;                                        // 56
    virtual RECT ButtonFocusBounds(TcxCanvas& ACanvas, const RECT& R) const;                                // 57
    // The widths of the left, top, right and bottom borders of one button of a row.
    virtual RECT ButtonGroupBorderWidths(int AButtonCount, int AButtonIndex) const;                         // 58
    virtual int ButtonCaptionOffset() const;                                                                  // 59
    virtual int ButtonPressedShift() const;                                                                   // 60
    virtual qv::TColor ButtonGlyphColor(TcxButtonState AState) const;                                       // 61
    virtual TcxButtonState ButtonGlyphDrawState(TcxButtonState AState) const;                               // 62
    virtual void PaintButton(TcxCanvas& ACanvas, const RECT& R, const std::wstring& ACaption,
                             TcxButtonState AState, bool ADrawBorder = true, qv::TColor AColor = qv::clDefault,
                             qv::TColor ATextColor = qv::clDefault) const;                                  // 63
    virtual void PaintEditButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState, int AButtonCount,
                                 int AButtonIndex, qv::TColor AColor) const;                                  // 64
    virtual void PaintButtonBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const;         // 65
    virtual void PaintEditButtonsFrame(TcxCanvas& ACanvas, const RECT& R, bool ADark, bool AHighlight) const;  // 66

    // --- expand buttons (slots 67-75)
    virtual void PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor, bool AExpanded) const;  // 67
    virtual bool ExpandButtonOwnsBackground() const;                                                          // 68
    virtual void PaintGroupExpandButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                        bool AExpanded) const;                                                // 69
    virtual void PaintSmallExpandButton(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor,
                                        qv::TColor ABorderColor, bool AExpanded) const;                       // 70
    virtual int ExpandButtonSize() const;                                                                     // 71
    virtual int GroupExpandButtonSize() const;                                                                // 72
    virtual bool HotTracksButtons() const;                                                                    // 73
    virtual bool IsPointInGroupExpandButton(const RECT& R, POINT P) const;                                  // 74
    virtual int SmallExpandButtonSize() const;                                                                // 75

    // --- check boxes and radio buttons (slots 76-81)
    virtual int CheckBorderWidth() const;                                                                     // 76
    virtual qv::TColor CheckFaceColor(TcxButtonState AState) const;                                         // 77
    virtual void PaintCheckMark(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor, bool AChecked,
                                TcxButtonState AState) const;                                                 // 78
    virtual void PaintCheckBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const;          // 79
    virtual void PaintCheckBox(TcxCanvas& ACanvas, const RECT& R, bool AChecked, TcxButtonState AState) const;  // 80
    // The radio button's image has its top-left corner at APosition.
    virtual void PaintRadioButton(TcxCanvas& ACanvas, POINT APosition, bool AChecked,
                                  TcxButtonState AState) const;                                               // 81

    // --- headers (slots 82-97)
    virtual void PaintHeader(TcxCanvas& ACanvas, const RECT& ABounds, const RECT& ATextAreaBounds,
                             TcxNeighbors ANeighbors, TcxSides ABorders, TcxButtonState AState,
                             qv::TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                             bool AShowEndEllipsis, const std::wstring& AText, qv::TFont* AFont,
                             qv::TColor ATextColor, qv::TColor ABkColor) const;                               // 82
    virtual void PaintHeaderPressed(TcxCanvas& ACanvas, const RECT& ABounds) const;                         // 83
    virtual void PaintHeaderBorder(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors ANeighbors,
                                   TcxSides ABorders) const;                                                  // 84
    virtual void PaintSortingMark(TcxCanvas& ACanvas, const RECT& R, bool AAscendingSorting) const;         // 85
    virtual TcxSides HeaderBorders(TcxNeighbors ANeighbors) const;                                          // 86
    virtual int HeaderBorderSize() const;                                                                     // 87
    virtual RECT HeaderContentBounds(const RECT& ABounds, TcxSides ABorders) const;                         // 88
    virtual bool HeaderDrawCellsFirst() const;                                                                // 89
    virtual int HeaderHeight(int AFontHeight) const;                                                          // 90
    virtual int HeaderWidth(TcxCanvas& ACanvas, TcxSides ABorders, const std::wstring& AText,
                            qv::TFont* AFont) const;                                                          // 91
    virtual bool IsHeaderHotTrack() const;                                                                    // 92
    virtual POINT SortingMarkSize() const;                                                                    // 93
    virtual POINT SortingMarkAreaSize() const;                                                                // 94
    virtual void PaintHeaderBackground(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor) const;         // 95
    virtual void PaintHeaderText(TcxCanvas& ACanvas, const RECT& R, const std::wstring& AText, qv::TFont* AFont,
                                 qv::TColor ATextColor, qv::TAlignment AAlignmentHorz,
                                 TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                 bool AShowEndEllipsis) const;                                                // 96
    virtual RECT SortingMarkBounds(const RECT& AHeaderBounds) const;                                        // 97

    // --- footers and the filter panel (slots 98-114)
    virtual int FilterCloseButtonSize() const;                                                                // 98
    virtual int FooterBorderSize() const;                                                                     // 99
    virtual int FooterCellBorderSize() const;                                                                 // 100
    virtual int FooterCellOffset() const;                                                                     // 101
    virtual qv::TColor FooterSeparatorColor() const;                                                          // 102
    virtual int FooterSeparatorSize() const;                                                                  // 103
    virtual TcxSides FooterBorders() const;                                                                   // 104
    virtual void PaintFooterBorder(TcxCanvas& ACanvas, const RECT& R) const;                                // 105
    virtual void PaintFooterCellBorder(TcxCanvas& ACanvas, const RECT& R) const;                            // 106
    virtual void PaintFooterSeparator(TcxCanvas& ACanvas, const RECT& R) const;                             // 107
    virtual void PaintFilterCloseButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const;    // 108
    virtual POINT FilterDropDownButtonSize() const;                                                           // 109
    virtual void PaintFilterDropDownButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                           bool AIsFilterActive) const;                                       // 110
    virtual qv::TColor FilterDropDownButtonArrowColor(bool AIsFilterActive) const;                          // 111
    virtual void PaintFooterCell(TcxCanvas& ACanvas, const RECT& R, qv::TAlignment AAlignmentHorz,
                                 TcxAlignmentVert AAlignmentVert, bool AMultiLine, const std::wstring& AText,
                                 qv::TFont* AFont, qv::TColor ATextColor, qv::TColor ABkColor) const;       // 112
    virtual RECT FooterCellContentBounds(const RECT& R) const;                                              // 113
    virtual RECT FooterCellTextBounds(const RECT& R) const;                                                 // 114

    // --- sizes of small glyphs (slots 115-119)
    virtual POINT IndicatorImageSize() const;                                                                 // 115
    virtual POINT FilterActivateButtonSize() const;                                                           // 116
    virtual POINT FilterCloseButtonGlyphSize() const;                                                         // 117
    virtual POINT FilterCustomizeButtonSize() const;                                                          // 118
    virtual POINT NavigatorButtonGlyphSize() const;                                                           // 119

    // --- size grip and auto-hide button (slots 120-122)
    virtual void PaintSizeGripButton(TcxCanvas& ACanvas, const RECT& ABounds, TcxButtonState AState) const;  // 120
    virtual void PaintSizeGripGlyph(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const;        // 121
    virtual void PaintAutoHideButton(TcxCanvas& ACanvas, const RECT& R, bool APinned,
                                     TcxButtonState AState) const;                                            // 122

    // --- tabs and row indicators (slots 123-131)
    virtual void PaintTab(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const;                  // 123
    virtual void PaintTabBorder(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const;                // 124
    virtual void PaintTabsRoot(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const;                 // 125
    virtual int TabBorderSize() const;                                                                        // 126
    virtual int TabContentOffset() const;                                                                     // 127
    virtual void PaintIndicatorHeader(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors ANeighbors,
                                      TcxSides ABorders) const;                                               // 128
    virtual void PaintIndicatorItem(TcxCanvas& ACanvas, const RECT& R, TcxIndicatorKind AKind,
                                    qv::TColor ABkColor) const;                                               // 129
    virtual void PaintIndicatorImage(TcxCanvas& ACanvas, const RECT& R, TcxIndicatorKind AKind) const;      // 130
    virtual bool IndicatorDrawItemsFirst() const;                                                             // 131

    // --- scroll bars and the rest (slots 132-134)
    virtual void PaintScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R, TcxScrollBarPart APart,
                                    TcxButtonState AState) const;                                             // 132
    virtual void PaintHeaderWithSortMark(TcxCanvas& ACanvas, const RECT& ABounds, const RECT& ATextAreaBounds,
                                         TcxNeighbors ANeighbors, TcxSides ABorders, TcxButtonState AState,
                                         qv::TAlignment AAlignmentHorz, TcxAlignmentVert AAlignmentVert,
                                         bool AMultiLine, bool AShowEndEllipsis, const std::wstring& AText,
                                         qv::TFont* AFont, qv::TColor ATextColor, qv::TColor ABkColor,
                                         bool AAscendingSorting) const;                                       // 133
    virtual void PaintBorderCopy(TcxCanvas& ACanvas, RECT R) const;                                         // 134

protected:
    TcxCustomLookAndFeelPainter() = default;

    // The flat scroll-bar rule, drawn with this painter's buttons and arrows.
    void PaintFlatScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R, TcxScrollBarPart APart,
                                TcxButtonState AState) const;
};

class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxStandardLookAndFeelPainter* Instance();

    TcxPainterStyle PainterStyle() const override;
    int ContentBorderWidth() const override;
    void PaintBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    int ButtonBorderWidth(TcxButtonState AState = cxbsNormal) const override;
    int ButtonCaptionOffset() const override;
    int ButtonPressedShift() const override;
    void PaintButtonBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const override;
    bool HotTracksButtons() const override;
    int ExpandButtonSize() const override;
    void PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor, bool AExpanded) const override;
    void PaintGroupExpandButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                bool AExpanded) const override;
    void PaintCheckBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const override;
    void PaintHeaderBorder(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors ANeighbors,
                           TcxSides ABorders) const override;
    void PaintSortingMark(TcxCanvas& ACanvas, const RECT& R, bool AAscendingSorting) const override;
    int HeaderBorderSize() const override;
    POINT SortingMarkSize() const override;
    int FooterBorderSize() const override;
    int FooterCellBorderSize() const override;
    int FooterCellOffset() const override;
    void PaintFooterBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    void PaintFooterCellBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    void PaintFilterDropDownButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                   bool AIsFilterActive) const override;
    void PaintSizeGripGlyph(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const override;
    void PaintTabBorder(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const override;
    void PaintTabsRoot(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const override;
    int TabBorderSize() const override;
    void PaintScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R, TcxScrollBarPart APart,
                            TcxButtonState AState) const override;

protected:
    TcxStandardLookAndFeelPainter() = default;

private:
    void PaintScrollBarButtonFrame(TcxCanvas& ACanvas, const RECT& R, bool APressedArrow) const;
};

class TcxFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxFlatLookAndFeelPainter* Instance();

    TcxPainterStyle PainterStyle() const override;
    int ContentBorderWidth() const override;
    void PaintBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    int ButtonBorderWidth(TcxButtonState AState = cxbsNormal) const override;
    int ButtonCaptionOffset() const override;
    int ButtonPressedShift() const override;
    void PaintButtonBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const override;
    bool HotTracksButtons() const override;
    int ExpandButtonSize() const override;
    void PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor, bool AExpanded) const override;
    void PaintCheckBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const override;
    void PaintHeaderBorder(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors ANeighbors,
                           TcxSides ABorders) const override;
    void PaintSortingMark(TcxCanvas& ACanvas, const RECT& R, bool AAscendingSorting) const override;
    int HeaderBorderSize() const override;
    POINT SortingMarkSize() const override;
    int FooterBorderSize() const override;
    int FooterCellBorderSize() const override;
    int FooterCellOffset() const override;
    void PaintFooterBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    void PaintFooterCellBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    void PaintFilterDropDownButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                   bool AIsFilterActive) const override;
    void PaintTabsRoot(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const override;
    int TabBorderSize() const override;
    void PaintScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R, TcxScrollBarPart APart,
                            TcxButtonState AState) const override;

protected:
    TcxFlatLookAndFeelPainter() = default;
};

class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxUltraFlatLookAndFeelPainter* Instance();

    TcxPainterStyle PainterStyle() const override;
    qv::TColor DefaultHyperlinkTextColor() const override;
    int ContentBorderWidth() const override;
    void PaintBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    int ButtonBorderWidth(TcxButtonState AState = cxbsNormal) const override;
    qv::TColor ButtonFaceColor(TcxButtonState AState) const override;
    RECT ButtonFocusBounds(TcxCanvas& ACanvas, const RECT& R) const override;
    RECT ButtonGroupBorderWidths(int AButtonCount, int AButtonIndex) const override;
    int ButtonCaptionOffset() const override;
    int ButtonPressedShift() const override;
    qv::TColor ButtonGlyphColor(TcxButtonState AState) const override;
    TcxButtonState ButtonGlyphDrawState(TcxButtonState AState) const override;
    void PaintEditButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState, int AButtonCount,
                         int AButtonIndex, qv::TColor AColor) const override;
    void PaintButtonBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const override;
    void PaintEditButtonsFrame(TcxCanvas& ACanvas, const RECT& R, bool ADark, bool AHighlight) const override;
    void PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor, bool AExpanded) const override;
    int ExpandButtonSize() const override;
    bool HotTracksButtons() const override;
    void PaintCheckBorder(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const override;
    void PaintHeaderBorder(TcxCanvas& ACanvas, const RECT& R, TcxNeighbors ANeighbors,
                           TcxSides ABorders) const override;
    void PaintSortingMark(TcxCanvas& ACanvas, const RECT& R, bool AAscendingSorting) const override;
    TcxSides HeaderBorders(TcxNeighbors ANeighbors) const override;
    POINT SortingMarkSize() const override;
    int FilterCloseButtonSize() const override;
    int FooterBorderSize() const override;
    int FooterCellBorderSize() const override;
    int FooterCellOffset() const override;
    void PaintFooterBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    void PaintFooterCellBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    void PaintFilterDropDownButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                   bool AIsFilterActive) const override;
    POINT FilterCloseButtonGlyphSize() const override;
    void PaintTabBorder(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const override;
    void PaintTabsRoot(TcxCanvas& ACanvas, const RECT& R, TcxSides ABorders) const override;
    void PaintScrollBarPart(TcxCanvas& ACanvas, bool AHorizontal, const RECT& R, TcxScrollBarPart APart,
                            TcxButtonState AState) const override;

    virtual qv::TColor UltraFlatFrameColor(TcxButtonState AState) const;  // 135
    virtual qv::TColor UltraFlatShadowColor() const;                       // 136
    virtual qv::TColor UltraFlatTextColor() const;                         // 137
    virtual qv::TColor UltraFlatHighlightColor() const;                    // 138

protected:
    TcxUltraFlatLookAndFeelPainter() = default;
};

// Draws with the system's visual styles; each operation falls back to the standard
// painter's rule for that call when its theme class cannot be opened.
class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
public:
    static const TcxWinXPLookAndFeelPainter* Instance();

    TcxPainterStyle PainterStyle() const override;
    qv::TColor DefaultHyperlinkTextColor() const override;
    void PaintScrollArrow(TcxCanvas& ACanvas, const RECT& R, bool ADrawFace, TcxArrowDirection AArrowDirection,
                          TcxButtonState AState) const override;
    void PaintArrowButtonFace(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState) const override;
    int ContentBorderWidth() const override;
    void PaintBorder(TcxCanvas& ACanvas, const RECT& R) const override;
    int ButtonBorderWidth(TcxButtonState AState = cxbsNormal) const override;
    qv::TColor ButtonFaceColor(TcxButtonState AState) const override;
    RECT ButtonFocusBounds(TcxCanvas& ACanvas, const RECT& R) const override;
    RECT ButtonGroupBorderWidths(int AButtonCount, int AButtonIndex) const override;
    int ButtonCaptionOffset() const override;
    int ButtonPressedShift() const override;
    qv::TColor ButtonGlyphColor(TcxButtonState AState) const override;
    void PaintButton(TcxCanvas& ACanvas, const RECT& R, const std::wstring& ACaption, TcxButtonState AState,
                     bool ADrawBorder = true, qv::TColor AColor = qv::clDefault,
                     qv::TColor ATextColor = qv::clDefault) const override;
    bool HotTracksButtons() const override;
    // The tree's glyph ("TreeView"), the explorer bar's group expand button
    // ("ExplorerBar") and the push button class's check box.
    void PaintExpandButton(TcxCanvas& ACanvas, const RECT& R, qv::TColor AColor, bool AExpanded) const override;
    int ExpandButtonSize() const override;
    void PaintGroupExpandButton(TcxCanvas& ACanvas, const RECT& R, TcxButtonState AState,
                                bool AExpanded) const override;
    int GroupExpandButtonSize() const override;
    bool IsPointInGroupExpandButton(const RECT& R, POINT P) const override;
    void PaintCheckBox(TcxCanvas& ACanvas, const RECT& R, bool AChecked, TcxButtonState AState) const override;

    // Text drawn by the theme of a class and part: the canvas's font and colour,
    // flags 0x2800 with the caller's alignment, ellipsis and line flags.
    virtual void PaintThemedText(TcxCanvas& ACanvas, const RECT& R, const std::wstring& AText, TcxTextFlags AFlags,
                                 int AThemeClass, int APart, int AState) const;  // 135

protected:
    TcxWinXPLookAndFeelPainter() = default;
};

// The push-button theme state of a button state.
int cxButtonThemeState(TcxButtonState AState);
// A colour of a theme class's part and state (an edit's border 3801 and fill 3802,
// a text colour 3803); false when the class does not open or has no such colour.
bool cxGetThemeColor(int AThemeClass, int APart, int AState, int AProperty, qv::TColor& AColor);

// Theme parts and properties the library's controls use.
inline constexpr int dxtpPushButton = 1;
inline constexpr int dxtpScrollArrow = 1;
inline constexpr int dxtpListDetail = 5;          // the list view's border, for edit borders
inline constexpr int dxtpEditText = 1;
inline constexpr int dxtpComboDropDown = 1;
inline constexpr int dxtpFillColor = 3802;        // an edit's background
inline constexpr int dxtpBorderColor = 3801;      // an edit's border
inline constexpr int dxtpTextColor = 3803;
inline constexpr int dxtpButtonFace = 204;        // asked for a button's face (a type code to the schema)
inline constexpr int dxtpCheckBox = 3;            // the push button class's check box
inline constexpr int dxtpTreeGlyph = 2;           // the tree's expand glyph: closed 1, opened 2
inline constexpr int dxtpGroupExpand = 6;         // the explorer bar's expand button of a normal group
inline constexpr int dxtpGroupCollapse = 7;       // and its collapse button
inline constexpr int dxtsTrue = 1;                // a part's own size (GetThemePartSize)

// ---------------------------------------------------------------------------
// The unit's shared images

// Radio-button images per painter style, checked state and button state, drawn on
// first use and drawn anew after a change of the system colours.
class TcxRadioButtonImageList {
public:
    static constexpr int Size = 12;

    // The image (transparent where the bitmap's bottom-left colour is).
    qv::TBitmap& Image(TcxPainterStyle AStyle, bool AChecked, TcxButtonState AState);
    void Draw(TcxCanvas& ACanvas, POINT APosition, TcxPainterStyle AStyle, bool AChecked, TcxButtonState AState);
    // Forget every image; they are drawn again on next use.
    void Reset() { images_.clear(); }
    int CachedCount() const { return static_cast<int>(images_.size()); }

private:
    std::map<std::tuple<int, bool, int>, std::unique_ptr<qv::TBitmap>> images_;
};

// The unit's colour-change notifier: the image caches are redrawn before any
// control repaints.
class TSystemPaletteChangedNotifier : public TcxSystemPaletteChangedNotifier {
public:
    TSystemPaletteChangedNotifier() : TcxSystemPaletteChangedNotifier(true) {}
    void NotifyColorsChanged() override;
};

// The scroll-bar page patterns (8 by 8), kept in the system colours in force.
qv::TBitmap& cxScrollBarPagePattern(bool APressed);
// The grid's row-indicator glyphs, in the order of TcxIndicatorKind from ikArrow.
qv::TImageList& cxIndicatorImages();
// The auto-hide button's pictures (16 by 16, transparent background).
qv::TBitmap& cxAutoHideBitmap(bool APinned);
TcxRadioButtonImageList& cxRadioButtonImages();

// Start-up and shut-down of the unit's shared images: they run before main and at
// exit, and may be called again.
void InitializeLookAndFeelPainters();
void FinalizeLookAndFeelPainters();
