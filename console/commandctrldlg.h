// "ZARN-Manual Control Center": the user connects, types raw FTP commands and
// reads every command, reply and status line. The conversation itself is
// ConsoleSession's; this dialog owns the sockets (Winsock events posted to the
// window), the two timers, the local file and the controls.
#pragma once

#include <winsock2.h>

#include <cstdio>
#include <string>

#include "console/consolesession.h"
#include "console/editex.h"
#include "console/fadeprogress.h"
#include "framework/afxwin.h"
#include "framework/dialog.h"
#include "sitemanager/anchorlayout.h"

class CCommandHelpDlg;

class CCommandCtrlDlg : public CDialog, private ConsoleSessionHost {
public:
  explicit CCommandCtrlDlg(CWnd* parent = nullptr);
  ~CCommandCtrlDlg() override;

  enum { kPumpTimer = 1124, kTimeoutTimer = 1125, kPumpMs = 100 };
  // Posted to itself: the lines logged since the last one go into the log.
  static constexpr UINT kLogFlushMessage = WM_APP + 0x51;

  // Connection fields, shown when the dialog opens.
  CString m_host;
  int m_port = 21;
  CString m_user;
  CString m_password;
  CString m_folder;
  BOOL m_anonymous = FALSE;
  // Options (the settings dialog's values).
  BOOL m_passive = TRUE;
  BOOL m_ascii = FALSE;
  int m_timeout = 120;
  int m_listOption = 0;

  BOOL OnInitDialog() override;

  // Tests: the session's view of the conversation.
  const ConsoleSession& Session() const { return m_session; }
  CCommandHelpDlg* HelpWindow() const { return m_help; }

protected:
  void OnOK() override;  // Enter: sends from the command edit, never closes
  void OnConnect();
  void OnDisconnect();
  void OnSend();
  void OnOptions();
  void OnHelp();
  void OnLogFile();
  void OnCloseButton();
  void OnHostChange();
  void OnUserChange();
  LRESULT OnCtrlSocket(WPARAM wParam, LPARAM lParam);
  LRESULT OnDataSocket(WPARAM wParam, LPARAM lParam);
  void OnTimer(UINT_PTR id);
  void OnSize(UINT type, int cx, int cy);
  void OnDestroy();
  LRESULT OnLogFlush(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

private:
  // ConsoleSessionHost
  bool SendControl(const char* data, size_t size) override;
  void CloseControl() override;
  bool OpenListen(uint8_t addr[4], uint16_t* port) override;
  bool ConnectData(const char* addr, int port) override;
  int SendData(const char* data, size_t size) override;
  void ShutdownDataSend() override;
  void CloseData(bool abortive) override;
  void SetPumpTimer(bool on) override;
  void SetTimeoutTimer(bool on) override;
  bool OpenLocal(const char* path, const char* mode, uint64_t* size) override;
  size_t ReadLocal(void* buffer, size_t size) override;
  bool WriteLocal(const void* data, size_t size) override;
  void CloseLocal() override;
  void Log(const std::string& line) override;
  void Progress(int position) override;
  void ConnectedChanged(bool connected) override;
  uint32_t TickCount() override;
  std::string TimeStamp() override;

  void AddLog(const std::string& text);
  void EnableForState(bool connected);
  void ApplyOptions();
  void ReadFields();
  void DataReceived(SOCKET socket, bool toTheEnd);
  static void CloseSocket(SOCKET& socket, bool abortive);
  void DropPendingEvents(SOCKET socket);

  ConsoleSession m_session;
  SOCKET m_ctrl = INVALID_SOCKET;
  SOCKET m_data = INVALID_SOCKET;
  SOCKET m_listen = INVALID_SOCKET;
  FILE* m_file = nullptr;
  bool m_filling = false;  // the fields are being set in code, not typed
  // Lines not yet in the log edit: a long listing is one edit update, not
  // one per line.
  std::string m_pendingLog;
  bool m_flushPosted = false;
  CEditEx m_log;
  CFadeProgressCtrl m_progress;
  CAnchorLayout m_anchors;
  CCommandHelpDlg* m_help = nullptr;
};
