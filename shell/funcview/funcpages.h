#pragma once
// The function view's pages other than the list pane are made by template id
// through makers that their own files register, so the view knows no page
// class it does not route to. A template with no maker becomes a blank page.
#include "framework/afxwin.h"

class CTabPageDialog;

// Makes (creates the window of) one page as a child of `parent`; null on failure.
// The page deletes itself when its window is destroyed.
using FuncPageMaker = CTabPageDialog* (*)(CWnd* parent);

void RegisterFuncViewPage(UINT templateId, FuncPageMaker maker);
FuncPageMaker FindFuncViewPage(UINT templateId);

// Each page's file offers a Register...Page() function that calls
// RegisterFuncViewPage; the program at start-up and the tests call those (a
// static registrar in an archive member would never be linked in).
