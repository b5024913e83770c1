// Game pads: SDL's game controllers, opened as SDL finds them and closed as
// they go, their buttons and axes sent on as input events.
#include "system/internal.h"
#include "system/system.h"

#include <SDL.h>

#include <map>

namespace {

// Kept for the whole run, as the exit handlers may still read it.
std::map<SDL_JoystickID, SDL_GameController*>& OpenPads() {
    static auto& pads = *new std::map<SDL_JoystickID, SDL_GameController*>;
    return pads;
}

void Emit(int32_t id, int32_t data, SDL_JoystickID pad, int32_t value = 0) {
    EmitInputEvent(id, nullptr, data, 0, pad, value, nullptr);
}

void Open(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) return;
    SDL_JoystickID pad = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (!OpenPads().emplace(pad, controller).second) {
        SDL_GameControllerClose(controller);  // SDL counts opens: one of ours is enough
        return;
    }
    Emit(PadAdded, 0, pad);
}

void Close(SDL_JoystickID pad) {
    auto open = OpenPads().find(pad);
    if (open == OpenPads().end()) return;
    SDL_GameControllerClose(open->second);
    OpenPads().erase(open);
    Emit(PadRemoved, 0, pad);
}

}  // namespace

namespace kelp_system {

// Without pads the game is whole: a failure here only leaves them out.
void StartPads() {
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool TranslatePadEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: Open(event.cdevice.which); return true;
    case SDL_CONTROLLERDEVICEREMOVED: Close(event.cdevice.which); return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (event.cbutton.button <= PadButtons::Right && OpenPads().count(event.cbutton.which))
            Emit(event.type == SDL_CONTROLLERBUTTONDOWN ? PadButtonDown : PadButtonUp, event.cbutton.button,
                 event.cbutton.which);
        return true;
    case SDL_CONTROLLERAXISMOTION:
        if (OpenPads().count(event.caxis.which)) Emit(PadAxis, event.caxis.axis, event.caxis.which, event.caxis.value);
        return true;
    default: return false;
    }
}

}  // namespace kelp_system

PadLayout PadLayoutOf(int32_t pad) {
    auto open = OpenPads().find(pad);
    if (open == OpenPads().end()) return PadLayout::Xbox;
    switch (SDL_GameControllerGetType(open->second)) {
    case SDL_CONTROLLER_TYPE_PS3:
    case SDL_CONTROLLER_TYPE_PS4:
    case SDL_CONTROLLER_TYPE_PS5: return PadLayout::PlayStation;
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_LEFT:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_RIGHT:
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_PAIR: return PadLayout::Nintendo;
    default: return PadLayout::Xbox;
    }
}

int32_t PadsOpen() { return int32_t(OpenPads().size()); }
