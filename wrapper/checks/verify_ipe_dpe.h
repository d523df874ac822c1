// The hardware-flag step after an upgrade: every board that now runs
// firmware 4.0.585 and still has its hardware flags (the iPE/dPE setting)
// set gets them cleared.
#pragma once

namespace keelson {

// 0 clearing failed (or cleared during a run with a failed command),
// 1 cleared, 3 nothing cleared (no board at 4.0.585, flags already clear or
// not readable, or no supported adapter).
int verifyIpeDpe();

}  // namespace keelson
