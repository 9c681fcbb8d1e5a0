// The clipboard monitor's window side: the process-wide state, the address
// parser over the system's URL parser and the queueing of an address.
#pragma once

#include "engine/siterecord.h"
#include "shell/mainframe/cliprules.h"

class CWnd;

extern ClipMonitorState g_clipMonitor;

// An FTP address into a site record (zeroed first; "%20" and the like decoded).
// False for no address, a part that does not fit or a control character.
bool ParseFtpUrl(const char* text, SiteRecord& record);

// One download of the record's start folder path into the download folder,
// posted to the function view (UWM_QUEUE_ADD); with option bit 4 the queue is
// started. False when the mode takes no such address or nothing was posted.
bool QueueClipboardUrl(const SiteRecord& record, int mode);

// A change notice: the clipboard's text through the rules, then queued when
// the mode says so.
void ClipboardNotice(CWnd* owner);
