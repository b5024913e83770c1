// Tick timers: ticks travel from SDL's timer thread through the event queue
// and are counted on the main thread. Bounds are loose: these check
// behaviour, not speed.
#include "system/system.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class Timers : public ::testing::Test {
protected:
    void SetUp() override { InitSystemLayer(); }
};

TEST_F(Timers, TicksAreCountedOnlyWhilePumping) {
    TickTimerRef timer = CreateTickTimer(100, nullptr);
    ASSERT_NE(timer->platformTimerId, 0);
    SleepMillis(120);
    EXPECT_EQ(TickTimerTicks(timer), 0);
    PumpMessages();
    EXPECT_GE(TickTimerTicks(timer), 5);
    StopTickTimer(timer);
}

TEST_F(Timers, WaitNeverReturnsZeroAndDropsFramesAfterABusyOne) {
    TickTimerRef timer = CreateTickTimer(30, nullptr);
    for (int i = 0; i < 5; ++i) EXPECT_GE(WaitTickTimer(timer), 1);
    SleepMillis(80);  // a frame longer than two periods, without pumping
    EXPECT_GE(WaitTickTimer(timer), 2);
    StopTickTimer(timer);
}

// The browser's frames come when it calls; they take the ticks due without waiting.
TEST_F(Timers, TakingTicksNeverWaitsAndSharesTheCountWithWaiting) {
    TickTimerRef timer = CreateTickTimer(20, nullptr);
    WaitTickTimer(timer);
    EXPECT_EQ(TakeTickTimerTicks(timer), 0) << "no tick yet";
    SleepMillis(210);
    EXPECT_GE(TakeTickTimerTicks(timer), 4);
    EXPECT_EQ(TakeTickTimerTicks(timer), 0) << "each tick is taken once";
    EXPECT_EQ(TickTimerTicks(timer), timer->lastWaitTicks);
    StopTickTimer(timer);
}

TEST_F(Timers, ThirtyHertzCountsAboutSixtyTicksInTwoSeconds) {
    TickTimerRef timer = CreateTickTimer(30, nullptr);
    int32_t start = MillisNow();
    int32_t counted = 0;
    while (MillisNow() - start < 2000) counted += WaitTickTimer(timer);
    EXPECT_GT(counted, 50);
    EXPECT_LT(counted, 70);
    EXPECT_EQ(counted, TickTimerTicks(timer));
    StopTickTimer(timer);
}

TEST_F(Timers, TicksCarryTheTimerOrItsOwnEvent) {
    static std::vector<EventRef> seen;
    auto record = [](int32_t, const ObjectRef& data, void*) -> ObjectRef {
        if (auto event = std::dynamic_pointer_cast<TEvent>(data)) seen.push_back(event);
        return data;
    };
    AddHook(EmitEventHookId(), record, nullptr, 0);
    TickTimerRef plain = CreateTickTimer(50, nullptr);
    WaitTickTimer(plain);
    StopTickTimer(plain);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0]->id, TimerTick);
    EXPECT_EQ(seen[0]->source.get(), plain.get());
    EXPECT_EQ(seen[0]->data, 1);

    seen.clear();
    auto own = std::make_shared<TEvent>();
    own->id = 0x4242;
    TickTimerRef custom = CreateTickTimer(50, own);
    WaitTickTimer(custom);
    StopTickTimer(custom);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0], own);
    RemoveHook(EmitEventHookId(), record, nullptr);
}

// Ticks that wait in the queue while nobody pumps each arrive as their own
// event, numbered in order, one for every tick the clock counted.
TEST_F(Timers, QueuedTicksArriveNumberedInOrderNoneLost) {
    static std::vector<int32_t> numbers;
    static const TickTimer* watched = nullptr;
    auto record = [](int32_t, const ObjectRef& data, void*) -> ObjectRef {
        auto event = std::dynamic_pointer_cast<TEvent>(data);
        if (event && event->id == TimerTick && event->source.get() == watched) numbers.push_back(event->data);
        return data;
    };
    AddHook(EmitEventHookId(), record, nullptr, 0);
    TickTimerRef timer = CreateTickTimer(100, nullptr);
    watched = timer.get();
    SleepMillis(300);
    PumpMessages();
    int32_t queued = TickTimerTicks(timer);
    EXPECT_GE(queued, 25);
    SleepMillis(75);  // a slow frame
    PumpMessages();
    StopTickTimer(timer);
    RemoveHook(EmitEventHookId(), record, nullptr);
    ASSERT_EQ(numbers.size(), size_t(TickTimerTicks(timer)));
    EXPECT_GT(TickTimerTicks(timer), queued);
    for (size_t i = 0; i < numbers.size(); ++i) ASSERT_EQ(numbers[i], int32_t(i + 1)) << "event " << i;
}

