#pragma once

#include "operations.h"

namespace zarneth {

// Write the transcript into the image at the start address: in place, or into a patched
// copy at the destination path.
WriteResult RunPatch(const PatchInPlace& operation);
WriteResult RunPatch(const PatchCopy& operation);

}  // namespace zarneth
