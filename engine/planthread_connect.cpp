// The queue worker's connection: the site looked up, the keeper's link
// borrowed or an own one made and logged in, and let go again.
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

// ---- connecting ----

bool CPlanThread::Prepare()
{
  CPlanItem* item = m_pItem;
  m_connectionLost = false;
  if (m_siteIndex < 0) {
    CSiteItem* temp = new CSiteItem;
    CopySiteText(temp->m_host, item->m_host);
    CopySiteText(temp->m_user, item->m_user);
    CopySiteText(temp->m_password, item->m_password);
    temp->m_port = item->m_port;
    temp->SiteOptionDigits[1] = static_cast<char>('0' + (item->m_anonymous != 0 ? 1 : 0));
    temp->SiteOptionDigits[4] = static_cast<char>('0' + (item->m_passive != 0 ? 1 : 0));
    temp->m_mainBusy = 1;  // no keeper connection to borrow
    m_pSite = temp;
    m_tempSite = true;
  } else {
    CSiteItem* (*lookUp)(int) = g_docSite.load();
    m_pSite = lookUp != nullptr ? lookUp(m_siteIndex) : nullptr;
    if (m_pSite == nullptr) {
      SetStatus(item, PLAN_STOPPED);
      DropItem();
      return false;
    }
    m_semHeld = true;  // the function view took it with the item
    m_countRaised = true;  // raised by the look-up
    if (m_pSite->m_queueRun.load() == 0) {
      SetStatus(item, PLAN_STOPPED);
      DropItem();
      PostQueueEnded();
      return false;
    }
    if (m_pSite->m_connected.load() == 0) {
      if (BOOL (*connect)(int) = g_docConnect.load())
        connect(m_siteIndex);
      const DWORD limit = SecondsToMs(m_pSite->m_connectTimeout, g_connectTimeout);
      const DWORD start = ::GetTickCount();
      while (m_pSite->m_connected.load() == 0 && !Stopping() && ::GetTickCount() - start < limit) {
        if (m_pSite->m_hIdleEvent == nullptr) {
          ::Sleep(kPollMs);
          continue;
        }
        // Set again once the keeper is done connecting, logged in or not.
        if (::WaitForSingleObject(m_pSite->m_hIdleEvent, kPollMs) == WAIT_OBJECT_0)
          break;
      }
      if (m_pSite->m_connected.load() == 0) {
        if (m_pSite->m_queueRun.load() != 0) {
          ++item->m_retryCount;
          SetStatus(item, PLAN_ERROR);
        } else {
          SetStatus(item, PLAN_STOPPED);
        }
        DropItem();
        return false;
      }
    }
  }

  // The keeper's idle connection when it can be had. A site limited to one
  // connection has the keeper's as its one: wait for it rather than open a
  // second one while the keeper sends a keep-alive.
  if (!m_tempSite) {
    NetSession* main = ClaimMainConnection(m_pSite);
    if (main == nullptr && m_pSite->ConnectionLimit() == 1) {
      const DWORD start = ::GetTickCount();
      while (main == nullptr && !Stopping() && m_pSite->m_connected.load() != 0 &&
             ::GetTickCount() - start < g_planLoginWaitMs.load()) {
        ::Sleep(50);
        main = ClaimMainConnection(m_pSite);
      }
    }
    if (main != nullptr) {
      m_pSession = main;
      m_borrowed = 1;
    }
  }
  if (m_pSession == nullptr) {
    NetSession* own = new NetSession;
    own->m_pSite = m_pSite;
    own->m_keeper = 0;
    m_pSession = own;
    CNetFunc* func = new CNetFunc(own);
    const bool started = own->m_hDoneEvent != nullptr && func->Start();
    if (started)
      m_pNetFunc = func;
    else
      delete func;
    if (!started || !own->WaitForLogin(kPollMs, g_planLoginWaitMs.load(), [&] { return !Stopping(); })) {
      char line[kPlanHostLen + 80];
      std::snprintf(line, sizeof(line), "%s::This server response timeout, the task stopped!\r\n", m_pSite->m_host);
      ReportLine(line);
      ++item->m_retryCount;
      SetStatus(item, PLAN_ERROR);
      DropItem();
      PostQueueEnded();
      return false;
    }
  }
  if (m_pSite->m_queueRun.load() == 1 && !Stopping())
    return true;
  SetStatus(item, PLAN_STOPPED);
  DropItem();
  PostQueueEnded();
  return false;
}

void CPlanThread::Disconnect()
{
  if (m_pNetFunc != nullptr) {
    // A thread that would not end still uses both objects: they are left.
    if (m_pNetFunc->Stop()) {
      delete m_pNetFunc;
      delete m_pSession;
    }
    m_pNetFunc = nullptr;
  } else if (m_borrowed != 0) {
    // Nothing of this worker may stay in the keeper's record.
    m_pSession->m_pFile = nullptr;
    m_pSession->m_pItem = nullptr;
    ReleaseMainConnection(m_pSite);
  } else {
    delete m_pSession;  // an own record whose thread could not be made
  }
  m_pSession = nullptr;
  m_borrowed = 0;
  if (m_pSite != nullptr) {
    if (m_semHeld) {
      HANDLE sem = m_pSite->ConnectionSemaphore();
      if (sem != nullptr)
        ::ReleaseSemaphore(sem, 1, nullptr);
    }
    if (m_countRaised)
      --m_pSite->m_taskCount;
    if (m_tempSite)
      delete m_pSite;
  }
  m_semHeld = false;
  m_countRaised = false;
  m_tempSite = false;
  m_pSite = nullptr;
  m_siteIndex = -1;
}
