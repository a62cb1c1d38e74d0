// The video-driver age section: its date rules, its lines and where it gets the driver from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "checks/caps_check.h"
#include "checks/driver_age_check.h"
#include "support/fake_d3d9.h"
#include "support/scratch_folder.h"

namespace {

// A driver whose identifier says WHQL level `level` (a date: years since 1999, month, day).
fake::Adapter& adapterWithLevel(fake::Direct3D9& d3d, DWORD level) {
    fake::Adapter& a = d3d.add();
    a.caps = fake::capableCaps();
    a.setName("Radeon X1600", GUID{});
    a.identifier.DriverVersion.HighPart = (6 << 16) | 14;
    a.identifier.DriverVersion.LowPart = (10u << 16) | 6408;
    a.identifier.WHQLLevel = level;
    return a;
}
constexpr DWORD whql(unsigned years, unsigned month, unsigned day) { return (years << 16) | (month << 8) | day; }

// The setting and the video-controller row the section is given; the rows it asked for.
struct Services {
    std::wstring setting;
    DriverRecord controller;
    std::vector<unsigned> rowsAsked;
    DriverAgeServices get() {
        return {[this] { return setting; }, [this](unsigned row, DriverRecord& r) { rowsAsked.push_back(row), r = controller; }};
    }
};

std::wstring lines(fake::Direct3D9& d3d, Services& services, UINT adapter = 0) {
    std::wstring report;
    appendDriverAgeFindings(d3d, adapter, D3DDEVTYPE_HAL, CLocalize(), services.get(), report);
    return report;
}

}  // namespace

TEST(DriverDate, SettingSourcesAndOrder) {
    // A good setting and a certification date are read in DriverAge below.
    DriverDate date;
    for (const wchar_t* bad : {L"2006-06-01", L"15.03", L""}) EXPECT_FALSE(parseDriverDateSetting(bad, date));
    EXPECT_EQ(driverDateText(parseCimDate(L"20050815000000.000000+000")), driverDateText({2005, 8, 15}));
    EXPECT_FALSE(parseCimDate(L"200508").known());
    EXPECT_TRUE(isOlder({2005, 12, 31}, {2006, 1, 1}) && !isOlder({2007, 1, 1}, {2006, 12, 31}));  // days: DriverAge
    // Not a date the system accepts: day, month, year as they are.
    EXPECT_EQ(driverDateText({2006, 13, 5}), L"05.13.2006");
}

TEST(DriverAge, CertifiedDriverOlderThanTheSettingGivesFiveLinesWithoutTheControllerList) {
    fake::Direct3D9 d3d;
    adapterWithLevel(d3d, whql(7, 5, 31));
    Services services{L"1.6.2006", {}, {}};
    EXPECT_EQ(lines(d3d, services), L"T_VIDEOADAPTERRadeon X1600\nT_VDRIVER_VER6.14.10.6408\nT_VDRV_DATE_CUR" +
                                        driverDateText({2006, 5, 31}) + L"\nT_VDRV_DATE_REQ" +
                                        driverDateText({2006, 6, 1}) + L"\nT_VDRV_DATE_MSG");
    EXPECT_TRUE(services.rowsAsked.empty());
    services.setting = L"31.5.2006";  // the same day is not older
    EXPECT_EQ(lines(d3d, services), L"");
    services.setting = L"";
    EXPECT_EQ(lines(d3d, services), L"");
}

TEST(DriverAge, UncertifiedDriverIsLookedUpInItsGroupsRowAndAnEmptyValueDropsItsLine) {
    for (DWORD level : {0u, 1u}) {
        fake::Direct3D9 d3d;
        adapterWithLevel(d3d, level);
        adapterWithLevel(d3d, level).caps.MasterAdapterOrdinal = 1;
        adapterWithLevel(d3d, level).caps.MasterAdapterOrdinal = 1;  // the second head of adapter 1
        Services services{L"01.01.2006", {L"", L"31.0.15.1694", {2005, 8, 15}}, {}};
        EXPECT_EQ(lines(d3d, services, 2),
                  L"T_VDRIVER_VER31.0.15.1694\nT_VDRV_DATE_CUR" + driverDateText({2005, 8, 15}) + L"\nT_VDRV_DATE_REQ" +
                      driverDateText({2006, 1, 1}) + L"\nT_VDRV_DATE_MSG");
        EXPECT_EQ(services.rowsAsked, std::vector<unsigned>{1});
        services.controller.date = {};
        EXPECT_EQ(lines(d3d, services), L"") << "no date in the list";
    }
}

TEST(VideoControllerRow, OneRowPerGroupInTheOrderOfTheirMasters) {
    fake::Direct3D9 d3d;
    for (UINT master : {0u, 0u, 2u, 2u, 7u, 5u, 2u}) d3d.add().caps.MasterAdapterOrdinal = master;
    d3d.adapters[1].capsResult = D3DERR_NOTAVAILABLE;  // cannot say: a group of its own, like one naming a later master
    std::vector<unsigned> rows;
    for (UINT adapter = 0; adapter < 7; ++adapter) rows.push_back(videoControllerRow(d3d, adapter, D3DDEVTYPE_HAL));
    EXPECT_EQ(rows, (std::vector<unsigned>{0, 1, 2, 2, 3, 4, 2}));
}

TEST(CheckD3DCaps, ReadsTheSettingAnewOnEveryCallAndGivesItsReferenceBack) {
    fake::Direct3D9 d3d;
    adapterWithLevel(d3d, whql(7, 5, 31));
    std::memset(d3d.adapters[0].identifier.Description, 'A', sizeof d3d.adapters[0].identifier.Description);
    test::ScratchFolder dir;
    const auto check = [&] { return checkD3DCaps(win::CComPtr<IDirect3D9>::share(&d3d), 0, D3DDEVTYPE_HAL, CLocalize()); };
    EXPECT_EQ(check(), L"");
    ASSERT_TRUE(dir.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=1.6.2006\r\n"));
    const std::wstring report = check();
    EXPECT_EQ(report.substr(0, report.find(L'\n')), L"T_VIDEOADAPTER" + std::wstring(sizeof(D3DADAPTER_IDENTIFIER9::Description), L'A')) << "name without terminator";
    EXPECT_EQ(d3d.refs, 1);
}
