// The reference for the start-up figure: a bare Win32 window that presents one Direct3D 9 frame,
// signals it the same way the demo engine does, and ends.
#include <windows.h>
#include <d3d9.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"ReferenceFrame";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"ReferenceFrame", L"Reference", WS_POPUP | WS_VISIBLE, 0, 0, 512, 512, nullptr,
                                nullptr, instance, nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return 1;
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                 &device)))
        return 1;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(10, 16, 60), 1.0f, 0);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"Local\\KorvexFirstFrame")) {
        SetEvent(event);
        CloseHandle(event);
    }
    device->Release();
    d3d->Release();
    DestroyWindow(window);
    return 0;
}
