// What the bench drivers share: the site they log in to, their timing and the
// connection log they print when a run fails.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "engine/connlog.h"
#include "engine/siteitem.h"
#include "framework/fwtypes.h"

namespace bench {

// The site of the command line's host, port, user and password (args[0] to
// args[3]): the user's own login, passive mode.
inline void LoginSite(CSiteItem& site, char** args)
{
  CopySiteText(site.m_host, args[0]);
  site.m_port = atoi(args[1]);
  CopySiteText(site.m_user, args[2]);
  CopySiteText(site.m_password, args[3]);
  site.SiteOptionDigits[1] = '0';  // the user's own login
  site.SiteOptionDigits[4] = '1';  // passive
}

// Seconds between two QueryPerformanceCounter readings.
inline double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& freq)
{
  return (double)(to.QuadPart - from.QuadPart) / (double)freq.QuadPart;
}

// The connection log to stderr, oldest line first.
inline void DumpLog()
{
  const int n = ConnLogCount();
  for (int i = 0; i < n; ++i)
    fprintf(stderr, "%s\n", (const char*)ConnLogRowText(i));
}

}  // namespace bench
