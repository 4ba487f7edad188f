#include "sync_record.h"

#include <fstream>

#include "file_paths.h"

namespace zarneth::test {

void AppendSyncRecord(const std::string& log, const std::string& record) {
  std::ofstream out(PathFromUtf8(log), std::ios::binary | std::ios::app);
  out << record.size() << '\n' << record;
}

}  // namespace zarneth::test
