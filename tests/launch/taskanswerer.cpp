#include "tests/launch/taskanswerer.h"

namespace launchtest {

CScriptedTaskDialogs::CScriptedTaskDialogs() : m_previous(SetTaskDialogs(this)) {}

CScriptedTaskDialogs::~CScriptedTaskDialogs()
{
  SetTaskDialogs(m_previous);
}

std::vector<ConsoleCall> CConsoleRecorder::s_calls;

namespace {
std::string Text(const char* s) { return s != nullptr ? s : ""; }

int __stdcall RecordConsole(const char* host, int port, const char* user, const char* password,
                            const char* localFolder, int passive, int anonymous, CWnd* parent)
{
  ConsoleCall call;
  call.host = Text(host);
  call.nullHost = host == nullptr;
  call.user = Text(user);
  call.password = Text(password);
  call.localFolder = Text(localFolder);
  call.port = port;
  call.passive = passive;
  call.anonymous = anonymous;
  call.parent = parent;
  CConsoleRecorder::s_calls.push_back(call);
  return 1;
}
}  // namespace

CConsoleRecorder::CConsoleRecorder() : m_previous(SetCommandCtrl(&RecordConsole))
{
  s_calls.clear();
}

CConsoleRecorder::~CConsoleRecorder()
{
  SetCommandCtrl(m_previous);
}

}  // namespace launchtest
