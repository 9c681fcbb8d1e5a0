// The rows of the queue information box for each of the three lists: label
// and value text, counts as "%d", byte sums 64-bit through FormatSize64.
#pragma once

#include <string>
#include <vector>

#include "engine/batchjob.h"
#include "engine/listing.h"
#include "framework/collections.h"

struct QueueInfoRow {
  std::string label;
  std::string value;
};
using QueueInfoRows = std::vector<QueueInfoRow>;

enum QueueInfoMode { INFO_BATCH = 0, INFO_QUEUE = 1, INFO_SEARCH = 2 };

// Mode 1: the queue's CPlanItem array.
QueueInfoRows CountQueueItems(const CObArray& items);
// Mode 0: the site-to-site jobs.
QueueInfoRows CountBatchJobs(const std::vector<BatchJobRecord*>& jobs);
// Mode 2: the found entries.
QueueInfoRows CountSearchEntries(const std::vector<const EntryRecord*>& entries);
