// The system-management service's list of video controllers ("Win32_VideoController"): where the
// driver of an adapter without a certification date tells its name, version and date.
#pragma once

#include "checks/driver_age_check.h"

// Fills the record from the row'th video controller (counted from 0 in the query's order); leaves
// it alone when the service, the query or the row is not there. Needs COM on the calling thread.
void readVideoController(unsigned row, DriverRecord& record);
