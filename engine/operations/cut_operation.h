#pragma once

#include "operations.h"

namespace zarneth {

// Copies the range start..end (inclusive) of the source into the destination file.
WriteResult RunCut(const CutRange& operation);

}  // namespace zarneth
