#include "shell/doc/sitemanagerlink.h"

#include <atomic>

static std::atomic<SiteManagerFn> s_siteManagerFn{nullptr};

SiteManagerFn SetSiteManagerFunc(SiteManagerFn fn) { return s_siteManagerFn.exchange(fn); }

SiteManagerFn SiteManagerFunc() { return s_siteManagerFn.load(); }
