// The studio's crash service: the address a release writes into the game folder's
// crash_upload_url.txt (tools/release.sh --crash-url). Without that file, or with an address that is
// not allowed, no report leaves the machine and the player is never asked.
#pragma once

#include <optional>
#include <string>

namespace crash {

constexpr wchar_t kUploadAddressFile[] = L"crash_upload_url.txt";

struct UploadAddress {
    bool secure = true;       // HTTPS; plain HTTP only to this machine
    std::wstring host;        // as WinHTTP takes it: an IPv6 address without its brackets
    unsigned short port = 0;
    std::wstring path;        // with the query, "/" at least
};

// https://HOST[:PORT][/PATH], or http:// to a loopback host (localhost, 127.x.y.z, [::1]); nothing
// for any other address, one with a user name or password, blanks or control characters.
std::optional<UploadAddress> parseUploadAddress(const std::wstring& url);

// The address in the file beside the running program (its first line, UTF-8).
std::optional<UploadAddress> readUploadAddress();

}  // namespace crash
