// The lists of the graphics page as plain functions over a scripted Direct3D object.
#include <gtest/gtest.h>

#include "config/language_table.h"
#include "settings/display_mode_catalogue.h"
#include "unit/settings_dialog_harness.h"

namespace {

using harness::texts;
using Texts = std::vector<std::wstring>;
constexpr D3DFORMAT kX8 = D3DFMT_X8R8G8B8;

class Catalogue : public ::testing::Test {
protected:
    fake::Direct3D9 d3d;
    fake::Adapter& a = d3d.add();
    GraphicsSettings g;
};

TEST_F(Catalogue, ResolutionsFromEightHundredBySixHundredTheNearestChosenFirstByAreaThenByRefresh) {
    for (UINT hz : {75u, 60u, 85u}) a.addMode(kX8, 800, 600, hz);
    a.addMode(kX8, 640, 480, 60);
    a.addMode(kX8, 1280, 1024, 0);
    a.addMode(kX8, 1280, 960, 60);
    const ChoiceList list = listResolutions(d3d, 0, kX8, g);
    EXPECT_EQ(texts(list),
              (Texts{L"800x600 75Hz", L"800x600 60Hz", L"800x600 85Hz", L"1280x1024", L"1280x960 60Hz"}));
    EXPECT_EQ(list.entries.at(3).data, 4) << "entries keep their mode index";
    g.Width = 640, g.Height = 480, g.RefreshRate = 62;
    EXPECT_EQ(listResolutions(d3d, 0, kX8, g).chosen, 1);
    g.Width = 1280, g.Height = 992, g.RefreshRate = 60;
    EXPECT_EQ(listResolutions(d3d, 0, kX8, g).chosen, 3) << "equal distances keep the first";
    EXPECT_EQ(std::vector<DWORD>({g.Width, g.Height, g.RefreshRate, g.SurfaceFormat}),
              std::vector<DWORD>({1280, 1024, 0, kX8})) << "the chosen mode is taken over";
    a.deviceTypeResult = D3DERR_NOTAVAILABLE;
    EXPECT_TRUE(listResolutions(d3d, 0, kX8, g).entries.empty()) << "modes the device refuses";
}

// The mode list may change under the dialog: a mode read once by the listing is judged as it was
// read then, even when it cannot be read again.
TEST_F(Catalogue, ACandidateIsJudgedAsTheListingReadIt) {
    struct ModeReadOnce : fake::Direct3D9 {
        int reads = 0;
        HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT a, D3DFORMAT f, UINT i, D3DDISPLAYMODE* m) override {
            if (i == 1 && reads++ > 0) return D3DERR_INVALIDCALL;
            return fake::Direct3D9::EnumAdapterModes(a, f, i, m);
        }
    } shifting;
    fake::Adapter& a = shifting.add();
    a.addMode(kX8, 800, 600, 60);
    a.addMode(kX8, 1024, 768, 60);
    g.Width = 1024, g.Height = 768;
    EXPECT_EQ(listResolutions(shifting, 0, kX8, g).chosen, 1);
}

TEST_F(Catalogue, AdaptersAndColourDepthsOneRowPerDepthThirtyTwoFirst) {
    d3d.add().setName("Second card", GUID{2, 0, 0, {}});
    g.AdapterOrdinal = 1;
    EXPECT_EQ(listAdapters(d3d, g).chosen, 1);

    for (D3DFORMAT f : {D3DFMT_R5G6B5, D3DFMT_A2R10G10B10, D3DFMT_X1R5G5B5})
        d3d.adapters[0].addMode(f, 800, 600, 60);  // the second card moved the first
    g.AdapterFormat = kX8;  // stored, but this adapter has no such modes
    EXPECT_EQ(texts(listColourDepths(d3d, 0, g)), (Texts{L"TrueColor - 32bit", L"HiColor - 16bit"}));
    EXPECT_EQ(g.AdapterFormat, static_cast<DWORD>(D3DFMT_A2R10G10B10));
    g.AdapterFormat = D3DFMT_R5G6B5;
    EXPECT_EQ(listColourDepths(d3d, 0, g).chosen, 1);
}

TEST_F(Catalogue, AntialiasingNeedsTheSurfaceAndADepthFormatAndLevelsAreTheSmallerCount) {
    a.depthFormats = {D3DFMT_D15S1, D3DFMT_D24S8};
    const auto depths = listDepthStencilFormats(d3d, 0, kX8, kX8);
    EXPECT_EQ(depths, (std::vector<D3DFORMAT>{D3DFMT_D24S8, D3DFMT_D15S1}));
    for (auto t : {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES}) a.multisample[{kX8, t}] = 1;
    a.multisample[{kX8, D3DMULTISAMPLE_4_SAMPLES}] = 4;
    a.multisample[{D3DFMT_D24S8, D3DMULTISAMPLE_NONE}] = 1;
    a.multisample[{D3DFMT_D24S8, D3DMULTISAMPLE_4_SAMPLES}] = 2;
    a.multisample[{D3DFMT_D15S1, D3DMULTISAMPLE_4_SAMPLES}] = 3;
    g.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    const ChoiceList list = listMultisampleTypes(d3d, 0, kX8, depths, g, CLocalize());
    EXPECT_EQ(texts(list), (Texts{L"T_AA_NONE", L"T_AA_04_SAMPLES"}));
    EXPECT_EQ(list.chosen, 1);
    g.MultiSampleType = D3DMULTISAMPLE_2_SAMPLES;  // no depth format supports it
    EXPECT_EQ(listMultisampleTypes(d3d, 0, kX8, depths, g, CLocalize()).chosen, 0);

    const DWORD count = countQualityLevels(d3d, 0, kX8, depths, D3DMULTISAMPLE_4_SAMPLES);
    EXPECT_EQ(count, 3u);
    g.MultiSampleQuality = 7;
    EXPECT_EQ(texts(listQualityLevels(count, g)), (Texts{L"0", L"1", L"2"}));
    EXPECT_EQ(g.MultiSampleQuality, 0u);
    EXPECT_EQ(texts(listQualityLevels(0, g)), Texts{L"0"});
}

}  // namespace
