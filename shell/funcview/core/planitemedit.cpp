#include "shell/funcview/core/planitemedit.h"

#include <cstdio>

#include "shell/funcview/core/queuecore.h"

namespace {

std::string FieldText(const char* field, size_t size)
{
  size_t n = 0;
  while (n < size && field[n] != '\0')
    ++n;
  return std::string(field, n);
}

template <size_t N>
void Put(char (&field)[N], const std::string& text)
{
  std::snprintf(field, N, "%.*s", static_cast<int>(text.size() < N ? text.size() : N - 1), text.c_str());
}

}  // namespace

bool PlanItemEditable(const CPlanItem* item)
{
  return item != nullptr && !QueueItemBusy(item);
}

PlanItemForm PlanItemFormOf(const CPlanItem& item, int32_t statusBefore)
{
  PlanItemForm form;
  form.host = FieldText(item.m_host, sizeof(item.m_host));
  form.localPath = FieldText(item.m_localPath, sizeof(item.m_localPath));
  form.remotePath = FieldText(item.m_remotePath, sizeof(item.m_remotePath));
  form.fileName = FieldText(item.m_fileName, sizeof(item.m_fileName));
  form.user = FieldText(item.m_user, sizeof(item.m_user));
  form.password = FieldText(item.m_password, sizeof(item.m_password));
  form.port = item.m_port;
  form.anonymous = item.m_anonymous != 0;
  form.passive = item.m_passive != 0;
  form.status = statusBefore >= PLAN_STOPPED && statusBefore <= PLAN_FINISHED ? statusBefore : PLAN_STOPPED;
  form.retryCount = item.m_retryCount;
  form.failAction = item.m_failAction >= PLAN_FAIL_REMOVE && item.m_failAction <= PLAN_FAIL_RETRY_LAST
                        ? item.m_failAction
                        : PLAN_FAIL_RETRY_LAST;
  return form;
}

std::string CleanPlanText(const std::string& text)
{
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
      out.push_back(c);
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos)
    return std::string();
  const size_t last = out.find_last_not_of(' ');
  return out.substr(first, last - first + 1);
}

const char* CheckPlanItemForm(const PlanItemForm& form)
{
  if (form.port < 1 || form.port > 65535)
    return "Please enter an integer between 1 and 65535.";
  if (form.retryCount < 0 || form.retryCount > 100)
    return "Please enter an integer between 0 and 100.";
  return nullptr;
}

void ApplyPlanItemForm(CPlanItem& item, const PlanItemForm& form, int32_t statusBefore)
{
  const std::string host = CleanPlanText(form.host);
  const std::string localPath = CleanPlanText(form.localPath);
  const std::string remotePath = CleanPlanText(form.remotePath);
  const std::string fileName = CleanPlanText(form.fileName);
  const std::string user = CleanPlanText(form.user);
  const std::string password = CleanPlanText(form.password);
  const bool anonymous = form.anonymous || user.empty();
  if (!host.empty())
    Put(item.m_host, host);
  if (!localPath.empty())
    Put(item.m_localPath, localPath);
  if (!remotePath.empty())
    Put(item.m_remotePath, remotePath);
  if (!fileName.empty())
    Put(item.m_fileName, fileName);
  if (form.port >= 1 && form.port <= 65535)
    item.m_port = form.port;
  item.m_passive = form.passive ? 1 : 0;
  Put(item.m_user, anonymous ? std::string() : user);
  Put(item.m_password, password);
  item.m_anonymous = anonymous ? 1 : 0;
  if (form.retryCount >= 0 && form.retryCount <= 100)
    item.m_retryCount = form.retryCount;
  if (form.failAction >= PLAN_FAIL_REMOVE && form.failAction <= PLAN_FAIL_RETRY_LAST)
    item.m_failAction = form.failAction;
  const int32_t chosen = form.status >= PLAN_STOPPED && form.status <= PLAN_FINISHED ? form.status : statusBefore;
  SetStatus(&item, chosen == PLAN_WORKING ? statusBefore : chosen);
}
