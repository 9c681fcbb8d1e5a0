// A scripted stand-in for the task dialogs: each ask takes the next scripted
// answer of its dialog (OK with the values to hand back, or Cancel) and records
// the values it was asked with; an ask with nothing scripted answers Cancel.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "engine/taskdialogs.h"
#include "shell/doc/zarndoc.h"

namespace launchtest {

template <class T>
struct DialogScript {
  std::deque<std::pair<bool, T>> answers;
  std::vector<T> asked;

  void Ok(const T& values) { answers.emplace_back(true, values); }
  void Cancel() { answers.emplace_back(false, T()); }
  bool Answer(T& values)
  {
    asked.push_back(values);
    if (answers.empty())
      return false;
    const std::pair<bool, T> next = answers.front();
    answers.pop_front();
    if (next.first)
      values = next.second;
    return next.first;
  }
};

// Binds itself for its life (and puts back what was bound before).
class CScriptedTaskDialogs : public CTaskDialogs {
public:
  CScriptedTaskDialogs();
  ~CScriptedTaskDialogs();
  CScriptedTaskDialogs(const CScriptedTaskDialogs&) = delete;
  CScriptedTaskDialogs& operator=(const CScriptedTaskDialogs&) = delete;

  bool MoveTo(CWnd*, MoveToValues& values) override { return moveTo.Answer(values); }
  bool ChangePassword(CWnd*, ChangePasswordValues& values) override { return changePassword.Answer(values); }
  bool SearchFile(CWnd*, SearchFileValues& values) override { return searchFile.Answer(values); }
  bool RecordDir(CWnd*, RecordDirValues& values) override { return recordDir.Answer(values); }
  bool Chmod(CWnd*, ChmodValues& values) override { return chmod.Answer(values); }
  bool ModifyInfo(CWnd*, int siteIndex, SiteLoginValues& values) override
  {
    modifySites.push_back(siteIndex);
    return modifyInfo.Answer(values);
  }

  DialogScript<MoveToValues> moveTo;
  DialogScript<ChangePasswordValues> changePassword;
  DialogScript<SearchFileValues> searchFile;
  DialogScript<RecordDirValues> recordDir;
  DialogScript<ChmodValues> chmod;
  bool QuickAddSite(CWnd*, SiteLoginValues& values) override { return quickAdd.Answer(values); }
  DialogScript<SiteLoginValues> modifyInfo;
  DialogScript<SiteLoginValues> quickAdd;
  std::vector<int> modifySites;

private:
  CTaskDialogs* m_previous;
};

// Console calls recorded in place of the library's entry, for the life of the object.
struct ConsoleCall {
  std::string host, user, password, localFolder;
  int port = 0, passive = 0, anonymous = 0;
  bool nullHost = false;
  CWnd* parent = nullptr;
};
class CConsoleRecorder {
public:
  CConsoleRecorder();
  ~CConsoleRecorder();
  CConsoleRecorder(const CConsoleRecorder&) = delete;
  CConsoleRecorder& operator=(const CConsoleRecorder&) = delete;
  static std::vector<ConsoleCall> s_calls;

private:
  CommandCtrlFn m_previous;
};

}  // namespace launchtest
