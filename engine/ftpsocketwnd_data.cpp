// The connection window's data side: the data connection in active mode (PORT
// and a listening socket) or passive mode (a 227 reply), the loops that move
// bytes between the data socket and a file, a listing block or a partner
// connection, the speed limit, and the summary line of each data connection.
//
// One buffer per window (kDataBufferSize): received bytes go to the file once
// the buffer is all but full or the transfer stops; uploads read the file a
// buffer at a time and hand the socket g_socketBlockSize pieces, many pieces to
// one gathering send. Each socket call is a round trip to the Wine server, so
// the loops move as much as the socket holds per call (a file call is not: a
// received buffer goes to the file in quarter-megabyte writes); a speed limit
// keeps the old 8192-byte pieces so its sleeps stay fine-grained.
//
// Every receive that leaves bytes in the socket makes the system post another
// FD_READ, so a loop that drains the socket would find one message per receive
// waiting behind it, each a trip through the message loop for a receive that
// finds little or nothing. A download loop therefore selects only FD_CLOSE
// while it works and selects FD_READ again when it stops.
//
// The transfer record the session carries is a CPlanItem for the queue's verbs
// (RETW, STOW, APPE) and a BatchJobRecord for the tasks' (RETR, STOR, RETM); for
// LIST it is the listing text itself, a malloc'ed block the client frees.
#include "engine/ftpsocketwnd.h"
#include "engine/ftpdatapath.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "engine/batchjob.h"
#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/listing.h"
#include "engine/pasvreply.h"
#include "engine/planitem.h"
#include "engine/siteitem.h"
#include "engine/transfersummary.h"
#include "framework/file.h"
#include "shell/settings/settings.h"

using namespace ftpdata;

namespace {

constexpr uint32_t kFlushAbove = (uint32_t)(kDataBufferSize - 1460);
// The most one file write takes. A buffer goes to the file in these pieces:
// once earlier files' pages wait to be written out, the system takes a write
// of a whole megabyte into its cache several times slower than four of a
// quarter (a file write costs no Wine server request).
constexpr DWORD kFileWritePiece = 256 * 1024;
// Work one socket event may do before the other messages (the control reply,
// a stop) get their turn: at most these bytes and, under a slow disk or a
// speed limit, about this long; the loop then posts itself the same event again.
constexpr size_t kBytesPerEvent = 16 * 1024 * 1024;
constexpr int kFillsPerEvent = (int)(kBytesPerEvent / kDataBufferSize) > 0 ? (int)(kBytesPerEvent / kDataBufferSize) : 1;
constexpr DWORD kEventMs = 200;
// The most block-size pieces one send takes: the gather limit of the system
// under Wine (IOV_MAX), enough for a whole buffer of 1460-byte pieces.
constexpr int kPiecesPerSend = 1024;
// The piece of one receive or send while a speed limit holds.
constexpr uint32_t kLimitedPiece = 8192;
// A close drains at most this many reads: a peer that keeps sending after an
// abort is cut off rather than followed.
constexpr int kDrainReads = 4096;

bool IsUploadVerb(int verb)
{
  return verb == VERB_STOR || verb == VERB_STOM || verb == VERB_STOW || verb == VERB_APPE;
}

bool IsQueueVerb(int verb)
{
  return verb == VERB_RETW || verb == VERB_STOW || verb == VERB_APPE;
}

bool ResolveIPv4(const char* host, in_addr* out)
{
  while (*host == ' ')
    ++host;
  const unsigned long number = ::inet_addr(host);
  if (number != INADDR_NONE || strcmp(host, "255.255.255.255") == 0) {
    out->s_addr = number;
    return true;
  }
  const hostent* he = *host != '\0' ? ::gethostbyname(host) : nullptr;
  if (he == nullptr || he->h_addrtype != AF_INET || he->h_length != 4 || he->h_addr_list[0] == nullptr)
    return false;
  memcpy(out, he->h_addr_list[0], 4);
  return true;
}

uint32_t BlockSize()
{
  const int32_t size = g_socketBlockSize;
  if (size <= 0)
    return 1460;
  return size > (int32_t)kDataBufferSize ? (uint32_t)kDataBufferSize : (uint32_t)size;
}

int32_t LimitOrGlobal(int32_t own, int optionBit, int32_t global)
{
  const int32_t limit = own != 0 ? own : (IsOptionSet(optionBit) ? global : 0);
  return limit > 0 ? limit : 0;
}

// Socket buffers of a data connection: the default ones make the loops wait
// for the peer many times per megabyte. Set before the connection stands (a
// listening socket hands them to what it accepts), so the window scale
// allows them.
void WidenSocketBuffers(SOCKET s)
{
  const int size = 4 * 1024 * 1024;
  ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, (const char*)&size, sizeof(size));
  ::setsockopt(s, SOL_SOCKET, SO_SNDBUF, (const char*)&size, sizeof(size));
}

