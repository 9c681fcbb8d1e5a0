// CSiteItem: one work site, its persistent fields (SiteFields, laid out exactly
// as the site manager's SiteRecord one pointer further on) and the run-time state
// of its connection.
//
// Option digits (SiteOptionDigits[0..9], each '0'..'9'):
//   0 connection limit kind: '1' one connection, '2' m_connLimit, else 200
//   1 '1' anonymous login
//   2 '0' no listing cache
//   3 not '0': the local tree follows the site's local folder
//   4 '0' active mode (PORT) unless option bit 0 is set; else passive (PASV)
//   5 upload name conversion: '1' upper, '2' lower, '3' first letter upper
//   6 download name conversion, same values
//   7 keep-alive: '0' none, '1' PWD/NOOP/SYST, '2' the same plus a listing
//   8 '1' a resumed upload sends REST before APPE
//   9 proxy type; '0' the global proxy settings
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "engine/siterecord.h"
#include "framework/fwstring.h"
#include "framework/object.h"

#ifdef _WIN32
#include <commctrl.h>
#else
// The native build has no Win32 handles; the fields keep their width.
typedef void* HANDLE;
struct _TREEITEM;
typedef struct _TREEITEM* HTREEITEM;
#endif

class CWinThread;
struct NetSession;

// Room for the "Config" text: nine numbers of up to 11 characters, ten digits,
// nine commas and the NUL.
constexpr size_t kSiteOptionsTextSize = 128;
constexpr size_t kSiteCacheFolderLen = 264;
constexpr size_t kSiteLocalAddressLen = 20;
// Upper bound of a site's simultaneous connections.
constexpr int kMaxSiteConnections = 200;

// A copy of a site's two connection addresses, taken together.
struct SiteAddresses {
  char local[kSiteLocalAddressLen];
  char server[kSiteLocalAddressLen];
};

class CSiteItem : public CObject, public SiteFields {
  DECLARE_DYNAMIC(CSiteItem)
public:
  CSiteItem();  // defaults; creates the idle event (signalled)
  // Teardown: queue-run flag 0, cache folder emptied, keeper stopped and waited
  // for, semaphore and idle event closed.
  ~CSiteItem() override;
  CSiteItem(const CSiteItem&) = delete;
  CSiteItem& operator=(const CSiteItem&) = delete;

  // The "Config" text: download limit, upload limit, connection limit, retry
  // count, retry delay, connect time-out, idle interval, download time-out,
  // upload time-out, digits. Missing trailing fields keep their values; numbers
  // saturate to 32 bits; the digits take at most 10 characters.
  void ParseSiteOptions(const char* text);
  // Writes the same ten fields; returns the length (the text is cut to size).
  int FormatSiteOptions(char* buffer, size_t size) const;
  CString FormatSiteOptions() const;

  // Removes the site's listing-cache files and then the folder if it is empty.
  // Only plain files named as cache files ("-" and digits) are touched; the
  // process's current folder is left alone; failures are ignored.
  void DeleteCacheFolder();

  // Passive data connections (PASV) or active (PORT): digit 4 not '0', or the
  // option "passive mode for every site" (OPTBIT_LAN_USER). Every caller that
  // opens a data connection asks this.
  bool UsesPassiveMode() const;

  // The count of the connection semaphore by digit 0: 1, m_connLimit clamped to
  // 1..200, or 200.
  int ConnectionLimit() const;
  // The site's connection semaphore, made on first need (any thread; exactly one
  // is ever kept). Null only when the system cannot make one (and natively).
  HANDLE ConnectionSemaphore();

  // The keeper's connection writes its addresses on its own thread while the
  // window thread shows them: writers go through these, and a reader takes a
  // copy that holds the old or the new text of each, never a mix. Null or ""
  // empties a field; a longer text is cut.
  void SetLocalAddress(const char* text);
  void SetServerAddress(const char* text);
  void ClearAddresses();
  SiteAddresses ReadAddresses() const;

