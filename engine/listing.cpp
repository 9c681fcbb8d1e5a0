// The listing parser.
#include "engine/listing.h"

#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace {

constexpr size_t kMinLineLength = 30;

struct Token {
  size_t begin;
  size_t end;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void Tokenize(const std::string& line, std::vector<Token>& tokens)
{
  tokens.clear();
  size_t i = 0;
  const size_t n = line.size();
  while (i < n) {
    while (i < n && IsBlank(line[i]))
      ++i;
    if (i >= n)
      break;
    size_t begin = i;
    while (i < n && !IsBlank(line[i]))
      ++i;
    tokens.push_back(Token{begin, i});
  }
}

// Leading decimal digits; saturates instead of overflowing (sizes beyond 2^63
// are not real, but must not turn negative).
int64_t ParseSize(const std::string& line, const Token& t)
{
  const int64_t kMax = INT64_MAX;
  int64_t value = 0;
  for (size_t i = t.begin; i < t.end && IsDigit(line[i]); ++i) {
    int digit = line[i] - '0';
    if (value > (kMax - digit) / 10)
      return kMax;
    value = value * 10 + digit;
  }
  return value;
}

// Copies at most width - 1 bytes and terminates.
void CopyField(char* field, size_t width, const char* src, size_t length)
{
  if (length > width - 1)
    length = width - 1;
  memcpy(field, src, length);
  field[length] = '\0';
}

// The name is the rest of the line from its first token: names keep every blank
// they have inside ("a  b" is not "a b"), only trailing white space goes.
bool TakeName(const std::string& line, size_t begin, EntryRecord& entry)
{
  if (begin >= line.size())
    return false;
  size_t end = line.size();
  // A 0x0C byte would split the name into two fields of a stored queue item.
  if (memchr(line.data() + begin, '\x0C', end - begin) != nullptr)
    return false;
  while (end > begin && (IsBlank(line[end - 1]) || line[end - 1] == '\r' || line[end - 1] == '\n' ||
                         line[end - 1] == '\v'))
    --end;
  const size_t length = end - begin;
  if (length == 0 || length > kEntryNameLen - 1)
    return false;  // a cut name would name another file
  const char* name = line.data() + begin;
  if ((length == 1 && name[0] == '.') || (length == 2 && name[0] == '.' && name[1] == '.'))
    return false;
  memcpy(entry.m_name, name, length);
  entry.m_name[length] = '\0';
  return true;
}

// The file types of a Unix line's first column. Links, devices, pipes and
// sockets cannot be transferred: their lines are dropped.
bool IsUnixType(char c)
{
  return c == '-' || c == 'd' || c == 'D' || c == 'l' || c == 'L' || c == 'b' || c == 'c' || c == 'p' || c == 's';
}

bool IsListedType(char c) { return c == '-' || c == 'd' || c == 'D'; }

bool DigitsAt(const std::string& line, size_t at, size_t count)
{
  for (size_t i = at; i < at + count; ++i)
    if (!IsDigit(line[i]))
      return false;
  return true;
}

// A long-iso date (YYYY-MM-DD) whose next token is the time (HH:MM).
bool IsIsoDateTime(const std::string& line, const Token& date, const Token* time)
{
  if (time == nullptr || date.end - date.begin != 10 || time->end - time->begin != 5)
    return false;
  const size_t d = date.begin, t = time->begin;
  return DigitsAt(line, d, 4) && line[d + 4] == '-' && DigitsAt(line, d + 5, 2) && line[d + 7] == '-' &&
         DigitsAt(line, d + 8, 2) && DigitsAt(line, t, 2) && line[t + 2] == ':' && DigitsAt(line, t + 3, 2);
}

bool IsMonthName(const std::string& line, const Token& t)
{
  static const char kMonths[] = "janfebmaraprmayjunjulaugsepoctnovdec";
  if (t.end - t.begin != 3)
    return false;
  char m[3];
  for (int i = 0; i < 3; ++i) {
    const char c = line[t.begin + i];
    m[i] = (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
  }
  for (size_t i = 0; i + 3 <= sizeof(kMonths) - 1; i += 3)
    if (memcmp(kMonths + i, m, 3) == 0)
      return true;
  return false;
}

bool AllDigits(const std::string& line, const Token& t)
{
  return t.end > t.begin && DigitsAt(line, t.begin, t.end - t.begin);
}

// A day (one or two digits), then a year (four digits) or a time (H:MM or HH:MM).
bool IsDayAndTimeOrYear(const std::string& line, const Token& day, const Token& last)
{
  const size_t dayLength = day.end - day.begin, lastLength = last.end - last.begin;
  if (dayLength < 1 || dayLength > 2 || !AllDigits(line, day))
    return false;
  if (lastLength == 4 && AllDigits(line, last))
    return true;
  const size_t colon = last.end - 3;
  return (lastLength == 4 || lastLength == 5) && line[colon] == ':' && DigitsAt(line, last.begin, colon - last.begin) &&
         DigitsAt(line, colon + 1, 2);
}

// A word of an owner or group name: a letter in it, no colon, no month name.
bool IsAccountWord(const std::string& line, const Token& t)
{
  bool letter = false;
  for (size_t i = t.begin; i < t.end; ++i) {
    const char c = line[i];
    if (c == ':')
      return false;
    letter = letter || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  }
  return letter && !IsMonthName(line, t);
}

// Where a Unix line's date starts when an owner or group with blanks in it
// ("Domain Users", from servers that map Windows accounts) pushed it right of
// the columns it stands in otherwise: the first month, day and time or year
// (or long-iso date and time) with the size before it and a name after it.
// 0 when the first date found stands where it always does, or there is none:
// the columns are counted then.
size_t ShiftedDateColumn(const std::string& line, const std::vector<Token>& tokens, size_t* nameColumn)
{
  constexpr size_t kFirstShifted = 6;  // past the month column of a line with group
  for (size_t t = 3; t + 2 < tokens.size(); ++t) {
    size_t name = 0;
    if (IsIsoDateTime(line, tokens[t], &tokens[t + 1]))
      name = t + 2;
    else if (t + 3 < tokens.size() && IsMonthName(line, tokens[t]) &&
             IsDayAndTimeOrYear(line, tokens[t + 1], tokens[t + 2]))
      name = t + 3;
    if (name == 0)
      continue;
    if (t < kFirstShifted || !AllDigits(line, tokens[1]) || !AllDigits(line, tokens[t - 1]))
      return 0;
    // Between the first word of the owner and the size only words of account
    // names: a number, a time or a month there is a column of some other
    // layout, and such a line is counted as ever.
    for (size_t w = 3; w + 1 < t; ++w)
      if (!IsAccountWord(line, tokens[w]))
        return 0;
    *nameColumn = name;
    return t;
  }
  return 0;
}

void FillUnixEntry(const std::string& line, const Token& attributes, const std::string& date, int64_t size,
                   EntryRecord& entry)
{
  const char type = line[attributes.begin];
  CopyField(entry.m_attributes, kEntryAttrLen, line.data() + attributes.begin, attributes.end - attributes.begin);
  CopyField(entry.m_date, kEntryDateLen, date.data(), date.size());
  entry.m_size = size;
  entry.m_kind = (type == 'd' || type == 'D') ? kEntryFolder : kEntryFile;
}

// A line whose date ShiftedDateColumn found: the size before the date, the
// name everything after it; the date written as the counted columns write it.
bool TakeShiftedUnixLine(const std::string& line, const std::vector<Token>& tokens, size_t dateColumn,
                         size_t nameColumn, EntryRecord& entry)
{
  if (!TakeName(line, tokens[nameColumn].begin, entry))
    return false;
  std::string date;
  for (size_t t = dateColumn; t < nameColumn; ++t) {
    if (t != dateColumn)
      date += '-';
    date.append(line, tokens[t].begin, tokens[t].end - tokens[t].begin);
  }
  FillUnixEntry(line, tokens[0], date, ParseSize(line, tokens[dateColumn - 1]), entry);
  return true;
}

// Unix long format: permissions, links, owner, [group,] size, month, day,
// time or year, name; or, in place of the three date columns, a long-iso date
// and time. The column flags belong to the line: a listing may mix lines with
// and without the group column.
bool ParseUnixLine(const std::string& line, const std::vector<Token>& tokens, EntryRecord& entry)
{
  const char type = line[tokens[0].begin];
  if (!IsListedType(type))
    return false;  // symbolic links and special files are not listed
  size_t nameColumn = 0;
  const size_t dateColumn = ShiftedDateColumn(line, tokens, &nameColumn);
  if (dateColumn != 0)
    return TakeShiftedUnixLine(line, tokens, dateColumn, nameColumn, entry);
  bool groupSeen = false;
  bool noGroupSeen = false;
  int64_t size = 0;
  std::string date;
  size_t nameBegin = std::string::npos;
  int k = 0;
  for (size_t t = 0; t < tokens.size(); ++t) {
    const Token& tok = tokens[t];
    const char first = line[tok.begin];
    int next = k + 1;
    // The date where the month (with group) or the size (without) would be.
    if ((k == 4 || k == 5) && IsIsoDateTime(line, tok, t + 1 < tokens.size() ? &tokens[t + 1] : nullptr)) {
      const Token& time = tokens[t + 1];
      date.assign(line, tok.begin, tok.end - tok.begin);
      date += '-';
      date.append(line, time.begin, time.end - time.begin);
      if (t + 2 < tokens.size())
        nameBegin = tokens[t + 2].begin;
      break;
    }
    switch (k) {
    case 3:
      if (!groupSeen && IsDigit(first)) {
        size = ParseSize(line, tok);  // tentative: right for a line without group
        if (noGroupSeen)
          next = 5;
      }
      break;
    case 4:
      if (!noGroupSeen) {
        if (IsDigit(first)) {
          size = ParseSize(line, tok);
          groupSeen = true;
        } else {
          date.assign(line, tok.begin, tok.end - tok.begin);  // the month
          noGroupSeen = true;
          next = 6;
        }
      }
      break;
    case 5:
      date.assign(line, tok.begin, tok.end - tok.begin);
      break;
    case 6:
    case 7:
      date += '-';
      date.append(line, tok.begin, tok.end - tok.begin);
      break;
    case 8:
      nameBegin = tok.begin;
      break;
    default:
      break;
    }
    if (nameBegin != std::string::npos)
      break;
    k = next;
  }
  if (nameBegin == std::string::npos || !TakeName(line, nameBegin, entry))
    return false;
  FillUnixEntry(line, tokens[0], date, size, entry);
  return true;
}

// DOS/IIS format: date, time, "<DIR>" or size, name. A line whose columns do
// not start so (a recursive listing's folder header, a text line) is no entry.
bool ParseDosLine(const std::string& line, const std::vector<Token>& tokens, EntryRecord& entry)
{
  if (tokens.size() < 4)
    return false;
  const char kindColumn = line[tokens[2].begin];
  if (!IsDigit(line[tokens[0].begin]) || !IsDigit(line[tokens[1].begin]) || (kindColumn != '<' && !IsDigit(kindColumn)))
    return false;
  if (!TakeName(line, tokens[3].begin, entry))
    return false;
  std::string date(line, tokens[0].begin, tokens[0].end - tokens[0].begin);
  date += '-';
  date.append(line, tokens[1].begin, tokens[1].end - tokens[1].begin);
  CopyField(entry.m_date, kEntryDateLen, date.data(), date.size());
  if (line[tokens[2].begin] == '<') {
    entry.m_kind = kEntryFolder;
    entry.m_size = 0;
  } else {
    entry.m_kind = kEntryFile;
    entry.m_size = ParseSize(line, tokens[2]);
  }
  return true;
}

}  // namespace

void SplitListingLines(const char* text, std::vector<std::string>& lines)
{
  if (text == nullptr)
    return;
  const char* p = text;
  while (*p != '\0') {
    const char* lf = strchr(p, '\n');
    const char* end = lf != nullptr ? lf : p + strlen(p);
    size_t length = (size_t)(end - p);
    if (length >= kMinLineLength) {
      if (p[length - 1] == '\r')
        --length;
      lines.emplace_back(p, length);
    }
    if (lf == nullptr)
      break;
    p = lf + 1;
  }
}

namespace {

EntryRecord* ParseLines(const std::vector<std::string>& lines, int* count)
{
  std::unique_ptr<EntryRecord[]> entries(new (std::nothrow) EntryRecord[lines.size() + 1]());
  if (entries == nullptr) {
    if (count != nullptr)
      *count = 0;
    return nullptr;
  }
  int accepted = 0;
  std::vector<Token> tokens;
  for (const std::string& line : lines) {
    Tokenize(line, tokens);
    if (tokens.empty())
      continue;
    EntryRecord& entry = entries[accepted];
    const bool ok = IsUnixType(line[tokens[0].begin]) ? ParseUnixLine(line, tokens, entry)
                                                      : ParseDosLine(line, tokens, entry);
    if (ok)
      ++accepted;
    else
      memset(&entry, 0, sizeof(entry));  // the next accepted line takes this record
  }
  if (count != nullptr)
    *count = accepted;
  return entries.release();
}

}  // namespace

EntryRecord* ParseListing(const char* text, int* count)
{
  // The lines, tokens and date texts are heap copies: in a 32-bit process a
  // large listing can run out of them, and no exception may leave a worker.
  try {
    std::vector<std::string> lines;
    SplitListingLines(text, lines);
    if (lines.empty())
      return nullptr;
    return ParseLines(lines, count);
  } catch (const std::exception&) {
    if (count != nullptr)
      *count = 0;
    return nullptr;
  }
}
