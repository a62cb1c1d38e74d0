// The keys of a dialog whose pages are children of its tab control, taken as the system's property
// sheets take them. The dialog manager walks Tab either onto a window or into its children, never
// both, so the tab control and the page inside it need this help.
#pragma once

#include <windows.h>

// Ctrl+Tab and Ctrl+PgDn turn to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the one before,
// round at the ends, as a click on that tab does. Tab and Shift+Tab step through the dialog's tab
// stops in z-order, the tab control's own stop right before the shown page's controls. True when
// the key was taken.
bool handlePageKey(HWND dialog, HWND tabs, const MSG& msg);
