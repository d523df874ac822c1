// From a NetCfgInstanceId to its adapter instance under the class key, named
// by the driver key "{4D36E972-E325-11CE-BFC1-08002BE10318}\NNNN" (the same
// text as the device's driver property).
#pragma once

#include <string>
#include <vector>

// The driver key of the class subkey whose NetCfgInstanceId equals the id
// (without case); *driverKey is left as it was when none does. 1 = done,
// 0 = registry error.
int Get_Driver_Class(const std::string& instanceId, std::string* driverKey);

// The same for any id of a list.
int Read_Registry_XML(const std::vector<std::string>& instanceIds, std::string* driverKey);
