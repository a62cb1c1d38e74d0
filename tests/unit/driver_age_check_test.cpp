// The video-driver age section: its date rules, its lines and where it gets the driver from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "checks/caps_check.h"
#include "checks/driver_age_check.h"
#include "support/fake_d3d9.h"
#include "support/scratch_folder.h"

namespace {

const std::vector<std::wstring> kLabels = {L"T_VIDEOADAPTER=Adapter: ", L"T_VDRIVER_VER=Version: ",
                                           L"T_VDRV_DATE_CUR=Date: ", L"T_VDRV_DATE_REQ=Required: ",
                                           L"T_VDRV_DATE_MSG=Please update."};

// A certified driver whose identifier carries its date: WHQL level (years since 1999, month, day).
fake::Adapter& certifiedAdapter(fake::Direct3D9& d3d, unsigned yearsSince1999, unsigned month, unsigned day) {
    fake::Adapter& a = d3d.add();
    a.caps = fake::capableCaps();
    a.setName("Radeon X1600", GUID{});
    a.identifier.DriverVersion.HighPart = (6 << 16) | 14;
    a.identifier.DriverVersion.LowPart = (10u << 16) | 6408;
    a.identifier.WHQLLevel = (yearsSince1999 << 16) | (month << 8) | day;
    return a;
}

struct Services {
    explicit Services(std::wstring lowestDate, DriverRecord row = {})
        : setting(std::move(lowestDate)), controller(std::move(row)) {}

    std::wstring setting;
    DriverRecord controller;
    std::vector<unsigned> rowsAsked;

    DriverAgeServices get() {
        return {[this] { return setting; },
                [this](unsigned row, DriverRecord& record) {
                    rowsAsked.push_back(row);
                    record = controller;
                }};
    }
};

std::vector<unsigned> ymd(const DriverDate& d) { return {d.year, d.month, d.day}; }

std::wstring driverLines(fake::Direct3D9& d3d, Services& services, const CLocalize& localize = CLocalize(),
                         UINT adapter = 0) {
    std::wstring report;
    appendDriverAgeFindings(d3d, adapter, D3DDEVTYPE_HAL, localize, services.get(), report);
    return report;
}

}  // namespace

TEST(DriverDate, SettingIsDayMonthYearWithFullStops) {
    DriverDate date;
    ASSERT_TRUE(parseDriverDateSetting(L"15.03.2006", date));
    EXPECT_EQ(ymd(date), (std::vector<unsigned>{2006, 3, 15}));
    ASSERT_TRUE(parseDriverDateSetting(L"1.6.2006", date));
    EXPECT_EQ(ymd(date), (std::vector<unsigned>{2006, 6, 1}));
    EXPECT_FALSE(parseDriverDateSetting(L"2006-06-01", date));
    EXPECT_FALSE(parseDriverDateSetting(L"15.03", date));
    EXPECT_FALSE(parseDriverDateSetting(L"", date));
}

TEST(DriverDate, OlderIsLexicographicAndEqualIsNotOlder) {
    EXPECT_TRUE(isOlder({2006, 5, 31}, {2006, 6, 1}));
    EXPECT_FALSE(isOlder({2006, 6, 1}, {2006, 6, 1}));
    EXPECT_TRUE(isOlder({2005, 12, 31}, {2006, 1, 1}));
    EXPECT_FALSE(isOlder({2007, 1, 1}, {2006, 12, 31}));
    EXPECT_TRUE(isOlder({2006, 6, 1}, {2006, 6, 2}));
}

TEST(DriverDate, SourcesOfTheDriverDate) {
    EXPECT_EQ(ymd(whqlDriverDate((7u << 16) | (5u << 8) | 31u)), (std::vector<unsigned>{2006, 5, 31}));
    EXPECT_EQ(ymd(parseCimDate(L"20050815000000.000000+000")), (std::vector<unsigned>{2005, 8, 15}));
    EXPECT_FALSE(parseCimDate(L"200508").known());
    EXPECT_FALSE(parseCimDate(L"unknown").known());
    EXPECT_FALSE(parseCimDate(nullptr).known());

    LARGE_INTEGER version{};
    version.HighPart = (6 << 16) | 14;
    version.LowPart = (10u << 16) | 6408;
    EXPECT_EQ(driverVersionText(version), L"6.14.10.6408");
}

