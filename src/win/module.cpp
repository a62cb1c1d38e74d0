#include "win/module.h"

#include <algorithm>

namespace win {

CAppModule g_module;

HRESULT CAppModule::init(HINSTANCE instance) {
    if (!instance) return E_INVALIDARG;
    m_instance = instance;
    m_threadId = GetCurrentThreadId();
    return S_OK;
}

void CAppModule::term() {
    if (m_hook) UnhookWindowsHookEx(m_hook);
    m_hook = nullptr;
    m_filters.clear();
    m_instance = nullptr;
    m_threadId = 0;
}

void CAppModule::addMessageFilter(IMessageFilter* filter) {
    m_filters.push_back(filter);
    // Modal loops (dialog boxes, message boxes) do not pass through any loop of ours; the
    // message-filter hook is where their messages can still reach modeless dialogs.
    if (!m_hook) m_hook = SetWindowsHookExW(WH_MSGFILTER, msgFilterHook, nullptr, GetCurrentThreadId());
}

void CAppModule::removeMessageFilter(IMessageFilter* filter) {
    m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), filter), m_filters.end());
    if (m_filters.empty() && m_hook) {
        UnhookWindowsHookEx(m_hook);
        m_hook = nullptr;
    }
}

bool CAppModule::filterMessage(MSG* msg) {
    // IsDialogMessage, which filters call, offers the message to the hook again: it has had its turn.
    if (m_filtering) return false;
    m_filtering = true;
    // A filter may remove itself while it runs: walk a copy.
    const std::vector<IMessageFilter*> filters(m_filters.rbegin(), m_filters.rend());
    bool consumed = false;
    for (auto f = filters.begin(); f != filters.end() && !consumed; ++f) consumed = (*f)->preTranslateMessage(msg);
    m_filtering = false;
    return consumed;
}

LRESULT CALLBACK CAppModule::msgFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && g_module.filterMessage(reinterpret_cast<MSG*>(lParam))) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace win
