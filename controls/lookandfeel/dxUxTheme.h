// Binding to the system's visual styles.
#pragma once

// Whether controls may draw with the system's visual styles. The binding to the
// visual-styles library is not built yet, so they count as unavailable and every
// look-and-feel draws with the painter of its kind.
bool AreVisualStylesAvailable();
