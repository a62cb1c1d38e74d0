// The sound library as the settings dialog asks it: its version, the output types it can select and
// the drivers of the selected one. The launcher never initialises it or plays sound through it.
#pragma once

class ISoundLibrary {
public:
    virtual float getVersion() = 0;
    // True when the output type could be selected; selecting it replaces the driver list.
    virtual bool setOutput(int outputType) = 0;
    virtual int getNumDrivers() = 0;
    // The name in the ANSI code page, or null. Valid until the next setOutput.
    virtual const char* getDriverName(int driver) = 0;
    // True when the capabilities could be read into *caps (FSOUND_CAPS bits of fmod.h).
    virtual bool getDriverCaps(int driver, unsigned int* caps) = 0;

protected:
    ~ISoundLibrary() = default;
};

// fmod.dll, imported at load time.
class SoundLibrary final : public ISoundLibrary {
public:
    float getVersion() override;
    bool setOutput(int outputType) override;
    int getNumDrivers() override;
    const char* getDriverName(int driver) override;
    bool getDriverCaps(int driver, unsigned int* caps) override;
};
