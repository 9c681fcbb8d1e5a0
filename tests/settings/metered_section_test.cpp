// The counting lock: arguments, counts, sharing by name, and waking under load.
#include "shell/settings/meteredsection.h"  // winsock2.h before windows.h

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

// Fails the run instead of hanging it when the work does not end in time.
class Watchdog {
public:
    explicit Watchdog(DWORD ms, const char* what)
    {
        done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, ms, what] {
            if (WaitForSingleObject(done_, ms) != WAIT_OBJECT_0) {
                std::fprintf(stderr, "watchdog: %s did not finish within %lu ms\n", what,
                             static_cast<unsigned long>(ms));
                std::fflush(stderr);
                ExitProcess(3);
            }
        });
    }
    ~Watchdog()
    {
        SetEvent(done_);
        thread_.join();
        CloseHandle(done_);
    }

private:
    HANDLE done_;
    std::thread thread_;
};

std::string UniqueName(const char* base)
{
    return std::string(base) + "_" + std::to_string(GetCurrentProcessId());
}

}  // namespace

TEST(MeteredSection, InvalidArgumentsFailWith87)
{
    const std::string name129(129, 'n');
    const std::string name128 = UniqueName("zarn_msect") + std::string(128 - UniqueName("zarn_msect").size(), 'n');
    struct Case {
        LONG initial;
        LONG maximum;
        const char* name;
    } cases[] = {{0, 0, nullptr}, {0, -1, nullptr}, {-1, 1, nullptr}, {2, 1, nullptr}, {1, 1, name129.c_str()}};
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(CreateMeteredSection(c.initial, c.maximum, c.name), nullptr) << c.initial << "/" << c.maximum;
        EXPECT_EQ(GetLastError(), 87u);
    }
    LPMETERED_SECTION ok = CreateMeteredSection(1, 1, name128.c_str());
    ASSERT_NE(ok, nullptr);
    CloseMeteredSection(ok);
    CloseMeteredSection(nullptr);
}

TEST(MeteredSection, CountsAndLimits)
{
    LPMETERED_SECTION s = CreateMeteredSection(1, 1, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->shared->initialised, 1);
    EXPECT_EQ(s->shared->maximum, 1);

    // Leave(1) on a free lock of maximum 1.
    SetLastError(0);
    LONG previous = -7;
    EXPECT_FALSE(CMeteredSection::Leave(s, 1, &previous));
    EXPECT_EQ(GetLastError(), 87u);
    EXPECT_EQ(previous, 1);
    EXPECT_EQ(s->shared->available, 1);

    EXPECT_EQ(CMeteredSection::Enter(s, 0), 0u);
    // Taken: Enter(0) answers at once.
    DWORD start = GetTickCount();
    EXPECT_EQ(CMeteredSection::Enter(s, 0), 258u);
    EXPECT_LT(GetTickCount() - start, 100u);
    EXPECT_EQ(CMeteredSection::Enter(s, 30), 258u);
    EXPECT_EQ(s->shared->waiting, 0);  // a timed-out waiter is no longer counted

    SetLastError(0);
    EXPECT_FALSE(CMeteredSection::Leave(s, -1));
    EXPECT_EQ(GetLastError(), 87u);
    EXPECT_TRUE(CMeteredSection::Leave(s, 1, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_EQ(s->shared->available, 1);
    CloseMeteredSection(s);

    LPMETERED_SECTION three = CreateMeteredSection(0, 3, nullptr);
    ASSERT_NE(three, nullptr);
    EXPECT_TRUE(CMeteredSection::Leave(three, 2));
    EXPECT_FALSE(CMeteredSection::Leave(three, 2));  // 4 would pass the maximum
    EXPECT_EQ(three->shared->available, 2);
    EXPECT_TRUE(CMeteredSection::Leave(three, 0));
    CloseMeteredSection(three);
}

TEST(MeteredSection, HandlesOfOneNameShareOneCount)
{
    const std::string name = UniqueName("zarn_shared");
    LPMETERED_SECTION a = CreateMeteredSection(1, 1, name.c_str());
    ASSERT_NE(a, nullptr);
    // The second handle opens the existing block; its own numbers do not apply.
    LPMETERED_SECTION b = CreateMeteredSection(0, 5, name.c_str());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->shared->maximum, 1);
    EXPECT_EQ(CMeteredSection::Enter(a, 0), 0u);
    EXPECT_EQ(CMeteredSection::Enter(b, 0), 258u);
    EXPECT_TRUE(CMeteredSection::Leave(b, 1));
    EXPECT_EQ(CMeteredSection::Enter(a, 0), 0u);

    // A waiter on one handle is woken by a Leave on the other.
    std::atomic<DWORD> result{999};
    std::thread waiter([&] { result = CMeteredSection::Enter(b, INFINITE); });
    while (a->shared->waiting == 0)
        Sleep(1);
    EXPECT_TRUE(CMeteredSection::Leave(a, 1));
    {
        Watchdog dog(10000, "named waiter");
        waiter.join();
    }
    EXPECT_EQ(result.load(), 0u);
    EXPECT_TRUE(CMeteredSection::Leave(b, 1));
    CloseMeteredSection(b);
    CloseMeteredSection(a);

    // A different name is a different lock.
    LPMETERED_SECTION c = CreateMeteredSection(1, 1, (name + "x").c_str());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(CMeteredSection::Enter(c, 0), 0u);
    CloseMeteredSection(c);
}

// Waiters that time out while a Leave hands out wakes must not leave a wake
// behind for nobody, nor stay counted.
TEST(MeteredSection, TimeoutsLeaveNoStaleWakes)
{
    LPMETERED_SECTION s = CreateMeteredSection(0, 1, nullptr);
    ASSERT_NE(s, nullptr);
    std::vector<std::thread> shortWaiters;
    for (int i = 0; i < 4; ++i)
        shortWaiters.emplace_back([s] {
            for (int r = 0; r < 50; ++r)
                if (CMeteredSection::Enter(s, 1 + r % 3) == 0)
                    CMeteredSection::Leave(s, 1);
        });
    for (int r = 0; r < 50; ++r) {
        CMeteredSection::Leave(s, 1);
        while (CMeteredSection::Enter(s, 5) != 0) {
        }
    }
    for (std::thread& t : shortWaiters)
        t.join();
    EXPECT_EQ(s->shared->waiting, 0);
    EXPECT_EQ(s->shared->available, 0);

    // The lock is taken (by this thread); a waiter without time-out must wake
    // on the next Leave.
    std::atomic<bool> got{false};
    std::thread waiter([&] {
        CMeteredSection::Enter(s, INFINITE);
        got = true;
    });
    while (s->shared->waiting == 0)
        Sleep(1);
    EXPECT_TRUE(CMeteredSection::Leave(s, 1));
    {
        Watchdog dog(10000, "waiter after time-outs");
        waiter.join();
    }
    EXPECT_TRUE(got.load());
    EXPECT_EQ(s->shared->waiting, 0);
    CloseMeteredSection(s);
}

// A waiter that is woken but loses the count to another thread waits only for
// the rest of its time-out, not a fresh one per wake.
TEST(MeteredSection, WokenLoserWaitsOnlyTheRest)
{
    LPMETERED_SECTION s = CreateMeteredSection(0, 1, nullptr);
    ASSERT_NE(s, nullptr);
    std::atomic<bool> stop{false};
    // Hands the count back and takes it again before a woken waiter can, for
    // at most three seconds.
    std::thread churn([&] {
        DWORD start = GetTickCount();
        while (!stop && GetTickCount() - start < 3000) {
            if (s->shared->waiting > 0) {
                CMeteredSection::Leave(s, 1);
                CMeteredSection::Enter(s, INFINITE);
            }
            Sleep(20);
        }
        CMeteredSection::Leave(s, 1);
    });
    // Mostly the waiter loses every race and times out; when it does win one,
    // it must still have returned within its time-out.
    DWORD start = GetTickCount();
    DWORD result = CMeteredSection::Enter(s, 300);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, 900u) << "result " << result;
    if (result == 0)
        CMeteredSection::Leave(s, 1);
    stop = true;
    {
        Watchdog dog(10000, "churn thread");
        churn.join();
    }
    EXPECT_EQ(s->shared->waiting, 0);
    CloseMeteredSection(s);
}

