// The interface font: chosen by the Font command, kept as "FONT" in the
// settings key, given to every child window of the main window.
#include <cstring>

#include "shell/mainframe/mainframe.h"
#include "shell/settings/regkey.h"

namespace {
// The value the settings start with names no font description: it and an
// empty text leave the windows' own fonts.
bool NamesAFont(const char* text) { return text[0] != '\0' && std::strcmp(text, "...") != 0; }
}  // namespace

void CMainFrame::LoadInterfaceFont()
{
  CRegKeyWrap key;
  CString text;
  if (!key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath) || !key.GetStringValue("FONT", text))
    return;
  ::lstrcpynA(g_fontText, text, (int)sizeof g_fontText);
  // A damaged text keeps the default font and the windows as they are.
  if (NamesAFont(g_fontText) && m_font.Parse(text))
    ApplyInterfaceFont();
}

void CMainFrame::ApplyInterfaceFont()
{
  SendMessageToDescendants(WM_SETFONT, (WPARAM)m_font.m_hObject, TRUE, TRUE);
  RecalcLayout();
}

void CMainFrame::OnFont()
{
  if (!m_font.ChooseFont(nullptr, 0, nullptr, this))
    return;
  CString text;
  m_font.Format(text);
  ::lstrcpynA(g_fontText, text, (int)sizeof g_fontText);
  CRegKeyWrap key;
  if (key.CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath))
    key.SetStringValue("FONT", text);
  ApplyInterfaceFont();
}
