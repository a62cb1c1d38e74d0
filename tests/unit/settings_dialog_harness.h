// Running the settings dialog inside a unit test: scripted services instead of the machine's, and
// a driver called from inside the dialog's own modal loop once the window is up.
#pragma once

#include <functional>
#include <map>
#include <vector>
#include <memory>
#include <string>

#include "settings/settings_dialog.h"
#include "support/fake_d3d9.h"

namespace harness {

// A sound library that answers from a script.
struct ScriptedSoundLibrary : ISoundLibrary {
    float version = 3.75f;
    // Drivers by output type: name (null allowed), capabilities read, capability bits.
    struct Driver {
        const char* name;
        bool capsRead;
        unsigned caps;
    };
    std::map<int, std::vector<Driver>> outputs{{0, {{"NoSound", true, 0}}}};
    int current = 0;
    std::vector<int> setOutputCalls;

    float getVersion() override { return version; }
    bool setOutput(int output) override {
        setOutputCalls.push_back(output);
        if (!outputs.count(output)) return false;
        current = output;
        return true;
    }
    int getNumDrivers() override { return static_cast<int>(outputs[current].size()); }
    const char* getDriverName(int i) override {
        return i >= 0 && i < getNumDrivers() ? outputs[current][i].name : nullptr;
    }
    bool getDriverCaps(int i, unsigned int* caps) override {
        if (i < 0 || i >= getNumDrivers() || !outputs[current][i].capsRead) return false;
        *caps = outputs[current][i].caps;
        return true;
    }
};

// Services answering from the fake Direct3D object, a report per adapter, and the sound script.
inline SettingsServices fakeServices(fake::Direct3D9& d3d, std::function<std::wstring(UINT adapter)> report,
                                     std::shared_ptr<ISoundLibrary> sound) {
    SettingsServices s;
    s.createDirect3D = [&d3d] { return win::CComPtr<IDirect3D9>::share(&d3d); };
    s.applySpeakerDefault = [](SoundSettings&) {};
    s.checkCaps = [report](win::CComPtr<IDirect3D9>, UINT adapter, const CLocalize&) { return report(adapter); };
    s.sound = std::move(sound);
    return s;
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

// Runs the dialog modally; drive gets its window from inside the modal loop. When drive leaves the
// dialog open, it is cancelled.
INT_PTR runDialog(CSettingsDialog& dialog, const std::function<void(HWND)>& drive);

// The state of one combo box of the dialog (any page).
struct Combo {
    std::vector<std::wstring> texts;
    std::vector<LONG_PTR> data;
    int selected;
    bool enabled;
};
Combo readCombo(HWND dialog, int id);
// Selects an entry as the player would: the selection, then CBN_SELCHANGE to the list's page.
void select(HWND dialog, int id, int index);
HWND findControl(HWND dialog, int id);
bool isEnabled(HWND dialog, int id);

// A top-level dialog of this thread holding the control with this id (visible or not).
HWND findOwnDialog(int controlId);
// Clicks a button as the player would (BM_CLICK); returns when its handling is done.
void click(HWND dialog, int id);
// Drives the next dialog holding controlId from inside its own modal loop, once it is visible.
// Call before the click that opens it; drive must close it.
void whenDialogShows(int controlId, std::function<void(HWND)> drive);

}  // namespace harness
