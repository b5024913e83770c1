#include "system/system.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> calls;

ObjectRef Record(int32_t, const ObjectRef& data, void* context) {
    calls.push_back(static_cast<const char*>(context));
    return data;
}

ObjectRef Replace(int32_t, const ObjectRef&, void*) { return std::make_shared<TEvent>(); }

}  // namespace

TEST(Hooks, HigherPriorityRunsFirstAndEqualPrioritiesKeepTheirOrder) {
    calls.clear();
    int32_t id = AllocateHookId();
    AddHook(id, Record, (void*)"low", -5);
    AddHook(id, Record, (void*)"first zero", 0);
    AddHook(id, Record, (void*)"high", 10);
    AddHook(id, Record, (void*)"second zero", 0);
    RunHooks(id, nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"high", "first zero", "second zero", "low"}));
}

TEST(Hooks, RemoveTakesOnlyTheMatchingEntry) {
    calls.clear();
    int32_t id = AllocateHookId();
    const char* a = "a";
    const char* b = "b";
    AddHook(id, Record, (void*)a, 0);
    AddHook(id, Record, (void*)b, 0);
    RemoveHook(id, Record, (void*)a);
    RemoveHook(id, Replace, (void*)b);  // wrong function: nothing removed
    RunHooks(id, nullptr);
    EXPECT_EQ(calls, std::vector<std::string>{"b"});
}

TEST(Hooks, EachHookHandsItsResultToTheNext) {
    calls.clear();
    int32_t id = AllocateHookId();
    auto original = std::make_shared<TEvent>();
    EXPECT_EQ(RunHooks(id, original), original);
    AddHook(id, Replace, nullptr, 5);
    ObjectRef result = RunHooks(id, original);
    EXPECT_NE(result, original);
    EXPECT_NE(dynamic_cast<TEvent*>(result.get()), nullptr);
}

TEST(Hooks, TheTwoHundredFiftySixthIdIsAnError) {
    EmitEventHookId();
    for (int i = 2; i <= 255; ++i) AllocateHookId();
    try {
        AllocateHookId();
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_STREQ(error.what(), "Too many hook ids");
    }
}

// Start-up takes the input events' hook id, so a program that then takes
// every id left still gets its input.
TEST(Hooks, TakingEveryIdAfterStartUpLeavesInputWorking) {
    InitSystemLayer();
    EXPECT_THROW(
        for (;;) AllocateHookId(), RuntimeError);
    EnablePolledInput(nullptr);
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.scancode = SDL_SCANCODE_A;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    EXPECT_NO_THROW(PumpMessages());
    EXPECT_TRUE(TakeFrameInput().pressed(Keys::Letter('A')));
    DisablePolledInput();
}

TEST(Events, IdsHaveTheirTextNames) {
    EXPECT_EQ(EventName(KeyDown), "KeyDown");
    EXPECT_EQ(EventName(AppTerminate), "AppTerminate");
    EXPECT_EQ(EventName(TimerTick), "TimerTick");
    EXPECT_EQ(EventName(0x2002), "GadgetPaint");
    EXPECT_EQ(EventName(0x4005), "WindowAccept");
    EXPECT_EQ(EventName(0x8001), "MenuAction");
    EXPECT_EQ(EventName(0x999), "");
}
