#include "sitemanager/anchorlayout.h"

#include "framework/wnd.h"

namespace {

AnchorRect RectInParent(HWND control) {
  RECT rc = {};
  ::GetWindowRect(control, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
  AnchorRect out;
  out.left = rc.left;
  out.top = rc.top;
  out.right = rc.right;
  out.bottom = rc.bottom;
  return out;
}

}  // namespace

void CAnchorLayout::AddControl(CWnd* control, int32_t flags) {
  AddControl(control != nullptr ? control->GetSafeHwnd() : nullptr, flags);
}

void CAnchorLayout::AddControl(HWND control, int32_t flags) {
  if (flags == 0 || control == nullptr || !::IsWindow(control)) return;
  if (m_initialWidth < 0) {
    RECT client = {};
    ::GetClientRect(::GetParent(control), &client);
    m_initialWidth = client.right - client.left;
    m_initialHeight = client.bottom - client.top;
  }
  m_entries.push_back(Entry{flags, control, RectInParent(control)});
}

void CAnchorLayout::Relayout(CWnd* parent) { Relayout(parent != nullptr ? parent->GetSafeHwnd() : nullptr); }

void CAnchorLayout::Relayout(HWND parent) {
  if (parent == nullptr || ::IsIconic(parent) || m_entries.empty()) return;
  RECT client = {};
  ::GetClientRect(parent, &client);
  const int32_t width = client.right - client.left;
  const int32_t height = client.bottom - client.top;
  for (const Entry& e : m_entries) {
    if (!::IsWindow(e.control)) continue;
    const AnchorRect now = RectInParent(e.control);
    const AnchorRect next = ComputeAnchoredRect(e.initial, e.flags, m_initialWidth, m_initialHeight, width, height,
                                                now.Width(), now.Height());
    RECT old = {now.left, now.top, now.right, now.bottom};
    ::InvalidateRect(parent, &old, TRUE);
    if ((e.flags & kAnchorHideWhenClipped) != 0) {
      if (AnchorRectFits(next, width, height)) {
        if (!::IsWindowVisible(e.control)) ::ShowWindow(e.control, SW_SHOW);
        ::MoveWindow(e.control, next.left, next.top, next.Width(), next.Height(), TRUE);
      } else {
        ::ShowWindow(e.control, SW_HIDE);
      }
    } else {
      ::MoveWindow(e.control, next.left, next.top, next.Width(), next.Height(), TRUE);
    }
  }
}