// Wide buffers pay off only for a file that fills the default ones many
// times; a listing or a small listed file spares the two calls.
constexpr uint64_t kWideBuffersFrom = 1024 * 1024;

// The transfer verb a data connection opened now will serve: the current
// command or the first pending one; VERB_NONE when none is known.
int ComingTransferVerb(const NetSession& s)
{
  int verb = s.m_current.m_verb;
  NetCommand next;
  for (int i = 0; !IsTransferVerb(verb) && s.m_queue.GetAt(i, next); ++i)
    verb = next.m_verb;
  return IsTransferVerb(verb) ? verb : VERB_NONE;
}

bool IsDownloadVerb(int verb)
{
  return verb == VERB_RETR || verb == VERB_RETW || verb == VERB_RETM || verb == VERB_LIST;
}

// The listed size of the file being moved; 0 when unknown (a size of 0 may
// be a listing that gave none).
uint64_t ListedSize(const NetSession& s)
{
  if (s.m_pJob != nullptr && s.m_pJob->m_size != 0)
    return s.m_pJob->m_size;
  if (s.m_pItem != nullptr && s.m_pItem->m_fileSize > 0)
    return (uint64_t)s.m_pItem->m_fileSize;
  return 0;
}

bool WantsWideBuffers(const NetSession& s)
{
  if (ComingTransferVerb(s) == VERB_LIST)
    return false;
  const uint64_t size = ListedSize(s);
  return size == 0 || size >= kWideBuffersFrom;
}

// The most one receive or send of the verb moves.
uint32_t PieceLimit(const CFtpSocketWnd& w, int verb)
{
  const bool limited = (verb == VERB_RETW && w.m_downloadLimitOn != 0) ||
                       ((verb == VERB_STOW || verb == VERB_APPE) && w.m_uploadLimitOn != 0);
  return limited ? kLimitedPiece : (uint32_t)kDataBufferSize;
}

// Hands the socket up to kPiecesPerSend pieces of at most `block` bytes in one
// call: the bytes sent, or SOCKET_ERROR.
int SendPieces(SOCKET s, char* data, uint32_t size, uint32_t block)
{
  WSABUF pieces[kPiecesPerSend];
  DWORD count = 0;
  for (uint32_t at = 0; at < size && count < (DWORD)kPiecesPerSend; ++count) {
    const uint32_t len = size - at < block ? size - at : block;
    pieces[count].buf = data + at;
    pieces[count].len = len;
    at += len;
  }
  DWORD sent = 0;
  if (::WSASend(s, pieces, count, &sent, 0, nullptr, nullptr) == SOCKET_ERROR)
    return SOCKET_ERROR;
  return (int)sent;
}

}  // namespace

// ---- setting up --------------------------------------------------------------

void CFtpDataPath::SetUp(CFtpSocketWnd& w)
{
  NetSession& session = *w.m_pSession;
  const CSiteItem* site = w.m_pSite;
  w.m_downloadLimit = LimitOrGlobal(site != nullptr ? site->m_downloadLimit : 0, OPTBIT_DOWNLOAD_LIMIT, g_globalLimitA);
  w.m_uploadLimit = LimitOrGlobal(site != nullptr ? site->m_uploadLimit : 0, OPTBIT_UPLOAD_LIMIT, g_globalLimitB);
  w.m_downloadLimitOn = w.m_downloadLimit != 0;
  w.m_uploadLimitOn = w.m_uploadLimit != 0;

  LINGER abortive;
  abortive.l_onoff = 1;
  abortive.l_linger = 0;
  ::setsockopt(w.m_dataSocket, SOL_SOCKET, SO_LINGER, (const char*)&abortive, sizeof(abortive));

  w.m_bytesMoved = 0;
  w.m_bufPos = 0;
  w.m_bufFill = 0;
  w.m_listLen = 0;
  CFile* file = session.m_pFile;
  w.m_hTransferFile = file != nullptr && file->m_hFile != CFile::hFileNull ? file->m_hFile : nullptr;

  // The limit holds only for a working queue item, on a running site, while
  // the program is not closing.
  CFtpSocketWnd* self = &w;
  w.m_limiter.SetAppliesCheck([self]() {
    const NetSession& ns = *self->m_pSession;
    const CSiteItem* owner = self->m_pSite;
    if (owner == nullptr || owner->m_queueRun != 1 || g_exitRequested != 0 || !IsQueueVerb(ns.m_current.m_verb))
      return false;
    const CPlanItem* item = ns.m_pItem;
    return item != nullptr && __atomic_load_n(&item->m_status, __ATOMIC_RELAXED) == PLAN_WORKING;
  });
  w.m_limiter.Start(0);
  w.m_speedMark = ::GetTickCount();
  w.m_bytesSinceMark = 0;
  w.m_startTick = ::GetTickCount();

  // In passive mode the transfer verb is still to go: whatever the flag holds
  // is left from an earlier transfer. In active mode the verb went before the
  // server connected, and its reply may already have come.
  const int current = session.m_current.m_verb;
  if (!IsTransferVerb(current))
    w.m_secondEvent = 0;
  w.m_dataVerb = IsTransferVerb(current) ? current : VERB_NONE;
}

