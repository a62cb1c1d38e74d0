// The questions asked ahead of the launch decision on threads of their own: the probe itself, and
// the decision with probes made slow or failing, which must show what it always showed and wait
// for nothing it does not need.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/launch_decision.h"
#include "app/launch_probes.h"
#include "res/resource.h"
#include "support/scratch_folder.h"
#include "unit/settings_dialog_harness.h"

namespace {

TEST(Probe, HandsOverTheAnswerOnceAndThrowsTheWorksFailureWhereTaken) {
    EXPECT_FALSE(win::CProbe<int>().pending()) << "nothing asked";
    win::CProbe<int> answer([] {
        Sleep(50);
        return 7;
    });
    EXPECT_TRUE(answer.pending());
    EXPECT_EQ(answer.take(), 7);
    EXPECT_FALSE(answer.pending());

    win::CProbe<int> failing([]() -> int { throw std::runtime_error("T_FATAL"); });
    try {
        failing.take();
        ADD_FAILURE() << "the failure was lost";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "T_FATAL");
    }
}

TEST(Probe, AnAbandonedProbeDoesNotHoldUpItsOwnerAndItsAnswerIsReleasedWhenTheWorkEnds) {
    // The work ends only when let go (or after 10 s); its answer tells when it is released.
    const win::CKernelHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const win::CKernelHandle released(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE goEvent = go.get(), releasedEvent = released.get();
    auto letGo = std::make_shared<DWORD>(WAIT_FAILED);
    {
        const win::CProbe<std::shared_ptr<int>> slow([=] {
            *letGo = WaitForSingleObject(goEvent, 10000);
            return std::shared_ptr<int>(new int(1), [releasedEvent](int* p) {
                delete p;
                SetEvent(releasedEvent);
            });
        });
    }
    SetEvent(goEvent);
    EXPECT_EQ(WaitForSingleObject(releasedEvent, 15000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(*letGo, static_cast<DWORD>(WAIT_OBJECT_0)) << "the owner waited for the work";
}

class LaunchWithProbes : public ::testing::Test {
protected:
    const win::CModule richEdit{LoadLibraryW(L"RICHED20.DLL")};  // the warnings dialog's report
    CLocalize localize;
    test::ScratchFolder folder;  // the options file the launch reads
    std::vector<std::wstring> shown;

    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
};

TEST_F(LaunchWithProbes, OldDirectXShowsOnlyItsBoxAndWaitsForNoOtherProbe) {
    // The other probes answer only once the decision is over (or after 10 s); the Direct3D one
    // with a failure, which the settings object would report with its fatal box.
    const win::CKernelHandle over(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE event = over.get();
    LaunchProbes probes;
    probes.dxDiagnostics = DXDiagnosticsProbe([] {
        Sleep(150);
        return DXDiagnosticsAnswer{S_OK, {8, 1, L'b'}};
    });
    probes.direct3D = Direct3DProbe([event] {
        WaitForSingleObject(event, 10000);
        return win::CComPtr<IDirect3D9>();
    });
    probes.videoControllers = VideoControllerProbe([event] {
        WaitForSingleObject(event, 10000);
        return VideoControllerRows();
    });

    harness::whenDialogShows(0xFFFF, [this](HWND box) {  // notes and closes the message box
        shown.push_back(ui::text(box) + L"|" + ui::text(GetDlgItem(box, 0xFFFF)));
        SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
    bool reset = false;
    EXPECT_EQ(prepare2Run(L"-s -r", localize, reset, probes), -1);
    SetEvent(event);
    EXPECT_EQ(shown, std::vector<std::wstring>{L"DirectX Version:|DirectX 8.1b installed\nIt's too old\nPlease update "
                                               L"to latest version\n(at least 9.0c June 2005)"});
    EXPECT_FALSE(reset) << "nothing after the gate ran";
    // Taking is the only way to wait for a probe.
    EXPECT_TRUE(probes.direct3D.pending() && probes.videoControllers.pending());
}

TEST_F(LaunchWithProbes, TheSettingsObjectTakesThePrefetchedDirect3DAndVideoControllerRows) {
    ASSERT_TRUE(folder.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=01.01.2030\r\n"));
    fake::Direct3D9 d3d;
    harness::addPlainAdapter(d3d);  // no certification date: the driver's date comes from the rows
    LaunchProbes probes;
    probes.dxDiagnostics = DXDiagnosticsProbe([] { return DXDiagnosticsAnswer{S_OK, {9, 0, L'c'}}; });
    probes.direct3D = Direct3DProbe([&d3d] {
        Sleep(200);
        return win::CComPtr<IDirect3D9>::share(&d3d);
    });
    probes.videoControllers = VideoControllerProbe([] {
        Sleep(300);
        DriverRecord row;
        row.adapterName = L"Prefetched card";
        row.driverVersion = L"9.8.7.6";
        row.date = {2020, 1, 2};
        return VideoControllerRows(std::vector<DriverRecord>{row});
    });

    std::wstring adapter, report;
    harness::whenDialogShows(IDC_TABS, [&](HWND dialog) {
        adapter = harness::readCombo(dialog, IDC_ADAPTER).selectedText();
        if (const HWND info = harness::findOwnDialog(IDC_REPORT)) report = ui::text(GetDlgItem(info, IDC_REPORT));
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    bool reset = false;
    EXPECT_EQ(prepare2Run(L"", localize, reset, probes), 1) << "first start: the dialog, then Cancel";
    EXPECT_FALSE(probes.direct3D.pending());
    EXPECT_FALSE(probes.videoControllers.pending());
    EXPECT_EQ(adapter, L"Scripted card");
    EXPECT_NE(report.find(L"T_VDRIVER_VER9.8.7.6"), std::wstring::npos) << report;
}

TEST_F(LaunchWithProbes, TheVideoControllerRowsAreAskedOnlyWhenADriverDateIsConfigured) {
    for (const char* options : {"[OPTIONS]\r\n", "[OPTIONS]\r\nVideoDrvLoDate=2006-06-01\r\n",
                                "[OPTIONS]\r\nVideoDrvLoDate=01.06.2006\r\n"}) {
        ASSERT_TRUE(folder.write(L"korvex.ini", options));
        LaunchProbes probes = startLaunchProbes();
        EXPECT_TRUE(probes.dxDiagnostics.pending() && probes.direct3D.pending());
        EXPECT_EQ(probes.videoControllers.pending(), std::string(options).find("01.06.2006") != std::string::npos)
            << options;
        // Taken, not abandoned: the machine's probes must not run on into the next tests' windows.
        probes.dxDiagnostics.take();
        probes.direct3D.take();
        if (probes.videoControllers.pending()) probes.videoControllers.take();
    }
}

}  // namespace
