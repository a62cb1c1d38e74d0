// The fake answers from its script; the other tests rely on that.
#include <gtest/gtest.h>

#include "support/fake_d3d9.h"

TEST(FakeDirect3D9, AnswersFromItsScript) {
    fake::Direct3D9 d3d;
    fake::Adapter& a = d3d.add();
    a.addMode(D3DFMT_X8R8G8B8, 800, 600, 60);
    a.multisample[{D3DFMT_X8R8G8B8, D3DMULTISAMPLE_4_SAMPLES}] = 3;
    EXPECT_EQ(d3d.GetAdapterCount(), 1u);
    EXPECT_EQ(d3d.GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 1u);
    EXPECT_EQ(d3d.GetAdapterModeCount(0, D3DFMT_R5G6B5), 0u);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d.EnumAdapterModes(0, D3DFMT_X8R8G8B8, 0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 800u);
    EXPECT_TRUE(FAILED(d3d.EnumAdapterModes(0, D3DFMT_X8R8G8B8, 1, &mode)));
    DWORD levels = 0;
    EXPECT_EQ(d3d.CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, D3DMULTISAMPLE_4_SAMPLES,
                                             &levels),
              D3D_OK);
    EXPECT_EQ(levels, 3u);
    EXPECT_TRUE(FAILED(d3d.GetDeviceCaps(1, D3DDEVTYPE_HAL, nullptr)));
}
