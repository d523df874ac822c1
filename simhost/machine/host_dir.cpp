#include "simhost/machine/host_dir.h"

#include <utility>

namespace simhost {

HostDir::HostDir(std::string dir) : root(std::move(dir)) {
  while (root.size() > 1 && root.back() == '/') root.pop_back();
}

}  // namespace simhost
