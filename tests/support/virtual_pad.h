// A pad made of SDL's virtual joysticks: the game finds and opens it as it
// would a real one, and its buttons and sticks reach the game through SDL's
// real event pump.
#pragma once

#include <SDL.h>

#include <cmath>
#include <cstdint>

class VirtualPad {
public:
    // Vendor and product ids tell SDL which pad it is: an Xbox 360 pad by default.
    static constexpr uint16_t Microsoft = 0x045e, Xbox360 = 0x028e;
    static constexpr uint16_t Sony = 0x054c, DualShock4 = 0x05c4;
    static constexpr uint16_t Nintendo = 0x057e, SwitchPro = 0x2009;

    explicit VirtualPad(uint16_t vendor = Microsoft, uint16_t product = Xbox360) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
        desc.vendor_id = vendor;
        desc.product_id = product;
        desc.button_mask = (1u << desc.nbuttons) - 1;
        desc.axis_mask = (1u << desc.naxes) - 1;
        desc.name = "Kelp Garden test pad";
        int index = SDL_JoystickAttachVirtualEx(&desc);
        joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        id = joystick ? SDL_JoystickInstanceID(joystick) : -1;
    }
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool plugged() const { return joystick != nullptr; }
    SDL_JoystickID instance() const { return id; }

    void unplug() {
        if (!joystick) return;
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }
    void press(SDL_GameControllerButton button, bool down = true) {
        SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
    }
    void release(SDL_GameControllerButton button) { press(button, false); }
    // `value` from -1 to 1; a trigger from 0 to 1, which SDL reads from a
    // joystick axis's whole range.
    void tilt(SDL_GameControllerAxis axis, float value) {
        bool trigger = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
        long raw = trigger ? std::lround(-32768 + value * 65535) : std::lround(value * 32767);
        SDL_JoystickSetVirtualAxis(joystick, axis, int16_t(raw));
    }

private:
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID id = -1;
};
