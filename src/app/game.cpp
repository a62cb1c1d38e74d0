#include "app/game.h"

#include <utility>

#include "app/crash_reporter.h"
#include "config/language_keys.h"
#include "config/language_table.h"
#include "res/resource.h"
#include "win/trace.h"

CGame::CGame(const wchar_t* commandLine, const CLocalize& localize, bool resetSettings)
    : m_localize(&localize), m_resetSettings(resetSettings), m_commandLine(commandLine) {}

CGame::~CGame() {
    // Later messages of a window that outlives the host go to the default procedure.
    if (IsWindow(m_window)) SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
}

int CGame::run() {
    MSG msg;
    for (;;) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) return static_cast<int>(msg.wParam);
            if (got > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            continue;
        }
        if (m_engine) {
            m_dispatchEnabled = false;
            const bool again = m_engine->onIdle();
            m_dispatchEnabled = true;
            if (again) continue;
        }
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
    }
}

void CGame::pumpMessages(int maxCount) {
    MSG msg;
    while (maxCount > 0) {
        // WM_QUIT stays queued for the host loop.
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) || msg.message == WM_QUIT) return;
        if (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        --maxCount;
    }
}

void CGame::createEngine(HWND window) {
    // Once per window: a second request, pumped during the creation or posted by anyone later,
    // would make a second engine and lose the first.
    if (m_engineRequested) return;
    m_engineRequested = true;
    const win::CTraceStep step("engine createInstance");
    m_exitCode = 0;
    m_dispatchEnabled = false;
    m_engine = IGame::createInstance(window, reinterpret_cast<const unsigned short*>(m_commandLine), this,
                                     m_resetSettings);
    m_dispatchEnabled = true;
    if (!m_engine) {
        ShowWindow(window, SW_HIDE);
        PostMessageW(window, WM_GAME_INITFAILED, 0, 0);
    }
}

void CGame::reportInitFailure(HWND window) {
    m_exitCode = -1;
    MessageBoxW(window, m_localize->translate(key::T_INIT_ERROR_MSG).c_str(),
                m_localize->translate(key::T_INIT_ERROR_HDR).c_str(), MB_ICONERROR);
    PostMessageW(window, WM_CLOSE, 0, 0);
}

LRESULT CGame::onSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (wParam & 0xFFF0) {
    case SC_CLOSE:
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case SC_SCREENSAVE:
        OutputDebugStringW(L"Received SC_SCREENSAVE\n");
        return 0;
    case SC_MONITORPOWER:
        OutputDebugStringW(L"Received SC_MONITORPOWER\n");
        return 0;
    case SC_SIZE:
    case SC_MOVE:
    case SC_MAXIMIZE:
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_KEYMENU:
        return 0;  // the window is a bare game surface
    default:
        return DefWindowProcW(window, WM_SYSCOMMAND, wParam, lParam);
    }
}

LRESULT CGame::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_dispatchEnabled && m_engine) {
        int handled = 0;
        const LRESULT result = m_engine->handleMessage(window, message, wParam, lParam, &handled);
        if (handled) return result;
    }

    switch (message) {
    case WM_CREATE:
        SetForegroundWindow(window);
        PostMessageW(window, WM_GAME_CREATE, 0, 0);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(m_exitCode);
        return 0;
    case WM_ACTIVATE:
        switch (LOWORD(wParam)) {
        case WA_INACTIVE:
            OutputDebugStringW(L"Window lost focus\n");
            ShowCursor(TRUE);
            if (m_engine) m_engine->onFocusLost();
            break;
        case WA_ACTIVE:
        case WA_CLICKACTIVE:
            OutputDebugStringW(L"Window receive focus\n");
            ShowCursor(FALSE);
            if (m_engine) m_engine->onFocusGained();
            break;
        }
        return 0;
    case WM_KILLFOCUS:
        if (m_engine) m_engine->onFocusLost();
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_CLOSE:
        // Never while the engine is being created, inside its idle step or ending.
        if (!m_dispatchEnabled) return 1;
        if (IGame* engine = std::exchange(m_engine, nullptr)) {
            // Forgotten before it ends: whatever the engine pumps meanwhile is not offered to it,
            // and a close among it is dropped, so the instance is destroyed exactly once.
            m_dispatchEnabled = false;
            engine->destroy();
            m_dispatchEnabled = true;
        }
        DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ACTIVATEAPP:
        OutputDebugStringW(wParam ? L"App receive focus\n" : L"App lost focus\n");
        return 0;
    case WM_POWER:
        if (wParam == PWR_SUSPENDREQUEST) return PWR_FAIL;
        if (wParam == PWR_SUSPENDRESUME || wParam == PWR_CRITICALRESUME) return 0;
        break;
    case WM_DPICHANGED:
        // Moved to a screen of another scale: the engine's surface keeps its size in pixels.
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_SYSCHAR:
        return 0;
    case WM_SYSCOMMAND:
        return onSysCommand(window, wParam, lParam);
    case WM_MENUCHAR:
        return MAKELRESULT(0, MNC_CLOSE);
    case WM_GAME_CREATE:
        createEngine(window);
        return 1;
    case WM_GAME_INITFAILED:
        reportInitFailure(window);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK initialWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_CREATE) return DefWindowProcW(window, message, wParam, lParam);
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gameWndProc));
    auto* game = reinterpret_cast<CGame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return game ? game->windowProc(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK gameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* game = reinterpret_cast<CGame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return game ? game->windowProc(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

namespace {
HICON loadGameIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SKELVANE), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                         LR_DEFAULTCOLOR));
}

[[noreturn]] void fatal(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"Fatal error", MB_ICONERROR);
    crash::abortWithoutReport();
}
}  // namespace

void registerWndClass(const wchar_t* className, HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = initialWndProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hIcon = loadGameIcon(instance, SM_CXICON, SM_CYICON);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = className;
    wc.hIconSm = loadGameIcon(instance, SM_CXSMICON, SM_CYSMICON);
    if (!RegisterClassExW(&wc)) fatal(L"can't register window class");
}

win::CWindow createWindow(const wchar_t* className, const wchar_t* windowName, HINSTANCE instance, CGame* game) {
    HWND window = CreateWindowExW(WS_EX_APPWINDOW, className, windowName, WS_POPUP | WS_CLIPSIBLINGS, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 256, 256, nullptr, nullptr, instance, game);
    if (!window) fatal(L"can't create window");
    return window;
}

void unregisterWndClass(const wchar_t* className, HINSTANCE instance) { UnregisterClassW(className, instance); }
