// The manual console's conversation: queue, reply pairing, data side.
#include "console/consolesession.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "engine/pasvreply.h"
#include "engine/thousands.h"
#include "engine/transfersummary.h"
#include "engine/xfernames.h"

namespace {

std::string Trim(const std::string& s)
{
  size_t b = 0, e = s.size();
  while (b < e && isspace((unsigned char)s[b]))
    ++b;
  while (e > b && isspace((unsigned char)s[e - 1]))
    --e;
  return s.substr(b, e - b);
}

std::string Verb(const std::string& s)
{
  std::string v = s.substr(0, 4);
  for (char& c : v)
    c = (char)toupper((unsigned char)c);
  return v;
}

std::string Argument(const std::string& s)
{
  const size_t blank = s.find(' ');
  return blank == std::string::npos ? std::string() : Trim(s.substr(blank + 1));
}

std::string LastElement(const std::string& path)
{
  const size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string InFolder(const std::string& folder, const std::string& name)
{
  std::string path = folder;
  if (path.empty() || path.back() != '\\')
    path += '\\';
  return path + name;
}

const char kCantOpenLocal[] = "Can't open local file,task terminated.";

}  // namespace

std::string FormatConsoleSummary(bool upload, uint64_t bytes, uint32_t elapsedMs)
{
  if (bytes == 0)
    return std::string();
  const uint64_t ms = RateElapsedMs(elapsedMs);
  // Bytes per second split so that no 64-bit count can overflow the x1000.
  const uint64_t rate = bytes / ms * 1000 + (bytes % ms) * 1000 / ms;
  char line[160];
  snprintf(line, sizeof(line), "Total:%s %s bytes \xD3\xDA %ld.%03ld seconds (%lu.%02lu Kbytes/sec)",
           upload ? "sent" : "Received", FormatThousands(bytes).GetString(), (long)(ms / 1000), (long)(ms % 1000),
           (unsigned long)(rate / 1024), (unsigned long)((rate % 1024) * 100 / 1024));
  return line;
}

void AppendConsoleLog(std::string& log, const std::string& text)
{
  log += text;
  if (text.find("\r\n") == std::string::npos)
    log += "\r\n";
  auto lines = [&log]() {
    size_t n = 1;
    for (size_t p = log.find("\r\n"); p != std::string::npos; p = log.find("\r\n", p + 2))
      ++n;
    return n;
  };
  while (lines() > 400) {
    size_t cut = 0;
    for (int i = 0; i < 100; ++i)
      cut = log.find("\r\n", cut) + 2;
    log.erase(0, cut);
  }
}

ConsoleSession::ConsoleSession(ConsoleSessionHost* host) : m_host(host)
{
  m_replies.SetRawLog(true);
}

void ConsoleSession::OnConnected(int socket, const std::string& user, const std::string& password, bool anonymous)
{
  // The host reset the old connection before it made this socket; only the
  // state is cleared here, so the new socket is not closed.
  ClearTransfer();
  m_queue.clear();
  m_replies.Reset();
  m_complete = false;
  m_connected = true;
  char line[96];
  snprintf(line, sizeof(line), "status:>Control Socket already connected(socket %d)\r\n", socket);
  m_host->Log(line);
  // The greeting is the connect's reply: USER waits for it.
  m_inFlight = true;
  m_host->SetTimeoutTimer(true);
  Queue("USER " + (anonymous ? std::string("anonymous") : user), false);
  Queue("PASS " + (anonymous ? std::string(kConsoleAnonymousPassword) : password), false);
  m_pump = true;
  m_host->SetPumpTimer(true);
  m_host->ConnectedChanged(true);
}

void ConsoleSession::OnControlBytes(const char* data, size_t size)
{
  if (!m_connected)
    return;
  m_replies.Feed(data, size);
  FtpReplyAssembler::Event e;
  while (m_connected && m_replies.NextEvent(e)) {
    if (e.kind == FtpReplyAssembler::Event::LOG)
      m_host->Log(e.text);
    else {
      m_lastReply = e.text;
      HandleReply(e.code);
    }
  }
}

void ConsoleSession::Complete()
{
  // A reply with nothing in flight (the second answer to ABOR) must not
  // complete the next command before it is even sent.
  if (m_inFlight)
    m_complete = true;
}

void ConsoleSession::HandleReply(int code)
{
  const bool transfer = m_kind != XFER_NONE;
  switch (code / 100) {
  case 1:
    if (!transfer) {
      Complete();
      break;
    }
    m_host->SetTimeoutTimer(false);
    m_serverGo = true;
    if (m_kind == XFER_DOWNLOAD && !EnsureDownloadFile())
      break;
    if (m_kind == XFER_UPLOAD)
      SendMore();
    break;
  case 2:
    if (code == 227 && transfer && m_options.passive && !m_dataOpen) {
      // The last line of the reply is the one the assembler classified.
      ConnectPassive(m_lastReply);
      break;
    }
    if (transfer && m_serverGo) {
      // The transfer command's final reply.
      if (m_kind == XFER_DOWNLOAD && !EnsureDownloadFile())
        break;
      if (m_kind == XFER_UPLOAD && m_uploadDone)
        EndTransfer(false, false);
    }
    Complete();
    break;
  case 3:
    Complete();
    break;
  case 4:
  case 5:
    if (transfer)
      EndTransfer(true, false);
    Complete();
    break;
  default:
    break;
  }
}

void ConsoleSession::ConnectPassive(const std::string& line)
{
  char addr[kPasvAddrSize];
  int32_t port = 0;
  if (!ParsePasvReply(line.c_str(), addr, sizeof(addr), &port)) {
    m_host->Log("::Initializing Data Socket error.\r\n");
    EndTransfer(true, true);
    Complete();
    return;
  }
  m_dataOpen = true;
  if (!m_host->ConnectData(addr, port)) {
    EndTransfer(true, true);
    Complete();
  }
  // Otherwise PASV stays in flight until the data connection is made.
}

void ConsoleSession::OnPumpTick()
{
  if (m_inFlight && m_complete) {
    m_inFlight = false;
    m_complete = false;
    m_host->SetTimeoutTimer(false);
    if (m_queue.empty()) {
      m_pump = false;
      m_host->SetPumpTimer(false);
    }
  }
  if (!m_inFlight && !m_queue.empty()) {
    m_host->SetTimeoutTimer(true);
    const std::string text = m_queue.front().text;
    m_queue.pop_front();
    m_inFlight = true;
    SendCommand(text);
  }
}

void ConsoleSession::SendCommand(const std::string& text)
{
  std::string wire = text + "\r\n";
  m_host->SendControl(wire.data(), wire.size());
  m_host->Log(Verb(text) == "PASS" ? std::string("PASS ********") : text);
}

void ConsoleSession::OnTimeout()
{
  Reset();
  m_host->Log("status:>Timeout,stopped!\r\n");
}

void ConsoleSession::OnControlClosed(int socket)
{
  if (!m_connected)
    return;
  char line[96];
  snprintf(line, sizeof(line), "status:>Control Socket closed by server (socket %d)\r\n", socket);
  m_host->Log(line);
  m_replies.Finish();
  FtpReplyAssembler::Event e;
  while (m_replies.NextEvent(e)) {
    if (e.kind == FtpReplyAssembler::Event::LOG)
      m_host->Log(e.text);
  }
  Reset();
  m_host->Progress(0);
}

void ConsoleSession::OnDisconnect(int socket)
{
  OnControlClosed(socket);
  Reset();
  m_host->Log("status:>Connection is closed by user\r\n");
}

void ConsoleSession::Reset()
{
  m_host->SetPumpTimer(false);
  m_host->SetTimeoutTimer(false);
  if (m_dataOpen || m_dataConnected)
    m_host->CloseData(true);
  if (m_connected)
    m_host->CloseControl();
  // A download cut off keeps every byte that came, not all but the last few KB.
  if (m_kind == XFER_DOWNLOAD && m_fileOpen && !m_held.empty())
    m_host->WriteLocal(m_held.data(), m_held.size());
  ClearTransfer();
  m_queue.clear();
  m_replies.Reset();
  m_inFlight = m_complete = m_pump = false;
  if (m_connected) {
    m_connected = false;
    m_host->ConnectedChanged(false);
  }
}

void ConsoleSession::ClearTransfer()
{
  if (m_fileOpen)
    m_host->CloseLocal();
  m_fileOpen = false;
  m_kind = XFER_NONE;
  m_localPath.clear();
  m_dataOpen = m_dataConnected = m_serverGo = m_writable = m_uploadDone = false;
  m_held.clear();
  m_sendOffset = 0;
  m_listLine.clear();
  m_moved = m_total = 0;
  m_bounce = 0;
  m_bounceStep = 1;
}

bool ConsoleSession::OnTyped(const std::string& typed)
{
  if (!m_connected)
    return false;
  const std::string text = Trim(typed);
  if (text.empty())
    return false;
  const std::string verb = Verb(text);
  if (verb == "ABOR" || verb == "QUIT") {
    // In-band: urgent data would cut the command's last byte off the stream.
    // The data side goes first, so the server sees ABOR after the close.
    if (m_kind != XFER_NONE)
      EndTransfer(true, true);
    const std::string wire = text + "\r\n";
    m_host->SendControl(wire.data(), wire.size());
    m_host->Log(text);
    return true;
  }
  if (m_kind != XFER_NONE)
    return false;
  return QueueCommand(text);
}

bool ConsoleSession::QueueCommand(const std::string& text)
{
  const std::string verb = Verb(text);
  int kind = XFER_NONE;
  if (verb == "RETR")
    kind = XFER_DOWNLOAD;
  else if (verb == "STOR" || verb == "APPE")
    kind = XFER_UPLOAD;
  else if (verb == "LIST" || verb == "NLST")
    kind = XFER_LISTING;
  std::string command = text;
  if (kind != XFER_NONE) {
    ClearTransfer();
    const std::string arg = Argument(text);
    std::string local;
    if (kind == XFER_LISTING) {
      local = InFolder(m_options.folder, m_host->TimeStamp() + "-DIR.txt");
    } else if (kind == XFER_DOWNLOAD) {
      const std::string name = LastElement(arg);
      if (!IsSafeLocalName(name.c_str())) {
        m_host->Log(kCantOpenLocal);
        return false;
      }
      local = InFolder(m_options.folder, name);
    } else {
      // Opened now: a missing file must not reach the server, which would
      // otherwise truncate its copy.
      const std::string name = LastElement(arg);
      uint64_t size = 0;
      if (arg.empty() || name.empty() || !m_host->OpenLocal(arg.c_str(), "rb", &size)) {
        m_host->Log(kCantOpenLocal);
        return false;
      }
      m_fileOpen = true;
      m_total = size;
      local = arg;
      command = text.substr(0, 4) + " " + name;
    }
    m_kind = kind;
    m_localPath = local;
    if (m_options.passive) {
      Queue("PASV", true);
    } else {
      uint8_t a[4] = {0, 0, 0, 0};
      uint16_t port = 0;
      if (!m_host->OpenListen(a, &port)) {
        ClearTransfer();
        return false;
      }
      m_dataOpen = true;
      char line[64];
      snprintf(line, sizeof(line), "PORT %d,%d,%d,%d,%d,%d", a[0], a[1], a[2], a[3], port >> 8, port & 0xFF);
      Queue(line, true);
    }
    Queue(kind == XFER_LISTING || m_options.ascii ? "TYPE A" : "TYPE I", true);
  }
  Queue(command, kind != XFER_NONE);
  if (!m_pump) {
    m_pump = true;
    m_host->SetPumpTimer(true);
  }
  return true;
}

void ConsoleSession::OnDataConnected(int socket, bool accepted)
{
  if (m_kind == XFER_NONE)
    return;
  char line[96];
  snprintf(line, sizeof(line), accepted ? "status:>Data Socket already connected(socket %d)\r\n"
                                        : "status:>Data Socket already connected (socket %d)\r\n", socket);
  m_host->Log(line);
  m_dataOpen = m_dataConnected = true;
  m_moved = 0;
  m_start = m_host->TickCount();
  if (m_kind == XFER_LISTING && (m_options.listOption == 1 || m_options.listOption == 2)) {
    uint64_t unused = 0;
    if (!m_host->OpenLocal(m_localPath.c_str(), "w", &unused)) {
      m_host->Log("Can't open log file,task terminated.");
      EndTransfer(true, true);
      Complete();
      return;
    }
    m_fileOpen = true;
  }
  // The PASV that asked for this connection is answered; an accept leaves the
  // transfer command waiting for its own reply.
  if (!accepted)
    Complete();
}

void ConsoleSession::OnDataConnectFailed()
{
  if (m_kind == XFER_NONE)
    return;
  m_host->Log("::Connecting error,please check network condition.\r\n");
  EndTransfer(true, true);
  Complete();
}

bool ConsoleSession::EnsureDownloadFile()
{
  if (m_fileOpen)
    return true;
  // Binary even for ASCII: the server already sends CR LF, text mode would
  // double the CR.
  uint64_t unused = 0;
  if (!m_host->OpenLocal(m_localPath.c_str(), "wb", &unused)) {
    m_host->Log(kCantOpenLocal);
    EndTransfer(true, true);
    Complete();
    return false;
  }
  m_fileOpen = true;
  return true;
}

void ConsoleSession::FlushHeld()
{
  if (m_held.empty() || !m_fileOpen)
    return;
  const bool ok = m_host->WriteLocal(m_held.data(), m_held.size());
  m_held.clear();
  if (!ok) {
    m_host->Log(kCantOpenLocal);
    EndTransfer(true, true);
    Complete();
  }
}

void ConsoleSession::ListingText(const char* data, size_t size, bool final)
{
  m_listLine.append(data, size);
  const bool save = m_options.listOption == 1 || m_options.listOption == 2;
  const bool show = m_options.listOption != 2;
  size_t start = 0;
  for (;;) {
    const size_t lf = m_listLine.find('\n', start);
    const bool last = lf == std::string::npos;
    if (last && (!final || start >= m_listLine.size()))
      break;
    std::string line = m_listLine.substr(start, last ? std::string::npos : lf - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (save && m_fileOpen) {
      const std::string out = last ? line : line + "\n";
      m_host->WriteLocal(out.data(), out.size());
    }
    if (show)
      m_host->Log(line);
    if (last) {
      start = m_listLine.size();
      break;
    }
    start = lf + 1;
  }
  m_listLine.erase(0, start);
}

void ConsoleSession::OnDataBytes(const char* data, size_t size)
{
  if (m_kind == XFER_NONE || size == 0)
    return;
  m_moved += size;
  if (m_kind == XFER_DOWNLOAD) {
    if (!EnsureDownloadFile())
      return;
    m_held.append(data, size);
    if (m_held.size() > kWriteThreshold)
      FlushHeld();
  } else if (m_kind == XFER_LISTING) {
    ListingText(data, size, false);
  }
  UpdateProgress();
}

void ConsoleSession::OnDataWritable()
{
  m_writable = true;
  if (m_kind == XFER_UPLOAD)
    SendMore();
}

void ConsoleSession::SendMore()
{
  // Only once the server said 1xx and the connection is there: bytes sent
  // earlier would go before TYPE and STOR.
  if (m_kind != XFER_UPLOAD || !m_serverGo || !m_dataConnected || !m_writable || m_uploadDone)
    return;
  for (;;) {
    if (m_sendOffset >= m_held.size()) {
      m_held.resize(kBufferSize);
      const size_t got = m_host->ReadLocal(&m_held[0], kBufferSize);
      m_held.resize(got);
      m_sendOffset = 0;
      if (got == 0) {
        m_uploadDone = true;
        m_host->ShutdownDataSend();
        return;
      }
    }
    const size_t piece = std::min(kSendPiece, m_held.size() - m_sendOffset);
    const int sent = m_host->SendData(m_held.data() + m_sendOffset, piece);
    if (sent == 0) {
      m_writable = false;
      return;
    }
    if (sent < 0) {
      EndTransfer(true, true);
      return;
    }
    m_sendOffset += (size_t)sent;
    m_moved += (uint64_t)sent;
    UpdateProgress();
  }
}

void ConsoleSession::OnDataClosed()
{
  if (m_kind == XFER_NONE)
    return;
  EndTransfer(false, false);
  Complete();
}

void ConsoleSession::EndTransfer(bool failed, bool abortive)
{
  if (m_kind == XFER_NONE)
    return;
  const bool upload = m_kind == XFER_UPLOAD;
  if (m_kind == XFER_DOWNLOAD)
    FlushHeld();
  if (m_kind == XFER_NONE)
    return;  // the flush failed and ended it already
  if (m_kind == XFER_LISTING)
    ListingText("", 0, true);
  const bool hadData = m_dataOpen || m_dataConnected;
  if (hadData)
    m_host->CloseData(abortive);
  if (m_moved > 0)
    m_host->Log(FormatConsoleSummary(upload, m_moved, m_host->TickCount() - m_start));
  if (hadData)
    m_host->Log("status:>Data Socket already closed.");
  ClearTransfer();
  m_host->Progress(0);
  if (failed) {
    // What is left of this transfer must not go out on its own.
    std::deque<Queued> keep;
    for (Queued& q : m_queue)
      if (!q.transfer)
        keep.push_back(std::move(q));
    m_queue.swap(keep);
  }
}

void ConsoleSession::UpdateProgress()
{
  if (m_total > 0) {
    m_host->Progress((int)(m_moved * 100 / m_total));
    return;
  }
  m_bounce += m_bounceStep;
  if (m_bounce >= 100 || m_bounce < 0) {
    m_bounceStep = -m_bounceStep;
    m_bounce += 2 * m_bounceStep;
  }
  m_host->Progress(m_bounce);
}
