#include "app/crash_dump_contents.h"

#include <dbghelp.h>

#include <cstddef>
#include <cstring>
#include <cwctype>

namespace crash {

namespace {

template <class T>
T readAt(const std::string& bytes, size_t at) {
    T value{};
    if (at <= bytes.size() && sizeof(T) <= bytes.size() - at) memcpy(&value, bytes.data() + at, sizeof(T));
    return value;
}

bool hasFolder(const std::wstring& path, const wchar_t* folder) {
    std::wstring lower(path);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    return lower.find(folder) != std::wstring::npos;
}

bool underProfile(const std::wstring& path, const std::wstring& profile) {
    if (hasFolder(path, L"\\users\\") || hasFolder(path, L"\\documents and settings\\")) return true;
    return !profile.empty() && path.size() > profile.size() && _wcsnicmp(path.c_str(), profile.c_str(), profile.size()) == 0 &&
           path[profile.size()] == L'\\';
}

// Every copy of the profile folder's path in the bytes, as UTF-16 or 8-bit text in any letter case,
// keeps its length with the user's folder name masked.
template <class Char>
void maskProfile(std::string& bytes, const std::wstring& profile) {
    const size_t name = profile.find_last_of(L'\\') + 1, n = profile.size();
    if (name == 0 || name >= n) return;
    const size_t width = n * sizeof(Char);
    for (size_t at = 0; at + width <= bytes.size(); ++at) {
        size_t i = 0;
        for (; i < n; ++i) {
            Char c;
            memcpy(&c, bytes.data() + at + i * sizeof(Char), sizeof c);
            if (towlower(static_cast<wchar_t>(c)) != towlower(profile[i])) break;
        }
        if (i < n) continue;
        for (i = name; i < n; ++i) {
            const Char mask = '_';
            memcpy(bytes.data() + at + i * sizeof(Char), &mask, sizeof mask);
        }
    }
}

}  // namespace

bool CDumpContents::isDump() const {
    return readAt<ULONG32>(m_bytes, 0) == 0x504D444Du;  // "MDMP"
}

char* CDumpContents::stream(ULONG32 type, ULONG32& size) {
    if (!isDump()) return nullptr;
    const auto header = readAt<MINIDUMP_HEADER>(m_bytes, 0);
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        const size_t at = header.StreamDirectoryRva + size_t{i} * sizeof(MINIDUMP_DIRECTORY);
        if (at + sizeof(MINIDUMP_DIRECTORY) > m_bytes.size()) return nullptr;
        const auto entry = readAt<MINIDUMP_DIRECTORY>(m_bytes, at);
        if (entry.StreamType != type) continue;
        if (entry.Location.Rva > m_bytes.size() || entry.Location.DataSize > m_bytes.size() - entry.Location.Rva)
            return nullptr;
        size = entry.Location.DataSize;
        return m_bytes.data() + entry.Location.Rva;
    }
    return nullptr;
}

DWORD CDumpContents::crashTime() const {
    return isDump() ? readAt<MINIDUMP_HEADER>(m_bytes, 0).TimeDateStamp : 0;
}

DWORD CDumpContents::exceptionCode() const {
    ULONG32 size = 0;
    const char* exception = stream(ExceptionStream, size);
    if (!exception || size < sizeof(MINIDUMP_EXCEPTION_STREAM)) return 0;
    MINIDUMP_EXCEPTION_STREAM record;
    memcpy(&record, exception, sizeof record);
    return record.ExceptionRecord.ExceptionCode;
}

void CDumpContents::stripName(ULONG32 name, const std::wstring& profile) {
    const auto bytes = readAt<ULONG32>(m_bytes, name);
    if (name + sizeof(ULONG32) > m_bytes.size() || bytes % 2 || bytes > m_bytes.size() - name - sizeof(ULONG32)) return;
    char* text = m_bytes.data() + name + sizeof(ULONG32);
    std::wstring path(bytes / 2, L'\0');
    memcpy(path.data(), text, bytes);
    if (!underProfile(path, profile)) return;
    const std::wstring file = path.substr(path.find_last_of(L"\\/") + 1);
    // Shorter in place: the new length, the file name, and zeros over the rest of the old path.
    const ULONG32 length = static_cast<ULONG32>(file.size() * 2);
    memcpy(m_bytes.data() + name, &length, sizeof length);
    memset(text, 0, bytes);
    memcpy(text, file.data(), length);
}

void CDumpContents::stripUserFolders(const std::wstring& profile) {
    stripModulePaths(profile);
    if (profile.size() < 4) return;
    maskProfile<wchar_t>(m_bytes, profile);
    maskProfile<unsigned char>(m_bytes, profile);
}

void CDumpContents::stripModulePaths(const std::wstring& profile) {
    ULONG32 size = 0;
    if (const char* list = stream(ModuleListStream, size); list && size >= sizeof(ULONG32)) {
        const auto count = readAt<ULONG32>(m_bytes, list - m_bytes.data());
        const size_t first = list - m_bytes.data() + sizeof(ULONG32);
        for (ULONG32 i = 0; i < count && (i + 1) * sizeof(MINIDUMP_MODULE) <= size - sizeof(ULONG32); ++i)
            stripName(readAt<RVA>(m_bytes, first + i * sizeof(MINIDUMP_MODULE) + offsetof(MINIDUMP_MODULE, ModuleNameRva)),
                      profile);
    }
    if (const char* list = stream(UnloadedModuleListStream, size); list && size >= sizeof(MINIDUMP_UNLOADED_MODULE_LIST)) {
        const size_t at = list - m_bytes.data();
        const auto header = readAt<MINIDUMP_UNLOADED_MODULE_LIST>(m_bytes, at);
        if (header.SizeOfEntry < sizeof(MINIDUMP_UNLOADED_MODULE)) return;
        for (ULONG32 i = 0; i < header.NumberOfEntries; ++i) {
            const size_t entry = header.SizeOfHeader + size_t{i} * header.SizeOfEntry;
            if (entry + sizeof(MINIDUMP_UNLOADED_MODULE) > size) break;
            stripName(readAt<RVA>(m_bytes, at + entry + offsetof(MINIDUMP_UNLOADED_MODULE, ModuleNameRva)), profile);
        }
    }
}

}  // namespace crash