TEST(DriverDate, TextInTheUsersShortFormatOrTheFallback) {
    SYSTEMTIME august{};
    august.wYear = 2005;
    august.wMonth = 8;
    august.wDay = 15;
    wchar_t expected[128] = {};
    ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, &august, nullptr, expected,
                             128),
              0);
    EXPECT_EQ(driverDateText({2005, 8, 15}), expected);
    EXPECT_EQ(driverDateText({2006, 13, 5}), L"05.13.2006");
    EXPECT_EQ(driverDateText({2006, 2, 30}), L"30.02.2006");
    EXPECT_EQ(driverDateText({70000, 1, 1}), L"01.01.70000");
}

TEST(DriverAge, CertifiedDriverOlderThanTheSettingGivesFiveLines) {
    fake::Direct3D9 d3d;
    certifiedAdapter(d3d, 7, 5, 31);
    Services services{L"1.6.2006"};
    test::ScratchFolder dir;
    const CLocalize labels(dir.writeLanguage(kLabels));
    EXPECT_EQ(driverLines(d3d, services, labels),
              L"Adapter: Radeon X1600\nVersion: 6.14.10.6408\nDate: " + driverDateText({2006, 5, 31}) +
                  L"\nRequired: " + driverDateText({2006, 6, 1}) + L"\nPlease update.");
    EXPECT_TRUE(services.rowsAsked.empty());
}

TEST(DriverAge, NoLinesWhenNotOlderOrNotComparable) {
    fake::Direct3D9 d3d;
    certifiedAdapter(d3d, 7, 6, 1);
    Services services{L"1.6.2006"};
    EXPECT_EQ(driverLines(d3d, services), L"");  // same day

    services.setting = L"2006-06-01";
    d3d.adapters[0].identifier.WHQLLevel = (7u << 16) | (5u << 8) | 31u;
    EXPECT_EQ(driverLines(d3d, services), L"");
    services.setting = L"";
    d3d.calls.clear();
    EXPECT_EQ(driverLines(d3d, services), L"");
    EXPECT_TRUE(d3d.calls.empty());  // nothing asked of the adapter without a setting

    services.setting = L"01.06.2006";
    d3d.adapters[0].identifierResult = D3DERR_INVALIDCALL;
    EXPECT_EQ(driverLines(d3d, services), L"");
}

TEST(DriverAge, UncertifiedDriverIsLookedUpInTheVideoControllerList) {
    for (DWORD level : {0u, 1u}) {
        fake::Direct3D9 d3d;
        certifiedAdapter(d3d, 0, 0, 0).identifier.WHQLLevel = level;
        Services services{L"01.01.2006", {L"Wine Display", L"31.0.15.1694", parseCimDate(L"20050815000000.000000+000")}};
        EXPECT_EQ(driverLines(d3d, services),
                  L"T_VIDEOADAPTERWine Display\nT_VDRIVER_VER31.0.15.1694\nT_VDRV_DATE_CUR" +
                      driverDateText({2005, 8, 15}) + L"\nT_VDRV_DATE_REQ" + driverDateText({2006, 1, 1}) +
                      L"\nT_VDRV_DATE_MSG");
        EXPECT_EQ(services.rowsAsked, std::vector<unsigned>{0});
    }
}

TEST(DriverAge, NoRowOrNoDateInTheListGivesNoLines) {
    fake::Direct3D9 d3d;
    certifiedAdapter(d3d, 0, 0, 0).identifier.WHQLLevel = 0;
    Services services{L"01.01.2006"};
    EXPECT_EQ(driverLines(d3d, services), L"");
    services.controller = {L"Wine Display", L"1.0", DriverDate{2005, 0, 15}};
    EXPECT_EQ(driverLines(d3d, services), L"");
}

TEST(DriverAge, EmptyLabelsAndValuesSuppressTheirLines) {
    fake::Direct3D9 d3d;
    certifiedAdapter(d3d, 0, 0, 0).identifier.WHQLLevel = 0;
    Services services{L"01.01.2006", {L"", L"1.2.3.4", {2005, 8, 15}}};
    test::ScratchFolder dir;
    const CLocalize labels(dir.writeLanguage({L"T_VIDEOADAPTER=Adapter: ", L"T_VDRIVER_VER=", L"T_VDRV_DATE_CUR=",
                                              L"T_VDRV_DATE_REQ=Required: ", L"T_VDRV_DATE_MSG="}));
    EXPECT_EQ(driverLines(d3d, services, labels), L"Required: " + driverDateText({2006, 1, 1}));
}

