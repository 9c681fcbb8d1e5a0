#include "framework/fwtime.h"

#include <vector>

namespace {
bool ToLocal(LONGLONG t, struct tm* out) {
#ifdef _WIN32
  __time64_t tt = (__time64_t)t;
  return _localtime64_s(out, &tt) == 0;
#else
  time_t tt = (time_t)t;
  return localtime_r(&tt, out) != nullptr;
#endif
}

bool ToGmt(LONGLONG t, struct tm* out) {
#ifdef _WIN32
  __time64_t tt = (__time64_t)t;
  return _gmtime64_s(out, &tt) == 0;
#else
  time_t tt = (time_t)t;
  return gmtime_r(&tt, out) != nullptr;
#endif
}

LONGLONG FromLocal(struct tm* ptm) {
#ifdef _WIN32
  __time64_t t = _mktime64(ptm);
#else
  time_t t = mktime(ptm);
#endif
  return t == -1 ? 0 : (LONGLONG)t;
}

CString FormatTm(const struct tm* ptm, const char* pszFormat) {
  if (!ptm || !pszFormat || !*pszFormat) return CString();
  // strftime gives 0 both for a short buffer and for an empty result: grow a few
  // times, then take the result as empty.
  for (size_t size = 128; size <= 16384; size *= 4) {
    std::vector<char> buf(size);
    size_t n = strftime(buf.data(), size, pszFormat, ptm);
    if (n > 0) return CString(buf.data(), (int)n);
  }
  return CString();
}
}  // namespace

CString CTimeSpan::Format(const char* pszFormat) const {
  CString out;
  if (!pszFormat) return out;
  for (const char* p = pszFormat; *p; ++p) {
    if (*p != '%' || !p[1]) {
      out += *p;
      continue;
    }
    CString part;
    switch (*++p) {
      case 'D': part.Format("%lld", (long long)GetDays()); break;
      case 'H': part.Format("%02d", (int)GetHours()); break;
      case 'M': part.Format("%02d", (int)GetMinutes()); break;
      case 'S': part.Format("%02d", (int)GetSeconds()); break;
      case '%': part = "%"; break;
      default: part = CString('%') + *p; break;
    }
    out += part;
  }
  return out;
}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
  struct tm t = {};
  t.tm_year = nYear - 1900;
  t.tm_mon = nMonth - 1;
  t.tm_mday = nDay;
  t.tm_hour = nHour;
  t.tm_min = nMin;
  t.tm_sec = nSec;
  t.tm_isdst = nDST;
  m_time = FromLocal(&t);
}

#ifdef _WIN32
CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST) {}

CTime::CTime(const FILETIME& ft, int) {
  ULONGLONG t = ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
  m_time = (LONGLONG)(t / 10000000ULL) - 11644473600LL;
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
  struct tm t;
  if (!ToLocal(m_time, &t)) return FALSE;
  st.wYear = (WORD)(t.tm_year + 1900);
  st.wMonth = (WORD)(t.tm_mon + 1);
  st.wDayOfWeek = (WORD)t.tm_wday;
  st.wDay = (WORD)t.tm_mday;
  st.wHour = (WORD)t.tm_hour;
  st.wMinute = (WORD)t.tm_min;
  st.wSecond = (WORD)t.tm_sec;
  st.wMilliseconds = 0;
  return TRUE;
}
#endif

CTime CTime::GetCurrentTime() { return CTime((LONGLONG)::time(nullptr)); }

struct tm* CTime::GetLocalTm(struct tm* ptm) const { return ptm && ToLocal(m_time, ptm) ? ptm : nullptr; }
struct tm* CTime::GetGmtTm(struct tm* ptm) const { return ptm && ToGmt(m_time, ptm) ? ptm : nullptr; }

#define FW_TM_FIELD(expr)       \
  struct tm t;                  \
  if (!ToLocal(m_time, &t)) return 0; \
  return (expr)

int CTime::GetYear() const { FW_TM_FIELD(t.tm_year + 1900); }
int CTime::GetMonth() const { FW_TM_FIELD(t.tm_mon + 1); }
int CTime::GetDay() const { FW_TM_FIELD(t.tm_mday); }
int CTime::GetHour() const { FW_TM_FIELD(t.tm_hour); }
int CTime::GetMinute() const { FW_TM_FIELD(t.tm_min); }
int CTime::GetSecond() const { FW_TM_FIELD(t.tm_sec); }
int CTime::GetDayOfWeek() const { FW_TM_FIELD(t.tm_wday + 1); }
int CTime::GetDayOfYear() const { FW_TM_FIELD(t.tm_yday + 1); }
#undef FW_TM_FIELD

CString CTime::Format(const char* pszFormat) const {
  struct tm t;
  return ToLocal(m_time, &t) ? FormatTm(&t, pszFormat) : CString();
}

CString CTime::FormatGmt(const char* pszFormat) const {
  struct tm t;
  return ToGmt(m_time, &t) ? FormatTm(&t, pszFormat) : CString();
}
