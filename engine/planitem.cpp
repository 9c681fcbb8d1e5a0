// The queue item and its stored form.
#include "engine/planitem.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/siteitem.h"
#include "shell/settings/settings.h"

namespace {

struct PlanText {
  char* field;
  size_t width;
};

// The seven texts of an item in their stored order.
void PlanTexts(CPlanItem& item, PlanText (&texts)[7])
{
  texts[0] = {item.m_localPath, sizeof(item.m_localPath)};
  texts[1] = {item.m_remotePath, sizeof(item.m_remotePath)};
  texts[2] = {item.m_fileName, sizeof(item.m_fileName)};
  texts[3] = {item.m_direction, sizeof(item.m_direction)};
  texts[4] = {item.m_host, sizeof(item.m_host)};
  texts[5] = {item.m_user, sizeof(item.m_user)};
  texts[6] = {item.m_password, sizeof(item.m_password)};
}

}  // namespace

IMPLEMENT_SERIAL(CPlanItem, CObject, 1)

CPlanItem::CPlanItem()
    : m_port(0),
      m_anonymous(1),
      m_passive(1),
      m_kind(0),
      m_workerIndex(-1),
      m_status(PLAN_QUEUED),
      m_failAction(g_defItemRetries < PLAN_FAIL_REMOVE
                       ? PLAN_FAIL_REMOVE
                       : (g_defItemRetries > PLAN_FAIL_RETRY_LAST ? PLAN_FAIL_RETRY_LAST : g_defItemRetries)),
      m_retryCount(0),
      m_fileSize(0),
      m_bytesDone(0),
      m_spare(0)
{
  m_localPath[0] = '\0';
  m_remotePath[0] = '\0';
  m_fileName[0] = '\0';
  m_direction[0] = '\0';
  m_host[0] = '\0';
  m_user[0] = '\0';
  m_password[0] = '\0';
}

void CPlanItem::Serialize(CArchive& ar)
{
  PlanText texts[7];
  PlanTexts(*this, texts);
  if (ar.IsStoring()) {
    std::string joined;
    for (int i = 0; i < 7; ++i) {
      if (i > 0)
        joined += kPlanTextSeparator;
      joined.append(texts[i].field, strnlen(texts[i].field, texts[i].width));
    }
    ar << CString(joined);
    const uint64_t size = m_fileSize < 0 ? 0 : (uint64_t)m_fileSize;
    ar << (uint32_t)(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : size);
    ar << (WORD)m_port << (WORD)m_passive << (WORD)m_kind << (WORD)m_status << (WORD)m_anonymous
       << (WORD)m_failAction;
    return;
  }

  CString joined;
  ar >> joined;
  const char* p = joined.GetString();
  const size_t length = (size_t)joined.GetLength();
  size_t pos = 0;
  for (int i = 0; i < 7; ++i) {
    // Too few separators leave the later texts empty; after the seventh text
    // the rest of the string is ignored.
    size_t end = pos;
    while (end < length && p[end] != kPlanTextSeparator)
      ++end;
    size_t n = pos < length ? end - pos : 0;
    if (n > texts[i].width - 1)
      n = texts[i].width - 1;
    if (n > 0)
      memcpy(texts[i].field, p + pos, n);
    texts[i].field[n] = '\0';
    pos = end < length ? end + 1 : length;
  }
  uint32_t size = 0;
  WORD port = 0, passive = 0, kind = 0, status = 0, anonymous = 0, failAction = 0;
  ar >> size >> port >> passive >> kind >> status >> anonymous >> failAction;
  m_fileSize = size;
  m_port = port;
  m_passive = passive;
  m_kind = kind;
  // A stored item that was running or waiting its turn waits for the user now;
  // a status no version wrote is treated the same.
  m_status = (status == PLAN_ERROR || status == PLAN_FINISHED || status == PLAN_STOPPED) ? (int32_t)status
                                                                                       : (int32_t)PLAN_STOPPED;
  m_anonymous = anonymous;
  m_failAction = failAction > PLAN_FAIL_RETRY_LAST ? (int32_t)PLAN_FAIL_RETRY_LAST : (int32_t)failAction;
}

void StorePlanItems(CArchive& ar, const CObArray& items)
{
  const INT_PTR n = items.GetSize();
  ar.WriteCount((DWORD)n);
  for (INT_PTR i = 0; i < n; ++i)
    ar.WriteObject(items.GetAt(i));
}

int LoadPlanItems(CArchive& ar, CObArray& items)
{
  std::vector<CObject*> loaded;
  std::unordered_set<CObject*> seen;
  try {
    // The stored count is not trusted for any allocation: items are read one by
    // one, and a count larger than the file runs into its end.
    const DWORD count = ar.ReadCount();
    for (DWORD i = 0; i < count; ++i) {
      CObject* ob = ar.ReadObject(RUNTIME_CLASS(CPlanItem));
      if (ob == nullptr || !seen.insert(ob).second)
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
      loaded.push_back(ob);
    }
  } catch (...) {
    for (CObject* ob : loaded)
      delete ob;
    throw;
  }
  for (CObject* ob : loaded)
    items.Add(ob);
  return (int)loaded.size();
}

void SetPlanItemSite(CPlanItem& item, const CSiteItem& site)
{
  snprintf(item.m_host, sizeof item.m_host, "%.*s", (int)strnlen(site.m_host, sizeof site.m_host), site.m_host);
  snprintf(item.m_user, sizeof item.m_user, "%.*s", (int)strnlen(site.m_user, sizeof site.m_user), site.m_user);
  snprintf(item.m_password, sizeof item.m_password, "%.*s", (int)strnlen(site.m_password, sizeof site.m_password),
           site.m_password);
  item.m_port = site.m_port;
  item.m_anonymous = site.SiteOptionDigits[1] != '0' ? 1 : 0;
  item.m_passive = site.SiteOptionDigits[4] != '0' ? 1 : 0;
}

bool SplitRemoteFilePath(const char* path, std::string& folder, std::string& name)
{
  const std::string text = path != nullptr ? path : "";
  const size_t slash = text.rfind('/');
  folder = slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
  name = slash == std::string::npos ? text : text.substr(slash + 1);
  if (folder.empty() || folder[0] != '/')
    folder.insert(0, "/");
  if (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return !name.empty() && folder.size() < kPlanPathLen && name.size() < kPlanPathLen;
}
