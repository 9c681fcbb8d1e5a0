#include "shell/mainframe/quickaddrules.h"

int32_t QuickAddConnLimit(int kind, int count)
{
  if (count <= 0)
    return kMaxSiteLimitCount;
  if (kind == SITELIMIT_SINGLE)
    return 1;
  return count > kMaxSiteLimitCount ? kMaxSiteLimitCount : count;
}

int LimitCountFromConnLimit(int32_t connLimit)
{
  if (connLimit <= 0 || connLimit > kMaxSiteLimitCount)
    return kMaxSiteLimitCount;
  return connLimit;
}

namespace {

char Digit(char c, char fallback)
{
  return c >= '0' && c <= '9' ? c : fallback;
}

}  // namespace

void FillLoginFields(SiteFields& f, const LoginFieldValues& v)
{
  InitSiteFields(f);
  f.m_port = v.port;
  CopySiteText(f.m_host, v.host != nullptr ? v.host : "");
  CopySiteText(f.m_name, v.name != nullptr ? v.name : "");
  CopySiteText(f.m_user, v.user != nullptr ? v.user : "");
  CopySiteText(f.m_password, v.password != nullptr ? v.password : "");
  f.SiteOptionDigits[0] = Digit(v.limitKind, f.SiteOptionDigits[0]);
  f.SiteOptionDigits[1] = Digit(v.anonymous, f.SiteOptionDigits[1]);
  f.SiteOptionDigits[4] = Digit(v.passive, f.SiteOptionDigits[4]);
  f.m_connLimit = v.connLimit;
}