  // ---- run-time state (not stored) ----
  char m_localAddress[kSiteLocalAddressLen];  // keeper's control connection, "%d.%d.%d.%d"
  int64_t m_connectedSince;                   // time of the keeper's login
  int32_t m_localPort;                        // keeper's control connection
  std::atomic<uint64_t> m_bytesReceived;      // data connections in (listings, downloads)
  std::atomic<uint64_t> m_bytesSent;          // data connections out
  CWinThread* m_pKeeperThread;                // owned; auto-delete off
  std::atomic<HANDLE> m_hConnSemaphore;       // see ConnectionSemaphore()
  HANDLE m_hIdleEvent;                        // manual reset; set while the keeper is not connecting
  HTREEITEM m_hTreeNode;                      // node in the first server tree
  HTREEITEM m_hTreeNode1;                     // node in the second server tree
  std::atomic<int32_t> m_connected;           // keeper's connection logged in
  std::atomic<int32_t> m_mainBusy;            // keeper's connection lent or keeping alive
  std::atomic<int32_t> m_queueRun;            // 0: workers and transfers stop
  std::atomic<int32_t> m_keeperRunning;       // clearing it stops the keeper
  std::atomic<int32_t> m_taskCount;           // workers using the site
  std::atomic<int32_t> m_workerFlag;          // remote folder applied to the workers' paths
  char m_cacheFolder[kSiteCacheFolderLen];    // listing-cache folder, ends with a separator
  NetSession* m_pMainSession;                 // the keeper's connection; owned by the keeper
  char m_serverAddress[kSiteLocalAddressLen]; // the keeper's control peer (a proxy's when through one)

private:
  mutable std::mutex m_addressLock;  // guards m_localAddress and m_serverAddress

  void CreateHandles();
  void CloseHandles();
};

// A listing-cache file name: an optional '-' and one or more digits, nothing else.
bool IsCacheFileName(const char* name);

// The persistent fields lie exactly one CObject further on than in SiteRecord,
// on i686 and x86_64 alike: the site manager reads them in place.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
#define ZARN_SITE_FIELD_AT(field) \
  static_assert(offsetof(CSiteItem, field) == offsetof(SiteRecord, field) + sizeof(void*), #field)
ZARN_SITE_FIELD_AT(m_downloadLimit);
ZARN_SITE_FIELD_AT(m_uploadLimit);
ZARN_SITE_FIELD_AT(m_connLimit);
ZARN_SITE_FIELD_AT(m_connectTimeout);
ZARN_SITE_FIELD_AT(m_retryCount);
ZARN_SITE_FIELD_AT(m_retryDelay);
ZARN_SITE_FIELD_AT(m_idleInterval);
ZARN_SITE_FIELD_AT(m_uploadTimeout);
ZARN_SITE_FIELD_AT(m_downloadTimeout);
ZARN_SITE_FIELD_AT(m_proxyPort);
ZARN_SITE_FIELD_AT(m_port);
ZARN_SITE_FIELD_AT(SiteOptionDigits);
ZARN_SITE_FIELD_AT(m_host);
ZARN_SITE_FIELD_AT(m_name);
ZARN_SITE_FIELD_AT(m_user);
ZARN_SITE_FIELD_AT(m_password);
ZARN_SITE_FIELD_AT(m_localFolder);
ZARN_SITE_FIELD_AT(m_proxyHost);
ZARN_SITE_FIELD_AT(m_proxyUser);
ZARN_SITE_FIELD_AT(m_proxyPassword);
ZARN_SITE_FIELD_AT(m_note);
ZARN_SITE_FIELD_AT(m_remoteFolder);
#undef ZARN_SITE_FIELD_AT
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
static_assert(sizeof(std::atomic<int32_t>) == 4 && sizeof(std::atomic<HANDLE>) == sizeof(void*),
              "run-time words keep their native width");
