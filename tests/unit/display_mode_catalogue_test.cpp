#include <gtest/gtest.h>

#include "checks/adapter_description.h"
#include "config/language_table.h"
#include "settings/display_mode_catalogue.h"
#include "support/fake_d3d9.h"

namespace {

std::vector<std::wstring> texts(const ChoiceList& list) {
    std::vector<std::wstring> out;
    for (const ListEntry& e : list.entries) out.push_back(e.text);
    return out;
}

class Catalogue : public ::testing::Test {
protected:
    fake::Direct3D9 d3d;
    GraphicsSettings g;
    CLocalize localize;
};

TEST_F(Catalogue, SmallDesktopTargetsEightHundredBySixHundredAtItsRefreshRate) {
    fake::Adapter& a = d3d.add();
    a.desktop = {640, 480, 60, D3DFMT_X8R8G8B8};
    for (UINT hz : {75u, 60u, 85u}) a.addMode(D3DFMT_X8R8G8B8, 800, 600, hz);
    a.addMode(D3DFMT_X8R8G8B8, 640, 480, 60);
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(g.Width, 800u);
    EXPECT_EQ(g.Height, 600u);
    g.AdapterFormat = D3DFMT_X8R8G8B8;
    const ChoiceList list = listResolutions(d3d, 0, D3DFMT_X8R8G8B8, g);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"800x600 75Hz", L"800x600 60Hz", L"800x600 85Hz"}))
        << "modes below 800 x 600 are never offered";
    EXPECT_EQ(list.chosen, 1);
    EXPECT_EQ(g.RefreshRate, 60u);
    EXPECT_EQ(g.SurfaceFormat, static_cast<DWORD>(D3DFMT_X8R8G8B8));
}

TEST_F(Catalogue, SameSizePicksTheNearestRefreshRate) {
    fake::Adapter& a = d3d.add();
    a.addMode(D3DFMT_X8R8G8B8, 1280, 960, 60);
    a.addMode(D3DFMT_X8R8G8B8, 1280, 1024, 60);
    a.addMode(D3DFMT_X8R8G8B8, 1280, 1024, 75);
    g.Width = 1280, g.Height = 1024, g.RefreshRate = 70;
    const ChoiceList list = listResolutions(d3d, 0, D3DFMT_X8R8G8B8, g);
    EXPECT_EQ(list.entries[list.chosen].text, L"1280x1024 75Hz");
    EXPECT_EQ(g.RefreshRate, 75u);
}

TEST_F(Catalogue, EqualDistancesKeepTheFirstModeAndZeroHertzHasNoRateInItsLabel) {
    fake::Adapter& a = d3d.add();
    a.addMode(D3DFMT_X8R8G8B8, 1024, 768, 0);
    a.addMode(D3DFMT_X8R8G8B8, 1152, 864, 0);
    g.Width = 1088, g.Height = 816, g.RefreshRate = 0;
    const ChoiceList list = listResolutions(d3d, 0, D3DFMT_X8R8G8B8, g);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"1024x768", L"1152x864"}));
    EXPECT_EQ(list.chosen, 0);
    EXPECT_EQ(g.Width, 1024u);
}

TEST_F(Catalogue, ModesTheDeviceRefusesOrCannotReadAreLeftOut) {
    fake::Adapter& a = d3d.add();
    a.addMode(D3DFMT_X8R8G8B8, 800, 600, 60);
    a.addMode(D3DFMT_X8R8G8B8, 1024, 768, 60);
    a.addMode(D3DFMT_X8R8G8B8, 1280, 1024, 60);
    a.failingModes.insert({D3DFMT_X8R8G8B8, 0});
    a.checkDeviceType = [](D3DFORMAT, D3DFORMAT, BOOL) { return D3DERR_NOTAVAILABLE; };
    EXPECT_TRUE(listResolutions(d3d, 0, D3DFMT_X8R8G8B8, g).entries.empty());
    a.checkDeviceType = nullptr;
    const ChoiceList list = listResolutions(d3d, 0, D3DFMT_X8R8G8B8, g);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"1024x768 60Hz", L"1280x1024 60Hz"}));
    EXPECT_EQ(list.entries[0].data, 1) << "entries keep their mode index";
}

// The mode list may change under the dialog: a mode read once by the listing is judged as it was
// read then, even when it cannot be read again.
TEST_F(Catalogue, ACandidateIsJudgedAsTheListingReadIt) {
    struct ModeReadOnce : fake::Direct3D9 {
        int reads = 0;
        HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT a, D3DFORMAT f, UINT i, D3DDISPLAYMODE* mode) override {
            if (i == 1 && reads++ > 0) return D3DERR_INVALIDCALL;
            return fake::Direct3D9::EnumAdapterModes(a, f, i, mode);
        }
    } shifting;
    fake::Adapter& a = shifting.add();
    a.addMode(D3DFMT_X8R8G8B8, 800, 600, 60);
    a.addMode(D3DFMT_X8R8G8B8, 1024, 768, 60);
    g.Width = 1024, g.Height = 768;
    EXPECT_EQ(listResolutions(shifting, 0, D3DFMT_X8R8G8B8, g).chosen, 1);
}

