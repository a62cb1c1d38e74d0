// Scope objects for COM's own resources: the apartment of the calling thread, a VARIANT, a BSTR.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace win {

// Enters the thread's COM apartment for as long as it lives, and leaves only what it entered.
class CComApartment {
public:
    CComApartment() : m_entered(SUCCEEDED(CoInitialize(nullptr))) {}
    ~CComApartment() {
        if (m_entered) CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    bool m_entered;
};

// A VARIANT cleared when it goes and before each reuse.
class CVariant {
public:
    CVariant() { VariantInit(&m_value); }
    ~CVariant() { VariantClear(&m_value); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;

    VARIANT* get() { return &m_value; }
    const VARIANT& value() const { return m_value; }
    void clear() { VariantClear(&m_value); }
    // The text when it holds a string, else null.
    const wchar_t* string() const { return m_value.vt == VT_BSTR && m_value.bstrVal ? m_value.bstrVal : nullptr; }

private:
    VARIANT m_value;
};

class CBstr {
public:
    explicit CBstr(const wchar_t* text) : m_s(SysAllocString(text)) {}
    ~CBstr() { SysFreeString(m_s); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    BSTR get() const { return m_s; }

private:
    BSTR m_s;
};

}  // namespace win
