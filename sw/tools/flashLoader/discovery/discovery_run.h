// The two report options: -d examines every Corvane card once and writes
// the discovery report; -u upgrades every card a report selects. Both walk
// the machine's interface list rather than the adapter named by -i.
#pragma once

#include <string>

#include "sw/tools/flashLoader/runstate/exit_codes.h"

// Discovery to the named file. kGoOn when the report was written (the
// status is 0 and the run goes on); otherwise the code that ends the run.
StepResult run_discovery(const std::string& fileName);

// Upgrades the cards the named report selects, in report order, with the
// image and version-check flag of the command line; sets report mode. A
// card that fails is reported and the next one is upgraded. kGoOn to go
// on with the next option (the status says whether every card succeeded);
// otherwise the code that ends the run.
StepResult run_report_upgrade(const std::string& fileName);
