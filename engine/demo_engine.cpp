// The demo engine: stands in for the closed Korvex engine so the whole launch can be seen.
// It draws a turning vane on a Direct3D 9 device on the launcher's window, honours the stored
// graphics settings that make sense for a windowed game and closes on Esc.
#include <windows.h>
#include <d3d9.h>

#include <cmath>
#include <new>

#include "korvex.h"

namespace {

// The settings the launcher stored; the engine reads them itself, nothing is handed over.
struct StoredGraphics {
    UINT adapter = 0;
    UINT width = 0, height = 0;  // the chosen resolution, in pixels
    bool vsync = false;
    UINT backBuffers = 1;
    D3DMULTISAMPLE_TYPE multiSample = D3DMULTISAMPLE_NONE;
    DWORD multiSampleQuality = 0;
    bool glow = false;
};

DWORD readDword(HKEY key, const wchar_t* name, DWORD fallback) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return fallback;
    return value;
}

StoredGraphics readStoredGraphics() {
    StoredGraphics g;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane\\Graphics", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return g;
    g.adapter = readDword(key, L"AdapterOrdinal", 0);
    g.width = readDword(key, L"Width", 0);
    g.height = readDword(key, L"Height", 0);
    g.vsync = readDword(key, L"VSync", 0) != 0;
    g.backBuffers = readDword(key, L"BackBufferCount", 1) > 1 ? 2 : 1;
    g.multiSample = static_cast<D3DMULTISAMPLE_TYPE>(readDword(key, L"MultiSampleType", 0));
    g.multiSampleQuality = readDword(key, L"MultiSampleQuality", 0);
    g.glow = readDword(key, L"GlowEnable", 0) != 0;
    RegCloseKey(key);
    return g;
}

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};
constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr float kPi = 3.14159265f;

class CDemoGame final : public IGame {
public:
    CDemoGame(HWND window, IMsgLoop* loop) : m_window(window), m_loop(loop) {}

    bool init() {
        m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!m_d3d) return false;
        const StoredGraphics stored = readStoredGraphics();
        m_glow = stored.glow;
        const UINT adapter = stored.adapter < m_d3d->GetAdapterCount() ? stored.adapter : D3DADAPTER_DEFAULT;

        D3DDISPLAYMODE desktop{};
        if (FAILED(m_d3d->GetAdapterDisplayMode(adapter, &desktop))) return false;
        if (stored.width && stored.height) fitWindow(stored.width, stored.height);
        m_params = {};
        m_params.Windowed = TRUE;
        // The back buffer has the chosen resolution, as the client area now has: both in pixels,
        // since the launcher's process is DPI aware (without that, the window would be measured in
        // scaled units and the picture stretched).
        m_params.BackBufferWidth = stored.width;
        m_params.BackBufferHeight = stored.height;
        m_params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        m_params.BackBufferFormat = desktop.Format;
        m_params.BackBufferCount = stored.backBuffers;
        m_params.hDeviceWindow = m_window;
        m_params.PresentationInterval = stored.vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
        DWORD qualityLevels = 0;
        if (stored.multiSample != D3DMULTISAMPLE_NONE &&
            SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, desktop.Format, TRUE,
                                                        stored.multiSample, &qualityLevels)) &&
            stored.multiSampleQuality < qualityLevels) {
            m_params.MultiSampleType = stored.multiSample;
            m_params.MultiSampleQuality = stored.multiSampleQuality;
        }
        // Loading would take a while in a real game: keep the window answering meanwhile.
        m_loop->pumpMessages(16);
        HRESULT hr = m_d3d->CreateDevice(adapter, D3DDEVTYPE_HAL, m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                         &m_params, &m_device);
        if (FAILED(hr)) {
            m_params.MultiSampleType = D3DMULTISAMPLE_NONE;
            m_params.MultiSampleQuality = 0;
            hr = m_d3d->CreateDevice(adapter, D3DDEVTYPE_HAL, m_window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &m_params,
                                     &m_device);
        }
        m_loop->pumpMessages(16);
        m_start = GetTickCount();
        return SUCCEEDED(hr);
    }

    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM, int* handled) override {
        if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            *handled = 1;
        }
        return 0;
    }
    void onFocusLost() override { m_active = false; }
    void onFocusGained() override { m_active = true; }

    bool onIdle() override {
        if (IsIconic(m_window)) return false;
        if (!restoreDevice()) {
            Sleep(50);
            return true;
        }
        drawFrame((GetTickCount() - m_start) / 1000.0f);
        if (m_device->Present(nullptr, nullptr, nullptr, nullptr) == D3D_OK && !m_presented) {
            m_presented = true;
            signalFirstFrame();
        }
        if (!m_active) Sleep(20);  // in the background: keep drawing, but gently
        return true;
    }

    void destroy() override { delete this; }