BOOL CFtpDataPath::Connect(CFtpSocketWnd& w, const char* host, int port)
{
  if (w.m_dataSocket != INVALID_SOCKET) {
    ::WSAAsyncSelect(w.m_dataSocket, w.m_hWnd, 0, 0);
    AbortiveClose(w.m_dataSocket);
    w.m_dataSocket = INVALID_SOCKET;
  }
  sockaddr_in addr;
  memset(&addr, 0, sizeof(addr));
  addr.sin_family = AF_INET;
  addr.sin_port = htons((u_short)port);
  if (port <= 0 || port > 65535 || !ResolveIPv4(host, &addr.sin_addr)) {
    ConnLogPrintf("%s::Connect failed, please check network. \r\n", w.Host());
    w.FailAndSignal();
    return FALSE;
  }
  // A download straight to the server never writes to its data socket: the
  // FD_WRITE of its connect would be a message for nothing. A proxy's
  // exchange and an upload need it.
  const int verb = ComingTransferVerb(*w.m_pSession);
  const long events = FD_READ | FD_CONNECT | FD_CLOSE | (IsDownloadVerb(verb) && !w.DataThroughProxy() ? 0 : FD_WRITE);
  const SOCKET s = ::WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  if (s == INVALID_SOCKET || ::WSAAsyncSelect(s, w.m_hWnd, UWM_DATA_SOCKET, events) != 0) {
    ConnLogPrintf("%s::Creating Data Socket error.\r\n", w.Host());
    if (s != INVALID_SOCKET)
      ::closesocket(s);
    w.FailAndSignal();
    return FALSE;
  }
  // Only a relay target raises it; one left raised by a failed copy before
  // must not send the next copy's pump to this socket.
  if (verb == VERB_STOM)
    ::ResetEvent(w.m_hRelayReady);
  w.m_relaySocket = INVALID_SOCKET;
  w.m_dataEnded = false;
  if (WantsWideBuffers(*w.m_pSession))
    WidenSocketBuffers(s);
  if (::connect(s, (const sockaddr*)&addr, sizeof(addr)) == SOCKET_ERROR && ::WSAGetLastError() != WSAEWOULDBLOCK) {
    ConnLogPrintf("%s::Connect failed, please check network. \r\n", w.Host());
    ::WSAAsyncSelect(s, w.m_hWnd, 0, 0);
    AbortiveClose(s);
    w.FailAndSignal();
    return FALSE;
  }
  w.m_dataSocket = s;
  return TRUE;
}

void CFtpDataPath::OnAccept(CFtpSocketWnd& w, int error)
{
  const SOCKET listener = w.m_listenSocket;
  SOCKET s = INVALID_SOCKET;
  if (error == 0) {
    s = ::accept(listener, nullptr, nullptr);
    if (s == INVALID_SOCKET && IsSoftError(::WSAGetLastError()))
      return;  // nobody waiting after all
  }
  ::WSAAsyncSelect(listener, w.m_hWnd, 0, 0);
  ::closesocket(listener);
  w.m_listenSocket = INVALID_SOCKET;
  if (s == INVALID_SOCKET) {
    ConnLogPrintf("%s::Create Data Socket failed.\r\n", w.Host());
    w.m_pSession->m_alive = 0;
    w.PushWindowSide(VERB_ABOR, "");
    return;
  }
  if (w.m_dataSocket != INVALID_SOCKET) {
    ::WSAAsyncSelect(w.m_dataSocket, w.m_hWnd, 0, 0);
    AbortiveClose(w.m_dataSocket);
  }
  w.m_dataSocket = s;
  ::WSAAsyncSelect(s, w.m_hWnd, UWM_DATA_SOCKET, FD_READ | FD_WRITE | FD_CLOSE);
  if (ComingTransferVerb(*w.m_pSession) == VERB_STOM)
    ::ResetEvent(w.m_hRelayReady);
  w.m_relaySocket = INVALID_SOCKET;
  w.m_dataEnded = false;
  SetUp(w);
  // The upload verb is current already; its first FD_WRITE may have gone by.
  if (IsUploadVerb(w.m_pSession->m_current.m_verb))
    w.PostMessage(UWM_DATA_SOCKET, (WPARAM)s, FD_WRITE);
}

