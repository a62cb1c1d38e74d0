// Move-only holders for the platform resources the launcher takes: each gives its resource back
// in its destructor, on every path.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace win {

// A handle plus the call that releases it. Traits give the null value and the release.
template <class Traits>
class CUniqueHandle {
public:
    using Handle = typename Traits::Handle;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Handle h) : m_h(h) {}
    ~CUniqueHandle() { reset(); }
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    Handle get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::null(); }
    // For out-parameters: frees what is held and hands out the slot.
    Handle* put() {
        reset();
        return &m_h;
    }
    Handle release() { return std::exchange(m_h, Traits::null()); }
    void reset(Handle h = Traits::null()) {
        Handle old = std::exchange(m_h, h);
        if (old != Traits::null()) Traits::close(old);
    }

private:
    Handle m_h = Traits::null();
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle null() { return nullptr; }
    static void close(Handle h) { FreeLibrary(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle null() { return nullptr; }
    static void close(Handle h) { RegCloseKey(h); }
};
struct IconTraits {
    using Handle = HICON;
    static Handle null() { return nullptr; }
    static void close(Handle h) { DestroyIcon(h); }
};
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle null() { return nullptr; }
    static void close(Handle h) { CloseHandle(h); }
};

using CModule = CUniqueHandle<ModuleTraits>;
using CRegKey = CUniqueHandle<RegKeyTraits>;
using CKernelHandle = CUniqueHandle<KernelHandleTraits>;
using CIcon = CUniqueHandle<IconTraits>;

// Owns one reference of a COM interface.
template <class T>
class CComPtr {
public:
    CComPtr() = default;
    // Takes over a reference the caller already owns.
    explicit CComPtr(T* p) : m_p(p) {}
    ~CComPtr() { reset(); }
    CComPtr(const CComPtr& other) : m_p(other.m_p) {
        if (m_p) m_p->AddRef();
    }
    CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CComPtr& operator=(CComPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }

    // A new counted reference to an interface someone else owns.
    static CComPtr share(T* p) {
        if (p) p->AddRef();
        return CComPtr(p);
    }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T** put() {
        reset();
        return &m_p;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (T* old = std::exchange(m_p, nullptr)) old->Release();
    }

private:
    T* m_p = nullptr;
};

}  // namespace win
