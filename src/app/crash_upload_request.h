// One crash report sent to the studio's crash service: an HTTP POST with multipart/form-data, the
// dump in the part upload_file_minidump and the annotations as form fields, through WinHTTP with the
// system's proxy settings, time-outs of at most 30 s and TLS 1.2 or later. WinHTTP is loaded by the
// first send, on the sending thread, so a start that sends nothing never loads it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/crash_upload_address.h"

namespace crash {

using FormField = std::pair<std::string, std::string>;

// The request body: the fields, then the dump; the closing boundary is kept apart, as sending it is
// what makes the request whole.
struct MultipartBody {
    std::string boundary;
    std::string head;   // fields and the dump
    std::string tail;   // the closing boundary
};
MultipartBody multipartBody(const std::vector<FormField>& fields, const std::string& fileName, const std::string& dump,
                            const std::string& boundary);

struct UploadResult {
    DWORD status = 0;      // the service's HTTP status; 0 when no answer came
    std::wstring failure;  // why there was none
};

class CUploadRequest {
public:
    CUploadRequest();
    ~CUploadRequest();
    CUploadRequest(const CUploadRequest&) = delete;
    CUploadRequest& operator=(const CUploadRequest&) = delete;

    // Sends the body; `committing` is called after the head went out and before the tail does.
    UploadResult send(const UploadAddress& address, const MultipartBody& body, const std::function<void()>& committing);
    // From another thread: cuts off a send under way and every later one.
    void cancel();

private:
    struct Api;
    bool load();
    bool open(void*& handle, void* made);
    void close(void*& handle);

    HMODULE m_library = nullptr;
    Api* m_api = nullptr;
    CRITICAL_SECTION m_lock;
    bool m_cancelled = false;
    void* m_session = nullptr;
    void* m_connection = nullptr;
    void* m_request = nullptr;
};

}  // namespace crash
