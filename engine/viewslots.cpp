#include "engine/viewslots.h"

#include "engine/siteitem.h"
#include "framework/afxwin.h"

std::atomic<CWnd*> g_pSerTrView{nullptr};
std::atomic<CWnd*> g_pSerTrView1{nullptr};
std::atomic<CWnd*> g_pFuncView{nullptr};
std::atomic<CWnd*> g_pSerLiView{nullptr};
std::atomic<CWnd*> g_pSerLiView1{nullptr};

static void PostTo(CWnd* view, HTREEITEM node, int connected)
{
  // A window going away in the meantime only loses the post.
  HWND hWnd = view != nullptr ? view->GetSafeHwnd() : nullptr;
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_SITE_STATE, (WPARAM)node, (LPARAM)connected);
}

void PostSiteState(CSiteItem* site, int connected)
{
  if (site == nullptr)
    return;
  PostTo(g_pSerTrView.load(), site->m_hTreeNode, connected);
  PostTo(g_pSerTrView1.load(), site->m_hTreeNode1, connected);
}

std::atomic<CWnd*> g_pLocLiView{nullptr};
