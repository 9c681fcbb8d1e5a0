// The one-task worker's codes and the parts of its set-up that need no thread:
// which of its paths are remote, applying the site's remote folder to them once,
// and the search's match-case mark.
#pragma once

#include <cstddef>
#include <cstdint>

enum TaskCode : int32_t {
  TASK_LIST = 1,
  TASK_SEARCH_LIST = 2,
  TASK_UPLOAD = 3,
  TASK_DOWNLOAD = 4,
  TASK_MAKE_DIR = 5,
  TASK_SITE_RELAY = 6,
  TASK_SITE_FXP = 7,
  TASK_MOVE = 8,
  TASK_RENAME = 9,
  TASK_DELETE = 10,
  TASK_SEARCH = 11,
  TASK_OPEN = 12,
  TASK_EDIT = 13,
  TASK_NOTHING = 14,  // connects and ends
  TASK_SET_ATTRIBUTES = 15,
  TASK_CHANGE_PASSWORD = 16,
  TASK_RECORD_STRUCTURE = 17,
  TASK_SPACE_USED = 18,
};

constexpr size_t kTaskPathLen = 260;

// The remote folder put in front of a remote path the first time a site's task
// runs. `emptyFolderCase`: "/" with no remote folder becomes "" (one-site tasks)
// rather than staying "/". The path is left alone when the result would not
// fit: a cut path names another folder.
void ApplyRemoteFolder(char* path, size_t size, const char* remoteFolder, bool emptyFolderCase);

// Whether a path of the task names a server folder (a password, a pattern or a
// local path never gets the remote folder).
bool TaskFirstPathIsRemote(int task);
bool TaskSecondPathIsRemote(int task);

// The one-site fix: the first path when it is remote, set and holds a "/",
// else the second under the same conditions (where "/" stays "/").
void FixOneSitePaths(int task, char* first, char* second, size_t size, const char* remoteFolder);

// The search's pattern: a trailing '?' asks for names compared with case. Only
// TASK_SEARCH has the mark; returns the match-case flag and strips the '?'.
int TakeMatchCaseMark(int task, char* firstPath);