void CFtpDataPath::OnConnect(CFtpSocketWnd& w, int error)
{
  if (error != 0) {
    ConnLogPrintf("%s::Connect failed, please check network. \r\n", w.Host());
    w.CloseDataConnection();  // the transfer verb waiting for it goes too
    w.FailAndSignal();
    return;
  }
  SetUp(w);
  // Through a proxy the exchange towards the server comes first; it sends the
  // transfer verb once the path stands.
  if (w.DataThroughProxy())
    return;
  NetSession& session = *w.m_pSession;
  session.m_replyText[0] = '\0';
  if (session.m_current.m_verb == VERB_NONE)
    w.NextOrDone();
}

// ---- moving bytes --------------------------------------------------------------

void CFtpDataPath::Count(CFtpSocketWnd& w, int verb, uint32_t count)
{
  w.m_bytesMoved += count;
  NetSession& session = *w.m_pSession;
  BatchJobRecord* job = session.m_pJob;
  CPlanItem* item = session.m_pItem;
  switch (verb) {
    case VERB_RETR: case VERB_STOR:
      if (job != nullptr)
        job->m_bytesDone = (uint64_t)w.m_bytesMoved;
      session.m_progress = count;
      break;
    case VERB_RETM:
      if (job != nullptr)
        job->m_bytesDone += count;
      session.m_progress += count;
      break;
    case VERB_RETW: case VERB_STOW: case VERB_APPE: {
      if (item != nullptr)
        __atomic_fetch_add(&item->m_bytesDone, (int64_t)count, __ATOMIC_RELAXED);
      session.m_progress += count;
      w.m_limiter.SetLimit(verb == VERB_RETW ? (w.m_downloadLimitOn ? w.m_downloadLimit : 0)
                                             : (w.m_uploadLimitOn ? w.m_uploadLimit : 0));
      w.m_limiter.Account(count);
      w.m_bytesSinceMark = (int64_t)w.m_limiter.BytesSinceMark();
      break;
    }
    default:  // LIST: the listing block grows elsewhere
      session.m_progress += count;
      break;
  }
}

CFtpDataPath::RecvOutcome CFtpDataPath::FillBuffer(CFtpSocketWnd& w, SOCKET s, int verb)
{
  const uint32_t piece = PieceLimit(w, verb);
  while (w.m_bufPos < kDataBufferSize) {
    const uint32_t room = (uint32_t)kDataBufferSize - w.m_bufPos;
    const int n = ::recv(s, w.m_dataBuf + w.m_bufPos, (int)(room < piece ? room : piece), 0);
    if (n > 0) {
      w.m_bufPos += (uint32_t)n;
      Count(w, verb, (uint32_t)n);
      continue;
    }
    if (n == 0)
      return RECV_CLOSED;
    return IsSoftError(::WSAGetLastError()) ? RECV_BLOCKED : RECV_FAILED;
  }
  return RECV_FULL;
}

// A failed or short write loses bytes: the download must not end as a success.
bool CFtpDataPath::FlushToFile(CFtpSocketWnd& w, bool mayAbort)
{
  const DWORD size = w.m_bufPos;
  w.m_bufPos = 0;
  if (size == 0)
    return true;
  const HANDLE h = w.m_hTransferFile;
  bool ok = h != nullptr && h != INVALID_HANDLE_VALUE;
  for (DWORD at = 0; ok && at < size;) {
    const DWORD piece = size - at < kFileWritePiece ? size - at : kFileWritePiece;
    DWORD written = 0;
    ok = ::WriteFile(h, w.m_dataBuf + at, piece, &written, nullptr) && written == piece;
    at += piece;
  }
  if (ok)
    return true;
  w.m_pSession->m_alive = 0;
  ConnLogPrintf("%s::Writing the local file failed, transfer aborted.\r\n", w.Host());
  // Nothing more goes into the file: the next close drains into nowhere.
  w.m_hTransferFile = nullptr;
  if (mayAbort)
    w.PushWindowSide(VERB_ABOR, "");
  return false;
}

