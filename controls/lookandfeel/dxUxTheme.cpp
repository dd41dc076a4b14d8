#include "controls/lookandfeel/dxUxTheme.h"

bool AreVisualStylesAvailable() { return false; }
