#include "shell/doc/pinglink.h"

#include <atomic>

static std::atomic<PingFn> s_pingFn{nullptr};

PingFn SetPingFunc(PingFn fn) { return s_pingFn.exchange(fn); }

PingFn PingFunc() { return s_pingFn.load(); }
