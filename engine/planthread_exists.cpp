// The queue worker's answer when the destination exists: the rules or the
// File Exists box.
#include "engine/planthread.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/engineutil.h"
#include "engine/exitrequest.h"
#include "engine/ftpsocketwnd.h"
#include "engine/keeper.h"
#include "engine/listing.h"
#include "engine/netfunc.h"
#include "engine/netsession.h"
#include "engine/planitem.h"
#include "engine/progthread.h"
#include "engine/queuerules.h"
#include "engine/queueseam.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "framework/file.h"
#include "shell/doc/threadstatus.h"
#include "shell/settings/meteredsection.h"
#include "shell/settings/settings.h"
#include "engine/planthread_local.h"

using namespace plan_detail;

int CPlanThread::Decide(bool upload, int64_t sourceSize, int64_t destSize, char* newName, size_t newNameSize,
                        int64_t* offset)
{
  CPlanItem* item = m_pItem;
  *offset = 0;
  newName[0] = '\0';
  FileExistsCase c;
  c.direction = upload ? FILERULE_UPLOAD : FILERULE_DOWNLOAD;
  c.sourceSize = sourceSize;
  c.destSize = destSize;
  c.failedAttempts = item->m_retryCount;
  c.useRules = IsOptionSet(OPTBIT_FILE_EXISTS_RULES);
  CSingleLock lock(&g_queueFileExistsSection, TRUE);
  PrimeQueueFileExistsRules();
  c.rules = static_cast<uint32_t>(g_queueFileExistsRules.load());
  FileExistsDecision d = DecideFileExists(c);
  if (d.answer == QANSWER_ASK) {
    int32_t result = REPLACE_SKIP;
    CString boxName;
    if (!Stopping()) {
      CConfirmReplaceDlg box(&g_queueFileExistsRules, upload ? 1 : 0, g_pMainFrame.load());
      box.m_resumeEnabled = d.resumeAllowed ? TRUE : FALSE;
      box.m_existingSize = destSize;
      box.m_pItem = item;
      box.m_fileName = item->m_fileName;
      result = static_cast<int32_t>(box.DoModal());
      boxName = box.m_newName;
    }
    PrimeQueueFileExistsRules();
    d = MapReplaceResult(d, result, static_cast<uint32_t>(g_queueFileExistsRules.load()));
    if (d.answer == QANSWER_RENAME)
      std::snprintf(newName, newNameSize, "%s", static_cast<const char*>(boxName));
  } else if (d.answer == QANSWER_RENAME) {
    if (!QueueRenamedName(newName, newNameSize, item->m_fileName, LocalNow()))
      newName[0] = '\0';
  }
  g_queueFileExistsRules.store(static_cast<int32_t>(d.rules));
  *offset = d.answer == QANSWER_RESUME ? d.offset : 0;
  return d.answer;
}
