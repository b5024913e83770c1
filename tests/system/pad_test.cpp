// Pads through the real pump: SDL's virtual joysticks, found and opened as
// game controllers, their buttons and sticks taken into each frame's input.
#include "system/system.h"

#include "../support/virtual_pad.h"

#include <gtest/gtest.h>

namespace {

class Pads : public ::testing::Test {
protected:
    void SetUp() override {
        InitSystemLayer();
        EnablePolledInput(nullptr);
    }
    void TearDown() override { DisablePolledInput(); }
};

TEST_F(Pads, APadPluggedInIsOpenedAndItsButtonsArePressedOnce) {
    EXPECT_EQ(TakeFrameInput().pad.open, 0);
    VirtualPad pad;
    ASSERT_TRUE(pad.plugged()) << SDL_GetError();
    FrameInput plugged = TakeFrameInput();
    EXPECT_EQ(plugged.pad.open, 1);
    EXPECT_EQ(PadsOpen(), 1);
    EXPECT_EQ(plugged.lastUsed, InputDevice::KeysAndMouse) << "plugging in is not using";

    pad.press(SDL_CONTROLLER_BUTTON_A);
    FrameInput pressed = TakeFrameInput();
    EXPECT_TRUE(pressed.pad.pressed(PadButtons::A));
    EXPECT_TRUE(pressed.pad.held[PadButtons::A]);
    EXPECT_EQ(pressed.lastUsed, InputDevice::Pad);
    EXPECT_TRUE(pressed.touched());
    FrameInput next = TakeFrameInput();
    EXPECT_FALSE(next.pad.pressed(PadButtons::A)) << "a press is in one frame";
    EXPECT_TRUE(next.pad.held[PadButtons::A]);
    pad.release(SDL_CONTROLLER_BUTTON_A);
    pad.press(SDL_CONTROLLER_BUTTON_START);
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    FrameInput more = TakeFrameInput();
    EXPECT_FALSE(more.pad.held[PadButtons::A]);
    EXPECT_TRUE(more.pad.pressed(PadButtons::Start));
    EXPECT_TRUE(more.pad.pressed(PadButtons::Down));
}

TEST_F(Pads, TheStickThatMovedLastSteersAndAPushedStickPressesOnceUntilItComesBack) {
    VirtualPad pad;
    ASSERT_TRUE(pad.plugged()) << SDL_GetError();
    TakeFrameInput();
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 0.1f);
    FrameInput still = TakeFrameInput();
    EXPECT_FALSE(still.pad.stickMoved) << "a stick resting near its centre";
    EXPECT_EQ(still.lastUsed, InputDevice::KeysAndMouse);

    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0.8f);
    FrameInput down = TakeFrameInput();
    EXPECT_TRUE(down.pad.stickMoved);
    EXPECT_EQ(down.lastUsed, InputDevice::Pad);
    EXPECT_NEAR(down.pad.stickX, 0.1f, 1e-3);
    EXPECT_NEAR(down.pad.stickY, 0.8f, 1e-3);
    EXPECT_TRUE(down.pad.pressed(PadButtons::StickDown));
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0.5f);
    EXPECT_FALSE(TakeFrameInput().pad.pressed(PadButtons::StickDown)) << "still pushed: one press";
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0.3f);
    TakeFrameInput();
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0.9f);
    EXPECT_TRUE(TakeFrameInput().pad.pressed(PadButtons::StickDown)) << "let go, then pushed again";

    pad.tilt(SDL_CONTROLLER_AXIS_RIGHTX, -0.7f);
    FrameInput right = TakeFrameInput();
    EXPECT_NEAR(right.pad.stickX, -0.7f, 1e-3) << "the right stick moved last";
    EXPECT_NEAR(right.pad.stickY, 0, 1e-3);
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0.95f);
    EXPECT_NEAR(TakeFrameInput().pad.stickY, 0.95f, 1e-3) << "and now the left";

    pad.tilt(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.7f);
    FrameInput pulled = TakeFrameInput();
    EXPECT_TRUE(pulled.pad.pressed(PadButtons::RightTrigger));
    EXPECT_TRUE(pulled.pad.held[PadButtons::RightTrigger]);
    pad.tilt(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.1f);
    EXPECT_FALSE(TakeFrameInput().pad.held[PadButtons::RightTrigger]);
}

TEST_F(Pads, TheMouseTakesOverFromThePadAndThePadBack) {
    VirtualPad pad;
    ASSERT_TRUE(pad.plugged()) << SDL_GetError();
    TakeFrameInput();
    pad.press(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(TakeFrameInput().lastUsed, InputDevice::Pad);
    EmitInputEvent(MouseMove, nullptr, 0, 0, 10, 10, nullptr);
    EXPECT_EQ(TakeFrameInput().lastUsed, InputDevice::Pad) << "the pointer's position alone is no move";
    auto moved = std::make_shared<TEvent>();
    moved->id = MouseMove, moved->dx = 3;
    RunHooks(EmitEventHookId(), moved);
    EXPECT_EQ(TakeFrameInput().lastUsed, InputDevice::KeysAndMouse);
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 1);
    EXPECT_EQ(TakeFrameInput().lastUsed, InputDevice::Pad);
}

TEST_F(Pads, UnpluggingThePadInUseIsToldOnceAndAnotherPadGoingIsNot) {
    VirtualPad first, second;
    ASSERT_TRUE(first.plugged() && second.plugged()) << SDL_GetError();
    EXPECT_EQ(TakeFrameInput().pad.open, 2);
    second.tilt(SDL_CONTROLLER_AXIS_LEFTX, -0.9f);
    FrameInput steering = TakeFrameInput();
    EXPECT_NEAR(steering.pad.stickX, -0.9f, 1e-3) << "either pad steers";
    first.press(SDL_CONTROLLER_BUTTON_A);
    TakeFrameInput();  // the first pad is now the one in use
    second.unplug();
    FrameInput otherGone = TakeFrameInput();
    EXPECT_FALSE(otherGone.pad.unplugged);
    EXPECT_EQ(otherGone.pad.open, 1);
    EXPECT_EQ(otherGone.pad.stickX, 0) << "the stick that steered went with its pad";
    first.unplug();
    FrameInput gone = TakeFrameInput();
    EXPECT_TRUE(gone.pad.unplugged);
    EXPECT_EQ(gone.pad.open, 0);
    EXPECT_FALSE(gone.pad.held[PadButtons::A]) << "nothing is held on a pad that went";
    EXPECT_FALSE(TakeFrameInput().pad.unplugged) << "told once";
}

TEST_F(Pads, ThePadsLayoutComesFromItsType) {
    VirtualPad xbox;
    VirtualPad playStation(VirtualPad::Sony, VirtualPad::DualShock4);
    VirtualPad nintendo(VirtualPad::Nintendo, VirtualPad::SwitchPro);
    ASSERT_TRUE(xbox.plugged() && playStation.plugged() && nintendo.plugged()) << SDL_GetError();
    TakeFrameInput();
    EXPECT_EQ(PadLayoutOf(xbox.instance()), PadLayout::Xbox);
    EXPECT_EQ(PadLayoutOf(playStation.instance()), PadLayout::PlayStation);
    EXPECT_EQ(PadLayoutOf(nintendo.instance()), PadLayout::Nintendo);
    playStation.press(SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(TakeFrameInput().pad.layout, PadLayout::PlayStation) << "of the pad used last";
    nintendo.press(SDL_CONTROLLER_BUTTON_Y);
    EXPECT_EQ(TakeFrameInput().pad.layout, PadLayout::Nintendo);
}

}  // namespace
