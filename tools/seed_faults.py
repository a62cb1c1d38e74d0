#!/usr/bin/env python3
"""Seeds plausible slips into the launcher, one at a time, and checks that the tests catch each.

For every slip: the product file is patched (one distinctive line, matched exactly), the 32-bit
build of the test programs is brought up to date, the test programs run under Wine (then the checks
of the scripts and the package, for slips there), and the file is put back as it was, whatever
happened. It prints which tests failed for each slip and exits non-zero when a slip went uncaught
or no longer applies to the code.

Usage: tools/seed_faults.py [--all] [--full] [--build win32|win64] [SLIP ...]
  SLIP     numbers of the slips to seed (all when none is named)
  --full   run every test of a program, not only those of the part the slip is in
  --all    run every test program for every slip (default: the unit tests first, the end-to-end
           programs only when the unit tests did not catch the slip)
  --list   print the slips and exit
"""
import argparse
import fnmatch
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# (number, what the slip does, file, exact text, replacement, the tests of that part of the launcher)
SLIPS = [
    (1, "caps: a limit that is exactly met fails (>= becomes >)", "src/checks/caps_check.cpp",
     "return caps.*test.field >= test.value;", "return caps.*test.field > test.value;",
     "Caps*"),
    (2, "caps: alpha-test mask counts 'never' as an alpha test", "src/checks/caps_check.cpp",
     "has(&C::AlphaCmpCaps, 0xFFFFFF7E,", "has(&C::AlphaCmpCaps, 0xFFFFFFFE,",
     "Caps*"),
    (3, "caps: vertex shader 1.1 no longer gates the constant count", "src/checks/caps_check.cpp",
     "skip = test.gatesNext;", "skip = false;",
     "Caps*"),
    (4, "resolution: either side big enough passes (&& becomes ||)", "src/checks/resolution_check.cpp",
     "if (mode.Width >= kMinimumDesktopWidth && mode.Height", "if (mode.Width >= kMinimumDesktopWidth || mode.Height",
     "Resolution*:Caps*"),
    (5, "driver age: a driver of the required day counts as older", "src/checks/driver_age_check.cpp",
     "return date.day < than.day;", "return date.day <= than.day;",
     "DriverDate*:DriverAge*:VideoController*:CheckD3DCaps*"),
    (6, "driver age: WHQL level 1 (certified, no date) read as a date", "src/checks/driver_age_check.cpp",
     "if (identifier.WHQLLevel > 1) {", "if (identifier.WHQLLevel > 0) {",
     "DriverDate*:DriverAge*:VideoController*:CheckD3DCaps*"),
    (7, "DirectX probe: 5.x files judged by the 4.x threshold", "src/checks/dx_version.cpp",
     "case 5: return version >= rule.atLeastV5;", "case 5: return version >= rule.atLeast;",
     "DXVersion*"),
    (8, "DirectX gate: 9.0 without a letter refused (< becomes <=)", "src/checks/dx_version_gate.cpp",
     "if (version < kMinimumDXVersion) {", "if (version <= kMinimumDXVersion) {",
     "DXVersionGate*"),
    (9, "DirectX gate: 'not installed' message dropped", "src/checks/dx_version_gate.cpp",
     "if (version == 0) return refuse(platform, kNotInstalled);", "",
     "DXVersionGate*"),
    (10, "language file: the last of two equal keys wins", "src/config/language_table.cpp",
     "table.emplace(trimSpaces(line.substr(0, eq)), unescape(line.substr(eq + 1)));",
     "table[trimSpaces(line.substr(0, eq))] = unescape(line.substr(eq + 1));",
     "Language*"),
    (11, "language file: byte-order mark read big-endian", "src/config/language_table.cpp",
     "bom[0] != 0xFF || bom[1] != 0xFE", "bom[0] != 0xFE || bom[1] != 0xFF",
     "Language*"),
    (12, "settings: one back buffer read as triple buffering", "src/config/launch_settings.cpp",
     "backBuffers > 1;", "backBuffers >= 1;",
     "LaunchSettings*"),
    (13, "settings: default resolution not raised to 800 x 600", "src/config/launch_settings.cpp",
     "graphics.Width = mode.Width < 800 ? 800 : mode.Width;", "graphics.Width = mode.Width;",
     "LaunchSettings*"),
    (14, "options file: no directory means the Windows folder, not the current one", "src/config/options_file.cpp",
     "if (directory.empty()) return L\".\\\\\" + fileName;", "if (directory.empty()) return fileName;",
     "OptionsFile*"),
    (15, "command line: switches become case-sensitive", "src/app/command_line.cpp",
     "_wcsnicmp(p + 1, name, length) == 0", "wcsncmp(p + 1, name, length) == 0",
     "HasSwitch*:SettingsDialog*"),
    (16, "catalogue: 800 x 600 itself left out (< becomes <=)", "src/settings/display_mode_catalogue.cpp",
     "if (mode.Width < kMinimumWidth || mode.Height < kMinimumHeight) continue;",
     "if (mode.Width <= kMinimumWidth || mode.Height <= kMinimumHeight) continue;",
     "Catalogue*:GraphicsPage*"),
    (17, "catalogue: quality levels take the larger of surface and depth", "src/settings/display_mode_catalogue.cpp",
     "return std::min(quality, best);", "return std::max(quality, best);",
     "Catalogue*:GraphicsPage*"),
    (18, "settings dialog: failed device check does not mark the settings invalid", "src/settings/settings_dialog.cpp",
     "if (!m_services.checkCaps(m_d3d, m_settings.GraphicsSettings.AdapterOrdinal, localize).empty())",
     "if (false)",
     "SettingsDialog*:GraphicsPage*"),
    (19, "settings dialog: 'ignore warnings' no longer fills the lists", "src/settings/settings_dialog.cpp",
     "if (warnings.empty() || m_info->ignoreWarnings()) list", "if (warnings.empty()) list",
     "GraphicsPage*:SmallDesktop*"),
    (20, "settings dialog: sound output not reset to none on close", "src/settings/settings_dialog.cpp",
     "m_services.sound->setOutput(0);", "",
     "SettingsDialog*:SoundPage*"),
    (21, "warnings dialog: a bare scheme counts as a link", "src/settings/info_dialog.cpp",
     "if (lower.size() > n && lower.compare(0, n, scheme) == 0) return true;",
     "if (lower.size() >= n && lower.compare(0, n, scheme) == 0) return true;",
     "WarningsLinks*:GraphicsPage*"),
    (22, "advanced dialog: triple-buffer box shows the vertical-sync setting", "src/settings/vadv_dialog.cpp",
     "item(IDC_TRIPLEBUF).send(BM_SETCHECK, g.TripleBuffer ?", "item(IDC_TRIPLEBUF).send(BM_SETCHECK, g.VSync ?",
     "GraphicsPage*"),
    (23, "launch: -r no longer resets the settings", "src/app/launch_decision.cpp",
     "if (hasSwitch(commandLine, L\"r\")) resetSettings = true;", "",
     "SettingsDialog.Reset*:HasSwitch*"),
    (24, "launch: invalid settings no longer show the dialog", "src/app/launch_decision.cpp",
     "if (show || dialog.showSettingsAtLaunch() || dialog.settingsInvalid())",
     "if (show || dialog.showSettingsAtLaunch())",
     "SettingsDialog.FirstStart*"),
    (25, "second copy: the first copy's minimised window is not restored", "src/app/instance_guard.cpp",
     "if (IsIconic(window)) ShowWindow(window, SW_RESTORE);", "",
     "SingleInstance*"),
    (26, "game host: WM_CLOSE honoured inside the engine's idle step", "src/app/game.cpp",
     "if (!m_dispatchEnabled) return 1;", "",
     "GameHost*:GameWindow*"),
    (27, "second copy: the first copy's window is not brought to the front", "src/app/instance_guard.cpp",
     "    SetForegroundWindow(window);\n", "",
     "SingleInstance*"),
    (28, "game host: a close pumped while the engine ends destroys the window under it", "src/app/game.cpp",
     "m_dispatchEnabled = false;\n            engine->destroy();", "engine->destroy();",
     "GameHost*:GameWindow*"),
    (29, "settings: a set whose save was cut short is taken as whole", "src/config/launch_settings.cpp",
     "    ok &= RegQueryValueExW(root.get(), kSaveIncomplete, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;\n",
     "", "LaunchSettings*"),
    (30, "power settings: switched back on while another copy still runs", "src/app/power_settings.cpp",
     "        if (!othersHold(shared)) {", "        if (othersHold(shared) || true) {", "Startup*"),
    (31, "power settings: each copy notes what it found, the last gives back its own", "src/app/power_settings.cpp",
     "if (shared && !othersHold(*shared)) {", "if (shared) {", "Startup*"),
    (32, "power settings: a copy that died still counts", "src/app/power_settings.cpp",
     "        if (h.processId && !alive(h)) h = {};\n", "", "Startup*"),
    (33, "settings: a load does not wait for another copy's save", "src/config/launch_settings.cpp",
     "    const win::CNamedLock lock(kSettingsLock);\n    const win::CRegKey root = openKey(",
     "    const win::CRegKey root = openKey(", "LaunchSettings*"),
    (34, "settings: a save does not wait for another copy's (and takes itself for the holder)",
     "src/config/launch_settings.cpp",
     "    const win::CNamedLock lock(kSettingsLock);\n    const win::CRegKey root = openOrCreateKey(",
     "    const struct { bool held() const { return true; } } lock;\n    const win::CRegKey root = openOrCreateKey(",
     "LaunchSettings*"),
    (35, "settings: a mark another copy took away fails a whole save", "src/config/launch_settings.cpp",
     "return unmarked == ERROR_SUCCESS || unmarked == ERROR_FILE_NOT_FOUND;", "return unmarked == ERROR_SUCCESS;",
     "LaunchSettings*"),
    (36, "stack guard: never seeded", "src/win/stack_guard.cpp",
     "if (RtlGenRandom(&guard, sizeof guard)) __stack_chk_guard", "if (false) __stack_chk_guard", "StackGuard*"),
    (37, "stack guard: seeded among the program's own constructors", "src/win/stack_guard.cpp",
     "__attribute__((constructor(101), optimize", "__attribute__((constructor, optimize", "StackGuard*"),
    (38, "stack guard: an overrun goes on as if nothing happened", "src/win/stack_guard.cpp",
     "[[noreturn]] void __stack_chk_fail() {", "void __stack_chk_fail() { return;", "StackGuard*"),
    (39, "kernel probe: any failed 32-bit probe taken for a kernel that refuses them", "tools/kernel_runs_32bit.sh",
     "[ \"$status\" -eq 126 ] && grep -q 'Exec format error' \"$work/err\" && exit 1",
     "[ \"$status\" -ne 0 ] && exit 1", "KernelProbe*"),
    (40, "package: the commit's time put in the zip in the builder's time zone", "tools/make_package.py",
     "time.gmtime(int(epoch))", "time.localtime(int(epoch))", "Reproducible*"),
    # Slips in the release scripts: "ctest:NAME" runs that CTest entry alone.
    (41, "release: a studio library of the other architecture is packed", "tools/sign_and_pack.sh",
     '[ "$got" = "$format" ] ||', '[ -n "$got" ] ||', "ctest:release_signing"),
    (42, "release: a library the studio signed already is signed again", "tools/sign_and_pack.sh",
     "if is_signed \"$file\"; then", "if false; then", "ctest:release_signing"),
    (43, "settings dialog: Ctrl+Tab no longer turns the page", "src/settings/page_keys.cpp",
     "    case VK_TAB: return down(VK_SHIFT) ? -1 : 1;\n", "", "SettingsDialog.Keys*"),
    (44, "sound page: the speakers' label after its list", "src/res/dialogs.rc",
     '    CONTROL "T_SNDOUTPUT", -1, "Static", LABEL_STYLE, 8, 64, 176, 12\n'
     '    CONTROL "", IDC_SND_SPEAKERS, "ComboBox", LIST_STYLE, 8, 76, 176, 64\n',
     '    CONTROL "", IDC_SND_SPEAKERS, "ComboBox", LIST_STYLE, 8, 76, 176, 64\n'
     '    CONTROL "T_SNDOUTPUT", -1, "Static", LABEL_STYLE, 8, 64, 176, 12\n', "Resources*:SettingsDialog.Keys*"),
    (45, "warnings window: Esc does nothing", "src/settings/info_dialog.cpp",
     "if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {", "if (LOWORD(wParam) == IDOK) {",
     "WarningsWindow*:SmallDesktop*"),
    (46, "crash reports: the crashed run's mark does not bring the settings back", "src/config/launch_settings.cpp",
     "    ok &= RegQueryValueExW(root.get(), kLastRunCrashed, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;\n",
     "", "SettingsDialog.FirstStart*"),
    (47, "crash reports: one dump too many kept", "src/app/crash_dump_folder.cpp",
     "if (count <= kKeptDumps ||", "if (count <= kKeptDumps + 1 ||", "Engine/WayOfDying.*/access"),
    (48, "crash reports: abort left to the runtime", "src/app/crash_reporter.cpp",
     "    g_previousFilter = SetUnhandledExceptionFilter(onUnhandledException);\n    std::signal(SIGABRT, onAbort);\n",
     "    g_previousFilter = SetUnhandledExceptionFilter(onUnhandledException);\n", "Engine/WayOfDying.*/abort2"),
    (49, "crash reader: symbols of another build used anyway", "tools/read_crash.py",
     "    if wrong:\n", "    if False:\n", "ctest:crash_reports"),
    (50, "crash reader: the scan takes no call through a register or memory for a call", "tools/read_crash.py",
     "            if reg != 2:", "            if reg != 3:", "ctest:crash_reports"),
    (51, "crash reader: a debugger that failed reads as an empty stack", "tools/read_crash.py",
     'if run.returncode < 0 or "* thread #" not in walk:', "if run.returncode < 0:", "ctest:crash_reports"),
    (52, "release: the symbols of the studio's package hold the stand-ins", "tools/sign_and_pack.sh",
     '    cp "$libraries/Korvex.dll" "$libraries/fmod.dll" "$folder/"\n    "$python" "$root/tools/make_package.py" "$out/${name%.zip}-symbols.zip"',
     '    "$python" "$root/tools/make_package.py" "$out/${name%.zip}-symbols.zip"', "ctest:release_signing"),
    (53, "manifest: no per-monitor DPI awareness for Windows 10", "src/res/skelvane.manifest.in",
     "PerMonitorV2, PerMonitor</dpiAwareness>", "PerMonitor</dpiAwareness>", "ctest:version"),
    (54, "icon: no images of their own for scaled screens", "tools/make_icon.py",
     "    entries += [(s, 32, encode(scale(src, s), 32, pal8)) for s in SCALED_SIZES]\n", "", "LanguageFit*"),
    (55, "power settings: a switch not read back once set (the display server never gets the give-back)",
     "src/app/power_settings.cpp", "    BOOL now = FALSE;\n    SystemParametersInfoW(s.getAction, 0, &now, 0);\n", "",
     "Startup*:SettingsDialog.FirstStart*"),
    (56, "power settings: any live process with a holder's number counts as that copy", "src/app/power_settings.cpp",
     "    return proof || GetLastError() == ERROR_ACCESS_DENIED;",
     "    return proof || win::CKernelHandle(OpenProcess(SYNCHRONIZE, FALSE, h.processId));", "Startup*"),
    (57, "crash reports: power saving not given back after the dump", "src/app/crash_reporter.cpp",
     "    restorePowerSettingsAfterCrash();\n    SetEvent(g_written);\n", "    SetEvent(g_written);\n",
     "Engine/WayOfDying.*/access"),
    (58, "settings: a save that did not get the lock reports success", "src/config/launch_settings.cpp",
     "if (!writer.ok() || !lock.held()) return false;", "if (!writer.ok()) return false;",
     "LaunchSettings*:SettingsDialog.AFailedSave*"),
    (59, "lock: one abandoned by a killed copy is taken but never given back", "src/win/named_lock.h",
     "m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;", "m_held = waited == WAIT_OBJECT_0;",
     "LaunchSettings*:SettingsDialog.AFailedSave*"),
    (60, "settings dialog: Shift+Tab steps back by -1 in unsigned arithmetic", "src/settings/page_keys.cpp",
     "(backwards ? n - 1 : 1)", "(backwards ? -1 : 1)", "SettingsDialog.Keys*"),
    (61, "settings dialog: Tab walks the hidden page's controls too", "src/settings/page_keys.cpp",
     "            if (IsWindowVisible(page))\n", "", "SettingsDialog.Keys*"),
    (62, "crash upload: plain http taken to any host", "src/app/crash_upload_address.cpp",
     "if (!address.secure && !isLoopback(address.host)) return std::nullopt;", "", "CrashUpload*"),
    (63, "crash upload: a report that may have arrived is sent again", "src/app/crash_upload_queue.cpp",
     "case UploadStage::Committed: return Turn::InDoubt;", "case UploadStage::Committed: break;", "CrashUpload*"),
    (64, "crash upload: the dump leaves with the user's folder names", "src/app/crash_upload.cpp",
     "    dump.stripUserFolders(n > 0 && n < MAX_PATH ? profile : L\"\");\n", "", "CrashUpload.*"),
    (65, "crash upload: Don't send sends", "src/app/crash_upload.cpp",
     "        if (!send) {", "        if (false) {", "CrashUpload.*"),
    (66, "pad: a held direction repeats without the first pause", "src/win/gamepad.cpp",
     "m_nextRepeat[i] = now + kRepeatDelay;", "m_nextRepeat[i] = now + kRepeatEvery;", "PadInput*:Gamepad*"),
    (67, "crash reports: the dump written under its final name at once", "src/app/crash_dump_folder.cpp",
     '!format(part, L"%ls%ls", path, kPartSuffix)', '!format(part, L"%ls", path)', "Engine/WayOfDying.*/access"),
    (68, "crash reports: the abort handler not taken again first", "src/app/crash_reporter.cpp",
     "    // written would end the process at once, leaving no report.\n    std::signal(SIGABRT, onAbort);\n",
     "    // written would end the process at once, leaving no report.\n", "Engine/WayOfDying.*/abort2"),
    (69, "crash reports: the crashing thread waits for the writer even when it has ended", "src/app/crash_reporter.cpp",
     "WaitForMultipleObjects(claimed ? 2 : 1, ends,", "WaitForMultipleObjects(1, ends,", "Engine/WayOfDying.*/exit"),
    (70, "crash reports: paths held in MAX_PATH characters", "src/app/crash_dump_folder.h",
     "constexpr size_t kPathChars = 1024;", "constexpr size_t kPathChars = MAX_PATH;", "Engine/WayOfDying.*/divide"),
    (71, "crash reports: pruning may remove the dump just written", "src/app/crash_dump_folder.cpp",
     "if (wcscmp(entry.cFileName, keep) == 0 || (passedAny", "if ((passedAny", "Engine/WayOfDying.*/access"),
    (72, "crash reports: pruning ends at a dump it cannot remove", "src/app/crash_dump_folder.cpp",
     "        if (!DeleteFileW(path)) {\n", "        if (!DeleteFileW(path)) {\n            return;\n",
     "Engine/WayOfDying.*/access"),
    (73, "crash reports: a stack buffer overrun ends before its report", "src/win/stack_guard.cpp",
     "    offerToLastChanceFilter(failure);\n", "", "Engine/WayOfDying.*/overrun"),
    (74, "crash reports: the dump writer loaded by its bare name", "src/app/crash_reporter.cpp",
     'win::loadSystemLibrary(L"dbghelp.dll")', 'LoadLibraryW(L"dbghelp.dll")', "Engine/WayOfDying.*/access"),
    (75, "start-up: the rich-edit library loaded by its bare name", "src/app/main.cpp",
     'win::loadSystemLibrary(L"RICHED20.DLL")', 'LoadLibraryW(L"RICHED20.DLL")', "Engine/WayOfDying.*/access"),
    (76, "start-up: no rich-edit library, and the launch goes on", "src/app/main.cpp",
     "if (!richEdit.get() || !GetClassInfoExW(", "if (richEdit.get() && !GetClassInfoExW(",
     "CrashReport.OwnFatal*"),
    (77, "crash reports: a \"Fatal error\" box's abort reported as a crash", "src/app/crash_reporter.cpp",
     "    InterlockedExchange(&g_suppressed, 1);\n", "", "CrashReport.OwnFatal*"),
    (78, "crash reports: a crash another filter continues is reported all the same", "src/app/crash_reporter.cpp",
     "if (decision != EXCEPTION_CONTINUE_EXECUTION) report(exception);", "report(exception);",
     "CrashReport.AnotherModules*"),
    (79, "crash reports: the filter that was there before is not asked", "src/app/crash_reporter.cpp",
     "const LONG decision = g_previousFilter ? g_previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;",
     "const LONG decision = EXCEPTION_CONTINUE_SEARCH;", "CrashReport.AnotherModules*"),
]