bool CFtpDataPath::AppendListing(CFtpSocketWnd& w)
{
  const size_t size = w.m_bufPos;
  w.m_bufPos = 0;
  if (size == 0)
    return true;
  NetSession& session = *w.m_pSession;
  // A listing already dropped (too large, or a receive failed) takes nothing
  // more: the rest of the data connection goes nowhere.
  if (session.m_alive.load() == 0)
    return false;
  if (size > kListingBlockLimit - w.m_listLen) {
    ConnLogPrintf("%s::The listing is larger than %u MBytes, dropped.\r\n", w.Host(),
                  (unsigned)(kListingBlockLimit >> 20));
    DropListing(w);
    w.PushWindowSide(VERB_ABOR, "");
    return false;
  }
  // The first bytes make a new block; whatever the record held before is the
  // client's.
  char* old = w.m_listLen > 0 ? static_cast<char*>(session.m_pRecord) : nullptr;
  char* block = static_cast<char*>(realloc(old, w.m_listLen + size + 1));
  if (block == nullptr) {
    DropListing(w);
    return false;
  }
  memcpy(block + w.m_listLen, w.m_dataBuf, size);
  w.m_listLen += size;
  block[w.m_listLen] = '\0';
  session.m_pRecord = block;
  return true;
}

void CFtpDataPath::DropListing(CFtpSocketWnd& w)
{
  NetSession& session = *w.m_pSession;
  if (w.m_listLen > 0) {
    free(session.m_pRecord);
    session.m_pRecord = nullptr;
  }
  w.m_listLen = 0;
  w.m_bufPos = 0;
  session.m_listError = -1;
  session.m_alive = 0;
}

void CFtpDataPath::ReceiveIntoFile(CFtpSocketWnd& w, int verb)
{
  const SOCKET s = w.m_dataSocket;
  // FD_CLOSE stays selected: a close during the loop still comes as its event.
  // A file listed smaller than one receive leaves nothing behind it to post
  // FD_READ again, and keeps its selection (two round trips less a file).
  const uint64_t listed = ListedSize(*w.m_pSession);
  const bool deselect = listed == 0 || listed - (uint64_t)w.m_bytesMoved >= PieceLimit(w, verb);
  if (deselect)
    ::WSAAsyncSelect(s, w.m_hWnd, UWM_DATA_SOCKET, FD_CLOSE);
  const DWORD start = ::GetTickCount();
  RecvOutcome r = RECV_FULL;
  bool sound = true;
  for (int fills = 0; fills < kFillsPerEvent && ::GetTickCount() - start < kEventMs; ++fills) {
    r = FillBuffer(w, s, verb);
    if (r == RECV_FAILED)
      w.m_pSession->m_alive = 0;
    // After a would-block the bytes stay buffered for the next FD_READ.
    if (w.m_bufPos > kFlushAbove || r == RECV_CLOSED || r == RECV_FAILED) {
      sound = FlushToFile(w, true);
      if (!sound)
        break;  // aborted
    }
    if (r != RECV_FULL)
      break;
  }
  if (r == RECV_CLOSED && w.m_dataSocket == s)
    w.m_dataEnded = true;
  // A would-block or a used-up share selects FD_READ again, which posts it at
  // once when bytes wait; a socket at its end, failed or given up (an abort
  // may have closed it meanwhile) keeps FD_CLOSE alone.
  if (!sound || w.m_dataSocket != s || r == RECV_CLOSED || r == RECV_FAILED)
    return;
  if (deselect)
    ::WSAAsyncSelect(s, w.m_hWnd, UWM_DATA_SOCKET, FD_READ | FD_CLOSE);
  if (r == RECV_FULL)
    w.PostMessage(UWM_DATA_SOCKET, (WPARAM)s, FD_READ);
}

void CFtpDataPath::ReceiveIntoListing(CFtpSocketWnd& w)
{
  const SOCKET s = w.m_dataSocket;
  for (int fills = 0; fills < kFillsPerEvent; ++fills) {
    const RecvOutcome r = FillBuffer(w, s, VERB_LIST);
    if (r == RECV_FAILED) {
      DropListing(w);
      return;
    }
    if (w.m_bufPos > kFlushAbove || r == RECV_CLOSED) {
      if (!AppendListing(w))
        return;
    }
    if (r == RECV_CLOSED)
      w.m_dataEnded = true;
    if (r != RECV_FULL)
      return;
  }
  w.PostMessage(UWM_DATA_SOCKET, (WPARAM)s, FD_READ);
}

