// Running the settings dialog inside a test or benchmark program: scripted services, and drivers
// called from inside the dialogs' own modal loops once their windows are up.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "settings/settings_dialog.h"
#include "support/dialog_controls.h"
#include "support/fake_d3d9.h"

namespace harness {

using ui::readCombo;
using ui::select;

// A sound library that answers from a script; only the outputs in the script can be selected.
struct ScriptedSoundLibrary : ISoundLibrary {
    struct Driver {
        const char* name;  // null allowed
        bool capsRead;
        unsigned caps;
    };
    float version = 3.75f;
    std::map<int, std::vector<Driver>> outputs{{0, {{"NoSound", true, 0}}}};
    int current = 0;

    float getVersion() override { return version; }
    bool setOutput(int output) override {
        if (!outputs.count(output)) return false;
        current = output;
        return true;
    }
    int getNumDrivers() override { return static_cast<int>(outputs[current].size()); }
    const char* getDriverName(int i) override { return has(i) ? outputs[current][i].name : nullptr; }
    bool getDriverCaps(int i, unsigned int* caps) override {
        if (!has(i)) return false;
        *caps = outputs[current][i].capsRead ? outputs[current][i].caps : 0x13u;  // what a failed call leaves
        return outputs[current][i].capsRead;
    }
    bool has(int i) { return i >= 0 && i < static_cast<int>(outputs[current].size()); }
};

// The texts of a list built for the dialog.
inline std::vector<std::wstring> texts(const ChoiceList& list) {
    std::vector<std::wstring> result;
    for (const ListEntry& entry : list.entries) result.push_back(entry.text);
    return result;
}

// One plain adapter that offers a single 1024 x 768 mode without antialiasing.
inline fake::Adapter& addPlainAdapter(fake::Direct3D9& d3d) {
    fake::Adapter& a = d3d.add();
    a.setName("Scripted card", GUID{0x1234, 1, 2, {3}});
    a.addMode(D3DFMT_X8R8G8B8, 1024, 768, 60);
    a.depthFormats = {D3DFMT_D24S8};
    a.multisample[{D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE}] = 1;
    a.multisample[{D3DFMT_D24S8, D3DMULTISAMPLE_NONE}] = 1;
    return a;
}

// Drives the next dialog of this thread holding controlId from inside its own modal loop, once it
// is visible. Call before whatever opens it; drive must close it.
void whenDialogShows(int controlId, std::function<void(HWND)> drive);
// A top-level dialog of this thread holding the control with this id (visible or not).
HWND findOwnDialog(int controlId);
// Clicks a button as the player would (BM_CLICK); returns when its handling is done.
inline void click(HWND dialog, int id) { SendMessageW(ui::find(dialog, id), BM_CLICK, 0, 0); }

// Stored DWORDs of a subkey of the settings, 0xDEADBEEF for each that is not there.
std::vector<DWORD> stored(const wchar_t* subkey, std::initializer_list<const wchar_t*> names);

// Runs the dialog modally; drive gets its window from inside the modal loop. When drive leaves the
// dialog open, it is cancelled.
INT_PTR runDialog(CSettingsDialog& dialog, const std::function<void(HWND)>& drive);

// The settings dialog as unit tests run it: over the fake Direct3D object (no adapter yet), the
// device check findings in reports and the scripted sound library, with nothing stored. Fixtures
// derive from it beside ::testing::Test.
class ScriptedDialog {
protected:
    const win::CModule richEdit{LoadLibraryW(L"RICHED20.DLL")};  // the warnings dialog's report
    fake::Direct3D9 d3d;
    CLocalize localize;
    std::shared_ptr<ScriptedSoundLibrary> sound = std::make_shared<ScriptedSoundLibrary>();
    std::map<UINT, std::wstring> reports;  // by adapter

    ScriptedDialog() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        win::g_module.init(GetModuleHandleW(nullptr));  // as the launch has it: resources come from there
    }
    ~ScriptedDialog() {
        win::g_module.term();
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }
    SettingsServices services() {
        return {[this] { return win::CComPtr<IDirect3D9>::share(&d3d); }, [](SoundSettings&) {},
                [this](win::CComPtr<IDirect3D9>, UINT id, const CLocalize&) { return reports[id]; }, sound};
    }
    // Runs a new dialog; drive gets its window and working copy from inside the modal loop, and the
    // dialog is cancelled when drive leaves it open. Returns the end code.
    INT_PTR run(const std::function<void(HWND, const LaunchSettings&)>& drive) {
        CSettingsDialog dialog(localize, false, services());
        return runDialog(dialog, [&](HWND w) { drive(w, dialog.settings()); });
    }
};

}  // namespace harness
