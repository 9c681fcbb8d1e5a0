#include "engine/exitrequest.h"

std::atomic<int32_t> g_exitRequested(0);
