#include "settings/settings_dialog.h"

#include <commctrl.h>

#include "checks/caps_check.h"
#include "config/language_keys.h"
#include "res/resource.h"
#include "settings/info_dialog.h"
#include "settings/page_keys.h"
#include "settings/sound_choices.h"
#include "settings/settings_pages.h"
#include "settings/vadv_dialog.h"
#include "win/dpi.h"
#include "win/trace.h"

namespace {

// Posted when the settings dialog is shown: the warnings shown while the lists were filled go in
// front again once the dialog manager has shown and activated the settings dialog over them.
constexpr UINT kBringWarningsForward = WM_APP + 1;
// Posted when the dialog moved to a screen of another scale: once the dialog manager has laid the
// dialog out again, the pages and icons that the code sized itself follow.
constexpr UINT kFollowScale = WM_APP + 2;

LONG_PTR selectedData(HWND list) {
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<LONG_PTR>(SendMessageW(list, CB_GETITEMDATA, index, 0));
}

// Puts the entries into the combo box and selects the chosen one (none when the list is empty).
void copyToCombo(HWND combo, const ChoiceList& list) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const ListEntry& entry : list.entries) {
        const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
        SendMessageW(combo, CB_SETITEMDATA, at, entry.data);
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(list.chosen), 0);
}

// The icon in the size for the window's scale (the icon has an image of each).
HICON loadDialogIcon(HWND dialog, int widthMetric, int heightMetric) {
    const UINT dpi = win::windowDpi(dialog);
    return static_cast<HICON>(LoadImageW(win::g_module.instance(), MAKEINTRESOURCEW(IDI_SKELVANE), IMAGE_ICON,
                                         win::metricForDpi(widthMetric, dpi), win::metricForDpi(heightMetric, dpi),
                                         LR_DEFAULTCOLOR));
}

}  // namespace

SettingsServices SettingsServices::system(Direct3DProbe* direct3D, VideoControllerProbe* videoControllers) {
    return {[direct3D] { return ::createDirect3D(direct3D); },
            [](SoundSettings& sound) {
                const win::CTraceStep step("speaker configuration (DirectSound)");
                CDirectSoundSpeakers speakers;
                applySpeakerModeDefault(sound, speakers);
            },
            [videoControllers](win::CComPtr<IDirect3D9> d3d, UINT adapter, const CLocalize& localize) {
                const win::CTraceStep step("device check");
                return buildCapsReport(*d3d.get(), adapter, D3DDEVTYPE_HAL, localize,
                                       DriverAgeServices::system(videoControllers));
            },
            std::make_shared<SoundLibrary>()};
}

CSettingsDialog::CSettingsDialog(const CLocalize& localize, bool resetSettings)
    : CSettingsDialog(localize, resetSettings, SettingsServices::system()) {}

CSettingsDialog::CSettingsDialog(const CLocalize& localize, bool resetSettings, SettingsServices services)
    : win::CDialog(IDD_SETTINGS),
      CLocalizeOwner(localize),
      m_services(std::move(services)),
      m_resetSettings(resetSettings),
      m_pageGraphics(std::make_unique<CPageGraphics>(*this)),
      m_pageSound(std::make_unique<CPageSound>(*this)),
      m_info(std::make_unique<CInfoDialog>(*this)) {
    const win::CTraceStep step("settings object");
    m_d3d = m_services.createDirect3D();
    applyDesktopModeDefault(m_settings.GraphicsSettings, *m_d3d);
    m_services.applySpeakerDefault(m_settings.SoundSettings);
    if (!loadSettings(m_settings, *m_d3d)) m_settings.SettingsInvalid = true;
    if (!m_services.checkCaps(m_d3d, m_settings.GraphicsSettings.AdapterOrdinal, localize).empty())
        m_settings.SettingsInvalid = true;
}

CSettingsDialog::~CSettingsDialog() = default;

INT_PTR CSettingsDialog::run(HWND owner) {
    win::g_module.addMessageFilter(this);
    const INT_PTR result = doModal(owner);
    win::g_module.removeMessageFilter(this);
    return result;
}

int CSettingsDialog::padMoreButton() const { return IDC_VADV; }  // "Advanced...", on the graphics page

bool CSettingsDialog::preTranslateMessage(MSG* msg) {
    if (hwnd() && handlePageKey(hwnd(), item(IDC_TABS), *msg)) return true;
    // The modal loop serves this dialog; the warnings dialog beside it needs its keys too.
    const HWND info = m_info->hwnd();
    return info && (msg->hwnd == info || IsChild(info, msg->hwnd)) && IsDialogMessageW(info, msg);
}

