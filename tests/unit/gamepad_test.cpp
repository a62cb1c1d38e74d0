// The pad's presses: when a held button acts again, what the stick counts as, and the keyboard
// events a controller layer sends for the same press.
#include <gtest/gtest.h>

#include "win/gamepad.h"

using win::CPadInput;

namespace {

constexpr WORD kDown = XINPUT_GAMEPAD_DPAD_DOWN, kA = XINPUT_GAMEPAD_A, kRB = XINPUT_GAMEPAD_RIGHT_SHOULDER;

// The times within [0, until) at which the button, held from 0 on and polled every 16 ms, acts.
std::vector<DWORD> actsWhileHeld(CPadInput& pad, WORD button, DWORD until) {
    std::vector<DWORD> times;
    for (DWORD t = 0; t < until; t += 16)
        if (pad.update(button, 1000 + t) & button) times.push_back(t);
    return times;
}

TEST(PadInput, HeldDirectionsStepOnceThenRepeatOtherButtonsActOncePerPress) {
    CPadInput pad;
    pad.start(0);
    EXPECT_EQ(actsWhileHeld(pad, kDown, 600), (std::vector<DWORD>{0, 400, 480, 560}));
    pad.update(0, 2000);
    EXPECT_EQ(actsWhileHeld(pad, kRB, 500), (std::vector<DWORD>{0, 400, 480}));
    pad.update(0, 2000);
    EXPECT_EQ(actsWhileHeld(pad, kA, 1000), (std::vector<DWORD>{0}));
}

TEST(PadInput, AButtonHeldWhenTheDialogCameActsOnlyAfterBeingLetGo) {
    CPadInput pad;
    pad.start(kA);
    EXPECT_EQ(pad.update(kA, 100), 0);
    EXPECT_EQ(pad.update(kA | kDown, 116), kDown);
    EXPECT_EQ(pad.update(0, 132), 0);
    EXPECT_EQ(pad.update(kA, 148), kA);
}

TEST(PadInput, TheStickCountsPastTheStandardDeadZoneAlongItsLongerAxis) {
    EXPECT_EQ(CPadInput::stickAsDpad(7849, 0), 0) << "on the dead zone's edge";
    EXPECT_EQ(CPadInput::stickAsDpad(6000, -6000), XINPUT_GAMEPAD_DPAD_DOWN) << "past it diagonally";
    EXPECT_EQ(CPadInput::stickAsDpad(-32768, 20000), XINPUT_GAMEPAD_DPAD_LEFT);
    EXPECT_EQ(CPadInput::stickAsDpad(100, 32767), XINPUT_GAMEPAD_DPAD_UP);
    CPadInput pad;  // pushed for a while, then back to rest: no step after that
    pad.start(0);
    actsWhileHeld(pad, CPadInput::stickAsDpad(0, -20000), 1000);
    for (DWORD t = 2000; t < 3000; t += 16) EXPECT_EQ(pad.update(CPadInput::stickAsDpad(300, -7000), t), 0);
}

TEST(PadInput, AKeyForThePressItselfIsDroppedWhicheverComesFirst) {
    CPadInput pad;
    pad.start(0);
    ASSERT_EQ(pad.update(kA, 1000), kA);
    EXPECT_TRUE(pad.keyIsEcho(VK_RETURN, false, 1050));
    EXPECT_FALSE(pad.keyIsEcho(VK_RETURN, false, 1060)) << "one echo a press";
    EXPECT_FALSE(pad.keyIsEcho(VK_ESCAPE, false, 1070)) << "another button's key";
    pad.update(kDown, 1100);
    EXPECT_TRUE(pad.keyIsEcho(VK_DOWN, true, 1900)) << "the layer's key repeat while the pad repeats";
    EXPECT_FALSE(pad.keyIsEcho(VK_DOWN, false, 1900)) << "late for an echo";
    pad.update(0, 2000);

    EXPECT_FALSE(pad.keyIsEcho(VK_TAB, false, 3000));
    EXPECT_EQ(pad.update(kDown, 3016), 0) << "the key came first and acted";
    EXPECT_EQ(pad.update(kDown, 3500), 0) << "nor does the press repeat";
    pad.update(0, 3600);
    EXPECT_FALSE(pad.keyIsEcho(VK_TAB, false, 4000));
    EXPECT_EQ(pad.update(kDown, 4200), kDown) << "a press after the echo window is one of its own";
}

}  // namespace
