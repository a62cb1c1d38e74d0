// The system-management service's list of video controllers ("Win32_VideoController"): where the
// driver of an adapter without a certification date tells its name, version and date.
#pragma once

#include "checks/driver_age_check.h"

// Asks the service for all rows. Needs COM on the calling thread.
VideoControllerRows queryVideoControllers();

// Fills the record from the row'th video controller (counted from 0 in the query's order); leaves
// it alone when the service, the query or the row is not there. The rows are asked once per run:
// from the prefetched query when one is given and not taken yet, else on the calling thread, which
// then needs COM.
void readVideoController(unsigned row, DriverRecord& record, VideoControllerProbe* prefetched = nullptr);
