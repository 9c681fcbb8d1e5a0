// Set once when the program is closing (the queue's end actions, the main
// window's close). Workers then send nothing to windows and end their waits;
// a transfer stops waiting out its speed limit and a relay stops pumping.
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<int32_t> g_exitRequested;
