// The help window: a fixed explanation of the program.
#pragma once

#include "controls/buttons/cxButtons.h"
#include "controls/edit/cxMemo.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <string>
#include <vector>

namespace qv::app {

using THelpMemo = TcxMemo;
using THelpButton = TcxButton;

class THelp : public TForm {
public:
    explicit THelp(TComponent* owner);

    THelpMemo* cxMemo1;
    THelpButton* cxButton1;

    // A text that does not fit the memo (a font of other metrics than SimSun's) gets a
    // vertical scroll bar, so that every line can be read.
    void FormShow(TObject* sender);
};

// Whether the text of a memo window reaches below its client area.
bool MemoTextOverflows(HWND memo);

// The help text, one memo line each.
const std::vector<std::wstring>& HelpLines();

// Shows the help window modally and destroys it afterwards.
void ShowHelp();

} // namespace qv::app
