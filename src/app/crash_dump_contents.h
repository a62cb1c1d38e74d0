// What the uploader reads in a crash report before it leaves the machine: the crash's time and
// exception code for the request's fields, and the module paths, which lose the player's folders.
#pragma once

#include <windows.h>

#include <string>

namespace crash {

class CDumpContents {
public:
    explicit CDumpContents(std::string bytes) : m_bytes(std::move(bytes)) {}

    const std::string& bytes() const { return m_bytes; }
    bool isDump() const;
    // When the dump was written (seconds since 1970, UTC); 0 when it does not say.
    DWORD crashTime() const;
    // The code of the exception that ended the process; 0 when it has none.
    DWORD exceptionCode() const;

    // A module path (loaded or unloaded modules) inside a user's profile folder keeps its file name
    // alone, so that neither the user name nor the folders below it leave the machine. Other paths
    // (the Windows folder, a game folder elsewhere) stay as they are. Any other copy of the profile
    // folder's path (a stack may hold one) has the user's folder name masked, at the same length.
    // `profile` is the user's folder.
    void stripUserFolders(const std::wstring& profile);

private:
    // The stream of this type, or nullptr; its size in `size`.
    char* stream(ULONG32 type, ULONG32& size);
    const char* stream(ULONG32 type, ULONG32& size) const { return const_cast<CDumpContents*>(this)->stream(type, size); }
    void stripModulePaths(const std::wstring& profile);
    void stripName(ULONG32 name, const std::wstring& profile);

    std::string m_bytes;
};

}  // namespace crash
