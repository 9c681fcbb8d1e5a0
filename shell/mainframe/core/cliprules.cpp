#include "shell/mainframe/cliprules.h"

#include <cstring>

#include "engine/listing.h"

int ClipModeOfCommand(unsigned id)
{
  for (int mode = 0; mode < 4; ++mode)
    if (kClipModeCommands[mode] == id)
      return mode;
  return -1;
}

ClipChainStep ClipSetMode(ClipMonitorState& state, int mode)
{
  ClipChainStep step;
  if (mode < CLIPMODE_OFF || mode > CLIPMODE_FILES_FOLDERS)
    return step;
  state.mode = mode;
  if (mode == CLIPMODE_OFF)
    step.leave = state.inChain;
  else
    step.join = !state.inChain;
  return step;
}

void ClipJoined(ClipMonitorState& state, bool joined)
{
  state.inChain = joined;
  state.noticeSeen = false;
}

void ClipLeft(ClipMonitorState& state) { state.inChain = false; }

ClipAction ClipOnNotice(ClipMonitorState& state, const char* text, const char* ownText)
{
  if (!state.noticeSeen) {
    // The join's own notice: what lies there was copied before the mode was chosen.
    state.noticeSeen = true;
    return ClipAction::None;
  }
  if (state.mode == CLIPMODE_OFF || text == nullptr)
    return ClipAction::None;
  const size_t length = std::strlen(text);
  if (length > kClipTextMax)
    return ClipAction::None;
  if (ownText != nullptr && std::strcmp(text, ownText) == 0)
    return ClipAction::None;
  if (std::strcmp(text, state.lastText) == 0)
    return ClipAction::None;
  std::memcpy(state.lastText, text, length + 1);
  return state.mode == CLIPMODE_REMEMBER ? ClipAction::Remembered : ClipAction::Queue;
}

namespace {

bool HasControl(const std::string& s)
{
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7F)
      return true;
  return false;
}

int HexValue(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// An escaped control character: the system's parser cuts the part there.
bool HasEscapedControl(const std::string& s)
{
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    if (s[i] != '%')
      continue;
    const int high = HexValue(s[i + 1]), low = HexValue(s[i + 2]);
    if (high >= 0 && low >= 0 && (high * 16 + low < 0x20 || high * 16 + low == 0x7F))
      return true;
  }
  return false;
}

}  // namespace

bool ClipLooksLikeFtpUrl(const char* text)
{
  if (text == nullptr)
    return false;
  while (*text == ' ' || *text == '\t')
    ++text;
  const std::string s(text);
  if (s.empty() || s.size() > kClipTextMax || HasControl(s) || HasEscapedControl(s))
    return false;
  return s.find("ftp://") != std::string::npos || s.find("FTP://") != std::string::npos;
}

bool ClipSiteFields(const FtpUrlParts& p, SiteFields& out)
{
  if (p.host.empty() || p.host.size() >= kSiteHostLen || p.user.size() >= kSiteUserLen ||
      p.password.size() >= kSitePasswordLen || p.path.size() >= kSitePathLen)
    return false;
  if (HasControl(p.host) || HasControl(p.user) || HasControl(p.password) || HasControl(p.path))
    return false;
  if (p.port <= 0 || p.port > 65535)
    return false;
  InitSiteFields(out);
  CopySiteText(out.m_host, p.host.c_str());
  CopySiteText(out.m_name, p.host.c_str());
  out.m_port = p.port;
  CopySiteText(out.m_user, p.user.c_str());
  CopySiteText(out.m_password, p.password.c_str());
  CopySiteText(out.m_remoteFolder, p.path.c_str());
  out.SiteOptionDigits[1] = p.user.empty() ? '1' : '0';
  return true;
}

namespace {

// Splits at the last "/"; the folder is "/" when shorter than 2 characters,
// else loses a trailing "/".
void SplitLast(const std::string& path, std::string& folder, std::string& name)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder.clear();
    name = path;
  } else {
    folder = path.substr(0, slash);
    name = path.substr(slash + 1);
  }
  if (folder.size() < 2)
    folder = "/";
  else if (folder.back() == '/')
    folder.pop_back();
}

}  // namespace

ClipQueueTarget ClipQueueSplit(const char* path, int mode)
{
  ClipQueueTarget t;
  if (path == nullptr || (mode != CLIPMODE_FILES && mode != CLIPMODE_FILES_FOLDERS))
    return t;
  std::string folder, name;
  SplitLast(path, folder, name);
  if (!name.empty()) {
    t.queue = true;
    t.kind = kEntryFile;
    t.folder = folder;
    t.name = name;
    return t;
  }
  // A folder address: only mode 3 takes it, as its last folder.
  if (mode != CLIPMODE_FILES_FOLDERS || folder == "/")
    return t;
  SplitLast(folder, t.folder, t.name);
  if (t.name.empty())
    return t;
  t.queue = true;
  t.kind = kEntryFolder;
  return t;
}
