// The sound library's stand-in (fmod.dll, imported at load time) outside the system's devices; its
// drivers are the system's, as the sound page's end-to-end test shows against the sound server.
#include <gtest/gtest.h>

#include "fmod.h"

TEST(SoundLibraryStandIn, NoSoundA3DAsioAndOtherPlatformsOutputs) {
    EXPECT_EQ(FSOUND_GetVersion(), 3.75f);
    for (const int none : {FSOUND_OUTPUT_A3D, FSOUND_OUTPUT_ASIO}) {
        EXPECT_TRUE(FSOUND_SetOutput(none)) << none;
        EXPECT_EQ(FSOUND_GetNumDrivers(), 0) << none;
    }
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
    for (const int foreign : {4, 5, 6, 8, -2}) EXPECT_FALSE(FSOUND_SetOutput(foreign)) << foreign;
    ASSERT_EQ(FSOUND_GetNumDrivers(), 1) << "a refused output changes nothing";
    const char* name = FSOUND_GetDriverName(0);
    EXPECT_STREQ(name, "NoSound");
    unsigned int caps = 7;
    EXPECT_TRUE(FSOUND_GetDriverCaps(0, &caps));
    EXPECT_EQ(caps, 0u);
    EXPECT_EQ(FSOUND_GetDriverName(0), name) << "a name stays put while the list does not change";
    for (const int id : {-1, 1}) {
        EXPECT_EQ(FSOUND_GetDriverName(id), nullptr) << id;
        EXPECT_FALSE(FSOUND_GetDriverCaps(id, &caps)) << id;
    }
    EXPECT_FALSE(FSOUND_GetDriverCaps(0, nullptr));
}
