#include "system/system.h"

#include <array>
#include <forward_list>
#include <utility>

namespace {

constexpr int32_t MaxHookIds = 255;

struct THook {
    HookFunction function;
    void* context;
    int32_t priority;
};

std::array<std::forward_list<THook>, MaxHookIds + 1>& HookLists() {
    static auto& lists = *new std::array<std::forward_list<THook>, MaxHookIds + 1>;
    return lists;
}

std::forward_list<THook>& HookList(int32_t hookId) {
    if (hookId < 1 || hookId > MaxHookIds) RaiseRuntimeError("Invalid hook id");
    return HookLists()[hookId];
}

constexpr std::pair<int32_t, std::string_view> EventNames[] = {
    {0x101, "AppSuspend"},     {0x102, "AppResume"},      {0x103, "AppTerminate"},
    {0x104, "AppOpenFile"},    {0x201, "KeyDown"},        {0x202, "KeyUp"},
    {0x203, "KeyChar"},        {0x401, "MouseDown"},      {0x402, "MouseUp"},
    {0x403, "MouseMove"},      {0x404, "MouseWheel"},     {0x405, "MouseEnter"},
    {0x406, "MouseLeave"},     {0x801, "TimerTick"},      {0x2001, "GadgetAction"},
    {0x2002, "GadgetPaint"},   {0x2003, "GadgetSelect"},  {0x2004, "GadgetMenu"},
    {0x2005, "GadgetOpen"},    {0x2006, "GadgetClose"},   {0x2007, "GadgetDone"},
    {0x4001, "WindowMove"},    {0x4002, "WindowSize"},    {0x4003, "WindowClose"},
    {0x4004, "WindowActivate"}, {0x4005, "WindowAccept"}, {0x8001, "MenuAction"},
    {0x1001, "PadAdded"},      {0x1002, "PadRemoved"},    {0x1003, "PadButtonDown"},
    {0x1004, "PadButtonUp"},   {0x1005, "PadAxis"},       {0x1101, "TouchDown"},
    {0x1102, "TouchUp"},       {0x1103, "TouchMove"},
};

}  // namespace

std::string_view EventName(int32_t id) {
    for (const auto& [eventId, name] : EventNames)
        if (eventId == id) return name;
    return {};
}

int32_t AllocateHookId() {
    static int32_t allocated = 0;
    if (allocated == MaxHookIds) RaiseRuntimeError("Too many hook ids");
    return ++allocated;
}

int32_t EmitEventHookId() {
    static const int32_t id = AllocateHookId();
    return id;
}

void AddHook(int32_t hookId, HookFunction function, void* context, int32_t priority) {
    auto& list = HookList(hookId);
    // After every entry of greater or equal priority: higher runs first, and
    // equal priorities keep their registration order.
    auto position = list.before_begin();
    for (auto next = list.begin(); next != list.end() && next->priority >= priority; ++next)
        position = next;
    list.insert_after(position, THook{function, context, priority});
}

void RemoveHook(int32_t hookId, HookFunction function, void* context) {
    auto& list = HookList(hookId);
    auto previous = list.before_begin();
    for (auto entry = list.begin(); entry != list.end(); previous = entry++) {
        if (entry->function == function && entry->context == context) {
            list.erase_after(previous);
            return;
        }
    }
}

ObjectRef RunHooks(int32_t hookId, ObjectRef data) {
    // A copy, so a hook may add or remove hooks while the chain runs.
    const auto entries = HookList(hookId);
    for (const auto& entry : entries) data = entry.function(hookId, data, entry.context);
    return data;
}

void EmitInputEvent(int32_t id, ObjectRef source, int32_t data, int32_t mods, int32_t x, int32_t y,
                    ObjectRef extra) {
    auto event = std::make_shared<TEvent>();
    event->id = id;
    event->source = std::move(source);
    event->data = data;
    event->mods = mods;
    event->x = x;
    event->y = y;
    event->extra = std::move(extra);
    RunHooks(EmitEventHookId(), std::move(event));
}
