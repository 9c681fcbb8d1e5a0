// The clipboard monitor's rules without windows: the mode commands against the
// viewer chain, what a change notice does with the clipboard's text, the site
// fields an FTP address gives, and the queue item's folder and name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/siterecord.h"

constexpr size_t kClipTextMax = 260;  // longer texts are ignored

enum ClipboardMode : int32_t {
  CLIPMODE_OFF = 0,            // "Default"
  CLIPMODE_REMEMBER = 1,       // "Monitor": Quick Add Site pre-fills from it
  CLIPMODE_FILES = 2,          // "Transfer File"
  CLIPMODE_FILES_FOLDERS = 3,  // "Transfer File and Folder"
};

// Mode command ids in mode order.
constexpr unsigned kClipModeCommands[4] = {32850, 32846, 32813, 32814};
int ClipModeOfCommand(unsigned id);  // -1 for another id

struct ClipMonitorState {
  int32_t mode = CLIPMODE_OFF;
  bool inChain = false;
  bool noticeSeen = false;            // the join's own notice came
  char lastText[kClipTextMax + 1] = {};
};

// A mode command: what to do with the chain. Joining clears noticeSeen (the
// join sends a notice of what already lies there).
struct ClipChainStep {
  bool join = false;
  bool leave = false;
};
ClipChainStep ClipSetMode(ClipMonitorState& state, int mode);
// After a join or leave the window made (or failed to make).
void ClipJoined(ClipMonitorState& state, bool joined);
void ClipLeft(ClipMonitorState& state);

enum class ClipAction {
  None,        // nothing to do
  Remembered,  // stored as the last text (mode 1)
  Queue,       // stored; parse it and queue it (modes 2 and 3)
};
// A change notice. text: the clipboard's text, null when it holds none;
// ownText: the last address the program copied itself (never acted on).
ClipAction ClipOnNotice(ClipMonitorState& state, const char* text, const char* ownText);

// An address's parts as the system's URL parser gave them (decoded).
struct FtpUrlParts {
  std::string host, user, password, path;
  int port = 21;
};
// The site fields of an address: defaults, host and name the host, the port,
// login and start folder; option digit 1 '0' with a user name (that login is
// used), else '1'. False when a part is empty where needed, holds a control
// character or does not fit its field (never cut: a cut host or path names
// another server or file).
bool ClipSiteFields(const FtpUrlParts& parts, SiteFields& out);
// The text looks like an address: after leading blanks, "ftp://" or "FTP://"
// somewhere in it, no control character (nor an escaped one: the system's
// parser cuts a part there), at most kClipTextMax characters.
bool ClipLooksLikeFtpUrl(const char* text);

// The queue item an address gives in a mode.
struct ClipQueueTarget {
  bool queue = false;
  int kind = 0;  // kEntryFile or kEntryFolder
  std::string folder, name;
};
ClipQueueTarget ClipQueueSplit(const char* path, int mode);
