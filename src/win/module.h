// The application module: the instance handle, the user-interface thread and the message filters
// that modeless dialogs register so they get their keyboard messages inside modal loops.
#pragma once

#include <windows.h>

#include <vector>

namespace win {

class IMessageFilter {
public:
    virtual ~IMessageFilter() = default;
    // True when the message was consumed.
    virtual bool preTranslateMessage(MSG* msg) = 0;
};

class CAppModule {
public:
    HRESULT init(HINSTANCE instance);
    void term();

    HINSTANCE instance() const { return m_instance; }
    DWORD threadId() const { return m_threadId; }

    void addMessageFilter(IMessageFilter* filter);
    void removeMessageFilter(IMessageFilter* filter);
    // Offers the message to the filters, the latest first.
    bool filterMessage(MSG* msg);

private:
    static LRESULT CALLBACK msgFilterHook(int code, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_instance = nullptr;
    DWORD m_threadId = 0;
    HHOOK m_hook = nullptr;
    std::vector<IMessageFilter*> m_filters;
    bool m_filtering = false;
};

extern CAppModule g_module;

}  // namespace win