private:
    ~CDemoGame() {
        if (m_device) m_device->Release();
        if (m_d3d) m_d3d->Release();
    }

    // The game is windowed: the window's client area gets the chosen resolution, centred on the
    // screen it is on.
    void fitWindow(UINT width, UINT height) {
        RECT frame{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE)));
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& screen = monitor.rcMonitor;
        const LONG w = frame.right - frame.left, h = frame.bottom - frame.top;
        SetWindowPos(m_window, nullptr, (screen.left + screen.right - w) / 2, (screen.top + screen.bottom - h) / 2, w, h,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // A lost device (another program took the screen) is reset once it can be.
    bool restoreDevice() {
        const HRESULT state = m_device->TestCooperativeLevel();
        if (state == D3D_OK) return true;
        if (state == D3DERR_DEVICENOTRESET) return SUCCEEDED(m_device->Reset(&m_params));
        return false;
    }

    void drawFrame(float seconds) {
        RECT client{};
        GetClientRect(m_window, &client);
        const float cx = client.right / 2.0f, cy = client.bottom / 2.0f;
        const float radius = 0.4f * static_cast<float>(client.right < client.bottom ? client.right : client.bottom);
        const float turn = seconds * 1.2f;

        const auto shade = static_cast<BYTE>(40 + 20 * std::sin(seconds * 0.7f));
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(10, 16, shade + 30), 1.0f, 0);
        if (FAILED(m_device->BeginScene())) return;
        m_device->SetFVF(kVertexFormat);
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_device->SetRenderState(D3DRS_DESTBLEND, m_glow ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);

        Vertex blades[3 * 3 * 2];
        int n = 0;
        for (int pass = 0; pass < (m_glow ? 2 : 1); ++pass) {
            const float scale = pass == 0 ? 1.0f : 1.25f;
            const D3DCOLOR tip = pass == 0 ? D3DCOLOR_ARGB(255, 244, 240, 230) : D3DCOLOR_ARGB(60, 255, 200, 120);
            const D3DCOLOR hub = pass == 0 ? D3DCOLOR_ARGB(255, 224, 128, 32) : D3DCOLOR_ARGB(60, 255, 160, 60);
            for (int blade = 0; blade < 3; ++blade) {
                const float a = turn + blade * 2 * kPi / 3;
                const float r = radius * scale;
                blades[n++] = {cx, cy, 0.5f, 1.0f, hub};
                blades[n++] = {cx + r * std::cos(a), cy + r * std::sin(a), 0.5f, 1.0f, tip};
                blades[n++] = {cx + r * 0.55f * std::cos(a + 0.6f), cy + r * 0.55f * std::sin(a + 0.6f), 0.5f, 1.0f,
                               tip};
            }
        }
        m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, n / 3, blades, sizeof(Vertex));
        m_device->EndScene();
    }

    // Lets a waiting benchmark know the first picture is on the screen.
    static void signalFirstFrame() {
        OutputDebugStringW(L"Korvex: first frame presented\n");
        if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"Local\\KorvexFirstFrame")) {
            SetEvent(event);
            CloseHandle(event);
        }
    }

    HWND m_window;
    IMsgLoop* m_loop;
    IDirect3D9* m_d3d = nullptr;
    IDirect3DDevice9* m_device = nullptr;
    D3DPRESENT_PARAMETERS m_params{};
    DWORD m_start = 0;
    bool m_active = true;
    bool m_glow = false;
    bool m_presented = false;
};

}  // namespace

IGame* IGame::createInstance(HWND window, const unsigned short*, IMsgLoop* msgLoop, bool) {
    auto* game = new (std::nothrow) CDemoGame(window, msgLoop);
    if (game && !game->init()) {
        game->destroy();
        return nullptr;
    }
    return game;
}
