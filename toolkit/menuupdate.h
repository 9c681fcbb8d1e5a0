// Command-update handlers over a context menu before it is tracked, as the
// frame runs them over the menu bar's popups.
#pragma once

class CWnd;
class CMenu;

// Runs the update handlers of every item of pPopup: through pWindow's command
// route first (a view reaches its document), then the main window's (frame,
// active view, application) when that is another window. An item neither
// route handles is greyed; a sub-menu item is updated by its first item and
// never greyed for want of a handler. The items stay owner-drawn after
// handlers changed their texts.
void UpdatePopupMenuUI(CWnd* pWindow, CMenu* pPopup);