void CSettingsDialog::initDialog() {
    const win::CTraceStep step("settings dialog window");
    setIcons();
    m_info->create();
    createPages();
    fillAdapters();
    fillSound();
    item(IDC_RESETSET).send(BM_SETCHECK, m_resetSettings ? BST_CHECKED : BST_UNCHECKED);
    item(IDC_SHOW_AT_LAUNCH).send(BM_SETCHECK, m_settings.ShowSettingsAtLaunch ? BST_CHECKED : BST_UNCHECKED);
    localizeTree(hwnd());
    if (m_info->hwnd()) localizeTree(m_info->hwnd());
    window().centerWindow(GetWindow(hwnd(), GW_OWNER));
}

void CSettingsDialog::createPages() {
    const win::CWindow tabs = item(IDC_TABS);
    for (const char* tabKey : {key::T_SOUND, key::T_VIDEO}) {
        std::wstring text = localize().translate(tabKey);
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = text.data();
        tabs.send(TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tab));
    }
    m_pageGraphics->create(tabs);
    m_pageSound->create(tabs);
    placePages();
    // The dialog manager goes on from a page's label (its access key) to the list after it only
    // within a control parent. The tab control is none, so that it is a tab stop of its own; Tab
    // from it into the page is handlePageKey's.
    for (HWND page : {m_pageGraphics->hwnd(), m_pageSound->hwnd()})
        SetWindowLongPtrW(page, GWL_EXSTYLE, GetWindowLongPtrW(page, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    tabs.send(TCM_SETCURSEL, 0);
    showPage(0);
}

void CSettingsDialog::placePages() {
    const win::CWindow tabs = item(IDC_TABS);
    RECT page{};
    GetClientRect(tabs, &page);
    tabs.send(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    for (HWND p : {m_pageGraphics->hwnd(), m_pageSound->hwnd()})
        SetWindowPos(p, nullptr, page.left, page.top, page.right - page.left, page.bottom - page.top, SWP_NOZORDER);
}

void CSettingsDialog::setIcons() {
    win::CIcon big(loadDialogIcon(hwnd(), SM_CXICON, SM_CYICON));
    win::CIcon small(loadDialogIcon(hwnd(), SM_CXSMICON, SM_CYSMICON));
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    m_bigIcon = std::move(big);  // the window no longer shows the old ones
    m_smallIcon = std::move(small);
}

void CSettingsDialog::showPage(int index) {
    ShowWindow(m_pageGraphics->hwnd(), index == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(m_pageSound->hwnd(), index == 1 ? SW_SHOW : SW_HIDE);
}

void CSettingsDialog::enableGraphics(std::initializer_list<int> lists, bool on) {
    for (int id : lists) m_pageGraphics->item(id).enable(on);
    item(IDC_START).enable(on);
    item(IDOK).enable(on);
}

bool CSettingsDialog::fillList(int id, const ChoiceList& list, const wchar_t* placeholder) {
    if (!list.entries.empty()) {
        copyToCombo(m_pageGraphics->item(id), list);
        return true;
    }
    // The placeholder is shown in the closed list, so the player sees why nothing can be chosen;
    // only the adapter list stays without a selection.
    ChoiceList none{{{placeholder, -1}}, id == IDC_ADAPTER ? -1 : 0};
    copyToCombo(m_pageGraphics->item(id), none);
    return false;
}

void CSettingsDialog::fillAdapters() {
    GraphicsSettings& g = m_settings.GraphicsSettings;
    const ChoiceList list = listAdapters(*m_d3d, g);
    const std::wstring none = localize().translate(key::T_NO_VADAPTER_FOUND);
    const bool filled = fillList(IDC_ADAPTER, list, none.c_str());
    enableGraphics({IDC_ADAPTER, IDC_COLOUR_DEPTH, IDC_RESOLUTION, IDC_ANTIALIASING, IDC_AA_QUALITY}, filled);
    if (!filled) {
        g.AdapterOrdinal = 0;
        return;
    }
    g.AdapterOrdinal = static_cast<UINT>(list.entries[list.chosen].data);
    fillColourDepths();
}

void CSettingsDialog::fillColourDepths() {
    GraphicsSettings& g = m_settings.GraphicsSettings;
    m_pageGraphics->item(IDC_COLOUR_DEPTH).send(CB_RESETCONTENT);
    const std::wstring warnings = m_services.checkCaps(m_d3d, g.AdapterOrdinal, localize());
    ChoiceList list;
    if (warnings.empty() || m_info->ignoreWarnings()) list = listColourDepths(*m_d3d, g.AdapterOrdinal, g);
    const bool filled = fillList(IDC_COLOUR_DEPTH, list, L"<none>");
    enableGraphics({IDC_COLOUR_DEPTH, IDC_RESOLUTION, IDC_ANTIALIASING, IDC_AA_QUALITY}, filled);
    if (filled) fillResolutions();
    if (!warnings.empty() && m_info->hwnd()) {
        m_info->showReport(warnings);
        m_info->bringToFront();
    }
}

void CSettingsDialog::fillResolutions() {
    GraphicsSettings& g = m_settings.GraphicsSettings;
    const ChoiceList list =
        listResolutions(*m_d3d, g.AdapterOrdinal, static_cast<D3DFORMAT>(g.AdapterFormat), g);
    const bool filled = fillList(IDC_RESOLUTION, list, L"<none>");
    enableGraphics({IDC_RESOLUTION, IDC_ANTIALIASING, IDC_AA_QUALITY}, filled);
    if (filled) fillMultisampleTypes();
}

void CSettingsDialog::fillMultisampleTypes() {
    GraphicsSettings& g = m_settings.GraphicsSettings;
    const std::vector<D3DFORMAT> depths = listDepthStencilFormats(
        *m_d3d, g.AdapterOrdinal, static_cast<D3DFORMAT>(g.AdapterFormat), static_cast<D3DFORMAT>(g.SurfaceFormat));
    const ChoiceList list =
        listMultisampleTypes(*m_d3d, g.AdapterOrdinal, static_cast<D3DFORMAT>(g.SurfaceFormat), depths, g, localize());
    const bool filled = fillList(IDC_ANTIALIASING, list, L"<none>");
    enableGraphics({IDC_ANTIALIASING, IDC_AA_QUALITY}, filled);
    if (filled) fillQualityLevels();
}

void CSettingsDialog::fillQualityLevels() {
    GraphicsSettings& g = m_settings.GraphicsSettings;
    const D3DFORMAT surface = static_cast<D3DFORMAT>(g.SurfaceFormat);
    const std::vector<D3DFORMAT> depths =
        listDepthStencilFormats(*m_d3d, g.AdapterOrdinal, static_cast<D3DFORMAT>(g.AdapterFormat), surface);
    const DWORD count = countQualityLevels(*m_d3d, g.AdapterOrdinal, surface, depths,
                                           static_cast<D3DMULTISAMPLE_TYPE>(g.MultiSampleType));
    const ChoiceList list = listQualityLevels(count, g);
    fillList(IDC_AA_QUALITY, list, L"0");
    m_pageGraphics->item(IDC_AA_QUALITY).enable(list.entries.size() > 1);
}

void CSettingsDialog::fillSound() {
    SoundSettings& s = m_settings.SoundSettings;
    ISoundLibrary& library = *m_services.sound;
    if (!soundLibraryVersionAccepted(library)) {
        MessageBoxW(hwnd(), kWrongSoundLibraryText, kWrongSoundLibraryCaption, MB_ICONERROR);
        endDialog(kSettingsCancel);
    } else {
        const ChoiceList outputs = soundOutputChoices(library, s.SoundOutput);
        copyToCombo(m_pageSound->item(IDC_SND_OUTPUT), outputs);
        s.SoundOutput = static_cast<int>(outputs.chosenData());
        fillSoundDrivers();
    }
    const ChoiceList speakers = speakerModeChoices(localize(), s.SoundSpeakerMode);
    copyToCombo(m_pageSound->item(IDC_SND_SPEAKERS), speakers);
    s.SoundSpeakerMode = static_cast<int>(speakers.chosenData());
    const ChoiceList rates = sampleRateChoices(s.SoundSampleRate);
    copyToCombo(m_pageSound->item(IDC_SND_FREQ), rates);
    s.SoundSampleRate = static_cast<int>(rates.chosenData());
}

void CSettingsDialog::fillSoundDrivers() {
    SoundSettings& s = m_settings.SoundSettings;
    const ChoiceList drivers = soundDriverChoices(*m_services.sound, s.SoundOutput, s.SoundDriver);
    copyToCombo(m_pageSound->item(IDC_SND_DRIVER), drivers);
    s.SoundDriver = static_cast<int>(drivers.chosenData());
}

void CSettingsDialog::onSoundSelection(int id, HWND list) {
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    const int data = static_cast<int>(SendMessageW(list, CB_GETITEMDATA, index, 0));
    SoundSettings& s = m_settings.SoundSettings;
    switch (id) {
    case IDC_SND_OUTPUT:
        s.SoundOutput = data;
        fillSoundDrivers();
        break;
    case IDC_SND_DRIVER: s.SoundDriver = data; break;
    case IDC_SND_SPEAKERS: s.SoundSpeakerMode = data; break;
    case IDC_SND_FREQ: s.SoundSampleRate = data; break;
    }
}

void CSettingsDialog::onGraphicsSelection(int id, HWND list) {
    const LONG_PTR data = selectedData(list);
    if (data < 0) return;  // the "<none>" placeholder
    GraphicsSettings& g = m_settings.GraphicsSettings;
    switch (id) {
    case IDC_ADAPTER:
        g.AdapterOrdinal = static_cast<UINT>(data);
        fillColourDepths();
        break;
    case IDC_COLOUR_DEPTH:
        if (static_cast<size_t>(data) >= std::size(kDisplayFormats)) return;
        g.AdapterFormat = kDisplayFormats[data].format;
        fillResolutions();
        break;
    case IDC_RESOLUTION:
        readMode(*m_d3d, g.AdapterOrdinal, static_cast<D3DFORMAT>(g.AdapterFormat), static_cast<UINT>(data), g);
        fillMultisampleTypes();
        break;
    case IDC_ANTIALIASING:
        if (static_cast<size_t>(data) >= std::size(kMultisampleTypes)) return;
        g.MultiSampleType = kMultisampleTypes[data].type;
        fillQualityLevels();
        break;
    case IDC_AA_QUALITY:
        g.MultiSampleQuality = static_cast<DWORD>(data);
        break;
    }
}

void CSettingsDialog::saveAndEnd(INT_PTR endCode) {
    if (saveSettings(m_settings, *m_d3d)) {
        endDialog(endCode);
        return;
    }
    MessageBoxW(hwnd(), localize().translate(key::T_SET_APPLY_ERR_MSG).c_str(),
                localize().translate(key::T_SET_APPLY_ERR_HDR).c_str(), MB_ICONERROR);
}

void CSettingsDialog::onCommand(int id, int code, HWND control) {
    const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    GraphicsSettings& g = m_settings.GraphicsSettings;
    switch (id) {
    case IDC_START:
    case IDOK:
        saveAndEnd(id);
        return;
    case IDCANCEL:
        endDialog(kSettingsCancel);
        return;
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_RESETSET: m_resetSettings = checked; break;
        case IDC_SHOW_AT_LAUNCH: m_settings.ShowSettingsAtLaunch = checked; break;
        case IDC_VSYNC: g.VSync = checked; break;
        case IDC_TRIPLEBUF: g.TripleBuffer = checked; break;
        case IDC_GLOW: g.GlowEnable = checked; break;
        case IDC_VADV: {
            CVAdvSetDialog advanced(*this);
            advanced.doModal(m_pageGraphics->hwnd());
            break;
        }
        }
    } else if (code == CBN_SELCHANGE) {
        switch (id) {
        case IDC_ADAPTER:
        case IDC_COLOUR_DEPTH:
        case IDC_RESOLUTION:
        case IDC_ANTIALIASING:
        case IDC_AA_QUALITY:
            onGraphicsSelection(id, control);
            break;
        case IDC_SND_OUTPUT:
        case IDC_SND_DRIVER:
        case IDC_SND_SPEAKERS:
        case IDC_SND_FREQ:
            onSoundSelection(id, control);
            break;
        }
    }
}

INT_PTR CSettingsDialog::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (msg) {
    case WM_INITDIALOG:
        initDialog();
        return TRUE;
    case WM_ACTIVATEAPP:
        if (wParam && m_info->isVisible()) m_info->bringToFront();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) win::trace("settings dialog", "shown");  // where the player's wait ends
        if (wParam && m_info->isVisible()) PostMessageW(hwnd(), kBringWarningsForward, 0, 0);
        break;
    case kBringWarningsForward:
        if (m_info->isVisible()) m_info->bringToFront();
        return 0;
    case WM_DPICHANGED:
        PostMessageW(hwnd(), kFollowScale, 0, 0);
        break;  // the dialog manager takes the new size and fonts
    case kFollowScale:
        placePages();
        setIcons();
        return 0;
    case WM_CLOSE:
        endDialog(kSettingsCancel);
        return 0;
    case WM_DESTROY:
        m_services.sound->setOutput(0);  // the game starts from no sound, whatever was looked at here
        m_info->destroy();
        m_bigIcon.reset();
        m_smallIcon.reset();
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_TABS && header->code == TCN_SELCHANGE) {
            showPage(static_cast<int>(item(IDC_TABS).send(TCM_GETCURSEL)));
            return 0;
        }
        break;
    }
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    }
    handled = false;
    return 0;
}
