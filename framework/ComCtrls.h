// The status bar.
#pragma once

#include "framework/Controls.h"

#include <vector>

namespace qv {

// A native status bar whose panels carry texts.
class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);

    // Replaces the panels by ones of these widths.
    void SetPanelWidths(const std::vector<int>& widths);
    int PanelCount() const { return static_cast<int>(texts_.size()); }
    const std::wstring& PanelText(int index) const { return texts_.at(index); }
    // Sets the text and repaints the bar at once, so it shows even if the thread blocks next.
    void SetPanelText(int index, const std::wstring& text);
    void ChangeScale(int toDpi, int fromDpi) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;

private:
    void ApplyPanels();

    std::vector<int> widths_;
    std::vector<std::wstring> texts_;
};

} // namespace qv
