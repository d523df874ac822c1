// Keelson, the firmware upgrade wrapper: finds every supported adapter,
// decides, and upgrades each chosen one by running burnkit.
#include <string>
#include <vector>

#include "wrapper/flow/keelson_run.h"
#include "wrapper/log/wrapper_log.h"

int main(int argc, char** argv) {
  keelson::prepareConsole();
  std::vector<std::string> args(argv + 1, argv + argc);
  return keelson::runKeelson(args);
}