TEST_F(Timers, TicksPostedBeforeAStopStillCountAndNoneAfter) {
    TickTimerRef timer = CreateTickTimer(200, nullptr);
    SleepMillis(60);
    StopTickTimer(timer);
    EXPECT_EQ(timer->platformTimerId, 0);
    EXPECT_EQ(timer->selfReference, nullptr);
    PumpMessages();
    int32_t counted = TickTimerTicks(timer);
    EXPECT_GT(counted, 0);
    SleepMillis(40);
    PumpMessages();
    EXPECT_EQ(TickTimerTicks(timer), counted);
}

TEST_F(Timers, TicksOfAFreedTimerReachNothing) {
    std::weak_ptr<TickTimer> watch;
    {
        TickTimerRef timer = CreateTickTimer(500, nullptr);
        watch = timer;
        SleepMillis(30);  // ticks wait in the queue
        StopTickTimer(timer);
    }
    EXPECT_TRUE(watch.expired());
    PumpMessages();  // under the sanitizers, a stale pointer would show here
    TickTimerRef next = CreateTickTimer(100, nullptr);
    EXPECT_GE(WaitTickTimer(next), 1);
    StopTickTimer(next);
}

TEST_F(Timers, RefusedRatesGiveATimerThatNeverRunsNorKeepsItselfAlive) {
    for (float hertz : {0.0f, 5000.0f, -30.0f}) {
        TickTimerRef timer = CreateTickTimer(hertz, nullptr);
        EXPECT_EQ(timer->platformTimerId, 0) << hertz;
        std::weak_ptr<TickTimer> watch = timer;
        timer.reset();
        EXPECT_TRUE(watch.expired()) << hertz;
    }
}

TEST(Clock, SleepsAndTheMillisecondClock) {
    int32_t before = MillisNow();
    SleepMillis(-5);
    EXPECT_LT(MillisNow() - before, 5);
    SleepMillis(30);
    int32_t slept = MillisNow() - before;
    EXPECT_GE(slept, 30);
    EXPECT_LT(slept, 1000);
}

TEST(TickSchedule, ThirtyHertzKeepsAThirdOfAMillisecondWithoutDrift) {
    int64_t now = 0;
    for (int tick = 1; tick <= 300; ++tick) {
        uint32_t wait = MillisToNextTick(30, now);
        EXPECT_TRUE(wait == 33 || wait == 34) << tick;
        now += wait;
        EXPECT_EQ(TickIndexAt(30, now), tick);
    }
    EXPECT_EQ(now, 10000);
}

TEST(TickSchedule, ALateWakeUpKeepsTheGridAndCountsTheTicksItMissed) {
    int64_t now = 5;
    for (int tick = 1; tick <= 300; ++tick) {
        now += MillisToNextTick(30, now);
        if (tick % 7 == 0) now += 5;  // woken late
        if (tick == 100) now += 100;  // a stall of three ticks
    }
    EXPECT_EQ(TickIndexAt(30, now), 303);
    EXPECT_LT(now, 10100 + 5 + 34);
    EXPECT_GE(now, 10100);
    // Odd rates land on their own grid too.
    for (float hertz : {59.94f, 7.0f, 144.0f}) {
        int64_t t = 12345;
        int64_t first = TickIndexAt(hertz, t);
        for (int tick = 1; tick <= 300; ++tick) {
            t += MillisToNextTick(hertz, t);
            ASSERT_EQ(TickIndexAt(hertz, t), first + tick) << hertz;
        }
    }
}

// The suite's own check: a test that has a timer's callback run on SDL's
// thread fails when ctest has not labelled it threaded, and passes when it has.
TEST(ThreadLabels, AnUnlabelledTestWhoseCodeRunsOnASecondThreadFails) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers own the calls the check watches";
#endif
    auto run = [](const char* label) {
        std::string command = "KELP_TEST_LABEL=" + std::string(label) +
                              " /proc/" + std::to_string(getpid()) +
                              "/exe --gtest_filter=Timers.TicksAreCountedOnlyWhilePumping >/dev/null 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("unthreaded"), 1);
    EXPECT_EQ(run("threaded"), 0);
}
