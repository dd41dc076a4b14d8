// Renders every element of every painter in every state onto one sheet and writes
// it as painters_sheet.png in the working directory, to be looked at by a person.
// The test itself checks that every cell of the sheet was drawn into.
#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "controls/lookandfeel/LookAndFeelTestSupport.h"
#include "support/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace qv;

namespace {

constexpr int kLabelWidth = 150, kCellWidth = 86, kGroupGap = 12, kHeaderHeight = 40;

struct SheetRow {
    const wchar_t* label;
    int height;
    // Draws one cell: the painter, the state of the column (or the column index for
    // rows whose columns are variants rather than states), the cell's rectangle.
    std::function<void(TcxLookAndFeelPainterClass, TcxButtonState, int column, TcxCanvas&, const RECT&)> draw;
};

const TcxButtonState kStates[] = {cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled};
const wchar_t* const kStateNames[] = {L"Default", L"Normal", L"Hot", L"Pressed", L"Disabled"};

void UseCaptionFont(TcxCanvas& c)
{
    c.Font().SetName(L"SimSun");
    c.Font().SetHeight(-12);
}

std::vector<SheetRow> Rows()
{
    std::vector<SheetRow> rows;
    rows.push_back({L"Button (focus on Default)", 33, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        UseCaptionFont(c);
        const RECT b = Bounds(r.left + 4, r.top + 4, 75, 25);
        p->PaintButton(c, b, L"确定(&O)", s);
        if (s == cxbsDefault) {
            c.Font().SetColor(clBtnText);
            c.DrawFocusFrame(p->ButtonFocusBounds(c, b));
        }
    }});
    rows.push_back({L"Button, low, coloured", 27, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        c.Font().SetName(L"Tahoma");
        c.Font().SetHeight(-11);
        p->PaintButton(c, Bounds(r.left + 4, r.top + 4, 75, 19), L"&Save", s, true,
                       s == cxbsNormal ? TColor(0x00C0E0FF) : clDefault, clDefault);
    }});
    rows.push_back({L"Edit buttons in a border", 29, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        const RECT edit = Bounds(r.left + 4, r.top + 4, 78, 21);
        c.FillRect(edit, clWindow);
        p->PaintBorder(c, edit);
        const int bw = p->ContentBorderWidth();
        const RECT inner = Inflated(edit, -bw, -bw);
        for (int i = 0; i < 2; ++i) {
            const RECT button = Rect(inner.right - 17 * (2 - i), inner.top, inner.right - 17 * (1 - i), inner.bottom);
            p->PaintEditButton(c, button, i == 1 ? s : cxbsNormal, 2, i, clWindow);
            p->PaintArrow(c, Inflated(button, -4, -4), adDown, p->ButtonGlyphColor(i == 1 ? s : cxbsNormal));
        }
    }});
    rows.push_back({L"Edit buttons frame", 29, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        const RECT frame = Bounds(r.left + 4, r.top + 4, 78, 21);
        c.FillRect(frame, clWindow);
        p->PaintEditButtonsFrame(c, frame, s == cxbsPressed, s == cxbsHot);
        p->PaintEditButton(c, Rect(frame.right - 18, frame.top, frame.right, frame.bottom), s, 1, 0, clWindow);
    }});
    rows.push_back({L"Scroll arrows (face)", 24, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        const TcxArrowDirection dirs[] = {adUp, adDown, adLeft, adRight};
        for (int i = 0; i < 4; ++i)
            p->PaintScrollArrow(c, Bounds(r.left + 4 + 19 * i, r.top + 4, 17, 17), true, dirs[i], s);
    }});
    rows.push_back({L"State arrows, arrows", 24, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        const TcxArrowDirection dirs[] = {adUp, adDown, adLeft, adRight};
        for (int i = 0; i < 4; ++i) {
            const RECT a = Bounds(r.left + 4 + 19 * i, r.top + 4, 16, 16);
            if (i < 2)
                p->PaintStateArrow(c, a, s, dirs[i * 2 + 1]);
            else
                p->PaintArrow(c, a, dirs[i - 2], clBlue);
        }
    }});
    rows.push_back({L"Scroll bar, horizontal", 25, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        int x = r.left + 2;
        const int y = r.top + 4;
        auto part = [&](int w, TcxScrollBarPart kind, TcxButtonState st) {
            p->PaintScrollBarPart(c, true, Bounds(x, y, w, 17), kind, st);
            x += w;
        };
        part(17, sbpLineUp, s);
        part(13, sbpPageUp, s == cxbsPressed ? cxbsPressed : cxbsNormal);
        part(22, sbpThumb, s);
        part(13, sbpPageDown, cxbsNormal);
        part(17, sbpLineDown, s);
    }});
    rows.push_back({L"Scroll bar parts, vertical", 25, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        p->PaintScrollBarPart(c, false, Bounds(r.left + 4, r.top + 4, 17, 17), sbpLineUp, s);
        p->PaintScrollBarPart(c, false, Bounds(r.left + 23, r.top + 4, 17, 17), sbpLineDown, s);
        p->PaintScrollBarPart(c, false, Bounds(r.left + 42, r.top + 4, 17, 17), sbpThumb, s);
        p->PaintScrollBarPart(c, false, Bounds(r.left + 61, r.top + 4, 17, 17), sbpPageDown, s);
    }});
    rows.push_back({L"Check boxes, radio buttons", 22, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        p->PaintCheckBox(c, Bounds(r.left + 4, r.top + 4, 13, 13), false, s);
        p->PaintCheckBox(c, Bounds(r.left + 21, r.top + 4, 13, 13), true, s);
        p->PaintRadioButton(c, POINT{r.left + 42, r.top + 5}, false, s);
        p->PaintRadioButton(c, POINT{r.left + 58, r.top + 5}, true, s);
    }});
    rows.push_back({L"Expand buttons", 22, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        const int size = std::max(p->ExpandButtonSize(), 9);
        auto clip = c.GetClipRegion();
        p->PaintExpandButton(c, Bounds(r.left + 4, r.top + 4, size, size), clDefault, false);
        p->PaintExpandButton(c, Bounds(r.left + 20, r.top + 4, size, size), clDefault, true);
        c.SetClipRegion(std::move(clip), roCopy);
        p->PaintSmallExpandButton(c, Bounds(r.left + 36, r.top + 5, 9, 9), clWindow, clBtnShadow, false);
        p->PaintGroupExpandButton(c, Bounds(r.left + 50, r.top + 2, 15, 15), s, s != cxbsNormal);
        p->PaintFilterCloseButton(c, Bounds(r.left + 68, r.top + 3, 14, 14), s);
    }});
    rows.push_back({L"Headers, sort marks", 24, [](auto p, TcxButtonState s, int column, TcxCanvas& c, const RECT& r) {
        c.Font().SetName(L"Tahoma");
        c.Font().SetHeight(-11);
        TFont font;
        font.Assign(c.Font());
        const RECT h = Bounds(r.left + 2, r.top + 2, 40, 20), h2 = Bounds(r.left + 42, r.top + 2, 42, 20);
        const TcxNeighbors n1 = nRight, n2 = nLeft;
        p->PaintHeader(c, h, Inflated(h, -3, -2), n1, p->HeaderBorders(n1), s, taLeftJustify, vaCenter, false, true,
                       L"Name", &font, clDefault, clDefault);
        p->PaintHeader(c, h2, Rect(h2.left + 3, h2.top + 2, h2.right - 12, h2.bottom - 2), n2, p->HeaderBorders(n2),
                       s, taLeftJustify, vaCenter, false, true, L"Size", &font, clDefault, clDefault);
        p->PaintSortingMark(c, p->SortingMarkBounds(h2), column % 2 == 0);
    }});
    rows.push_back({L"Header with sort mark", 24, [](auto p, TcxButtonState s, int column, TcxCanvas& c, const RECT& r) {
        c.Font().SetName(L"Tahoma");
        c.Font().SetHeight(-11);
        TFont font;
        font.Assign(c.Font());
        const RECT h = Bounds(r.left + 2, r.top + 2, 80, 20);
        p->PaintHeaderWithSortMark(c, h, Rect(h.left + 3, h.top + 2, h.right - 14, h.bottom - 2), 0, sdAll, s,
                                   taLeftJustify, vaCenter, false, true, L"Date", &font, clDefault, clDefault,
                                   column % 2 == 0);
    }});
    rows.push_back({L"Footer, cells, separator", 28, [](auto p, TcxButtonState, int, TcxCanvas& c, const RECT& r) {
        c.Font().SetName(L"Tahoma");
        c.Font().SetHeight(-11);
        TFont font;
        font.Assign(c.Font());
        const RECT f = Bounds(r.left + 2, r.top + 2, 80, 24);
        c.FillRect(f, p->DefaultFooterColor());
        p->PaintFooterBorder(c, f);
        p->PaintFooterCell(c, Bounds(f.left + 3, f.top + 3, 36, 18), taRightJustify, vaCenter, false, L"128", &font,
                           clDefault, clDefault);
        p->PaintFooterSeparator(c, Bounds(f.left + 42, f.top + 3, 1, 18));
        p->PaintFooterCell(c, Bounds(f.left + 45, f.top + 3, 32, 18), taLeftJustify, vaCenter, false, L"7", &font,
                           clDefault, clDefault);
    }});
    rows.push_back({L"Filter buttons, arrow", 24, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        p->PaintFilterDropDownButton(c, Bounds(r.left + 4, r.top + 3, 15, 18), s, false);
        p->PaintFilterDropDownButton(c, Bounds(r.left + 22, r.top + 3, 15, 18), s, true);
        p->PaintFilterArrow(c, Bounds(r.left + 40, r.top + 3, 15, 18), clBtnText);
        p->PaintSizeGripButton(c, Bounds(r.left + 60, r.top + 3, 18, 18), s);
    }});
    rows.push_back({L"Auto-hide buttons", 26, [](auto p, TcxButtonState s, int, TcxCanvas& c, const RECT& r) {
        p->PaintAutoHideButton(c, Bounds(r.left + 4, r.top + 3, 20, 20), true, s);
        p->PaintAutoHideButton(c, Bounds(r.left + 28, r.top + 3, 20, 20), false, s);
    }});
    rows.push_back({L"Indicators (by column)", 24, [](auto p, TcxButtonState, int column, TcxCanvas& c,
                                                      const RECT& r) {
        const TcxIndicatorKind kinds[] = {ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow};
        p->PaintIndicatorHeader(c, Bounds(r.left + 4, r.top + 2, 20, 20), nRight, p->HeaderBorders(nRight));
        p->PaintIndicatorItem(c, Bounds(r.left + 24, r.top + 2, 20, 20), kinds[column], clDefault);
        p->PaintIndicatorItem(c, Bounds(r.left + 44, r.top + 2, 20, 20), kinds[(column + 1) % 5], clDefault);
    }});
    rows.push_back({L"Tabs root and border", 26, [](auto p, TcxButtonState, int column, TcxCanvas& c,
                                                    const RECT& r) {
        const TcxSides sides[] = {sdAll, sdLeft | sdTop | sdRight, sdTop, sdLeft | sdBottom, sdRight | sdBottom};
        c.FillRect(Bounds(r.left + 4, r.top + 3, 78, 20), p->DefaultTabColor());
        p->PaintTabsRoot(c, Bounds(r.left + 4, r.top + 12, 78, 11), sdTop);
        p->PaintTabBorder(c, Bounds(r.left + 10, r.top + 3, 30, 10), sides[column]);
        p->PaintTab(c, Bounds(r.left + 44, r.top + 3, 30, 10), cxbsNormal);
    }});
    rows.push_back({L"Cell content", 24, [](auto p, TcxButtonState, int column, TcxCanvas& c, const RECT& r) {
        c.Font().SetName(L"Tahoma");
        c.Font().SetHeight(-11);
        TFont font;
        font.Assign(c.Font());
        const RECT cell = Bounds(r.left + 2, r.top + 2, 80, 20);
        const bool selected = column == 3;
        p->PaintCellContent(c, cell, nullptr, selected ? p->DefaultSelectionColor() : p->DefaultContentColor(),
                            selected ? p->DefaultSelectionTextColor() : p->DefaultContentTextColor(), &font,
                            L"Office LAN", column == 4 ? taRightJustify : taLeftJustify, vaCenter, false, true,
                            p->CellTextBounds(cell));
    }});
    return rows;
}

} // namespace

