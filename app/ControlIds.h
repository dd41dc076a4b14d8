// Stable identifiers of the windows' controls (their child-window IDs). They stay
// the same whichever control class draws them, so tools and tests can find them.
#pragma once

namespace qv::app {

enum ControlId : int {
    // Main window
    idConfigList = 1001,
    idSwitchBT = 1002,
    idNetCfgBT = 1003,
    idSaveBT = 1004,
    idModifyNameBT = 1005,
    idDelBT = 1006,
    idHelpBT = 1007,
    idCloseBT = 1008,
    idStatusBar = 1009,
    idPanel1 = 1010,
    // Name-entry dialog
    idNameEdit = 1101,
    idOKBT = 1102,
    idCanceBT = 1103,
    // Help window
    idHelpMemo = 1201,
    idHelpOKBT = 1202,
};

} // namespace qv::app
