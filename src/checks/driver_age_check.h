// The video-driver age section of the device check: when the options file names a lowest
// acceptable driver date and the adapter's display driver is older, a few localized lines name
// the adapter, the driver and both dates.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/language_table.h"
#include "win/probe.h"

struct DriverDate {
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;

    bool known() const { return year != 0 && month != 0 && day != 0; }
};

// Earlier in (year, month, day) order; an equal date is not older.
bool isOlder(const DriverDate& date, const DriverDate& than);

// The options-file form, day.month.year ("15.03.2006"); false when not all three are there.
bool parseDriverDateSetting(const std::wstring& text, DriverDate& date);
// The date a certified driver carries in its WHQL level (levels above 1 only).
DriverDate whqlDriverDate(DWORD whqlLevel);
// A CIM date-time ("20050815000000.000000+000"); all zero when it does not begin with a date.
DriverDate parseCimDate(const wchar_t* text);
// "a.b.c.d" from the adapter identifier's packed driver version.
std::wstring driverVersionText(LARGE_INTEGER version);
// The date in the user's short date format, or "dd.mm.yyyy" when the system cannot format it.
std::wstring driverDateText(const DriverDate& date);

// The row of the system's video-controller list that describes the adapter: heads of one adapter
// group share their master's row, the first adapter takes row 0.
unsigned videoControllerRow(IDirect3D9& d3d, UINT adapter, D3DDEVTYPE deviceType);

// What the system knows of one video controller; fields stay empty or zero when unknown.
struct DriverRecord {
    std::wstring adapterName;
    std::wstring driverVersion;
    DriverDate date;
};

// Every row of the system's video-controller list in the query's order; nothing when the service
// or the query is not there.
using VideoControllerRows = std::optional<std::vector<DriverRecord>>;
using VideoControllerProbe = win::CProbe<VideoControllerRows>;

// Where the section learns what Direct3D does not tell it.
struct DriverAgeServices {
    // The lowest acceptable driver date as written in the options file, read anew on every call;
    // empty when there is none.
    std::function<std::wstring()> lowestDriverDate;
    // Fills the record from one row of the video-controller list; leaves it alone when there is
    // no such row.
    std::function<void(unsigned row, DriverRecord& record)> videoController;

    // The options file of the current directory and the system-management service, whose rows
    // come from the prefetched query when one is given.
    static DriverAgeServices system(VideoControllerProbe* prefetched = nullptr);
};

void appendDriverAgeFindings(IDirect3D9& d3d, UINT adapter, D3DDEVTYPE deviceType, const CLocalize& localize,
                             const DriverAgeServices& services, std::wstring& report);