# CTest entries, in the order they are tried; the unit tests are quick, the rest start the launcher.
PROGRAMS = ["unit", "end_to_end", "caps_check_small_desktop", "graphics_page_small_desktop", "scaled_screens",
            "crash_reports", "kernel_probe", "reproducible_build"]
TARGETS = {"unit": ["unit_tests"], "end_to_end": ["e2e_tests"], "caps_check_small_desktop": ["caps_check_e2e"],
           "scaled_screens": ["unit_tests", "e2e_tests"],
           "graphics_page_small_desktop": ["e2e_tests"], "kernel_probe": [], "reproducible_build": ["package_zip"],
           "crash_reports": ["e2e_tests"]}
# The small-desktop and scaled-screen entries choose their tests themselves: they run only for slips
# in their part.
SUITES = {"caps_check_small_desktop": ["DeviceCheck.x"], "graphics_page_small_desktop": ["SmallDesktop.x"],
          "scaled_screens": ["LanguageFit.x", "GameWindow.x", "GameWindowDemo.x", "GameWindowDpi.x", "SettingsDialog.x"],
          "crash_reports": ["Engine/WayOfDying.x/" + way for way in
                            "access illegal divide terminate threads abort2 exit overrun stack".split()] +
                           ["CrashReport.OwnFatalErrorsLeaveNoReport", "CrashReport.AnotherModulesFilterDecidesFirst",
                            "CrashUpload.x"]}


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, **kw)


