#pragma once

#include <string>

#include "file_system.h"
#include "save_file.h"

namespace zarneth::test {

// What the next run to `finalPath` does first: removes the temporaries killed runs left
// beside the file it leads to.
inline void RemoveStaleTemporaries(const std::string& finalPath) {
  if (const auto entry = ResolveEntry(finalPath, FinalLink::MayDangle))
    zarneth::RemoveStaleTemporaries(entry->folder, entry->name);
}

}  // namespace zarneth::test
