#include "checks/video_controller_query.h"

#include <oleauto.h>
#include <wbemidl.h>

#include <map>
#include <utility>

#include "win/com.h"
#include "win/handles.h"

namespace {

// The property's text when it is there and is a string.
bool readString(IWbemClassObject& object, const wchar_t* name, std::wstring& value, CIMTYPE* type = nullptr) {
    win::CVariant v;
    CIMTYPE cimType = 0;
    if (FAILED(object.Get(name, 0, v.get(), &cimType, nullptr)) || !v.string()) return false;
    value = v.string();
    if (type) *type = cimType;
    return true;
}

void queryVideoController(unsigned row, DriverRecord& record) {
    win::CComPtr<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.putVoid())) ||
        !locator)
        return;

    win::CComPtr<IWbemServices> services;
    win::CBstr space(L"\\\\.\\root\\cimv2");
    if (FAILED(locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.put())) ||
        !services)
        return;
    // Without this the calls below may be refused for want of an identity; a failure shows there.
    CoSetProxyBlanket(services.get(), RPC_C_AUTHN_DEFAULT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);

    win::CComPtr<IEnumWbemClassObject> rows;
    win::CBstr language(L"WQL");
    win::CBstr query(L"SELECT * FROM Win32_VideoController");
    if (FAILED(services->ExecQuery(language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                   nullptr, rows.put())) ||
        !rows)
        return;

    win::CComPtr<IWbemClassObject> object;
    for (unsigned index = 0;; ++index) {
        ULONG returned = 0;
        if (FAILED(rows->Next(WBEM_INFINITE, 1, object.put(), &returned)) || returned == 0 || !object) return;
        if (index == row) break;
    }

    readString(*object.get(), L"Name", record.adapterName);
    readString(*object.get(), L"DriverVersion", record.driverVersion);
    std::wstring date;
    CIMTYPE type = 0;
    if (readString(*object.get(), L"DriverDate", date, &type) && type == CIM_DATETIME)
        record.date = parseCimDate(date.c_str());
}

}  // namespace

void readVideoController(unsigned row, DriverRecord& record) {
    // The service takes the better part of a second to answer, and a driver does not change while
    // the launcher runs: each row is asked once, so the graphics page stays quick on every change.
    static std::map<unsigned, DriverRecord> known;
    const auto it = known.find(row);
    if (it != known.end()) {
        record = it->second;
        return;
    }
    DriverRecord read = record;
    queryVideoController(row, read);
    if (read.date.known()) known.emplace(row, read);
    record = read;
}
