#include "app/crash_upload_request.h"

#include <winhttp.h>

#include <algorithm>
#include <type_traits>

namespace crash {

struct CUploadRequest::Api {
    decltype(&WinHttpOpen) open;
    decltype(&WinHttpConnect) connect;
    decltype(&WinHttpOpenRequest) openRequest;
    decltype(&WinHttpSetTimeouts) setTimeouts;
    decltype(&WinHttpSetOption) setOption;
    decltype(&WinHttpSendRequest) sendRequest;
    decltype(&WinHttpWriteData) writeData;
    decltype(&WinHttpReceiveResponse) receiveResponse;
    decltype(&WinHttpQueryHeaders) queryHeaders;
    decltype(&WinHttpCloseHandle) closeHandle;
};

namespace {

std::wstring failureOf(const wchar_t* step) {
    return std::wstring(step) + L" failed, error " + std::to_wstring(GetLastError());
}

}  // namespace

MultipartBody multipartBody(const std::vector<FormField>& fields, const std::string& fileName, const std::string& dump,
                            const std::string& boundary) {
    MultipartBody body{boundary, {}, {}};
    for (const FormField& field : fields)
        body.head += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + field.first + "\"\r\n\r\n" +
                     field.second + "\r\n";
    body.head += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"upload_file_minidump\"; filename=\"" +
                 fileName + "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    body.head += dump;
    body.tail = "\r\n--" + boundary + "--\r\n";
    return body;
}

CUploadRequest::CUploadRequest() { InitializeCriticalSection(&m_lock); }

bool CUploadRequest::load() {
    if (m_api) return true;
    m_library = LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!m_library) m_library = LoadLibraryW(L"winhttp.dll");  // systems without the search flags
    if (!m_library) return false;
    auto get = [this](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(GetProcAddress(m_library, name));
        return slot != nullptr;
    };
    Api api{};
    if (get(api.open, "WinHttpOpen") && get(api.connect, "WinHttpConnect") && get(api.openRequest, "WinHttpOpenRequest") &&
        get(api.setTimeouts, "WinHttpSetTimeouts") && get(api.setOption, "WinHttpSetOption") &&
        get(api.sendRequest, "WinHttpSendRequest") && get(api.writeData, "WinHttpWriteData") &&
        get(api.receiveResponse, "WinHttpReceiveResponse") && get(api.queryHeaders, "WinHttpQueryHeaders") &&
        get(api.closeHandle, "WinHttpCloseHandle"))
        m_api = new Api(api);
    return m_api != nullptr;
}

CUploadRequest::~CUploadRequest() {
    close(m_request);
    close(m_connection);
    close(m_session);
    delete m_api;
    if (m_library) FreeLibrary(m_library);
    DeleteCriticalSection(&m_lock);
}

// Stores a handle just made, unless the request was cancelled meanwhile.
bool CUploadRequest::open(void*& handle, void* made) {
    EnterCriticalSection(&m_lock);
    const bool kept = made && !m_cancelled;
    if (kept) handle = made;
    LeaveCriticalSection(&m_lock);
    if (made && !kept) m_api->closeHandle(made);
    return kept;
}

void CUploadRequest::close(void*& handle) {
    if (!m_api) return;
    EnterCriticalSection(&m_lock);
    if (handle) m_api->closeHandle(handle);
    handle = nullptr;
    LeaveCriticalSection(&m_lock);
}

void CUploadRequest::cancel() {
    EnterCriticalSection(&m_lock);
    m_cancelled = true;
    LeaveCriticalSection(&m_lock);
    // Closing the request ends the call that waits on it.
    close(m_request);
}

UploadResult CUploadRequest::send(const UploadAddress& address, const MultipartBody& body,
                                  const std::function<void()>& committing) {
    UploadResult result;
    if (!load()) return {0, L"WinHTTP is not available"};
    if (!m_session) {
        // The system's proxy settings: the automatic kind where the system has it (Windows 8.1 on).
        void* session = m_api->open(L"Skelvane", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
        if (!session)
            session = m_api->open(L"Skelvane", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
        if (!open(m_session, session)) return {0, failureOf(L"WinHttpOpen")};
        m_api->setTimeouts(m_session, 10000, 10000, 30000, 30000);
        DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
        if (!m_api->setOption(m_session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
            protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;  // systems that do not know TLS 1.3
            if (!m_api->setOption(m_session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols) &&
                address.secure)
                return {0, failureOf(L"Choosing TLS 1.2")};
        }
    }
    close(m_request);
    close(m_connection);
    if (!open(m_connection, m_api->connect(m_session, address.host.c_str(), address.port, 0)))
        return {0, failureOf(L"WinHttpConnect")};
    if (!open(m_request, m_api->openRequest(m_connection, L"POST", address.path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, address.secure ? WINHTTP_FLAG_SECURE : 0)))
        return {0, failureOf(L"WinHttpOpenRequest")};

    const std::wstring type = L"Content-Type: multipart/form-data; boundary=" +
                              std::wstring(body.boundary.begin(), body.boundary.end());
    const size_t total = body.head.size() + body.tail.size();
    if (!m_api->sendRequest(m_request, type.c_str(), static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0,
                            static_cast<DWORD>(total), 0))
        return {0, failureOf(L"WinHttpSendRequest")};
    auto write = [this](const std::string& data) {
        constexpr size_t kChunk = 64 * 1024;
        for (size_t at = 0; at < data.size(); at += kChunk) {
            DWORD written = 0;
            const DWORD n = static_cast<DWORD>(std::min(kChunk, data.size() - at));
            if (!m_api->writeData(m_request, data.data() + at, n, &written) || written != n) return false;
        }
        return true;
    };
    if (!write(body.head)) return {0, failureOf(L"Sending the report")};
    committing();
    if (!write(body.tail)) return {0, failureOf(L"Sending the report")};
    if (!m_api->receiveResponse(m_request, nullptr)) return {0, failureOf(L"Waiting for the answer")};
    DWORD size = sizeof result.status;
    if (!m_api->queryHeaders(m_request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                             &result.status, &size, WINHTTP_NO_HEADER_INDEX))
        return {0, failureOf(L"Reading the answer")};
    close(m_request);
    close(m_connection);
    return result;
}

}  // namespace crash
