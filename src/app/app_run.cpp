// The launch: from the language table to the end of the game, with one handler that turns any
// standard exception into the translated fatal-error box.
#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "app/crash_upload.h"
#include "app/game.h"
#include "app/instance_guard.h"
#include "app/launch_decision.h"
#include "app/os_version.h"
#include "app/startup.h"
#include "config/language_keys.h"
#include "config/language_table.h"
#include "config/launch_settings.h"
#include "config/options_file.h"
#include "win/ansi_text.h"
#include "win/timer_resolution.h"
#include "win/trace.h"

namespace {

// Nothing to translate with yet: the table itself could not be built.
int reportTableFailure(const std::exception& e) {
    const std::wstring text = L"The language table could not be loaded: " + win::widenAnsi(e.what());
    MessageBoxW(nullptr, text.c_str(), L"Fatal error", MB_ICONERROR);
    return 1;
}

// Gives the game window's class back once registered, also when an exception unwinds the launch.
struct GameWindowClass {
    HINSTANCE instance = nullptr;
    ~GameWindowClass() {
        if (instance) unregisterWndClass(kGameWindowClass, instance);
    }
};

// Creates the host and its window and runs the game; the host and the window class are gone when
// this returns.
int runGame(const wchar_t* commandLine, HINSTANCE instance, const CLocalize& localize, bool resetSettings) {
    GameWindowClass windowClass;  // declared first: the class goes after the host
    const std::unique_ptr<CGame> game = std::make_unique<CGame>(commandLine, localize, resetSettings);
    {
        const win::CTraceStep step("game window");
        registerWndClass(kGameWindowClass, instance);
        windowClass.instance = instance;
        const win::CWindow window = createWindow(kGameWindowClass, kGameWindowName, instance, game.get());
        window.setClientSize(512, 512);
        window.centerWindow();
        window.show(SW_SHOW);
        game->setWindow(window);
    }
    const int exitCode = game->run();
    // The game ended without a crash: the settings that were played need no second look.
    storeLastRunCrashed(false);
    return exitCode;
}

}  // namespace

int appRun(const wchar_t* commandLine, HINSTANCE instance, LaunchProbes& probes) {
    std::unique_ptr<CLocalize> localize;
    try {
        const win::CTraceStep step("language table");
        localize = std::make_unique<CLocalize>(readOption(L"korvex.ini", L"OPTIONS", L"Language", L"language.txt"));
    } catch (const std::exception& e) {
        return reportTableFailure(e);
    }

    int exitCode = 1;
    // Sends waiting crash reports beside the launch; given a moment to finish when the launch ends.
    crash::CCrashUpload crashUpload;
    try {
        OSVERSIONINFOW version;
        const bool versionRead = readOsVersion(version);
        if (!isSupportedOs(versionRead, version)) {
            MessageBoxW(nullptr, localize->translate(key::T_OLD_OS_MSG).c_str(),
                        localize->translate(key::T_OLD_OS_HDR).c_str(), MB_ICONWARNING);
            return exitCode;
        }

        {
            const win::CTraceStep step("crash report question");
            crashUpload.offer(*localize);
        }

        bool resetSettings = false;
        if (prepare2Run(commandLine, *localize, resetSettings, probes) != 0) return exitCode;

        // Taken only once the game is to start, so that a second copy can still show its settings.
        // Declared before the timer resolution so that it is given back after it, on every path.
        CInstanceGuard guard;
        if (!guard.acquire(kGameWindowClass, kGameWindowName)) {
            guard.release();
            return exitCode;
        }

        const CTimerResolution timerResolution(1);
        exitCode = runGame(commandLine, instance, *localize, resetSettings);
    } catch (const std::exception& e) {
        MessageBoxW(nullptr, localize->translate(e.what()).c_str(), localize->translate(key::T_FATAL_ERROR_HDR).c_str(),
                    MB_ICONERROR);
        return 1;
    }
    return exitCode;
}
