// The pad of the stand-in XInput library (tests/pad): one controller in the first player slot,
// whose state the tests write into a named shared block that the library reads at every poll.
#pragma once

#include <windows.h>
#include <xinput.h>

namespace testpad {

constexpr wchar_t kBlockName[] = L"Local\\SkelvaneTestPad";

struct Block {
    LONG loaded;     // processes that have the library loaded now
    LONG polls;      // the first slot's state asked for
    LONG connected;  // a pad is in the first slot
    XINPUT_GAMEPAD pad;
};

}  // namespace testpad