TEST(MeteredSection, StressNeverOverfillsNorHangs)
{
    for (LONG maximum : {1L, 3L}) {
        LPMETERED_SECTION s = CreateMeteredSection(maximum, maximum, nullptr);
        ASSERT_NE(s, nullptr);
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::atomic<int> holders{0};
        std::atomic<int> worst{0};
        std::atomic<long> taken{0};
        std::atomic<long> timedOut{0};
        auto hold = [&] {
            int now = ++holders;
            int seen = worst.load();
            while (now > seen && !worst.compare_exchange_weak(seen, now)) {
            }
            // Hold long enough that others queue up behind us.
            if (++taken % 4 == 0)
                Sleep(0);
            else
                for (volatile int spin = 0; spin < 200; ++spin) {
                }
            --holders;
        };
        const int rounds = 3000;
        std::vector<std::thread> threads;
        {
            Watchdog dog(60000, "stress run");
            for (int i = 0; i < 8; ++i)
                threads.emplace_back([&] {
                    WaitForSingleObject(go, INFINITE);
                    for (int r = 0; r < rounds; ++r) {
                        ASSERT_EQ(CMeteredSection::Enter(s, INFINITE), 0u);
                        hold();
                        CMeteredSection::Leave(s, 1);
                    }
                });
            for (int i = 0; i < 2; ++i)
                threads.emplace_back([&] {
                    WaitForSingleObject(go, INFINITE);
                    for (int r = 0; r < rounds; ++r) {
                        if (CMeteredSection::Enter(s, 0) == 0) {
                            hold();
                            CMeteredSection::Leave(s, 1);
                        }
                    }
                });
            for (int i = 0; i < 2; ++i)
                threads.emplace_back([&, i] {
                    WaitForSingleObject(go, INFINITE);
                    for (int r = 0; r < rounds; ++r) {
                        if (CMeteredSection::Enter(s, 1 + (r + i) % 5) == 0) {
                            hold();
                            CMeteredSection::Leave(s, 1);
                        } else {
                            ++timedOut;
                        }
                    }
                });
            SetEvent(go);
            for (std::thread& t : threads)
                t.join();
        }
        CloseHandle(go);
        EXPECT_LE(worst.load(), maximum);
        EXPECT_GE(taken.load(), 8L * rounds);
        EXPECT_EQ(s->shared->waiting, 0);
        EXPECT_EQ(s->shared->available, maximum);
        EXPECT_EQ(s->shared->spinLock, 0);
        std::printf("maximum %ld: %ld holds, %ld timed waits expired\n", static_cast<long>(maximum), taken.load(),
                    timedOut.load());
        CloseMeteredSection(s);
    }
}