TEST(PainterSheet, EveryElementOfEveryPainterInEveryStateIsDrawn)
{
    const std::vector<SheetRow> rows = Rows();
    const TcxLookAndFeelPainterClass painters[] = {TcxStandardLookAndFeelPainter::Instance(),
                                                   TcxFlatLookAndFeelPainter::Instance(),
                                                   TcxUltraFlatLookAndFeelPainter::Instance()};
    const wchar_t* const painterNames[] = {L"Standard", L"Flat", L"Ultra-flat"};
    int height = kHeaderHeight;
    for (const SheetRow& row : rows)
        height += row.height;
    const int width = kLabelWidth + 3 * (5 * kCellWidth + kGroupGap);
    qvtest::TPaintSurface sheet(width, height + 4, clBtnFace);
    TcxCanvas& c = sheet.canvas;
    const COLORREF background = qvtest::Rgb(clBtnFace);

    auto label = [&](const std::wstring& text, const RECT& r, TcxTextFlags flags) {
        c.Font().SetName(L"Tahoma");
        c.Font().SetHeight(-11);
        c.Font().SetColor(clBtnText);
        c.Brush().SetStyle(TBrushStyle::bsClear);
        c.DrawCaption(text, r, flags);
        c.Brush().SetStyle(TBrushStyle::bsSolid);
    };
    for (int g = 0; g < 3; ++g) {
        const int left = kLabelWidth + g * (5 * kCellWidth + kGroupGap);
        label(painterNames[g], Rect(left, 2, left + 5 * kCellWidth, 18), tfAlignHCenter | tfAlignTop | tfSingleLine);
        for (int s = 0; s < 5; ++s)
            label(kStateNames[s], Rect(left + s * kCellWidth, 20, left + (s + 1) * kCellWidth, 36),
                  tfAlignHCenter | tfAlignTop | tfSingleLine);
        c.FillRect(Rect(left - kGroupGap / 2, 0, left - kGroupGap / 2 + 1, height), clBtnShadow);
    }

    int top = kHeaderHeight;
    for (const SheetRow& row : rows) {
        label(row.label, Rect(4, top, kLabelWidth - 4, top + row.height), tfAlignLeft | tfAlignVCenter | tfSingleLine);
        for (int g = 0; g < 3; ++g)
            for (int s = 0; s < 5; ++s) {
                const int left = kLabelWidth + g * (5 * kCellWidth + kGroupGap) + s * kCellWidth;
                const RECT cell = Rect(left, top, left + kCellWidth, top + row.height);
                // Each cell draws on a clean face, and is clipped to its rectangle.
                c.FillRect(cell, clBtnFace);
                c.SetClipRegion(TcxRegion(cell), roCopy);
                row.draw(painters[g], kStates[s], s, c, cell);
                SelectClipRgn(c.Handle(), nullptr);
                bool drawn = false;
                for (int y = cell.top; y < cell.bottom && !drawn; ++y)
                    for (int x = cell.left; x < cell.right && !drawn; ++x)
                        drawn = sheet.At(x, y) != background;
                EXPECT_TRUE(drawn) << "nothing drawn: " << std::string(row.label, row.label + wcslen(row.label))
                                   << ", painter " << g << ", column " << s;
            }
        top += row.height;
    }
    // The pictures' transparent colour never shows.
    EXPECT_EQ(0, sheet.Count(RGB(255, 0, 255)));
    ASSERT_TRUE(qvtest::WritePng(sheet.bitmap, L"painters_sheet.png"));
    wchar_t dir[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, dir);
    std::wstring where = std::wstring(dir) + L"\\painters_sheet.png";
    std::printf("sheet written to %ls\n", where.c_str());
}
