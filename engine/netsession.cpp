// The verb table and the command queue.
#include "engine/netsession.h"

#include <cstdio>
#include <cstring>

#include "engine/connlog.h"

namespace {

const char* const kVerbTexts[kFtpVerbCount] = {
    "",     "CWD",  "DELE", "PASS", "PORT", "RETR", "STOR", "APPE", "TYPE", "USER",
    "MKD",  "RMD",  "REST", "RNFR", "RNTO", "RETM", "STOM", "RETW", "STOW", "SITE",
    "ABOR", "LIST", "PWD",  "QUIT", "NOOP", "SYST", "CDUP", "PASV", "CONNECT", "SIZE",
};

const char kClientFullLine[] = "%s::Commands queue is full,please try again later\r\n";
const char kWindowFullLine[] = "%s::Commands queue is full,please try again later. \r\n";
const char kTooLongLine[] = "%s::%s refused: argument longer than %d characters\r\n";

struct QueueGuard {
  explicit QueueGuard(CCriticalSection& lock) : m_lock(lock) { m_lock.Lock(); }
  ~QueueGuard() { m_lock.Unlock(); }
  QueueGuard(const QueueGuard&) = delete;
  QueueGuard& operator=(const QueueGuard&) = delete;
  CCriticalSection& m_lock;
};

}  // namespace

const char* g_ftpVerbNames[kFtpVerbCount] = {
    "",     "CWD",  "DELE", "PASS", "PORT", "RETR", "STOR", "APPE", "TYPE", "USER",
    "MKD",  "RMD",  "REST", "RNFR", "RNTO", "RETM", "STOM", "RETW", "STOW", "SITE",
    "ABOR", "LIST", "PWD",  "QUIT", "NOOP", "SYST", "CDUP", "PASV", "CONNECT", "SIZE",
};

void InitFtpVerbNames()
{
  for (int i = 0; i < kFtpVerbCount; ++i)
    g_ftpVerbNames[i] = kVerbTexts[i];
}

const char* FtpVerbName(int verb)
{
  if (verb < 0 || verb >= kFtpVerbCount || g_ftpVerbNames[verb] == nullptr)
    return "";
  return g_ftpVerbNames[verb];
}

bool IsTransferVerb(int verb)
{
  switch (verb) {
    case VERB_LIST: case VERB_STOR: case VERB_RETR: case VERB_APPE:
    case VERB_RETM: case VERB_STOM: case VERB_RETW: case VERB_STOW:
      return true;
    default:
      return false;
  }
}

CNetCommandQueue::CNetCommandQueue() : m_count(0)
{
  memset(m_pending, 0, sizeof(m_pending));
}

int CNetCommandQueue::Insert(const char* host, int verb, const char* arg, bool front,
                             const char* fullFormat)
{
  if (host == nullptr)
    host = "";
  if (arg == nullptr)
    arg = "";
  const size_t length = strnlen(arg, kCommandArgLen);
  if (length >= kCommandArgLen) {
    ConnLogPrintf(kTooLongLine, host, FtpVerbName(verb), (int)kCommandArgLen - 1);
    return 0;
  }
  {
    QueueGuard guard(m_lock);
    if (m_count < kCommandQueueDepth) {
      NetCommand* slot = &m_pending[m_count];
      if (front) {
        memmove(&m_pending[1], &m_pending[0], sizeof(NetCommand) * (size_t)m_count);
        slot = &m_pending[0];
      }
      slot->m_verb = verb;
      memcpy(slot->m_arg, arg, length);
      slot->m_arg[length] = '\0';
      ++m_count;
      return 1;
    }
  }
  // Logged outside the queue's lock: the log has its own.
  ConnLogPrintf(fullFormat, host);
  return 0;
}

int CNetCommandQueue::Push(const char* host, int verb, const char* arg)
{
  return Insert(host, verb, arg, false, kClientFullLine);
}

int CNetCommandQueue::PushWindow(const char* host, int verb, const char* arg)
{
  return Insert(host, verb, arg, false, kWindowFullLine);
}