void CFtpDataPath::SendFromFile(CFtpSocketWnd& w, int verb)
{
  // The server's 1xx posts the FD_WRITE that starts sending.
  if (!w.m_uploadCleared)
    return;
  const SOCKET s = w.m_dataSocket;
  const uint32_t block = BlockSize();
  const uint32_t piece = PieceLimit(w, verb);
  const DWORD start = ::GetTickCount();
  for (size_t sent = 0; sent < kBytesPerEvent && ::GetTickCount() - start < kEventMs;) {
    if (w.m_bufPos >= w.m_bufFill) {
      DWORD got = 0;
      const HANDLE h = w.m_hTransferFile;
      const bool ok = h != nullptr && h != INVALID_HANDLE_VALUE &&
                      ::ReadFile(h, w.m_dataBuf, (DWORD)kDataBufferSize, &got, nullptr);
      w.m_bufPos = 0;
      w.m_bufFill = ok ? got : 0;
      if (!ok) {
        // Logged before the close: the server's 226 for the cut file must not
        // read as a success.
        w.m_pSession->m_alive = 0;
        ConnLogPrintf("%s::Reading the local file failed, transfer aborted.\r\n", w.Host());
        // The data connection is reset and ABOR follows: a server that had not
        // yet taken the data connection would otherwise never answer the upload.
        w.SendAbort(true);
        return;
      }
      if (got == 0) {
        w.SendMessage(UWM_DATA_SOCKET, (WPARAM)s, FD_CLOSE);
        return;
      }
    }
    const uint32_t left = w.m_bufFill - w.m_bufPos;
    const int n = SendPieces(s, w.m_dataBuf + w.m_bufPos, left < piece ? left : piece, block);
    if (n == SOCKET_ERROR) {
      if (IsSoftError(::WSAGetLastError()))
        return;  // the next FD_WRITE goes on
      w.m_pSession->m_alive = 0;
      w.SendMessage(UWM_DATA_SOCKET, (WPARAM)s, FD_CLOSE);
      return;
    }
    w.m_bufPos += (uint32_t)n;
    sent += (size_t)n;
    Count(w, verb, (uint32_t)n);
  }
  w.PostMessage(UWM_DATA_SOCKET, (WPARAM)s, FD_WRITE);
}

// What is still in a closing socket: into the file or the listing while the
// transfer is sound, else read and dropped.
void CFtpDataPath::Drain(CFtpSocketWnd& w, SOCKET s, int verb)
{
  // The loop read the end already: nothing can follow it.
  if (w.m_dataEnded)
    return;
  const bool sound =
      (w.m_pSite == nullptr || w.m_pSite->m_queueRun == 1) && w.m_pSession->m_alive != 0 && !w.m_dataGivenUp;
  if (sound && (verb == VERB_RETR || verb == VERB_RETW)) {
    for (int reads = 0; reads < kDrainReads; ++reads) {
      const RecvOutcome r = FillBuffer(w, s, verb);
      if (r == RECV_FAILED)
        w.m_pSession->m_alive = 0;
      if ((w.m_bufPos > kFlushAbove || r != RECV_FULL) && !FlushToFile(w, false))
        return;
      if (r != RECV_FULL)
        return;
    }
    return;
  }
  if (sound && verb == VERB_LIST) {
    for (int reads = 0; reads < kDrainReads; ++reads) {
      const RecvOutcome r = FillBuffer(w, s, VERB_LIST);
      if (r == RECV_FAILED) {
        DropListing(w);
        return;
      }
      if ((w.m_bufPos > kFlushAbove || r != RECV_FULL) && !AppendListing(w))
        return;
      if (r != RECV_FULL)
        return;
    }
    return;
  }
  w.m_bufPos = 0;
  if (verb == VERB_RETM)
    return;
  char drop[1460];
  for (int reads = 0; reads < kDrainReads; ++reads) {
    if (::recv(s, drop, (int)sizeof(drop), 0) <= 0)
      break;
  }
}

// ---- the hooks of the window ---------------------------------------------------------

