// The settings dialog as unit tests run it: over the fake Direct3D object (no adapter yet), the
// device check findings in reports and the scripted sound library, with nothing stored.
#pragma once

#include <gtest/gtest.h>

#include "res/resource.h"
#include "unit/settings_dialog_harness.h"

namespace harness {

class DialogTest : public ::testing::Test {
protected:
    const win::CModule richEdit{LoadLibraryW(L"RICHED20.DLL")};  // the warnings dialog's report
    fake::Direct3D9 d3d;
    CLocalize localize;
    std::shared_ptr<ScriptedSoundLibrary> sound = std::make_shared<ScriptedSoundLibrary>();
    std::map<UINT, std::wstring> reports;  // by adapter

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        win::g_module.init(GetModuleHandleW(nullptr));  // as the launch has it: resources come from there
    }
    void TearDown() override {
        win::g_module.term();
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }
    SettingsServices services() {
        SettingsServices s;
        s.createDirect3D = [this] { return win::CComPtr<IDirect3D9>::share(&d3d); };
        s.applySpeakerDefault = [](SoundSettings&) {};
        s.checkCaps = [this](win::CComPtr<IDirect3D9>, UINT id, const CLocalize&) { return reports[id]; };
        s.sound = sound;
        return s;
    }
    // Runs a new dialog; drive gets its window and working copy from inside the modal loop, and the
    // dialog is cancelled when drive leaves it open. Returns the end code.
    INT_PTR run(const std::function<void(HWND, const LaunchSettings&)>& drive) {
        CSettingsDialog dialog(localize, false, services());
        return runDialog(dialog, [&](HWND w) { drive(w, dialog.settings()); });
    }
};

}  // namespace harness
