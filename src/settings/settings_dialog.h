// The settings dialog: the player's graphics and sound choices before the game starts. It owns the
// working copy of the launch settings, the Direct3D object the lists are asked of, the two tab pages,
// the warnings dialog and the advanced video dialog. Every choice goes into the working copy at
// once; only Start and OK write it to the registry.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <functional>
#include <memory>
#include <string>

#include "config/language_table.h"
#include "checks/driver_age_check.h"
#include "config/launch_settings.h"
#include "settings/display_mode_catalogue.h"
#include "settings/sound_library.h"
#include "win/dialog.h"
#include "win/handles.h"
#include "win/module.h"

// End codes of the modal run.
constexpr INT_PTR kSettingsStart = 3;
constexpr INT_PTR kSettingsOk = IDOK;
constexpr INT_PTR kSettingsCancel = IDCANCEL;

// What the dialog asks of the machine. system() gives the real services; tests give their own.
struct SettingsServices {
    std::function<win::CComPtr<IDirect3D9>()> createDirect3D;
    std::function<void(SoundSettings&)> applySpeakerDefault;
    std::function<std::wstring(win::CComPtr<IDirect3D9>, UINT adapter, const CLocalize&)> checkCaps;
    std::shared_ptr<ISoundLibrary> sound;

    // The machine's services; the Direct3D object and the video-controller rows come from the
    // prefetched questions where they are given.
    static SettingsServices system(Direct3DProbe* direct3D = nullptr, VideoControllerProbe* videoControllers = nullptr);
};

class CSettingsDialog : public win::CDialog, public win::IMessageFilter, public CLocalizeOwner {
public:
    class CPageGraphics;
    class CPageSound;
    class CInfoDialog;
    class CVAdvSetDialog;

    // Reads the desktop mode and the stored settings and judges them against the hardware.
    CSettingsDialog(const CLocalize& localize, bool resetSettings);
    CSettingsDialog(const CLocalize& localize, bool resetSettings, SettingsServices services);
    ~CSettingsDialog() override;

    // Runs the dialog modally; returns kSettingsStart, kSettingsOk or kSettingsCancel (-1 when the
    // dialog could not be made).
    INT_PTR run(HWND owner);

    bool settingsInvalid() const { return m_settings.SettingsInvalid; }
    bool showSettingsAtLaunch() const { return m_settings.ShowSettingsAtLaunch; }
    bool resetSettings() const { return m_resetSettings; }
    const LaunchSettings& settings() const { return m_settings; }

    bool preTranslateMessage(MSG* msg) override;

    // The graphics cascade: each fill rebuilds its list from the catalogue and goes on downwards.
    void fillAdapters();
    void fillColourDepths();
    void fillResolutions();
    void fillMultisampleTypes();
    void fillQualityLevels();
    // The sound page: outputs, then the drivers of the chosen output; speaker modes, sample rates.
    void fillSound();
    void fillSoundDrivers();

protected:
    INT_PTR handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    int padMoreButton() const override;

private:
    void initDialog();
    void createPages();
    // The pages fill the tab control; the icons have the size for the dialog's scale. Again after
    // each change of scale.
    void placePages();
    void setIcons();
    void showPage(int index);
    void onCommand(int id, int code, HWND control);
    void saveAndEnd(INT_PTR endCode);
    void onGraphicsSelection(int id, HWND list);
    void onSoundSelection(int id, HWND list);
    void enableGraphics(std::initializer_list<int> lists, bool on);
    // Fills a list of the graphics page; false when it stays empty and shows "<none>".
    bool fillList(int id, const ChoiceList& list, const wchar_t* placeholder);

    SettingsServices m_services;
    win::CComPtr<IDirect3D9> m_d3d;
    LaunchSettings m_settings;
    bool m_resetSettings;
    std::unique_ptr<CPageGraphics> m_pageGraphics;
    std::unique_ptr<CPageSound> m_pageSound;
    std::unique_ptr<CInfoDialog> m_info;
    // The window's two icons; they go with the window.
    win::CIcon m_bigIcon;
    win::CIcon m_smallIcon;
};