BOOL CFtpSocketWnd::MakePortCommand(char* out, size_t size)
{
  if (size > 0)
    out[0] = '\0';
  if (m_listenSocket != INVALID_SOCKET) {
    ::WSAAsyncSelect(m_listenSocket, m_hWnd, 0, 0);
    ::closesocket(m_listenSocket);
    m_listenSocket = INVALID_SOCKET;
  }
  SOCKET l = ::WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  sockaddr_in any;
  memset(&any, 0, sizeof(any));
  any.sin_family = AF_INET;
  any.sin_addr.s_addr = htonl(INADDR_ANY);
  any.sin_port = 0;
  if (l != INVALID_SOCKET && WantsWideBuffers(*m_pSession))
    WidenSocketBuffers(l);
  if (l == INVALID_SOCKET || ::bind(l, (const sockaddr*)&any, sizeof(any)) != 0 ||
      ::WSAAsyncSelect(l, m_hWnd, UWM_DATA_SOCKET, FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE) != 0 ||
      ::listen(l, 5) != 0) {
    ConnLogPrintf("%s::Create listening Socket failed. \r\n", Host());
    if (l != INVALID_SOCKET) {
      ::WSAAsyncSelect(l, m_hWnd, 0, 0);
      ::closesocket(l);
    }
    ConnLogPrintf("%s::Create listening socket failed. \r\n", Host());
    return FALSE;
  }
  m_listenSocket = l;
  sockaddr_in local;
  sockaddr_in listening;
  int localLen = sizeof(local);
  int listeningLen = sizeof(listening);
  if (m_ctrlSocket == INVALID_SOCKET || ::getsockname(m_ctrlSocket, (sockaddr*)&local, &localLen) != 0 ||
      ::getsockname(l, (sockaddr*)&listening, &listeningLen) != 0) {
    ConnLogPrintf("%s::Port transformation failed. \r\n", Host());
    ::WSAAsyncSelect(l, m_hWnd, 0, 0);
    ::closesocket(l);
    m_listenSocket = INVALID_SOCKET;
    return FALSE;
  }
  const unsigned char* a = (const unsigned char*)&local.sin_addr;
  const unsigned port = ntohs(listening.sin_port);
  const int n = snprintf(out, size, "PORT %d,%d,%d,%d,%d,%d\r\n", a[0], a[1], a[2], a[3], (int)(port >> 8),
                         (int)(port & 0xFF));
  return n > 0 && (size_t)n < size;
}

BOOL CFtpSocketWnd::OpenPassiveData(const char* reply)
{
  // A hostile reply never reaches the address field and opens nothing.
  if (!ParsePasvReply(reply, m_dataAddr, sizeof(m_dataAddr), &m_dataPort)) {
    m_pSession->m_alive = 0;
    ConnLogPrintf("%s::Invalid passive mode reply.\r\n", Host());
    return FALSE;
  }
  if (DataThroughProxy())
    return CFtpDataPath::Connect(*this, m_proxyHost, m_proxyPort);
  return CFtpDataPath::Connect(*this, m_dataAddr, m_dataPort);
}

void CFtpSocketWnd::CloseDataSocket()
{
  if (m_pSession == nullptr)
    return;
  NetSession& session = *m_pSession;
  if (m_dataSocket != INVALID_SOCKET) {
    const SOCKET s = m_dataSocket;
    m_dataSocket = INVALID_SOCKET;
    // Cleared before the pump is asked: a pump either sees no socket or lets go.
    m_relaySocket = INVALID_SOCKET;
    const int current = session.m_current.m_verb;
    if (CFtpDataPath::TakeBackFromRelay(*this)) {
      // Orderly while the transfer is sound; a failed or stopped one resets the
      // connection, so the server cannot take a cut file for a whole one.
      const bool sound = (m_pSite == nullptr || m_pSite->m_queueRun == 1) && session.m_alive != 0 && !m_dataGivenUp;
      LINGER linger;
      linger.l_onoff = sound ? 0 : 1;
      linger.l_linger = 0;
      ::setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&linger, sizeof(linger));
      // A sound socket whose end the loop has read has nothing to drain or
      // to end, and no event can come from it any more: it is only closed.
      if (!sound || !m_dataEnded) {
        // Deselected, it stays non-blocking (no data socket is ever made
        // blocking), so the drain never waits.
        ::WSAAsyncSelect(s, m_hWnd, 0, 0);
        CFtpDataPath::Drain(*this, s, current);
        if (sound)
          ::shutdown(s, SD_BOTH);  // an abortive close sends no end of data first
      }
      m_dataEnded = false;
      ::closesocket(s);
    }

    const int verb = m_dataVerb != VERB_NONE ? m_dataVerb : current;
    if (m_bytesMoved > 0) {
      const CString line =
          FormatTransferSummary(Host(), verb, (uint64_t)m_bytesMoved, (uint32_t)(::GetTickCount() - m_startTick));
      ConnLogWrite(line);
      if (m_pSite != nullptr) {
        if (TransferVerbReceives(verb))
          m_pSite->m_bytesReceived += (uint64_t)m_bytesMoved;
        else
          m_pSite->m_bytesSent += (uint64_t)m_bytesMoved;
      }
    }
  }
  // The window is the file's one owner from here: closed once, through the
  // object, so its handle is never closed twice.
  if (session.m_pFile != nullptr) {
    session.m_pFile->Abort();
    session.m_pFile = nullptr;
  }
  m_hTransferFile = nullptr;
  m_bytesMoved = 0;
  m_bufPos = 0;
  m_bufFill = 0;
  m_dataVerb = VERB_NONE;
}

