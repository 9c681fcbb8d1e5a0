// Any bytes as a site file: no crash, over-read or leak; every section reads
// into the tree; and a value of another length, a new key, a deletion and a
// save and reload of one section leave every other section's name and values
// as they were.
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "sitemanager/initext.h"
#include "sitemanager/sitesection.h"

namespace {

struct CountingSink : CSiteTreeSink {
  std::vector<std::pair<Node, std::string>> labels;
  size_t sites = 0;
  Node FindOrCreateLabel(Node parent, const std::string& label) override
  {
    for (size_t i = 0; i < labels.size(); ++i) {
      if (labels[i].first == parent && labels[i].second == label)
        return reinterpret_cast<Node>(i + 1);
    }
    labels.emplace_back(parent, label);
    return reinterpret_cast<Node>(labels.size());
  }
  void AppendSite(Node, std::unique_ptr<SiteRecord>) override { ++sites; }
};

const char* const kKeys[] = {"Address", "User", "Port", "Pass", "Config", "LocalDir", "RemoteDir",
                             "FtpInfo", "ProxyAdd", "ProxyUser", "ProxyPass", "ProxyPort"};

using Snapshot = std::map<std::string, std::vector<std::pair<bool, std::string>>>;

Snapshot Take(const CIniText& ini, const std::vector<std::string>& names)
{
  Snapshot shot;
  for (const std::string& name : names) {
    std::vector<std::pair<bool, std::string>>& values = shot[name];
    for (const char* key : kKeys) {
      std::string value;
      const bool found = ini.GetValue(name, key, value);
      values.emplace_back(found, value);
    }
  }
  return shot;
}

void Expect(bool condition)
{
  if (!condition)
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  CIniText ini(std::string(reinterpret_cast<const char*>(data), size), nullptr);
  const int count = ini.SectionCount();
  std::vector<std::string> names;
  CountingSink sink;
  for (int i = 0; i < count; ++i) {
    std::string name;
    Expect(ini.SectionName(i, name));
    if (i < 64)
      LoadSiteSection(ini, name, sink);
    names.push_back(name);
  }
  std::string spare;
  Expect(!ini.SectionName(count, spare));
  if (count == 0)
    return 0;

  const std::string target = names[data[0] % count];
  std::map<std::string, int> seen;
  for (const std::string& name : names)
    ++seen[name];
  std::vector<std::string> others;
  for (const std::string& name : names) {
    if (name != target && seen[name] == 1 && others.size() < 16)
      others.push_back(name);
  }
  const Snapshot before = Take(ini, others);

  const std::string old = ini.GetString(target, "Address");
  Expect(ini.SetString(target, "Address", old + "-a-longer-value"));
  Expect(ini.GetString(target, "Address") == old + "-a-longer-value");
  Expect(ini.SetString(target, "Address", ""));
  Expect(ini.SetString(target, "NewKey", "v"));
  Expect(ini.GetString(target, "NewKey") == "v");
  Expect(Take(ini, others) == before);
  Expect(ini.DeleteSection(target));
  Expect(Take(ini, others) == before);

  // One file per process, removed when the run ends.
  static const struct File {
    std::string path = "/tmp/fuzz_ini-" + std::to_string(getpid()) + ".ini";
    ~File() { remove(path.c_str()); }
  } file;
  Expect(ini.Save(file.path.c_str()));
  CIniText reloaded(file.path.c_str());
  Expect(Take(reloaded, others) == before);
  Expect(reloaded.Text() == ini.Text());
  return 0;
}
