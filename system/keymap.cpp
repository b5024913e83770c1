#include "system/system.h"

#include <SDL.h>

#include <array>

namespace {

struct KeyPair {
    SDL_Scancode scancode;
    uint8_t virtualKey;
};

// Keys outside the regular runs of letters, digits and function keys.
constexpr KeyPair SingleKeys[] = {
    {SDL_SCANCODE_RETURN, Keys::Enter},        {SDL_SCANCODE_ESCAPE, Keys::Escape},
    {SDL_SCANCODE_BACKSPACE, Keys::Backspace},      {SDL_SCANCODE_TAB, Keys::Tab},
    {SDL_SCANCODE_SPACE, Keys::Space},         {SDL_SCANCODE_MINUS, Keys::Minus},
    {SDL_SCANCODE_EQUALS, Keys::Equals},       {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_RIGHTBRACKET, 221}, {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_NONUSHASH, 220},    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_APOSTROPHE, 222},   {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_COMMA, 188},        {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},        {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_PRINTSCREEN, 44},   {SDL_SCANCODE_SCROLLLOCK, 145},
    {SDL_SCANCODE_PAUSE, 19},         {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_HOME, 36},          {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_DELETE, 46},        {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_PAGEDOWN, 34},      {SDL_SCANCODE_RIGHT, Keys::Right},
    {SDL_SCANCODE_LEFT, Keys::Left},          {SDL_SCANCODE_DOWN, Keys::Down},
    {SDL_SCANCODE_UP, Keys::Up},            {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_KP_DIVIDE, 111},    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_MINUS, Keys::PadMinus},     {SDL_SCANCODE_KP_PLUS, Keys::PadPlus},
    {SDL_SCANCODE_KP_ENTER, Keys::Enter},      {SDL_SCANCODE_KP_0, 96},
    {SDL_SCANCODE_KP_PERIOD, 110},    {SDL_SCANCODE_NONUSBACKSLASH, 226},
    {SDL_SCANCODE_APPLICATION, 93},   {SDL_SCANCODE_MENU, 93},
    {SDL_SCANCODE_LCTRL, Keys::LeftControl},        {SDL_SCANCODE_LSHIFT, Keys::LeftShift},
    {SDL_SCANCODE_LALT, Keys::LeftAlt},         {SDL_SCANCODE_LGUI, Keys::LeftWindows},
    {SDL_SCANCODE_RCTRL, Keys::RightControl},        {SDL_SCANCODE_RSHIFT, Keys::RightShift},
    {SDL_SCANCODE_RALT, Keys::RightAlt},         {SDL_SCANCODE_RGUI, Keys::RightWindows},
};

struct KeyRun {
    SDL_Scancode first;
    int count;
    uint8_t firstVirtualKey;
};

constexpr KeyRun KeyRuns[] = {
    {SDL_SCANCODE_A, 26, 'A'},     {SDL_SCANCODE_1, 9, '1'},      {SDL_SCANCODE_0, 1, '0'},
    {SDL_SCANCODE_F1, 12, Keys::F1},    {SDL_SCANCODE_F13, 12, 124},   {SDL_SCANCODE_KP_1, 9, 97},
};

std::array<uint8_t, SDL_NUM_SCANCODES> BuildKeyTable() {
    std::array<uint8_t, SDL_NUM_SCANCODES> table{};
    for (const auto& run : KeyRuns)
        for (int i = 0; i < run.count; ++i) table[run.first + i] = run.firstVirtualKey + i;
    for (const auto& key : SingleKeys) table[key.scancode] = key.virtualKey;
    return table;
}

}  // namespace

int32_t VirtualKeyOfScancode(int scancode) {
    static const auto table = BuildKeyTable();
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return table[scancode];
}

char32_t TakeCodePoint(std::string_view& utf8) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
    char32_t codePoint = byte(0);
    int continuation = codePoint >= 0xF0 ? 3 : codePoint >= 0xE0 ? 2 : codePoint >= 0xC0 ? 1 : 0;
    if (continuation) codePoint &= 0x3F >> continuation;
    size_t used = 1;
    for (; continuation > 0 && used < utf8.size() && (byte(used) & 0xC0) == 0x80; --continuation, ++used)
        codePoint = (codePoint << 6) | (byte(used) & 0x3F);
    utf8.remove_prefix(used);
    return codePoint;
}
