// Reply assembly of the control connection.
#include "engine/ftpreply.h"

#include <cstring>

FtpReplyAssembler::FtpReplyAssembler(const char* host)
{
  SetHost(host);
}

void FtpReplyAssembler::SetHost(const char* host)
{
  m_host = host != nullptr ? host : "";
}

int FtpReplyAssembler::LineCode(const std::string& line)
{
  if (line.size() < 3)
    return -1;
  const char a = line[0], b = line[1], c = line[2];
  if (a < '0' || a > '5' || b < '0' || b > '9' || c < '0' || c > '9')
    return -1;
  if (line.size() > 3 && line[3] != ' ' && line[3] != '-')
    return -1;
  return (a - '0') * 100 + (b - '0') * 10 + (c - '0');
}

void FtpReplyAssembler::Feed(const void* data, size_t size)
{
  const char* p = static_cast<const char*>(data);
  const char* end = p + size;
  while (p < end) {
    const char* lf = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* stop = lf != nullptr ? lf : end;
    const size_t room = kMaxLine - m_line.size();
    const size_t n = static_cast<size_t>(stop - p);
    if (n <= room) {
      m_line.append(p, n);
    } else {
      m_line.append(p, room);
      m_lineCut = true;
    }
    if (lf == nullptr)
      break;
    EndLine();
    p = lf + 1;
  }
}

void FtpReplyAssembler::Finish()
{
  if (HasPartialLine())
    EndLine();
}

void FtpReplyAssembler::Reset()
{
  m_line.clear();
  m_lineCut = false;
  m_blockCode = -1;
  m_blockWelcome = false;
  m_events.clear();
}

bool FtpReplyAssembler::NextEvent(Event& out)
{
  if (m_events.empty())
    return false;
  out = std::move(m_events.front());
  m_events.pop_front();
  return true;
}

void FtpReplyAssembler::Log(const std::string& line, bool welcome)
{
  // Blank lines (a proxy's header end, stray CR LF) carry nothing to show.
  if (line.empty())
    return;
  Event e;
  e.kind = Event::LOG;
  e.text.reserve(m_host.size() + line.size() + 20);
  if (!m_rawLog) {
    e.text = m_host;
    e.text += welcome ? "::Welcome Message:" : "::Reply: ";
  }
  e.text += line;
  e.text += "\r\n";
  m_events.push_back(std::move(e));
}

void FtpReplyAssembler::Emit(int code, const std::string& line)
{
  Event e;
  e.kind = Event::REPLY;
  e.code = code;
  e.text = line;
  m_events.push_back(std::move(e));
}

void FtpReplyAssembler::EndLine()
{
  // A CR before the LF belongs to the line end, not to the text. A cut line
  // lost its end already, CR included.
  if (!m_lineCut && !m_line.empty() && m_line.back() == '\r')
    m_line.pop_back();
  std::string line;
  line.swap(m_line);
  m_lineCut = false;

  const int code = LineCode(line);
  if (m_blockCode >= 0) {
    Log(line, m_blockWelcome);
    // Only the opening code followed by a blank (or nothing) closes the block.
    if (code == m_blockCode && (line.size() == 3 || line[3] == ' ')) {
      m_blockCode = -1;
      m_blockWelcome = false;
      Emit(code, line);
    }
    return;
  }
  if (code < 0) {
    Log(line, false);
    return;
  }
  const bool welcome = line.compare(0, 3, "230") == 0;
  Log(line, welcome);
  if (line.size() > 3 && line[3] == '-') {
    m_blockCode = code;
    m_blockWelcome = welcome;
    return;
  }
  Emit(code, line);
}
