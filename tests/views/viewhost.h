// The window the view tests run their views in before the main window exists:
// a frame whose client is a static splitter of two columns, a tree stand-in on
// the left and, on the right, a view holding a CFileListCtrl that is also the
// result window of listing tasks (UWM_LISTING_READY fills it). The pointer is
// driven with xdotool and the screen saved with Shot.
#pragma once

#include <string>

#include "framework/docview.h"
#include "framework/splitter.h"
#include "tests/toolkit/wintest.h"
#include "views/filelistctrl.h"

namespace viewhost {

constexpr UINT kServerListId = 1074;

class CHostListView : public CView {
  DECLARE_DYNCREATE(CHostListView)
public:
  CFileListCtrl m_list;
  int m_listings = 0;  // UWM_LISTING_READY taken in

protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg LRESULT OnListingReady(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

class CHostTreeView : public CTreeView {
  DECLARE_DYNCREATE(CHostTreeView)
};

class CViewHost : public CFrameWnd {
public:
  // Shows the frame (topmost, at a fixed place), builds the shared image
  // lists and puts the list view into the first server tree's slot.
  BOOL Make();
  ~CViewHost() override;
  CHostListView* ListView() const { return m_listView; }
  CFileListCtrl& List() const { return m_listView->m_list; }

protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
  void PostNcDestroy() override {}  // a member of its test, not new-ed

  CSplitterWnd m_split;
  CHostListView* m_listView = nullptr;
};

inline bool Xdo(const std::string& actions) { return wintest::Xdo(actions); }

// Runs the list's Mask Select as a user does: clicks into the dialog's edit,
// types the text, presses OK (or Cancel); a "Prompt" box is read and closed.
// Returns the box's text ("" when none came); promptSeen tells whether the
// dialog showed the mask texts. Nothing is left open, whatever goes wrong.
std::string DriveMaskSelect(CFileListCtrl& list, const std::string& typed, bool ok, bool* promptSeen = nullptr,
                            const char* shot = nullptr);
// The whole screen into $ZARN_BINARY_DIR/shots/<name>.png.
void Shot(const char* name);

}  // namespace viewhost
