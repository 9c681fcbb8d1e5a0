// What the three pages share: the controls of the page's field table shown,
// read back, checked and tracked for changes.
#include "sitemanager/sitepages.h"

#include <string>

#include "sitemanager/siteres.h"
#include "sitemanager/siterules.h"

namespace {

std::string ControlText(HWND control)
{
  const int length = ::GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  const int got = ::GetWindowTextA(control, &text[0], length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::string Trimmed(const std::string& text)
{
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
    ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
    --end;
  return text.substr(begin, end - begin);
}

// The note edit takes fewer bytes than its field holds.
constexpr int kNoteTyped = 200;

// Set while a refused value's message is up: the focus moving into the box
// must not check (and report) other edits underneath it.
bool g_checkingEdit = false;

}  // namespace

CSitePage::CSitePage(UINT templateId, SitePage kind, CWnd* parent) : CTabPageDialog(templateId, parent), m_kind(kind) {}

BOOL CSitePage::OnInitDialog()
{
  CTabPageDialog::OnInitDialog();
  const SitePageLayout layout = GetSitePageLayout(m_kind);
  for (int i = 0; i < layout.count; ++i) {
    const SitePageControl& c = layout.controls[i];
    if (c.kind == SitePageControlKind::Text)
      SendDlgItemMessage(c.id, EM_LIMITTEXT, c.id == IDC_SITE_NOTE ? kNoteTyped : c.width - 1);
    else if (c.kind == SitePageControlKind::Number)
      SendDlgItemMessage(c.id, EM_LIMITTEXT, 11);
  }
  FillCombos();
  RefreshPage();
  return TRUE;
}

void CSitePage::AddComboTexts(CWnd* page, int id, const char* const* texts, int count)
{
  for (int i = 0; i < count; ++i)
    page->SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
}

void CSitePage::EnableItem(int id, bool enable)
{
  if (HWND control = ::GetDlgItem(m_hWnd, id))
    ::EnableWindow(control, enable ? TRUE : FALSE);
}

void CSitePage::SetModified()
{
  if (m_refreshing)
    return;
  m_modified = true;
  if (m_onModified)
    m_onModified();
}

void CSitePage::ShowControl(const SitePageControl& c)
{
  switch (c.kind) {
  case SitePageControlKind::Text:
  case SitePageControlKind::Number:
    SetDlgItemText(c.id, g_siteLoaded ? SiteControlText(c, m_values).c_str() : "");
    break;
  case SitePageControlKind::Check:
    CheckDlgButton(c.id, g_siteLoaded ? GetSiteDigit(m_values, c.digit) : 0);
    break;
  case SitePageControlKind::Combo:
    SendDlgItemMessage(c.id, CB_SETCURSEL, g_siteLoaded ? GetSiteDigit(m_values, c.digit) : -1);
    break;
  }
}

void CSitePage::RefreshPage()
{
  if (GetSafeHwnd() == nullptr)
    return;
  m_refreshing = true;
  const SitePageLayout layout = GetSitePageLayout(m_kind);
  for (int i = 0; i < layout.count; ++i)
    ShowControl(layout.controls[i]);
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
    ::EnableWindow(child, g_siteLoaded);
  if (g_siteLoaded)
    EnableControls();
  m_modified = false;
  m_refreshing = false;
}

bool CSitePage::CommitEdit(const SitePageControl& c, bool focusOnError)
{
  HWND control = ::GetDlgItem(m_hWnd, c.id);
  if (control == nullptr || !g_siteLoaded)
    return true;
  const std::string text = Trimmed(ControlText(control));
  char* base = reinterpret_cast<char*>(&m_values);
  if (c.kind == SitePageControlKind::Text) {
    const std::string old = SiteControlText(c, m_values);
    if (text.empty() && (c.id == IDC_SITE_NAME || c.id == IDC_SITE_HOST)) {
      // A site needs its name and host: the old one comes back, no message.
      ::SetWindowTextA(control, old.c_str());
      return true;
    }
    if (text != old) {
      CopySiteText(base + c.offset, c.width, text.c_str());
      SetModified();
    }
    return true;
  }

  int32_t value = 0;
  const bool parsed = ParseSiteNumber(text, value);
  const SiteFieldRule* rule = FindSiteFieldRule(c.id);
  const char* refusal = parsed ? ValidateSiteField(c.id, value) : (rule != nullptr ? rule->message : nullptr);
  const std::string old = SiteControlText(c, m_values);
  if (!parsed || refusal != nullptr) {
    if (refusal != nullptr) {
      g_checkingEdit = true;
      ::MessageBoxA(::GetAncestor(m_hWnd, GA_ROOT), refusal, "ZARN", MB_OK | MB_ICONEXCLAMATION);
      g_checkingEdit = false;
    }
    ::SetWindowTextA(control, old.c_str());
    if (refusal != nullptr && focusOnError && ::IsWindow(control)) {
      ::SetFocus(control);
      ::SendMessageA(control, EM_SETSEL, 0, -1);
    }
    return refusal == nullptr;
  }
  int32_t* field = reinterpret_cast<int32_t*>(base + c.offset);
  if (value != *field) {
    *field = value;
    SetModified();
  }
  return true;
}

void CSitePage::ReadChoice(const SitePageControl& c)
{
  int value = 0;
  if (c.kind == SitePageControlKind::Check)
    value = IsDlgButtonChecked(c.id) == BST_CHECKED ? 1 : 0;
  else
    value = static_cast<int>(SendDlgItemMessage(c.id, CB_GETCURSEL));
  if (value >= 0 && value != GetSiteDigit(m_values, c.digit) && SetSiteDigit(m_values, c.digit, value))
    SetModified();
}

bool CSitePage::TakeValues()
{
  if (GetSafeHwnd() == nullptr || !g_siteLoaded)
    return true;
  const SitePageLayout layout = GetSitePageLayout(m_kind);
  for (int i = 0; i < layout.count; ++i) {
    const SitePageControl& c = layout.controls[i];
    if (c.kind == SitePageControlKind::Text || c.kind == SitePageControlKind::Number) {
      if (!CommitEdit(c, true))
        return false;
    } else {
      ReadChoice(c);
    }
  }
  return true;
}

bool CSitePage::FocusToApplyingButton() const
{
  // Apply and Connect take the values themselves and check them all before
  // storing anything; checked here first, a refused value would come back and
  // the click would then store the rest.
  HWND to = ::GetFocus();
  if (to == nullptr || ::GetParent(to) != ::GetAncestor(m_hWnd, GA_ROOT))
    return false;
  const int id = ::GetDlgCtrlID(to);
  return id == IDC_SITE_APPLY || id == IDC_SITE_CONNECT;
}

BOOL CSitePage::OnCommand(WPARAM wParam, LPARAM lParam)
{
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  const SitePageLayout layout = GetSitePageLayout(m_kind);
  for (int i = 0; i < layout.count && !m_refreshing && g_siteLoaded; ++i) {
    const SitePageControl& c = layout.controls[i];
    if (c.id != id)
      continue;
    const bool isEdit = c.kind == SitePageControlKind::Text || c.kind == SitePageControlKind::Number;
    if (isEdit && code == EN_KILLFOCUS && !g_checkingEdit && !FocusToApplyingButton())
      CommitEdit(c, true);
    else if (isEdit && code == EN_CHANGE && ::GetFocus() == reinterpret_cast<HWND>(lParam))
      OnTextTyped(id);
    else if ((c.kind == SitePageControlKind::Check && code == BN_CLICKED) ||
             (c.kind == SitePageControlKind::Combo && code == CBN_SELCHANGE)) {
      ReadChoice(c);
      OnChoiceChanged(id);
    }
    break;
  }
  return CTabPageDialog::OnCommand(wParam, lParam);
}

BEGIN_MESSAGE_MAP(CSitePageSheet, CTabSheet)
  ON_WM_SIZE()
  ON_NOTIFY_REFLECT(TCN_SELCHANGE, OnSelChange)
END_MESSAGE_MAP()

void CSitePageSheet::OnSize(UINT nType, int cx, int cy)
{
  CTabSheet::OnSize(nType, cx, cy);
  ResizePages();
}

void CSitePageSheet::OnSelChange(NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  ResizePages();  // the sheet hid the old page; this shows the new one
}
