// The site-to-site tests' fixture: two pyftpdlib servers on 127.0.0.2 and
// 127.0.0.3 (each a foreign address to the other), one on 127.0.0.4 that
// refuses a PORT to a foreign address, and the scripted server; sites made and
// their keepers connected, the jobs handed to the function view freed after.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/batchjob.h"
#include "engine/siteitem.h"
#include "engine/taskthreads.h"
#include "tests/task/taskfix.h"

namespace s2stest {

// The tree node the tasks report to.
extern const HTREEITEM kNode;

class S2sTask : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A site on 127.0.0.<n> (0: the scripted server), its keeper connected.
  void Connect(CSiteItem& site, int n);
  // The jobs the task handed to the function view, freed at the end.
  void Own(const tasktest::RecordingWnd& funcView);

  std::map<int, std::string> roots;  // the servers' roots, as Windows paths
  CTaskThreadList list;
  std::vector<CSiteItem*> started;
  std::vector<BatchJobRecord*> owned;
};

}  // namespace s2stest
