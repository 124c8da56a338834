#pragma once
// The two steps of "Apply and save" that lie outside the pump page: storing the settings, and
// finding and initialising a pump that validation has already found. The composition gives the
// fluid designer one implementation of each.

#include <string>

namespace UnitMain {

class TSettingsSaver {
public:
    virtual ~TSettingsSaver() = default;
    // Stores the pump and fluid settings (and the rest of the settings) in the settings file.
    virtual void SaveSettings() = 0;
};

class TPumpFinder {
public:
    virtual ~TPumpFinder() = default;
    // Detects and initialises the pump on `port`; true when a pump of a known model answered.
    virtual bool PumpFindInit(const std::string& port) = 0;
};

} // namespace UnitMain
