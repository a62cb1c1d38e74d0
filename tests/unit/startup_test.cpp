// What the launcher sets up before anything else: its dialogs' order, the stack guard, the power
// settings and the heaps.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/power_settings.h"
#include "app/startup.h"
#include "res/resource.h"
#include "support/dialog_controls.h"
#include "win/handles.h"
#include "win/module.h"

extern "C" void* __stack_chk_guard;

namespace {

// Noted by the first constructor after the stack guard's seeding: the guard must be final by then.
uintptr_t g_guardAtStart;
__attribute__((constructor(102))) void noteGuardAtStart() {
    g_guardAtStart = reinterpret_cast<uintptr_t>(__stack_chk_guard);
}

// Writes `length` bytes into a protected buffer of eight, through a pointer the compiler cannot
// follow (it would cut the writes to the buffer's size).
__attribute__((noinline)) void overrun(size_t length) {
    char buffer[8];
    char* p = buffer;
    __asm__ volatile("" : "+r"(p));
    for (size_t i = 0; i < length; ++i) p[i] = 'x';
}

INT_PTR CALLBACK handlesNothing(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

BOOL screenSaverActive() {
    BOOL on = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &on, 0);
    return on;
}

// Tab and a screen reader take a dialog's controls in z-order, and a screen reader names a list after
// the label right before it: every dialog's controls follow its layout, top to bottom and left to
// right, each list right after its label, and each control but a label is a tab stop.
TEST(Resources, EveryDialogsControlsFollowItsLayoutEachListRightAfterItsLabel) {
    const win::CModule richEdit{LoadLibraryW(L"RICHED20.DLL")};
    HWND settings = nullptr;  // the others' parent or owner; they go with it
    for (int id = IDD_SETTINGS; id <= IDD_VADVSET; ++id) {
        const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), settings,
                                               handlesNothing, 0);
        ASSERT_TRUE(dialog) << id;
        if (!settings) settings = dialog;
        POINT last{-1, -1};
        HWND previous = nullptr;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; previous = c, c = GetWindow(c, GW_HWNDNEXT)) {
            const std::wstring kind = ui::className(c);
            const bool labelled = previous && ui::className(previous) == L"Static" && kind != L"Static";
            SCOPED_TRACE(testing::Message() << "dialog " << id << ", control " << GetDlgCtrlID(c));
            EXPECT_TRUE(kind != L"ComboBox" || labelled) << "no label right before the list";
            EXPECT_TRUE(kind == L"Static" || (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP)) << "no tab stop";
            if (labelled) continue;  // in its label's place
            RECT r{};
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_TRUE(r.top > last.y || (r.top == last.y && r.left > last.x)) << "before the one above or left of it";
            last = {r.left, r.top};
        }
    }
    DestroyWindow(settings);
}

TEST(StackGuard, RandomInEachProcessBeforeItsFirstConstructorAndAnOverrunEndsTheProcess) {
    const uintptr_t guard = reinterpret_cast<uintptr_t>(__stack_chk_guard);
    EXPECT_NE(guard, 0x5EED5A1Eu) << "still the fixed starting value";
    EXPECT_EQ(g_guardAtStart, guard) << "seeded after the program's own constructors began";
    EXPECT_EXIT(ExitProcess(static_cast<UINT>(reinterpret_cast<uintptr_t>(__stack_chk_guard))),
                [guard](int code) { return static_cast<UINT>(code) != static_cast<UINT>(guard); }, "")
        << "another process has the same guard";
    EXPECT_EXIT(overrun(64), ::testing::ExitedWithCode(static_cast<int>(STATUS_STACK_BUFFER_OVERRUN)), "");
}

TEST(Startup, PowerSavingIsOffWhileTheModuleRunsAndTheLastLiveCopyGivesBackWhatTheFirstFound) {
    EXPECT_TRUE(enableLowFragmentationHeap(GetProcessHeap()));
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    if (!screenSaverActive()) GTEST_SKIP() << "this system cannot switch the screen saver";
    EXPECT_FALSE(appInit(nullptr));
    EXPECT_TRUE(screenSaverActive()) << "no appTerm follows a failed start";
    // Copies that end in another order than they started (a normal end, the game's: end to end), and
    // a place in the copies' account (three switches, then places of process number and start time)
    // held by a live program that is no copy, the desktop's (a dead copy's number given to another
    // program): that one does not count.
    ASSERT_TRUE(appInit(GetModuleHandleW(nullptr)));
    EXPECT_EQ(win::g_module.instance(), GetModuleHandleW(nullptr));
    DWORD desktopProgram = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopProgram);
    ASSERT_NE(desktopProgram, GetCurrentProcessId());
    const win::CKernelHandle block(OpenFileMappingW(FILE_MAP_WRITE, FALSE, L"Local\\Skelvane.PowerSaving.Copies"));
    auto* const lastPlace = static_cast<DWORD*>(MapViewOfFile(block.get(), FILE_MAP_WRITE, 0, 0, 0)) + 3 + 3 * 63;
    lastPlace[0] = desktopProgram;
    const win::CKernelHandle other(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, desktopProgram));
    FILETIME unused;
    GetProcessTimes(other.get(), reinterpret_cast<FILETIME*>(lastPlace + 1), &unused, &unused, &unused);
    CPowerSettings otherCopy;
    otherCopy.switchOff();
    appTerm();
    EXPECT_EQ(win::g_module.instance(), nullptr);
    EXPECT_FALSE(screenSaverActive()) << "another copy's game still runs";
    otherCopy.restore();
    EXPECT_TRUE(screenSaverActive()) << "the last live copy gives back what the first one found";
    UnmapViewOfFile(lastPlace - 3 - 3 * 63);
}

}  // namespace
