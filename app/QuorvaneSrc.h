// The main window: the list of saved configurations and the program's commands.
#pragma once

#include "core/ScriptRunner.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "controls/buttons/cxButtons.h"
#include "controls/dropdown/cxDropDownEdit.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <string>

namespace qv::app {

// The handlers use of these only: text, items, item index, enabled and click.
using TConfigList = TcxComboBox;
using TCommandButton = TcxButton;

class TQuorvane : public TForm, public core::IScriptHost {
public:
    explicit TQuorvane(TComponent* owner);

    TPanel* Panel1;
    TConfigList* ConfigList;
    TCommandButton* SwitchBT;
    TCommandButton* NetCfgBT;
    TCommandButton* SaveBT;
    TCommandButton* ModifyNameBT;
    TCommandButton* DelBT;
    TCommandButton* HelpBT;
    TCommandButton* CloseBT;
    TStatusBar* StatusBar;

    // Panel 0 of the status bar, repainted at once.
    void SetStatus(const std::wstring& text) override;
    void SetBusyCursor(bool busy) override;
    void RefreshConfigList();

    void FormCreate(TObject* sender);
    void SwitchBTClick(TObject* sender);
    void SaveBTClick(TObject* sender);
    void ModifyNameBTClick(TObject* sender);
    void DelBTClick(TObject* sender);
    void NetCfgBTClick(TObject* sender);
    void HelpBTClick(TObject* sender);
    void CloseBTClick(TObject* sender);

private:
    TCommandButton* NewButton(TWinControl* parent, const wchar_t* name, int id, RECT bounds,
                              const wchar_t* caption, void (TQuorvane::*handler)(TObject*));
};

} // namespace qv::app
