// The pad's presses: when a held button acts again, what the stick counts as, and the keyboard
// events a controller layer sends for the same press.
#include <gtest/gtest.h>

#include "win/gamepad.h"

using win::CPadInput;

namespace {

constexpr WORD kDown = XINPUT_GAMEPAD_DPAD_DOWN, kA = XINPUT_GAMEPAD_A;

TEST(PadInput, HeldDirectionsStepOnceThenRepeatOtherButtonsActOncePerPress) {
    CPadInput pad;
    pad.start(kA);  // held as the dialog came: acts only once let go
    std::vector<DWORD> down, a;
    for (DWORD t = 0; t < 600; t += 16) {  // polled every 16 ms
        const WORD acting = pad.update(t < 300 ? kDown | kA : kDown, 1000 + t);
        if (acting & kDown) down.push_back(t);
        if (acting & kA) a.push_back(t);
    }
    EXPECT_EQ(down, (std::vector<DWORD>{0, 400, 480, 560}));
    EXPECT_EQ(pad.update(kA, 1600), kA);
    EXPECT_EQ(pad.update(kA, 2600), 0) << "A does not repeat";
}

TEST(PadInput, TheStickCountsPastTheStandardDeadZoneAlongItsLongerAxis) {
    EXPECT_EQ(CPadInput::stickAsDpad(7849, 0), 0) << "on the dead zone's edge";
    EXPECT_EQ(CPadInput::stickAsDpad(6000, -6000), kDown) << "past it diagonally";
    EXPECT_EQ(CPadInput::stickAsDpad(-32768, 20000), XINPUT_GAMEPAD_DPAD_LEFT);
    EXPECT_EQ(CPadInput::stickAsDpad(100, 32767), XINPUT_GAMEPAD_DPAD_UP);
}

TEST(PadInput, AKeyForThePressItselfIsDroppedWhicheverComesFirst) {
    CPadInput pad;
    pad.start(0);
    ASSERT_EQ(pad.update(kA, 1000), kA);
    EXPECT_TRUE(pad.keyIsEcho(VK_RETURN, false, 1050));
    EXPECT_FALSE(pad.keyIsEcho(VK_RETURN, false, 1060)) << "one echo a press";
    pad.update(kDown, 1100);
    EXPECT_TRUE(pad.keyIsEcho(VK_DOWN, true, 1900)) << "the layer's key repeat while the pad repeats";
    EXPECT_FALSE(pad.keyIsEcho(VK_DOWN, false, 1900)) << "late for an echo";
    pad.update(0, 2000);

    EXPECT_FALSE(pad.keyIsEcho(VK_TAB, false, 3000));
    EXPECT_EQ(pad.update(kDown, 3016), 0) << "the key came first and acted";
    EXPECT_EQ(pad.update(kDown, 3500), 0) << "nor does the press repeat";
    pad.update(0, 3600);
    EXPECT_EQ(pad.update(kDown, 3800), kDown) << "long after the key: a press of its own";
}

}  // namespace
