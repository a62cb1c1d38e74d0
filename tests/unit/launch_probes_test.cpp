// The questions asked ahead of the launch decision on threads of their own: the decision with probes
// made slow or failing must show what it always showed and wait for nothing it does not need.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/launch_decision.h"
#include "app/launch_probes.h"
#include "res/resource.h"
#include "support/scratch_folder.h"
#include "unit/settings_dialog_harness.h"

namespace {

class LaunchWithProbes : public ::testing::Test, protected harness::ScriptedDialog {
protected:
    test::ScratchFolder folder;  // the options file the launch reads
    std::vector<std::wstring> shown;
};

TEST_F(LaunchWithProbes, OldDirectXShowsOnlyItsBoxAndWaitsForNoOtherProbe) {
    // The other probes answer only once the decision and the probes are over (or after 10 s); the
    // Direct3D one with a failure, which the settings object would report with its fatal box.
    const win::CKernelHandle over(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE event = over.get();
    const DWORD start = GetTickCount();
    {
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
            shown.push_back(ui::messageBoxText(box));
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        });
        bool reset = false;
        EXPECT_EQ(prepare2Run(L"-s -r", localize, reset, probes), -1);
        EXPECT_FALSE(reset) << "nothing after the gate ran";
        // Taking is the only way to wait for a probe; the others are abandoned here.
        EXPECT_TRUE(probes.direct3D.pending() && probes.videoControllers.pending());
    }
    EXPECT_LT(GetTickCount() - start, 5000u) << "the launch or the probes' end waited for an abandoned probe";
    SetEvent(event);
    EXPECT_EQ(shown, std::vector<std::wstring>{L"DirectX Version:|DirectX 8.1b installed\nIt's too old\nPlease update "
                                               L"to latest version\n(at least 9.0c June 2005)"});
}

TEST_F(LaunchWithProbes, TheSettingsObjectTakesThePrefetchedDirect3DAndVideoControllerRows) {
    ASSERT_TRUE(folder.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=01.01.2030\r\n"));
    harness::addPlainAdapter(d3d);  // no certification date: the driver's date comes from the rows
    LaunchProbes probes;
    probes.dxDiagnostics = DXDiagnosticsProbe([] { return DXDiagnosticsAnswer{S_OK, {9, 0, L'c'}}; });
    probes.direct3D = Direct3DProbe([this] {
        Sleep(200);
        return win::CComPtr<IDirect3D9>::share(&d3d);
    });
    probes.videoControllers = VideoControllerProbe([] {
        Sleep(300);
        return VideoControllerRows(std::vector<DriverRecord>{{L"Prefetched card", L"9.8.7.6", {2020, 1, 2}}});
    });

    std::wstring adapter, report;
    harness::whenDialogShows(IDC_TABS, [&](HWND dialog) {
        adapter = harness::readCombo(dialog, IDC_ADAPTER).selectedText();
        if (const HWND info = harness::findOwnDialog(IDC_REPORT)) report = ui::text(GetDlgItem(info, IDC_REPORT));
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    bool reset = false;
    EXPECT_EQ(prepare2Run(L"", localize, reset, probes), 1) << "first start: the dialog, then Cancel";
    EXPECT_FALSE(probes.direct3D.pending() || probes.videoControllers.pending());
    EXPECT_EQ(adapter, L"Scripted card");
    EXPECT_NE(report.find(L"T_VDRIVER_VER9.8.7.6"), std::wstring::npos) << report;
}

}  // namespace
