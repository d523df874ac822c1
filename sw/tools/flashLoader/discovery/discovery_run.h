// The two report options: -d examines every Corvane card once and writes
// the discovery report; -u upgrades every card a report selects. Both walk
// the machine's interface list rather than the adapter named by -i.
#pragma once

#include <optional>
#include <string>

// Discovery to the named file. nullopt when the report was written (the
// status is 0 and the run goes on); otherwise the code that ends the run.
std::optional<int> run_discovery(const std::string& fileName);

// Upgrades the cards the named report selects, in report order, with the
// image and version-check flag of the command line; sets report mode. A
// card that fails is reported and the next one is upgraded. nullopt to go
// on with the next option (the status says whether every card succeeded);
// otherwise the code that ends the run.
std::optional<int> run_report_upgrade(const std::string& fileName);
