// GetFileVersionInfo + VerQueryValue("\\") for files on this machine: the
// fixed file info of a PE file's version resource, read without loading the
// file and without trusting any offset in it.
#pragma once

#include <string>

#include "platform/errors.h"
#include "platform/system.h"

namespace platform {

// The version of the PE file at path. Errors: kErrorFileNotFound or
// kErrorPathNotFound when it is missing, kErrorAccessDenied when it cannot be
// read (or is a directory), kErrorBadFormat when it is not a PE image or its
// headers or resource tree are cut short or point outside it, and the
// resource errors of parsePeFileVersion.
WinError readPeFileVersion(const std::string& path, FileVersion* version);

// The same for an image in memory. kErrorResourceDataNotFound: no resource
// table; kErrorResourceTypeNotFound: no RT_VERSION; kErrorResourceNameNotFound:
// no VS_VERSION_INFO (id 1) under it; kErrorResourceLangNotFound: no language;
// kErrorInvalidData: the version block has no valid fixed file info.
WinError parsePeFileVersion(const std::string& image, FileVersion* version);

}  // namespace platform
