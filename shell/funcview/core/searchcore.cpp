#include "shell/funcview/core/searchcore.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "engine/siteitem.h"

namespace {

void CopyField(char* dst, size_t size, const char* src, size_t srcSize)
{
  std::snprintf(dst, size, "%.*s", static_cast<int>(strnlen(src, srcSize)), src);
}

}  // namespace

SearchHit MakeSearchHit(const EntryRecord& entry, CSiteItem* site)
{
  SearchHit hit;
  std::memcpy(&hit.entry, &entry, sizeof(EntryRecord));
  // The sender's strings are its own: keep every text terminated in our copy.
  hit.entry.m_name[sizeof(hit.entry.m_name) - 1] = '\0';
  hit.entry.m_date[sizeof(hit.entry.m_date) - 1] = '\0';
  hit.entry.m_second[sizeof(hit.entry.m_second) - 1] = '\0';
  hit.entry.m_attributes[sizeof(hit.entry.m_attributes) - 1] = '\0';
  hit.entry.m_node = nullptr;
  hit.host[0] = '\0';
  hit.user[0] = '\0';
  hit.port = 0;
  if (site != nullptr) {
    CopyField(hit.host, sizeof(hit.host), site->m_host, sizeof(site->m_host));
    CopyField(hit.user, sizeof(hit.user), site->m_user, sizeof(site->m_user));
    hit.port = site->m_port;
  }
  return hit;
}

CSiteItem* SearchHitSite(const SearchHit& hit, const QueueSiteAt& siteAt)
{
  if (hit.host[0] == '\0' || !siteAt)
    return nullptr;
  CSiteItem* site = siteAt(hit.entry.m_tag);
  if (site == nullptr)
    return nullptr;
  char host[kPlanHostLen];
  char user[kPlanUserLen];
  CopyField(host, sizeof(host), site->m_host, sizeof(site->m_host));
  CopyField(user, sizeof(user), site->m_user, sizeof(site->m_user));
  if (strcasecmp(host, hit.host) != 0 || std::strcmp(user, hit.user) != 0 || site->m_port != hit.port)
    return nullptr;
  return site;
}

SearchQueueResult BuildSearchDownloads(const std::vector<const SearchHit*>& hits, const char* localFolder,
                                       const QueueSiteAt& siteAt)
{
  SearchQueueResult out;
  for (const SearchHit* hit : hits) {
    CSiteItem* site = hit != nullptr ? SearchHitSite(*hit, siteAt) : nullptr;
    if (site == nullptr) {
      ++out.skipped;
      continue;
    }
    CPlanItem* item = new CPlanItem;
    std::snprintf(item->m_fileName, sizeof(item->m_fileName), "%s", hit->entry.m_name);
    std::snprintf(item->m_remotePath, sizeof(item->m_remotePath), "%s", hit->entry.m_second);
    std::snprintf(item->m_localPath, sizeof(item->m_localPath), "%s", localFolder != nullptr ? localFolder : "");
    std::snprintf(item->m_direction, sizeof(item->m_direction), "%s", "<-");
    item->m_kind = 5;
    item->m_fileSize = hit->entry.m_size;
    SetPlanItemSite(*item, *site);
    site->m_queueRun = 1;
    out.items.push_back(item);
  }
  return out;
}

namespace {

int CompareHits(const SearchHit& a, const SearchHit& b, int column)
{
  switch (column) {
    case 0: return std::strcmp(a.entry.m_name, b.entry.m_name);
    case 1: return std::strcmp(a.host, b.host);
    case 2: return std::strcmp(a.entry.m_second, b.entry.m_second);
    case 3: return a.entry.m_size < b.entry.m_size ? -1 : (a.entry.m_size > b.entry.m_size ? 1 : 0);
    case 4: return std::strcmp(a.entry.m_date, b.entry.m_date);
    case 5: return std::strcmp(a.entry.m_attributes, b.entry.m_attributes);
    default: return 0;
  }
}

}  // namespace

void SortSearchHits(std::vector<SearchHit*>& hits, int column, bool ascending)
{
  std::stable_sort(hits.begin(), hits.end(), [column, ascending](const SearchHit* a, const SearchHit* b) {
    const int c = CompareHits(*a, *b, column);
    return ascending ? c < 0 : c > 0;
  });
}

int FindSearchHitByChar(const std::vector<SearchHit*>& hits, int current, char ch)
{
  const int n = static_cast<int>(hits.size());
  if (n == 0)
    return -1;
  const int want = std::tolower(static_cast<unsigned char>(ch));
  const int start = current >= 0 && current < n ? current : -1;
  for (int k = 1; k <= n; ++k) {
    const int i = (start + k) % n;
    if (std::tolower(static_cast<unsigned char>(hits[i]->entry.m_name[0])) == want)
      return i;
  }
  return -1;
}
