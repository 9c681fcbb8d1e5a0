// How the work-site store tells the user something. The store has no window of
// its own: the document points the hook at the program's boxes, tests at a
// recorder. Until then a plain system message box is shown (nothing natively).
#pragma once

enum SiteStoreBox : int {
    // A system message box with the given caption (the registry failures).
    SITEBOX_SYSTEM = 0,
    // The program's error box (ShowConfirmDlgText as an error box): deletion
    // errors, "Clear complete", damaged site files, file errors, export warnings.
    SITEBOX_ERROR = 1,
};

typedef void (*SiteStoreMessageFn)(int box, const char* text, const char* caption);

// Installs fn (null: the default); returns the hook it replaces.
SiteStoreMessageFn SetSiteStoreMessageHook(SiteStoreMessageFn fn);

// GUI thread.
void ShowSiteStoreMessage(int box, const char* text, const char* caption = nullptr);
