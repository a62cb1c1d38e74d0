#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>

#include "app/instance_guard.h"

namespace {

constexpr wchar_t kClass[] = L"SkelvaneGuardTestClass";
constexpr wchar_t kName[] = L"Skelvane guard test";

bool mutexExists() {
    const win::CKernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    return static_cast<bool>(mutex);
}

// Another copy's main window, in this process for the test.
class OtherCopyWindow {
public:
    OtherCopyWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);
        window = CreateWindowExW(0, kClass, kName, WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    ~OtherCopyWindow() {
        DestroyWindow(window);
        UnregisterClassW(kClass, GetModuleHandleW(nullptr));
    }
    HWND window;
};

}  // namespace

TEST(InstanceGuard, HoldsTheNamedMutexUntilReleased) {
    ASSERT_FALSE(mutexExists());
    {
        CInstanceGuard guard;
        ASSERT_TRUE(guard.acquire(kClass, kName));
        EXPECT_TRUE(mutexExists());
        guard.release();
        EXPECT_FALSE(mutexExists());
        EXPECT_TRUE(guard.acquire(kClass, kName)) << "free again after release";
    }
    EXPECT_FALSE(mutexExists()) << "the destructor gives it back too";
}

TEST(InstanceGuard, HeldElsewhereWithoutWindowThrowsTheKey) {
    CInstanceGuard first;
    ASSERT_TRUE(first.acquire(kClass, kName));
    CInstanceGuard second;
    try {
        second.acquire(kClass, kName);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "T_ANOTHER_COPY_RUN_MSG");
    }
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_FALSE(mutexExists()) << "the refused copy kept no reference to the mutex";
}

TEST(InstanceGuard, HeldElsewhereBringsTheOtherWindowBack) {
    CInstanceGuard first;
    ASSERT_TRUE(first.acquire(kClass, kName));
    OtherCopyWindow other;
    ShowWindow(other.window, SW_SHOWMINIMIZED);
    ASSERT_TRUE(IsIconic(other.window));

    CInstanceGuard second;
    EXPECT_FALSE(second.acquire(kClass, kName));
    EXPECT_FALSE(IsIconic(other.window)) << "restored";
    EXPECT_FALSE(second.held());

    // A hidden window (its engine failed and an error box is up) is found just the same.
    ShowWindow(other.window, SW_HIDE);
    EXPECT_FALSE(CInstanceGuard().acquire(kClass, kName));
    EXPECT_TRUE(first.held());
}
