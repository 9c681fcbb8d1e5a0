// FtpReplyAssembler: turns the byte stream of an FTP control connection into
// whole replies, however TCP cuts it.
//
// A line ends at LF; a CR right before it is dropped. A reply is either one line
// "xyz text" or a block that opens with "xyz-" and ends at the first line that
// starts "xyz " (or is just "xyz"); the lines in between may say anything,
// digits included. A line that carries no reply code outside a block (a proxy's
// HTTP answer, noise) is logged and otherwise ignored. A line longer than
// kMaxLine bytes keeps its first kMaxLine bytes.
//
// Every line is logged as it completes: "host::Welcome Message:line\r\n" when
// the reply it belongs to begins "230", else "host::Reply: line\r\n". Log lines
// and replies come out of NextEvent in the order they happened, so a caller that
// acts on a reply has logged every line before it.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

class FtpReplyAssembler {
public:
  // Longest line kept, as much as one read of the control socket.
  static constexpr size_t kMaxLine = 1460;

  struct Event {
    enum Kind { LOG, REPLY };
    Kind kind = LOG;
    // LOG: the formatted log line. REPLY: the reply's last line (the one it is
    // classified by), without CR LF.
    std::string text;
    // REPLY: the three-digit code (100..599, or 0xx); LOG: 0.
    int code = 0;
  };

  explicit FtpReplyAssembler(const char* host = "");

  // The site's host that starts every log line.
  void SetHost(const char* host);
  // Raw form: each line is logged as received, "line\r\n", with no host or
  // prefix (the manual console shows the server's words as they are).
  void SetRawLog(bool raw) { m_rawLog = raw; }

  // Takes the next bytes of the stream.
  void Feed(const void* data, size_t size);
  // The stream ended (the server closed): a last line without its LF counts.
  void Finish();
  // Forgets a half-received line or block and every queued event.
  void Reset();

  // The oldest event not yet taken; false when none is queued.
  bool NextEvent(Event& out);
  bool HasEvents() const { return !m_events.empty(); }

  // True while a "xyz-" block waits for its last line.
  bool InBlock() const { return m_blockCode >= 0; }
  // True while bytes of an unfinished line are held.
  bool HasPartialLine() const { return !m_line.empty() || m_lineCut; }

  // The code of a reply line: its first three characters as a number when they
  // are digits, the first '0'..'5', and the fourth is ' ', '-' or the end; else -1.
  static int LineCode(const std::string& line);

private:
  void EndLine();
  void Log(const std::string& line, bool welcome);
  void Emit(int code, const std::string& line);

  std::string m_host;
  std::string m_line;      // the line being received, at most kMaxLine bytes
  bool m_lineCut = false;  // bytes past kMaxLine were dropped from m_line
  int m_blockCode = -1;    // code of the open block, -1 outside a block
  bool m_blockWelcome = false;
  bool m_rawLog = false;
  std::deque<Event> m_events;
};
