// The game host: owns the main window, creates the engine on it and runs the message loop on
// the engine's behalf.
#pragma once

#include <windows.h>

#include "app/exports.h"
#include "korvex.h"
#include "win/window.h"

class CLocalize;

constexpr UINT WM_GAME_CREATE = WM_USER + 1;
constexpr UINT WM_GAME_INITFAILED = WM_USER + 2;

constexpr wchar_t kGameWindowClass[] = L"Korvex//Class";
constexpr wchar_t kGameWindowName[] = L"Korvex//Window";

class CGame : public IMsgLoop {
public:
    CGame(const wchar_t* commandLine, const CLocalize& localize, bool resetSettings);
    virtual ~CGame();
    CGame(const CGame&) = delete;
    CGame& operator=(const CGame&) = delete;

    // The host loop; returns the exit code carried by the quit message.
    int run();
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void pumpMessages(int maxCount) override;

    void setWindow(HWND window) { m_window = window; }
    HWND window() const { return m_window; }
    bool hasEngine() const { return m_engine != nullptr; }

private:
    void createEngine(HWND window);
    void reportInitFailure(HWND window);
    LRESULT onSysCommand(HWND window, WPARAM wParam, LPARAM lParam);

    const CLocalize* m_localize;
    bool m_resetSettings;
    int m_exitCode = 0;
    HWND m_window = nullptr;
    const wchar_t* m_commandLine;
    IGame* m_engine = nullptr;
    bool m_dispatchEnabled = true;
    bool m_engineRequested = false;
};

SKELVANE_EXPORT void registerWndClass(const wchar_t* className, HINSTANCE instance);
SKELVANE_EXPORT win::CWindow createWindow(const wchar_t* className, const wchar_t* windowName, HINSTANCE instance,
                                          CGame* game);
SKELVANE_EXPORT void unregisterWndClass(const wchar_t* className, HINSTANCE instance);

LRESULT CALLBACK initialWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK gameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
