#include "sw/tools/flashLoader/adapter/driver_request.h"

DriverRequest make_driver_request(uint32_t command) {
  DriverRequest request{};
  request.command = command;
  request.signature = kStandardSignature;
  return request;
}
