#include "win/gamepad.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "win/handles.h"
#include "win/module.h"

namespace win {

namespace {

constexpr WORD kUp = XINPUT_GAMEPAD_DPAD_UP, kDown = XINPUT_GAMEPAD_DPAD_DOWN, kLeft = XINPUT_GAMEPAD_DPAD_LEFT,
               kRight = XINPUT_GAMEPAD_DPAD_RIGHT, kA = XINPUT_GAMEPAD_A, kB = XINPUT_GAMEPAD_B,
               kY = XINPUT_GAMEPAD_Y, kStart = XINPUT_GAMEPAD_START, kLB = XINPUT_GAMEPAD_LEFT_SHOULDER,
               kRB = XINPUT_GAMEPAD_RIGHT_SHOULDER;
constexpr WORD kRepeating = kUp | kDown | kLeft | kRight | kLB | kRB;

// The keys a controller layer sends for a button: the keyboard's own, and the gamepad keys newer
// Windows versions send (0xC3 to 0xDA, named in no header of this compiler).
struct ButtonKeys {
    WORD button;
    UINT keys[4];
};
constexpr ButtonKeys kButtonKeys[] = {
    {kUp, {VK_UP, VK_TAB, 0xCB, 0xD3}},    {kDown, {VK_DOWN, VK_TAB, 0xCC, 0xD4}},
    {kLeft, {VK_LEFT, VK_TAB, 0xCD, 0xD6}}, {kRight, {VK_RIGHT, VK_TAB, 0xCE, 0xD5}},
    {kA, {VK_RETURN, VK_SPACE, 0xC3}},      {kB, {VK_ESCAPE, 0xC4}},
    {kStart, {VK_RETURN, 0xCF}},            {kY, {0xC6}},
    {kLB, {VK_PRIOR, VK_TAB, 0xC8}},        {kRB, {VK_NEXT, VK_TAB, 0xC7}},
};

int bitIndex(WORD bit) {
    int i = 0;
    while (bit >>= 1) ++i;
    return i;
}

}  // namespace

void CPadInput::start(WORD held) {
    m_held = held;
    m_ignored = held;
}

WORD CPadInput::update(WORD buttons, DWORD now) {
    m_ignored &= buttons;  // let go: the next press acts
    WORD acting = 0;
    for (WORD bit = 1; bit; bit = static_cast<WORD>(bit << 1)) {
        if (!(buttons & bit) || (m_ignored & bit)) continue;
        const int i = bitIndex(bit);
        if (!(m_held & bit)) {
            if (m_lastKey && now - m_lastKeyAt <= kEchoWindow && stands(bit, m_lastKey)) {
                m_lastKey = 0;  // the keyboard's event came first and has acted
                m_ignored |= bit;
                continue;
            }
            acting |= bit;
            m_pressedAt[i] = now;
            m_nextRepeat[i] = now + kRepeatDelay;
            m_echoed &= static_cast<WORD>(~bit);
        } else if ((bit & kRepeating) && static_cast<LONG>(now - m_nextRepeat[i]) >= 0) {
            acting |= bit;
            m_nextRepeat[i] += kRepeatEvery;
            if (static_cast<LONG>(now - m_nextRepeat[i]) >= 0) m_nextRepeat[i] = now + kRepeatEvery;  // a late poll
        }
    }
    m_held = buttons;
    return acting;
}

bool CPadInput::keyIsEcho(UINT vk, bool repeat, DWORD now) {
    const WORD acting = m_held & static_cast<WORD>(~m_ignored);
    for (WORD bit = 1; bit; bit = static_cast<WORD>(bit << 1)) {
        if (!(acting & bit) || !stands(bit, vk)) continue;
        // The layer's own key repeat while the pad repeats the press itself.
        if (repeat) return true;
        const int i = bitIndex(bit);
        if (!(m_echoed & bit) && now - m_pressedAt[i] <= kEchoWindow) {
            m_echoed |= bit;
            return true;
        }
    }
    m_lastKey = vk;
    m_lastKeyAt = now;
    return false;
}

bool CPadInput::stands(WORD button, UINT vk) {
    for (const ButtonKeys& b : kButtonKeys)
        if (b.button == button) return std::find(std::begin(b.keys), std::end(b.keys), vk) != std::end(b.keys);
    return false;
}

WORD CPadInput::stickAsDpad(SHORT x, SHORT y) {
    const long long dx = x, dy = y, zone = XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE;
    if (dx * dx + dy * dy <= zone * zone) return 0;
    if ((dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy)) return dx > 0 ? kRight : kLeft;  // a tie goes up or down
    return dy > 0 ? kUp : kDown;  // XInput counts up as positive
}

namespace {

using GetStateFn = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

struct PadDialog {
    HWND hwnd;
    int defaultId;
    int moreId;
};

std::wstring classOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

bool isCombo(HWND w) { return w && classOf(w) == L"ComboBox"; }

bool isPressable(HWND w) {
    return w && classOf(w) == L"Button" && (GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX;
}

bool usable(HWND w) { return w && IsWindowVisible(w) && IsWindowEnabled(w); }

// The first shown descendant with this id, or the first shown tab control for id 0.
struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK matchShown(HWND w, LPARAM p) {
    auto& s = *reinterpret_cast<Search*>(p);
    if (IsWindowVisible(w) && (s.id ? GetDlgCtrlID(w) == s.id : classOf(w) == WC_TABCONTROLW)) s.found = w;
    return s.found == nullptr;
}

HWND findShown(HWND parent, int id) {
    Search search{id, nullptr};
    EnumChildWindows(parent, matchShown, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// XInput and the dialogs it serves. One per process, on the user-interface thread.
class CPad : public IMessageFilter {
public:
    void opened(HWND dialog, int defaultId, int moreId) { m_dialogs.push_back({dialog, defaultId, moreId}); }

    void activated(HWND dialog, bool active) {
        if (active && record(dialog)) {
            m_target = dialog;
            m_fresh = true;
            if (!m_timer && !(m_loadTried && !m_getState)) m_timer = SetTimer(nullptr, 0, kPollMs, onTimer);
            listen(m_getState != nullptr);
        } else if (!active && dialog == m_target) {
            stop();
        }
    }

    void closed(HWND dialog) {
        if (dialog == m_target) stop();
        m_dialogs.erase(std::remove_if(m_dialogs.begin(), m_dialogs.end(),
                                       [&](const PadDialog& d) { return d.hwnd == dialog; }),
                        m_dialogs.end());
        if (!m_dialogs.empty()) return;
        // The game is next: nothing of the controller runs. The library stays loaded, to the process's
        // end: Wine's XInput runs a thread of its own that unloading leaves in freed code, which ends
        // the game.
        m_connected = 0;
    }

    // A key on its way to the dialog in front: dropped when it echoes a press the pad made.
    bool preTranslateMessage(MSG* msg) override {
        if (m_injecting || !m_target || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return false;
        if (msg->hwnd != m_target && !IsChild(m_target, msg->hwnd)) return false;
        return m_input.keyIsEcho(static_cast<UINT>(msg->wParam), (msg->lParam & (1 << 30)) != 0, GetTickCount());
    }

private:
    static constexpr UINT kPollMs = 16;
    // An empty slot is asked about only every so many polls: on some systems that question is slow.
    static constexpr DWORD kEmptySlotEvery = 30;

    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);

    const PadDialog* record(HWND dialog) const {
        for (const PadDialog& d : m_dialogs)
            if (d.hwnd == dialog) return &d;
        return nullptr;
    }

    void stop() {
        if (m_timer) KillTimer(nullptr, m_timer);
        m_timer = 0;
        m_target = nullptr;
        listen(false);
    }

    void listen(bool on) {
        if (on == m_listening) return;
        m_listening = on;
        if (on)
            g_module.addMessageFilter(this);
        else
            g_module.removeMessageFilter(this);
    }

    // From the system folder only: a library of that name elsewhere (the game folder) is not taken.
    void load() {
        m_loadTried = true;
        wchar_t system[MAX_PATH];
        const UINT n = GetSystemDirectoryW(system, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return;
        for (const wchar_t* name : {L"xinput1_4.dll", L"xinput9_1_0.dll", L"xinput1_3.dll"}) {
            CModule library(LoadLibraryW((std::wstring(system) + L"\\" + name).c_str()));
            if (!library) continue;
            if (const FARPROC f = GetProcAddress(library.get(), "XInputGetState")) {
                m_getState = reinterpret_cast<GetStateFn>(reinterpret_cast<void*>(f));
                library.release();  // never unloaded: see closed()
                return;
            }
        }
    }

    WORD poll() {
        WORD buttons = 0;
        ++m_polls;
        for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
            const DWORD bit = 1u << slot;
            if (!(m_connected & bit) && !m_fresh && (m_polls + slot) % kEmptySlotEvery != 0) continue;
            XINPUT_STATE state{};
            if (m_getState(slot, &state) != ERROR_SUCCESS) {
                m_connected &= ~bit;
                continue;
            }
            m_connected |= bit;
            buttons |= state.Gamepad.wButtons | CPadInput::stickAsDpad(state.Gamepad.sThumbLX, state.Gamepad.sThumbLY);
        }
        return buttons;
    }

    void tick() {
        if (m_inTick || !m_target) return;
        if (!m_loadTried) {
            load();
            if (!m_getState) {  // no controller support on this system: nothing changes
                stop();
                return;
            }
            listen(true);
        }
        // Only the dialog the player sees in front; a press made elsewhere does not count here.
        if (GetForegroundWindow() != m_target) {
            m_fresh = true;
            return;
        }
        const WORD buttons = poll();
        if (m_fresh) {
            m_fresh = false;
            m_input.start(buttons);
            return;
        }
        const WORD acting = m_input.update(buttons, GetTickCount());
        if (!acting) return;
        m_inTick = true;
        // The focus shows from the first step on, as after the keyboard's first key.
        SendMessageW(m_target, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        for (WORD bit : {kUp, kLeft, kDown, kRight, kLB, kRB, kA, kY, kB, kStart})
            if ((acting & bit) && m_target) act(bit);
        m_inTick = false;
    }

    void act(WORD button) {
        const HWND dialog = m_target;
        const HWND focus = GetFocus();
        const HWND list = isCombo(focus) && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0) ? focus : nullptr;
        switch (button) {
        case kUp:
        case kLeft:
        case kDown:
        case kRight: {
            const bool back = button == kUp || button == kLeft;
            if (list)
                SendMessageW(list, WM_KEYDOWN, back ? VK_UP : VK_DOWN, 1);  // the choice in the open list
            else
                injectKey(dialog, focus, VK_TAB, back, false);
            break;
        }
        case kLB:
        case kRB:
            if (!list && findShown(dialog, 0))  // pages to turn
                injectKey(dialog, focus, VK_TAB, button == kLB, true);
            break;
        case kA:
            if (list)
                SendMessageW(list, WM_KEYDOWN, VK_RETURN, 1);  // takes the choice and closes
            else if (isCombo(focus))
                SendMessageW(focus, CB_SHOWDROPDOWN, TRUE, 0);
            else if (isPressable(focus) && IsWindowEnabled(focus))
                PostMessageW(focus, BM_CLICK, 0, 0);
            else if (!focus || classOf(focus) != WC_TABCONTROLW)  // the page tabs never start the game
                pressDefault(dialog);  // a text to read, as the warnings' report: its window's OK
            break;
        case kB:
            if (list)
                SendMessageW(list, WM_KEYDOWN, VK_ESCAPE, 1);
            else
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            break;
        case kStart:
            if (list) SendMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
            pressDefault(dialog);
            break;
        case kY:
            if (const PadDialog* d = record(dialog); d && d->moreId && !list) {
                const HWND more = findShown(dialog, d->moreId);
                if (usable(more)) PostMessageW(more, BM_CLICK, 0, 0);
            }
            break;
        }
    }

    // The template's default button, whichever button has the focus; nothing while it is disabled.
    void pressDefault(HWND dialog) {
        const PadDialog* d = record(dialog);
        const HWND button = d ? GetDlgItem(dialog, d->defaultId) : nullptr;
        if (usable(button)) PostMessageW(button, BM_CLICK, 0, 0);
    }

    // The key goes the way the keyboard's would, through the dialog's own key handling (the
    // settings dialog's pages included), with Shift and Ctrl down as given.
    void injectKey(HWND dialog, HWND focus, UINT vk, bool shift, bool ctrl) {
        BYTE saved[256], keys[256];
        if (!GetKeyboardState(saved)) return;
        std::memcpy(keys, saved, sizeof keys);
        keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
        keys[VK_MENU] = keys[VK_LMENU] = keys[VK_RSHIFT] = keys[VK_RCONTROL] = keys[VK_RMENU] = 0;
        SetKeyboardState(keys);
        MSG msg{};
        msg.hwnd = focus && IsChild(dialog, focus) ? focus : dialog;
        msg.message = WM_KEYDOWN;
        msg.wParam = vk;
        msg.lParam = 1 | static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16);
        msg.time = GetTickCount();
        GetCursorPos(&msg.pt);
        m_injecting = true;
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        m_injecting = false;
        SetKeyboardState(saved);
    }

    std::vector<PadDialog> m_dialogs;
    HWND m_target = nullptr;
    UINT_PTR m_timer = 0;
    GetStateFn m_getState = nullptr;
    bool m_loadTried = false;
    bool m_fresh = true;
    bool m_listening = false;
    bool m_injecting = false;
    bool m_inTick = false;
    DWORD m_connected = 0;
    DWORD m_polls = 0;
    CPadInput m_input;
};

CPad g_pad;

void CALLBACK CPad::onTimer(HWND, UINT, UINT_PTR, DWORD) { g_pad.tick(); }

}  // namespace

void padDialogOpened(HWND dialog, int defaultId, int moreId) { g_pad.opened(dialog, defaultId, moreId); }
void padDialogActivated(HWND dialog, bool active) { g_pad.activated(dialog, active); }
void padDialogClosed(HWND dialog) { g_pad.closed(dialog); }

}  // namespace win