TEST(DriverAge, AFullDescriptionWithoutTerminatorStaysInItsField) {
    fake::Direct3D9 d3d;
    fake::Adapter& a = certifiedAdapter(d3d, 7, 5, 31);
    std::memset(a.identifier.Description, 'A', sizeof a.identifier.Description);
    Services services{L"1.6.2006"};
    const std::wstring report = driverLines(d3d, services);
    EXPECT_EQ(report.substr(0, report.find(L'\n')),
              L"T_VIDEOADAPTER" + std::wstring(sizeof a.identifier.Description, L'A'));
}

TEST(VideoControllerRow, HeadsOfAGroupShareTheirMastersRow) {
    fake::Direct3D9 d3d;
    for (UINT master : {0u, 0u, 2u, 2u, 2u, 5u}) d3d.add().caps.MasterAdapterOrdinal = master;
    std::vector<unsigned> rows;
    for (UINT adapter = 0; adapter < 6; ++adapter) rows.push_back(videoControllerRow(d3d, adapter, D3DDEVTYPE_HAL));
    EXPECT_EQ(rows, (std::vector<unsigned>{0, 0, 1, 1, 1, 2}));
}

TEST(VideoControllerRow, AdaptersThatCannotSayAreGroupsOfTheirOwn) {
    fake::Direct3D9 d3d;
    for (UINT master : {0u, 0u, 7u, 2u}) d3d.add().caps.MasterAdapterOrdinal = master;
    d3d.adapters[1].capsResult = D3DERR_NOTAVAILABLE;
    EXPECT_EQ(videoControllerRow(d3d, 1, D3DDEVTYPE_HAL), 1u);
    EXPECT_EQ(videoControllerRow(d3d, 2, D3DDEVTYPE_HAL), 2u);  // names a master after itself
    EXPECT_EQ(videoControllerRow(d3d, 3, D3DDEVTYPE_HAL), 2u);

    d3d.calls.clear();
    EXPECT_EQ(videoControllerRow(d3d, 0, D3DDEVTYPE_HAL), 0u);
    EXPECT_TRUE(d3d.calls.empty());
}

TEST(DriverAge, SecondHeadAsksForItsMastersRow) {
    fake::Direct3D9 d3d;
    certifiedAdapter(d3d, 0, 0, 0).caps.MasterAdapterOrdinal = 0;
    certifiedAdapter(d3d, 0, 0, 0).caps.MasterAdapterOrdinal = 1;
    certifiedAdapter(d3d, 0, 0, 0).caps.MasterAdapterOrdinal = 1;
    for (auto& a : d3d.adapters) a.identifier.WHQLLevel = 0;
    Services services{L"01.01.2006"};
    driverLines(d3d, services, CLocalize(), 2);
    EXPECT_EQ(services.rowsAsked, std::vector<unsigned>{1});
}

TEST(CheckD3DCaps, ReadsTheSettingAnewOnEveryCallAndGivesItsReferenceBack) {
    fake::Direct3D9 d3d;
    certifiedAdapter(d3d, 7, 5, 31);
    test::ScratchFolder dir;
    const CLocalize labels(dir.writeLanguage(kLabels));
    const auto check = [&] { return checkD3DCaps(win::CComPtr<IDirect3D9>::share(&d3d), 0, D3DDEVTYPE_HAL, labels); };

    EXPECT_EQ(check(), L"");
    ASSERT_TRUE(dir.write(L"korvex.ini", "[OPTIONS]\r\nLanguage=language.txt\r\nVideoDrvLoDate=1.6.2006\r\n"));
    const std::wstring report = check();
    EXPECT_EQ(report.substr(0, report.find(L'\n')), L"Adapter: Radeon X1600");
    EXPECT_EQ(report.substr(report.rfind(L'\n') + 1), L"Please update.");
    ASSERT_TRUE(dir.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=31.5.2006\r\n"));
    EXPECT_EQ(check(), L"");
    EXPECT_EQ(d3d.refs, 1);
}
