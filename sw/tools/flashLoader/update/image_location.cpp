#include "sw/tools/flashLoader/update/image_location.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace fs = std::filesystem;

int locate_image(const std::string& name, std::string* path) {
  std::error_code ec;
  const fs::path given(name);
  if (given.is_relative()) {
    const fs::path current = fs::current_path(ec);
    if (!ec && fs::is_regular_file(current / given, ec)) {
      out_printf("NIC binary romimage found in %s\n", current.string().c_str());
      *path = current.string() + static_cast<char>(fs::path::preferred_separator) + name;
      return kExitOk;
    }
  }
  if (fs::is_directory(given, ec)) {
    err_printf("\n%s is a directory\n\n", name.c_str());
    return kExitImageIsDirectory;
  }
  *path = name;
  return kExitOk;
}
