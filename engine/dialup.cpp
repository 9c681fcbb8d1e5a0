// Dial-up hang-up and dialling through functions loaded at run time.
#include "engine/dialup.h"

#include <wininet.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "shell/settings/settings.h"

namespace {

std::atomic<const DialUpApi*> g_dialUpApi{nullptr};

// An export as the function type it is known by (through the generic function
// pointer, which any function pointer converts to and from).
template <typename Fn>
Fn Export(HMODULE module, const char* name)
{
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const DialUpApi* RealDialUpApi()
{
  static const DialUpApi api = LoadDialUpApi();
  return &api;
}

}  // namespace

const DialUpApi* CurrentDialUpApi()
{
  const DialUpApi* api = g_dialUpApi.load();
  return api != nullptr ? api : RealDialUpApi();
}

DialUpApi LoadDialUpApi(const char* rasLibrary, const char* internetLibrary)
{
  DialUpApi api = {};
  if (HMODULE ras = LoadLibraryA(rasLibrary)) {
    api.enumConnections = Export<RasEnumConnectionsFn>(ras, "RasEnumConnectionsA");
    api.hangUp = Export<RasHangUpFn>(ras, "RasHangUpA");
    api.enumEntries = Export<RasEnumEntriesFn>(ras, "RasEnumEntriesA");
    api.getStatistics = Export<RasGetConnectionStatisticsFn>(ras, "RasGetConnectionStatistics");
  }
  if (HMODULE internet = LoadLibraryA(internetLibrary))
    api.dial = Export<InternetDialFn>(internet, "InternetDial");
  return api;
}

void SetDialUpApi(const DialUpApi* api) { g_dialUpApi.store(api); }

int ActiveDialUpCount()
{
  const DialUpApi* api = CurrentDialUpApi();
  if (api->enumConnections == nullptr)
    return 0;
  std::vector<RasConnV4> connections(1);
  connections[0].dwSize = sizeof(RasConnV4);
  DWORD bytes = sizeof(RasConnV4);
  DWORD count = 0;
  const DWORD result = api->enumConnections(connections.data(), &bytes, &count);
  // Too small a buffer still tells that there are several.
  if (result == ERROR_BUFFER_TOO_SMALL)
    return (int)(bytes / sizeof(RasConnV4)) > 1 ? (int)(bytes / sizeof(RasConnV4)) : 2;
  return result == ERROR_SUCCESS ? (int)count : 0;
}

int HangUpAllConnections()
{
  const DialUpApi* api = CurrentDialUpApi();
  if (api->enumConnections == nullptr || api->hangUp == nullptr)
    return 0;

  std::vector<RasConnV4> connections(1);
  connections[0].dwSize = sizeof(RasConnV4);
  DWORD bytes = sizeof(RasConnV4);
  DWORD count = 0;
  DWORD result = api->enumConnections(connections.data(), &bytes, &count);
  if (result == ERROR_BUFFER_TOO_SMALL) {
    const size_t entries = (bytes + sizeof(RasConnV4) - 1) / sizeof(RasConnV4);
    if (entries <= 1 || entries > 4096)
      return 0;
    connections.assign(entries, RasConnV4{});
    connections[0].dwSize = sizeof(RasConnV4);
    bytes = (DWORD)(entries * sizeof(RasConnV4));
    count = 0;
    result = api->enumConnections(connections.data(), &bytes, &count);
  }
  if (result != ERROR_SUCCESS)
    return 0;
  if (count > connections.size())
    count = (DWORD)connections.size();
  int hungUp = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (api->hangUp(connections[i].hrasconn) != ERROR_SUCCESS)
      break;
    ++hungUp;
  }
  return hungUp;
}

std::vector<std::string> EnumDialUpEntries()
{
  std::vector<std::string> names;
  const DialUpApi* api = CurrentDialUpApi();
  if (api->enumEntries == nullptr)
    return names;
  std::vector<RasEntryNameV1> entries(1);
  entries[0].dwSize = sizeof(RasEntryNameV1);
  DWORD bytes = sizeof(RasEntryNameV1);
  DWORD count = 0;
  DWORD result = api->enumEntries(nullptr, nullptr, entries.data(), &bytes, &count);
  if (result == ERROR_BUFFER_TOO_SMALL) {
    const size_t wanted = (bytes + sizeof(RasEntryNameV1) - 1) / sizeof(RasEntryNameV1);
    if (wanted <= 1 || wanted > 4096)
      return names;
    entries.assign(wanted, RasEntryNameV1{});
    entries[0].dwSize = sizeof(RasEntryNameV1);
    bytes = (DWORD)(wanted * sizeof(RasEntryNameV1));
    count = 0;
    result = api->enumEntries(nullptr, nullptr, entries.data(), &bytes, &count);
  }
  if (result != ERROR_SUCCESS)
    return names;
  if (count > entries.size())
    count = (DWORD)entries.size();
  for (DWORD i = 0; i < count; ++i) {
    const char* name = entries[i].szEntryName;
    names.emplace_back(name, strnlen(name, sizeof entries[i].szEntryName));
  }
  return names;
}

bool AutoDial()
{
  const DialUpApi* api = CurrentDialUpApi();
  if (api->dial == nullptr)
    return false;
  char entry[kSettingTextLen];
  CopySettingText(entry, g_dialEntry, sizeof(g_dialEntry));
  DWORD_PTR connection = 0;
  return api->dial(nullptr, entry, INTERNET_AUTODIAL_FORCE_UNATTENDED, &connection, 0) == ERROR_SUCCESS;
}
