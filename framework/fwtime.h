// CTime (seconds since 1970 UTC, 64-bit, shown in local time) and CTimeSpan.
#pragma once

#include <ctime>

#include "framework/fwstring.h"

#ifdef GetCurrentTime
#undef GetCurrentTime  // the SDK's old alias of GetTickCount
#endif

class CTimeSpan {
public:
  CTimeSpan() : m_span(0) {}
  CTimeSpan(LONGLONG seconds) : m_span(seconds) {}
  CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
      : m_span(((LONGLONG)lDays * 24 * 3600) + (LONGLONG)nHours * 3600 + (LONGLONG)nMins * 60 + nSecs) {}

  LONGLONG GetDays() const { return m_span / (24 * 3600); }
  LONGLONG GetTotalHours() const { return m_span / 3600; }
  LONG GetHours() const { return (LONG)(GetTotalHours() - GetDays() * 24); }
  LONGLONG GetTotalMinutes() const { return m_span / 60; }
  LONG GetMinutes() const { return (LONG)(GetTotalMinutes() - GetTotalHours() * 60); }
  LONGLONG GetTotalSeconds() const { return m_span; }
  LONG GetSeconds() const { return (LONG)(GetTotalSeconds() - GetTotalMinutes() * 60); }
  LONGLONG GetTimeSpan() const { return m_span; }
  // %D days, %H hours (0-23), %M minutes, %S seconds, %% a percent sign.
  CString Format(const char* pszFormat) const;

  CTimeSpan operator+(CTimeSpan s) const { return CTimeSpan(m_span + s.m_span); }
  CTimeSpan operator-(CTimeSpan s) const { return CTimeSpan(m_span - s.m_span); }
  CTimeSpan& operator+=(CTimeSpan s) { m_span += s.m_span; return *this; }
  CTimeSpan& operator-=(CTimeSpan s) { m_span -= s.m_span; return *this; }
  bool operator==(CTimeSpan s) const { return m_span == s.m_span; }
  bool operator!=(CTimeSpan s) const { return m_span != s.m_span; }
  bool operator<(CTimeSpan s) const { return m_span < s.m_span; }
  bool operator>(CTimeSpan s) const { return m_span > s.m_span; }
  bool operator<=(CTimeSpan s) const { return m_span <= s.m_span; }
  bool operator>=(CTimeSpan s) const { return m_span >= s.m_span; }

private:
  LONGLONG m_span;
};

class CTime {
public:
  CTime() : m_time(0) {}
  CTime(LONGLONG t) : m_time(t) {}
  // Local time; nDST -1 lets the C library decide. Out-of-range fields normalise
  // as mktime does; an unrepresentable time gives 0.
  CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
#ifdef _WIN32
  CTime(const SYSTEMTIME& st, int nDST = -1);  // local time
  CTime(const FILETIME& ft, int nDST = -1);    // UTC file time
  BOOL GetAsSystemTime(SYSTEMTIME& st) const;  // local time
#endif

  static CTime GetCurrentTime();

  LONGLONG GetTime() const { return m_time; }
  int GetYear() const;
  int GetMonth() const;      // 1-12
  int GetDay() const;        // 1-31
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday
  int GetDayOfYear() const;  // 1-366
  // Broken-down local or UTC time; null when the time cannot be converted.
  struct tm* GetLocalTm(struct tm* ptm) const;
  struct tm* GetGmtTm(struct tm* ptm) const;

  // strftime conversions over the local (Format) or UTC (FormatGmt) time.
  CString Format(const char* pszFormat) const;
  CString FormatGmt(const char* pszFormat) const;

  CTimeSpan operator-(CTime t) const { return CTimeSpan(m_time - t.m_time); }
  CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTimeSpan()); }
  CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTimeSpan()); }
  CTime& operator+=(CTimeSpan s) { m_time += s.GetTimeSpan(); return *this; }
  CTime& operator-=(CTimeSpan s) { m_time -= s.GetTimeSpan(); return *this; }
  bool operator==(CTime t) const { return m_time == t.m_time; }
  bool operator!=(CTime t) const { return m_time != t.m_time; }
  bool operator<(CTime t) const { return m_time < t.m_time; }
  bool operator>(CTime t) const { return m_time > t.m_time; }
  bool operator<=(CTime t) const { return m_time <= t.m_time; }
  bool operator>=(CTime t) const { return m_time >= t.m_time; }

private:
  LONGLONG m_time;
};