class WineSession:
    """One prefix, virtual display and sound server for the whole run (tools/wine_session.sh does the
    work); the sound tests need the server's devices as much as a slip-free run has them."""

    def __enter__(self):
        self.prefix = tempfile.mkdtemp(prefix="skelvane-slips.")
        out = run(["bash", "-c", ". tools/wine_session.sh; wine_session_start \"$1\" 1024x768x24 force-xvfb >/dev/null;"
                   " echo \"$DISPLAY $(cat $_xvfb_pidfile) $(cat ${_audio_dir:-/nonexistent}/server.pid 2>/dev/null || echo -)"
                   " ${_audio_dir:--} $_xvfb_pidfile\"", "-", self.prefix],
                  capture_output=True, text=True, check=True)
        self.display, self.xvfb, self.audio, self.audio_dir, self.xvfb_pidfile = out.stdout.split()
        self.env = dict(os.environ, WINEPREFIX=self.prefix, DISPLAY=self.display, WINEDEBUG="-all")
        if self.audio_dir != "-":
            self.env["XDG_RUNTIME_DIR"] = self.audio_dir
        return self

    def __exit__(self, *exc):
        run(["bash", "-c", ". tools/wine_session.sh; \"$WINESERVER\" -k"], env=self.env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for pid in (self.xvfb, self.audio):
            try:
                os.kill(int(pid), signal.SIGTERM)
            except (ValueError, ProcessLookupError):
                pass
        run(["rm", "-rf", self.prefix, self.xvfb_pidfile] + ([self.audio_dir] if self.audio_dir != "-" else []))


def build(build_dir, programs):
    targets = sorted({t for p in programs for t in TARGETS[p]})
    if not targets:
        return True, ""
    r = run(["cmake", "--build", build_dir, "-j", str(os.cpu_count() or 2), "--target"] + targets,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return r.returncode == 0, r.stdout


def failures(build_dir, program, session, tests=None):
    """Names of the GoogleTest cases that failed, or a note when the program itself failed."""
    if tests and program in SUITES and not any(fnmatch.fnmatch(suite, pattern) for suite in SUITES[program]
                                               for pattern in tests.split(":")):
        return []
    env = dict(session.env, GTEST_FILTER=tests) if tests else session.env
    r = run(["ctest", "--test-dir", build_dir, "--output-on-failure", "-R", "^%s$" % program], env=env,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    failed = sorted(set(re.findall(r"^\[  FAILED  \] ([\w/.]+)", r.stdout, re.M)))
    if re.search(r"^\[==========\] 0 tests from", r.stdout, re.M) or (
            re.search(r"^\[  PASSED  \] 0 tests", r.stdout, re.M) and re.search(r"^\[  SKIPPED \]", r.stdout, re.M)):
        return []  # no test of this program belongs to the part, or its tests run only elsewhere
    if r.returncode != 0 and not failed:
        failed = ["%s (no case named: exit, crash or time-out)" % program]
    return [("%s: %s" % (program, f)) if not f.startswith(program) else f for f in failed]


def seed(slip, build_dir, session, all_programs, full, baseline):
    number, what, path, old, new, tests = slip
    source = os.path.join(ROOT, path)
    with open(source, encoding="utf-8", newline="") as f:
        original = f.read()
    if original.count(old) != 1:
        return None, "slip %d no longer applies: %r is not once in %s" % (number, old, path)
    try:
        with open(source, "w", encoding="utf-8", newline="") as f:
            f.write(original.replace(old, new, 1))
        if tests.startswith("ctest:"):
            if path.startswith("src/"):  # what ships is checked: build it with the slip
                run(["cmake", "--build", build_dir, "--target", "dist"], stdout=subprocess.DEVNULL)
            r = run(["ctest", "--test-dir", build_dir, "--output-on-failure", "-R", "^%s$" % tests[6:]],
                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            return ([tests[6:]] if r.returncode != 0 else []), None
        caught = []
        for program in PROGRAMS:
            if caught and not all_programs:
                break
            ok, log = build(build_dir, [program])
            if not ok:
                return ["build failed"], "slip %d does not compile:\n%s" % (number, log[-2000:])
            caught += [f for f in failures(build_dir, program, session, None if full else tests) if f not in baseline]
        return caught, None
    finally:
        with open(source, "w", encoding="utf-8", newline="") as f:
            f.write(original)
        # The restored file must be newer than the objects built from the slip.
        now = time.time()
        os.utime(source, (now, now))


def main():
    # A stopped run still puts the file back (the finally above).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("slips", nargs="*", type=int)
    parser.add_argument("--all", action="store_true")
    parser.add_argument("--full", action="store_true")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--build", default="win32", choices=["win32", "win64"])
    parser.add_argument("--no-baseline", action="store_true", help="skip the run without any slip")
    args = parser.parse_args()
    chosen = [s for s in SLIPS if not args.slips or s[0] in args.slips]
    if args.list:
        for s in chosen:
            print("%2d  %-75s %s" % (s[0], s[1], s[2]))
        return 0
    if run(["git", "diff", "--quiet", "--", "src"]).returncode != 0:
        print("seed_faults: src/ has changes of its own; commit or stash them first", file=sys.stderr)
        return 2
    build_dir = os.path.join("build", args.build)
    if run(["tools/build.sh", args.build], stdout=subprocess.DEVNULL).returncode != 0:
        print("seed_faults: the build failed before any slip", file=sys.stderr)
        return 2

    uncaught = []
    with WineSession() as session:
        baseline = set()
        if not args.no_baseline:
            for program in PROGRAMS:
                start = time.time()
                baseline.update(failures(build_dir, program, session))
                print("without a slip: %s ran in %.0f s" % (program, time.time() - start))
            if baseline:
                print("failing without any slip (not counted below): " + "; ".join(sorted(baseline)))
        for slip in chosen:
            start = time.time()
            caught, problem = seed(slip, build_dir, session, args.all, args.full, baseline)
            if problem:
                print(problem)
                uncaught.append(slip[0])
                continue
            status = "caught" if caught else "NOT CAUGHT"
            print("slip %2d %-10s %4.0fs  %s" % (slip[0], status, time.time() - start, slip[1]))
            for name in caught:
                print("           by " + name)
            sys.stdout.flush()
            if not caught:
                uncaught.append(slip[0])
    # Leave the build as the product is.
    build(build_dir, PROGRAMS)
    print("%d of %d slips caught" % (len(chosen) - len(uncaught), len(chosen)))
    if uncaught:
        print("not caught or no longer applying: " + ", ".join(map(str, uncaught)))
    return 1 if uncaught else 0


if __name__ == "__main__":
    sys.exit(main())
