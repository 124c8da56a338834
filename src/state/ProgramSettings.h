#pragma once
// The settings the program keeps between starts that belong to no instrument record: the logging
// mode, the ports last chosen, the chart and averaging sizes, the dynamic-range cull of each MFC
// and how long a run may go on without a reading of an MFC. Loaded from the settings file at start-up and
// written back by every save.

#include <cstdint>
#include <string>

namespace UnitMain {

struct TProgramSettings {
    int LoggingMode = 0; // 0 off, 1 live, 2 file
    std::string SavedPumpPort;
    std::string SavedMFCAPort;
    std::string SavedMFCBPort;
    std::int32_t ChartPoints = 700;
    std::int32_t AverageSampleSize = 358;
    std::int32_t MFCADynamicRangeCull = 20;
    std::int32_t MFCBDynamicRangeCull = 10;
    // A run whose MFC A or B gives no reading for longer than this stops safely: holding the
    // segment through a short loss is right, dosing on unsupervised is not. Below 1 counts as 1.
    std::int32_t ReadingLossLimitSeconds = 60;
};

} // namespace UnitMain
