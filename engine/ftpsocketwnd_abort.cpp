// The connection window's abort: ABOR goes out whole (after the rest of a
// command cut by a full buffer), and the final replies it leaves owed (the
// given-up command's and its own) are consumed, whatever their code, before
// any reply is taken for a later command or a later command is sent. A server
// that does not answer within the idle limit fails the connection; one that
// already let a command fail on that limit gets only a few seconds.
#include "engine/ftpsocketwnd.h"

#include <cstring>

#include "engine/connlog.h"
#include "engine/siteitem.h"
#include "shell/settings/settings.h"

namespace {

constexpr UINT_PTR kOwedRepliesTimer = 1;

}  // namespace

void CFtpSocketWnd::SendAbort(bool evenForUpload)
{
  NetSession& s = *m_pSession;
  const bool afterSilence = s.m_abortAfterSilence.exchange(0) != 0;
  // After an abort the server's folder and type are no longer taken on trust.
  s.ForgetAcknowledged();
  const int current = s.m_current.m_verb;
  // A transfer between two servers has no data connection here: only ABOR,
  // urgent, stops it.
  const bool urgent = s.m_replyText[0] != '\0';
  if (!urgent && !evenForUpload && (current == VERB_STOR || current == VERB_STOW || current == VERB_APPE)) {
    if (m_dataSocket != INVALID_SOCKET)
      SendMessage(UWM_DATA_SOCKET, (WPARAM)m_dataSocket, FD_CLOSE);
    else
      OnDataClosed(false);  // refused before the server connected: no close will come
    return;
  }
  // The data connection goes first (and the pending commands with it); what
  // the server still sends of a given-up transfer is not drained into its file.
  m_dataGivenUp = true;
  CloseDataConnection();
  m_dataGivenUp = false;
  if (m_ctrlSocket == INVALID_SOCKET)
    return;
  // The caller waits for the abort's end, unless the window wakes it first.
  m_abortWaited = true;
  if (m_repliesOwed > 0 || m_abortDue) {
    // An ABOR under way answers for this one too; a server that has since
    // proved silent gets no longer than the short bound.
    if (afterSilence)
      SetTimer(kOwedRepliesTimer, OwedRepliesLimitMs(true), nullptr);
    return;
  }
  // The command the server is working on still owes its final reply.
  if (current != VERB_NONE && (!IsTransferVerb(current) || m_transferReplyDue))
    ++m_repliesOwed;
  memset(&s.m_current, 0, sizeof(s.m_current));
  m_transferReplyDue = false;
  m_abortDue = true;
  m_abortUrgent = urgent;
  m_abortSent = 0;
  SetTimer(kOwedRepliesTimer, OwedRepliesLimitMs(afterSilence), nullptr);
  FlushAbort();
}

void CFtpSocketWnd::FlushAbort()
{
  NetSession& s = *m_pSession;
  if (!m_abortDue || m_ctrlSocket == INVALID_SOCKET)
    return;
  const char* failText = m_abortUrgent ? "%s::Sending commands failed. \r\n" : "%s::Sending Command error. \r\n";
  // A command cut by a full buffer is finished first, so ABOR starts a line of
  // its own; it is given up, and its reply is owed.
  while (m_sendPos < m_sendLen) {
    const int n = ::send(m_ctrlSocket, m_sendBuf + m_sendPos, (int)(m_sendLen - m_sendPos), 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() != WSAEWOULDBLOCK)
        FailControlConnection(failText);
      return;
    }
    m_sendPos += (size_t)n;
  }
  if (m_sendLen != 0) {
    m_sendLen = m_sendPos = 0;
    m_sendBuf[0] = '\0';
    if (m_sending.m_verb == VERB_QUIT)
      m_quitSent = true;
    ++m_repliesOwed;
  }
  // Urgent: the line out of band, then CR LF in band, which ends the line for
  // a server that takes the urgent byte out of the stream.
  static const char kAbort[] = "ABOR\r\n\r\n";
  const size_t lineLen = 6;
  const size_t total = m_abortUrgent ? 8 : lineLen;
  while (m_abortSent < total) {
    const bool oob = m_abortUrgent && m_abortSent < lineLen;
    const size_t end = oob ? lineLen : total;
    const int n = ::send(m_ctrlSocket, kAbort + m_abortSent, (int)(end - m_abortSent), oob ? MSG_OOB : 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() != WSAEWOULDBLOCK)
        FailControlConnection(failText);
      return;  // would-block: the rest goes at the next FD_WRITE
    }
    m_abortSent += (size_t)n;
  }
  m_abortDue = false;
  ++m_repliesOwed;
  memset(&s.m_current, 0, sizeof(s.m_current));
  s.m_current.m_verb = VERB_ABOR;
  if (m_abortUrgent) {
    ConnLogPrintf("%s::Sending command ---> %s\r\n", Host(), "ABOR");
    ConnLogPrintf("%s::Status: Aborting the previous command. \r\n", Host());
    s.m_alive = 0;
  }
}

void CFtpSocketWnd::ConsumeOwedReply(int code)
{
  NetSession& s = *m_pSession;
  // 225 answers ABOR when nothing was running: no reply before it is still due.
  if (code == 225 && !m_abortDue)
    m_repliesOwed = 0;
  else
    --m_repliesOwed;
  if (m_repliesOwed > 0 || m_abortDue)
    return;
  KillTimer(kOwedRepliesTimer);
  if (s.m_current.m_verb == VERB_ABOR)
    memset(&s.m_current, 0, sizeof(s.m_current));
  if (m_abortWaited) {
    // The abort was what the client waited for: it ends like a transfer.
    m_secondEvent = 0;
    s.m_replyText[0] = '\0';
    NextOrDone();
  } else if (s.m_queue.GetCount() > 0) {
    RunSequencer();
  }
}

UINT CFtpSocketWnd::OwedRepliesLimitMs(bool afterSilence) const
{
  int32_t seconds = m_pSite != nullptr && m_pSite->m_downloadTimeout > 10 ? (int32_t)m_pSite->m_downloadTimeout
                                                                            : g_recvTimeout;
  if (seconds < 1)
    seconds = 1;
  const UINT limit = (UINT)seconds * 1000u;
  return afterSilence ? SilentAbortReplyMs(limit) : limit;
}

void CFtpSocketWnd::OnTimer(UINT_PTR nIDEvent)
{
  if (nIDEvent != kOwedRepliesTimer) {
    CWnd::OnTimer(nIDEvent);
    return;
  }
  KillTimer(kOwedRepliesTimer);
  if (m_ctrlSocket != INVALID_SOCKET && (m_repliesOwed > 0 || m_abortDue))
    FailControlConnection("%s::Connection failed. Please check the network.\r\n");
}
