#include "shell/sitestore/storemessage.h"

#include "framework/fwtypes.h"  // windows.h in the Windows builds

namespace {

void DefaultMessage(int box, const char* text, const char* caption)
{
#ifdef _WIN32
    MessageBoxA(GetActiveWindow(), text, caption, MB_OK | (box == SITEBOX_SYSTEM ? MB_ICONERROR : MB_ICONWARNING));
#else
    (void)box;
    (void)text;
    (void)caption;
#endif
}

SiteStoreMessageFn g_messageHook = nullptr;

}  // namespace

SiteStoreMessageFn SetSiteStoreMessageHook(SiteStoreMessageFn fn)
{
    SiteStoreMessageFn previous = g_messageHook;
    g_messageHook = fn;
    return previous;
}

void ShowSiteStoreMessage(int box, const char* text, const char* caption)
{
    if (text == nullptr)
        text = "";
    if (g_messageHook != nullptr)
        g_messageHook(box, text, caption);
    else
        DefaultMessage(box, text, caption);
}