int CNetCommandQueue::PushFront(const char* host, int verb, const char* arg)
{
  return Insert(host, verb, arg, true, kWindowFullLine);
}

bool CNetCommandQueue::Pop(NetCommand& next)
{
  QueueGuard guard(m_lock);
  if (m_count <= 0)
    return false;
  next = m_pending[0];
  --m_count;
  memmove(&m_pending[0], &m_pending[1], sizeof(NetCommand) * (size_t)m_count);
  memset(&m_pending[m_count], 0, sizeof(NetCommand));
  return true;
}

void CNetCommandQueue::Clear()
{
  QueueGuard guard(m_lock);
  m_count = 0;
  memset(m_pending, 0, sizeof(m_pending));
}

int CNetCommandQueue::GetCount() const
{
  QueueGuard guard(m_lock);
  return m_count;
}

bool CNetCommandQueue::GetAt(int index, NetCommand& out) const
{
  QueueGuard guard(m_lock);
  if (index < 0 || index >= m_count)
    return false;
  out = m_pending[index];
  return true;
}

NetSession::NetSession()
    : m_pWnd(nullptr),
      m_hDoneEvent(nullptr),
      m_progress(0),
      m_pFile(nullptr),
      m_pRecord(nullptr),
      m_pSite(nullptr),
      m_listError(0),
      m_keeper(0),
      m_alive(0),
      m_loggedIn(0),
      m_entryCount(0)
{
  memset(&m_current, 0, sizeof(m_current));
  memset(m_replyText, 0, sizeof(m_replyText));
}

NetSession::~NetSession()
{
#ifdef _WIN32
  if (m_hDoneEvent != nullptr)
    ::CloseHandle(m_hDoneEvent);
#endif
}

const char* NetSession::Host() const
{
  return m_pSite != nullptr ? m_pSite->m_host : "";
}

int NetSession::PushCommand(int verb, const char* arg)
{
  return m_queue.Push(Host(), verb, arg);
}

int NetSession::PushCommandFront(int verb, const char* arg)
{
  return m_queue.PushFront(Host(), verb, arg);
}

void NetSession::ForgetAcknowledged()
{
  QueueGuard guard(m_ackLock);
  m_ackedFolder[0] = '\0';
  m_ackedType[0] = '\0';
}

bool NetSession::StandsIn(const char* folder) const
{
  NetCommand cmd;
  cmd.m_verb = VERB_CWD;
  std::snprintf(cmd.m_arg, sizeof(cmd.m_arg), "%s", folder != nullptr ? folder : "");
  return folder != nullptr && std::strlen(folder) < sizeof(cmd.m_arg) && RepeatsAcknowledged(cmd);
}

bool NetSession::RepeatsAcknowledged(const NetCommand& cmd) const
{
  QueueGuard guard(m_ackLock);
  if (cmd.m_verb == VERB_CWD)
    return m_ackedFolder[0] != '\0' && std::strcmp(cmd.m_arg, m_ackedFolder) == 0;
  if (cmd.m_verb == VERB_TYPE)
    return m_ackedType[0] != '\0' && std::strcmp(cmd.m_arg, m_ackedType) == 0;
  return false;
}

void NetSession::NoteAcknowledged(const NetCommand& cmd)
{
  QueueGuard guard(m_ackLock);
  switch (cmd.m_verb) {
    case VERB_CWD:
      // Only an absolute path names the same folder when sent again.
      if (cmd.m_arg[0] == '/')
        std::snprintf(m_ackedFolder, sizeof(m_ackedFolder), "%s", cmd.m_arg);
      else
        m_ackedFolder[0] = '\0';
      break;
    case VERB_TYPE:
      if (std::strlen(cmd.m_arg) < sizeof(m_ackedType))
        std::snprintf(m_ackedType, sizeof(m_ackedType), "%s", cmd.m_arg);
      else
        m_ackedType[0] = '\0';
      break;
    case VERB_CDUP: case VERB_RMD: case VERB_RNTO:
      // The folder the connection stands in may have moved or gone.
      m_ackedFolder[0] = '\0';
      break;
    default:
      break;
  }
}
