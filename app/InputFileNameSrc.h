// The name-entry dialog: asks for the name under which a configuration is saved or
// to which it is renamed.
#pragma once

#include "controls/buttons/cxButtons.h"
#include "controls/edit/cxTextEdit.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <string>

namespace qv::app {

using TNameEdit = TcxTextEdit;
using TDialogButton = TcxButton;

class TFileName : public TForm {
public:
    explicit TFileName(TComponent* owner);

    TNameEdit* Edit;
    TDialogButton* OKBT;
    TDialogButton* CanceBT;

    void FormShow(TObject* sender);
    void OKBTClick(TObject* sender);
    void CanceBTClick(TObject* sender);
};

// The text handed into the dialog and, after OK, the text typed.
std::wstring& NameDialogText();
// 1 after OK, 2 after Cancel (or any other way of closing the dialog); 0 at start.
int& NameDialogResult();

// Shows the dialog with name filled in; after OK name holds the typed text.
// Returns NameDialogResult.
int AskName(std::wstring& name);

} // namespace qv::app
