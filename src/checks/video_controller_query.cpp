#include "checks/video_controller_query.h"

#include <oleauto.h>
#include <wbemidl.h>

#include "win/com.h"
#include "win/handles.h"
#include "win/trace.h"

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

// The row's name, driver version and date, each when it is there and of the right kind.
DriverRecord readRow(IWbemClassObject& object) {
    DriverRecord record;
    readString(object, L"Name", record.adapterName);
    readString(object, L"DriverVersion", record.driverVersion);
    std::wstring date;
    CIMTYPE type = 0;
    if (readString(object, L"DriverDate", date, &type) && type == CIM_DATETIME) record.date = parseCimDate(date.c_str());
    return record;
}

}  // namespace

VideoControllerRows queryVideoControllers() {
    win::CComPtr<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.putVoid())) ||
        !locator)
        return std::nullopt;

    win::CComPtr<IWbemServices> services;
    win::CBstr space(L"\\\\.\\root\\cimv2");
    if (FAILED(locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.put())) ||
        !services)
        return std::nullopt;
    // Without this the calls below may be refused for want of an identity; a failure shows there.
    CoSetProxyBlanket(services.get(), RPC_C_AUTHN_DEFAULT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);

    win::CComPtr<IEnumWbemClassObject> enumeration;
    win::CBstr language(L"WQL");
    win::CBstr query(L"SELECT * FROM Win32_VideoController");
    if (FAILED(services->ExecQuery(language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                   nullptr, enumeration.put())) ||
        !enumeration)
        return std::nullopt;

    std::vector<DriverRecord> rows;
    for (;;) {
        win::CComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        if (FAILED(enumeration->Next(WBEM_INFINITE, 1, object.put(), &returned)) || returned == 0 || !object) break;
        rows.push_back(readRow(*object.get()));
    }
    return rows;
}

void readVideoController(unsigned row, DriverRecord& record, VideoControllerProbe* prefetched) {
    // The service takes the better part of a second to answer, and a driver does not change while
    // the launcher runs: the rows are asked once, so the graphics page stays quick on every change.
    static VideoControllerRows known;
    if (!known) {
        if (prefetched && prefetched->pending()) {
            const win::CTraceStep wait("wait for the video-controller rows");
            known = prefetched->take();
        } else {
            known = queryVideoControllers();
        }
    }
    if (known && row < known->size()) record = (*known)[row];
}
