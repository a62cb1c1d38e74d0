#include "checks/driver_age_check.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "checks/adapter_description.h"
#include "checks/check_report.h"
#include "checks/video_controller_query.h"
#include "config/language_keys.h"
#include "config/options_file.h"

bool isOlder(const DriverDate& date, const DriverDate& than) {
    if (date.year != than.year) return date.year < than.year;
    if (date.month != than.month) return date.month < than.month;
    return date.day < than.day;
}

bool parseDriverDateSetting(const std::wstring& text, DriverDate& date) {
    DriverDate read;
    if (std::swscanf(text.c_str(), L"%2u.%2u.%4u", &read.day, &read.month, &read.year) != 3) return false;
    date = read;
    return true;
}

DriverDate whqlDriverDate(DWORD whqlLevel) {
    DriverDate date;
    date.year = (whqlLevel >> 16) + 1999;
    date.month = (whqlLevel >> 8) & 0xFF;
    date.day = whqlLevel & 0xFF;
    return date;
}

DriverDate parseCimDate(const wchar_t* text) {
    DriverDate date;
    if (!text || std::swscanf(text, L"%4u%2u%2u", &date.year, &date.month, &date.day) != 3) return DriverDate{};
    return date;
}

std::wstring driverVersionText(LARGE_INTEGER version) {
    const auto high = static_cast<DWORD>(version.HighPart);
    const DWORD low = version.LowPart;
    wchar_t text[64];
    std::swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
    return text;
}

std::wstring driverDateText(const DriverDate& date) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(date.year);
    time.wMonth = static_cast<WORD>(date.month);
    time.wDay = static_cast<WORD>(date.day);
    // Numbers that do not fit the record cannot be a date the system accepts.
    const bool fits = date.year <= 0xFFFF && date.month <= 0xFFFF && date.day <= 0xFFFF;
    // The round trip through a file time checks the date and fills in the weekday.
    FILETIME file{};
    if (fits && SystemTimeToFileTime(&time, &file) && FileTimeToSystemTime(&file, &time)) {
        const DWORD flags = LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE;
        const int length = GetDateFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, nullptr, 0);
        if (length > 0) {
            std::vector<wchar_t> text(static_cast<size_t>(length));
            if (GetDateFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, text.data(), length) == length)
                return text.data();
        }
    }
    wchar_t text[64];
    std::swprintf(text, 64, L"%02u.%02u.%04u", date.day, date.month, date.year);
    return text;
}

unsigned videoControllerRow(IDirect3D9& d3d, UINT adapter, D3DDEVTYPE deviceType) {
    // The master of an adapter's group; an adapter that cannot say, or names a master after
    // itself, counts as a group of its own.
    const auto masterOf = [&](UINT ordinal) {
        if (ordinal == 0) return 0u;
        D3DCAPS9 caps{};
        if (FAILED(d3d.GetDeviceCaps(ordinal, deviceType, &caps))) return ordinal;
        return caps.MasterAdapterOrdinal <= ordinal ? caps.MasterAdapterOrdinal : ordinal;
    };
    // One row per group, in the order of the groups' masters.
    const UINT master = masterOf(adapter);
    unsigned row = 0;
    for (UINT ordinal = 0; ordinal < master; ++ordinal)
        if (masterOf(ordinal) == ordinal) ++row;
    return row;
}

namespace {

// Follows the options file's rule: "korvex.ini" in the current directory, values of at most 259
// characters.
void appendLabelled(std::wstring& report, const std::wstring& label, const std::wstring& value) {
    appendReportLine(report, label + value);
}

}  // namespace

DriverAgeServices DriverAgeServices::system(VideoControllerProbe* prefetched) {
    return {[] { return readOption(L"korvex.ini", L"OPTIONS", L"VideoDrvLoDate", L""); },
            [prefetched](unsigned row, DriverRecord& record) { readVideoController(row, record, prefetched); }};
}

void appendDriverAgeFindings(IDirect3D9& d3d, UINT adapter, D3DDEVTYPE deviceType, const CLocalize& localize,
                             const DriverAgeServices& services, std::wstring& report) {
    const std::wstring setting = services.lowestDriverDate ? services.lowestDriverDate() : std::wstring();
    if (setting.empty()) return;
    DriverDate required;
    if (!parseDriverDateSetting(setting, required)) return;

    D3DADAPTER_IDENTIFIER9 identifier{};
    if (FAILED(d3d.GetAdapterIdentifier(adapter, D3DENUM_WHQL_LEVEL, &identifier))) return;

    DriverRecord driver;
    if (identifier.WHQLLevel > 1) {
        // Certified with a date: the identifier says everything.
        driver.adapterName = adapterDescription(identifier);
        driver.driverVersion = driverVersionText(identifier.DriverVersion);
        driver.date = whqlDriverDate(identifier.WHQLLevel);
    } else if (services.videoController) {
        services.videoController(videoControllerRow(d3d, adapter, deviceType), driver);
    }
    if (!driver.date.known() || !isOlder(driver.date, required)) return;

    const std::wstring adapterLabel = localize.translate(key::T_VIDEOADAPTER);
    if (!adapterLabel.empty() && !driver.adapterName.empty())
        appendLabelled(report, adapterLabel, driver.adapterName);
    const std::wstring versionLabel = localize.translate(key::T_VDRIVER_VER);
    if (!versionLabel.empty() && !driver.driverVersion.empty())
        appendLabelled(report, versionLabel, driver.driverVersion);
    const std::wstring currentLabel = localize.translate(key::T_VDRV_DATE_CUR);
    if (!currentLabel.empty()) appendLabelled(report, currentLabel, driverDateText(driver.date));
    const std::wstring requiredLabel = localize.translate(key::T_VDRV_DATE_REQ);
    if (!requiredLabel.empty()) appendLabelled(report, requiredLabel, driverDateText(required));
    const std::wstring message = localize.translate(key::T_VDRV_DATE_MSG);
    if (!message.empty()) appendReportLine(report, message);
}
