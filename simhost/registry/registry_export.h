// The registry editor's export text ("Windows Registry Editor Version 5.00"),
// the form the simulated host keeps HKEY_LOCAL_MACHINE in.
//
// Read: UTF-8 with or without a byte order mark, or UTF-16LE with one; "\r\n"
// or "\n" line ends; key sections "[HKEY_LOCAL_MACHINE\...]" and deletion
// sections "[-HKEY_LOCAL_MACHINE\...]"; values "Name"= or @= followed by
// "text", dword:, hex:, hex(N): (data continued over lines ending in a
// backslash) or - (delete the value); blank lines and ";" comment lines.
//
// Written: UTF-8 without byte order mark, "\r\n" line ends, keys in the
// registry's enumeration order, each section followed by its values and a
// blank line, hex data wrapped the way the registry editor wraps it, so that
// an export in the editor's own form is written back unchanged.
#pragma once

#include <string>
#include <string_view>

#include "simhost/registry/registry_tree.h"

namespace simhost {

// Applies the export in bytes to *tree, as an import would. On a malformed
// export, false and one message "FILE line N: problem" (fileName as given);
// *tree may then hold part of the file.
bool parseRegistryExport(std::string_view bytes, const std::string& fileName, RegistryTree* tree,
                         std::string* error);

std::string formatRegistryExport(const RegistryTree& tree);

}  // namespace simhost
