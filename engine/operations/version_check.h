#pragma once

// An image's version told from a file the run holds: the patches check the image they write
// while they hold it, so that no other file can take its place between the check and the
// write.

#include <string>
#include <vector>

#include "c_file.h"
#include "operations.h"
#include "run_files.h"

namespace zarneth {

// The versions of KnownModels whose fingerprint `image` (`length` bytes as measured) matches;
// the bytes read in `imageBytes`. Refused where the image came up short.
Checked<std::vector<VersionFound>> VersionsOfImage(CFile& image, std::uint64_t length,
                                                   std::uint64_t& imageBytes);

// Done where `model` has no fingerprint or `image` matches it; else refused
// (Refusal::OtherVersion) naming the version the image is, where one matches.
RunStatus RefuseOtherVersion(CFile& image, const std::string& sourcePath, const std::string& model);

}  // namespace zarneth