TEST_F(Catalogue, ColourDepthsListOneRowPerDepthThirtyTwoFirst) {
    fake::Adapter& a = d3d.add();
    a.addMode(D3DFMT_R5G6B5, 800, 600, 60);
    a.addMode(D3DFMT_A2R10G10B10, 800, 600, 60);
    a.addMode(D3DFMT_X1R5G5B5, 800, 600, 60);
    g.AdapterFormat = D3DFMT_X8R8G8B8;  // stored, but this adapter has no such modes
    const ChoiceList list = listColourDepths(d3d, 0, g);
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0].text, L"TrueColor - 32bit");
    EXPECT_EQ(kDisplayFormats[list.entries[0].data].format, D3DFMT_A2R10G10B10);
    EXPECT_EQ(kDisplayFormats[list.entries[1].data].format, D3DFMT_R5G6B5);
    EXPECT_EQ(list.chosen, 0);
    EXPECT_EQ(g.AdapterFormat, static_cast<DWORD>(D3DFMT_A2R10G10B10));
    g.AdapterFormat = D3DFMT_R5G6B5;
    EXPECT_EQ(listColourDepths(d3d, 0, g).chosen, 1);
}

TEST_F(Catalogue, AdaptersAreChosenByOrdinalAndAStoredOneBeyondThemFallsBack) {
    d3d.add().setName("First card", GUID{1, 0, 0, {}});
    d3d.add().setName("Second card", GUID{2, 0, 0, {}});
    g.AdapterOrdinal = 1;
    ChoiceList list = listAdapters(d3d, g);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"First card", L"Second card"}));
    EXPECT_EQ(list.chosen, 1);
    g.AdapterOrdinal = 5;
    EXPECT_EQ(listAdapters(d3d, g).chosen, 0);
    d3d.adapters[0].identifierResult = D3DERR_INVALIDCALL;
    EXPECT_EQ(listAdapters(d3d, g).entries[0].text, L"") << "listed without a name";
}

TEST_F(Catalogue, NoDepthStencilFormatMeansNoAntialiasingAtAll) {
    fake::Adapter& a = d3d.add();
    a.multisample[{D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE}] = 1;
    const auto depths = listDepthStencilFormats(d3d, 0, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8);
    EXPECT_TRUE(depths.empty());
    EXPECT_TRUE(listMultisampleTypes(d3d, 0, D3DFMT_X8R8G8B8, depths, g, localize).entries.empty());
}

TEST_F(Catalogue, DepthFormatsMustPassBothChecksInTheirFixedOrder) {
    fake::Adapter& a = d3d.add();
    a.depthFormats = {D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D24X4S4};
    a.depthMismatches = {{D3DFMT_X8R8G8B8, D3DFMT_D24X4S4}};
    EXPECT_EQ(listDepthStencilFormats(d3d, 0, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8),
              (std::vector<D3DFORMAT>{D3DFMT_D24S8, D3DFMT_D15S1}));
}

TEST_F(Catalogue, MultisampleTypesNeedSurfaceAndADepthFormatAndKeepTheStoredType) {
    fake::Adapter& a = d3d.add();
    for (auto t : {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_4_SAMPLES})
        a.multisample[{D3DFMT_X8R8G8B8, t}] = 1;
    a.multisample[{D3DFMT_D24S8, D3DMULTISAMPLE_NONE}] = 1;
    a.multisample[{D3DFMT_D15S1, D3DMULTISAMPLE_4_SAMPLES}] = 2;
    const std::vector<D3DFORMAT> depths{D3DFMT_D24S8, D3DFMT_D15S1};
    g.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    ChoiceList list = listMultisampleTypes(d3d, 0, D3DFMT_X8R8G8B8, depths, g, localize);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"T_AA_NONE", L"T_AA_04_SAMPLES"}));
    EXPECT_EQ(list.chosen, 1);
    g.MultiSampleType = D3DMULTISAMPLE_2_SAMPLES;  // no depth format supports it
    list = listMultisampleTypes(d3d, 0, D3DFMT_X8R8G8B8, depths, g, localize);
    EXPECT_EQ(list.chosen, 0);
    EXPECT_EQ(g.MultiSampleType, static_cast<DWORD>(D3DMULTISAMPLE_NONE));
}

TEST_F(Catalogue, QualityLevelsAreTheSurfaceCountLimitedByTheBestDepthFormat) {
    fake::Adapter& a = d3d.add();
    a.multisample[{D3DFMT_X8R8G8B8, D3DMULTISAMPLE_4_SAMPLES}] = 4;
    a.multisample[{D3DFMT_D24S8, D3DMULTISAMPLE_4_SAMPLES}] = 2;
    a.multisample[{D3DFMT_D15S1, D3DMULTISAMPLE_4_SAMPLES}] = 3;
    const std::vector<D3DFORMAT> depths{D3DFMT_D24S8, D3DFMT_D15S1};
    const DWORD count = countQualityLevels(d3d, 0, D3DFMT_X8R8G8B8, depths, D3DMULTISAMPLE_4_SAMPLES);
    EXPECT_EQ(count, 3u);
    g.MultiSampleQuality = 7;
    const ChoiceList list = listQualityLevels(count, g);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"0", L"1", L"2"}));
    EXPECT_EQ(g.MultiSampleQuality, 0u);
    EXPECT_EQ(countQualityLevels(d3d, 0, D3DFMT_R5G6B5, depths, D3DMULTISAMPLE_4_SAMPLES), 0u)
        << "a failing surface check";
    EXPECT_EQ(texts(listQualityLevels(0, g)), std::vector<std::wstring>{L"0"});
}

TEST_F(Catalogue, AdapterNamesStayWithinTheirField) {
    D3DADAPTER_IDENTIFIER9 id;
    memset(id.Description, 'x', sizeof id.Description);  // no terminator
    EXPECT_EQ(adapterDescription(id).size(), sizeof id.Description);
}

}  // namespace