void CFtpSocketWnd::OnCommandCurrent(int verb)
{
  if (IsTransferVerb(verb)) {
    // Nothing of this transfer can have come before its verb went out.
    m_secondEvent = 0;
    m_dataVerb = verb;
    m_uploadCleared = false;
  }
  // With REST before it, the connect's FD_WRITE went by while REST was current.
  if (IsUploadVerb(verb) && m_dataSocket != INVALID_SOCKET)
    PostMessage(UWM_DATA_SOCKET, (WPARAM)m_dataSocket, FD_WRITE);
}

void CFtpSocketWnd::OnPreliminaryReply(int verb)
{
  if (verb != VERB_STOR && verb != VERB_STOW && verb != VERB_APPE)
    return;
  m_uploadCleared = true;
  if (m_dataSocket != INVALID_SOCKET)
    PostMessage(UWM_DATA_SOCKET, (WPARAM)m_dataSocket, FD_WRITE);
}

void CFtpSocketWnd::OnDataClosed(bool hadSocket)
{
  if (hadSocket) {
    CloseDataSocket();
    ConnLogPrintf("%s::Data Socket closed. ", Host());
  } else {
    CloseDataConnection();  // the listener and the transfer file
  }
  if (m_secondEvent != 0)
    EndTransfer();
  else
    m_secondEvent = 1;
}

LRESULT CFtpSocketWnd::OnDataSocket(WPARAM wParam, LPARAM lParam)
{
  const SOCKET s = (SOCKET)wParam;
  const int event = WSAGETSELECTEVENT(lParam);
  const int error = WSAGETSELECTERROR(lParam);
  if (s == INVALID_SOCKET || m_pSession == nullptr)
    return 0;
  if (s == m_listenSocket) {
    if (event == FD_ACCEPT)
      CFtpDataPath::OnAccept(*this, error);
    return 0;
  }
  // Events of a socket closed since are stale.
  if (s != m_dataSocket)
    return 0;
  const int verb = m_pSession->m_current.m_verb;
  // A queue item the user stopped takes no more data while its worker comes
  // to abort it: the rest of the file must not race in unthrottled first.
  const CPlanItem* item = m_pSession->m_pItem;
  const bool running = (m_pSite == nullptr || m_pSite->m_queueRun == 1) &&
                       (item == nullptr || !IsQueueVerb(verb) ||
                        __atomic_load_n(&item->m_status, __ATOMIC_RELAXED) == PLAN_WORKING);
  switch (event) {
    case FD_CONNECT:
      CFtpDataPath::OnConnect(*this, error);
      break;
    case FD_READ:
      if (!running)
        break;
      if (verb == VERB_RETR || verb == VERB_RETW)
        CFtpDataPath::ReceiveIntoFile(*this, verb);
      else if (verb == VERB_LIST)
        CFtpDataPath::ReceiveIntoListing(*this);
      else if (verb == VERB_RETM)
        CFtpDataPath::Relay(*this);
      break;
    case FD_WRITE:
      if (!running) {
        ::recv(s, m_dataBuf, (int)kDataBufferSize, 0);
        break;
      }
      if (verb == VERB_STOR || verb == VERB_STOW || verb == VERB_APPE)
        CFtpDataPath::SendFromFile(*this, verb);
      else if (verb == VERB_STOM)
        CFtpDataPath::RelayTargetReady(*this);
      break;
    case FD_CLOSE:
      // A relayed file whose source closed before any FD_READ (an empty file,
      // or data and close together): the pump still has to run, or the
      // target's STOR would wait for a close that never comes.
      if (error == 0 && verb == VERB_RETM && running && !CFtpDataPath::Relaying()) {
        CFtpDataPath::Relay(*this);
        break;
      }
      if (error != 0)
        m_pSession->m_alive = 0;  // reset: what came may not be all
      OnDataClosed(true);
      break;
    default:
      break;
  }
  return 0;
}
