#include "power_cut.h"

#include <fstream>

#include "file_paths.h"
#include "sync_record.h"

namespace zarneth::test {

PowerCut::PowerCut(const std::filesystem::path& folder, const std::filesystem::path& logFolder)
    : m_folder(folder),
      m_log(logFolder / "syncs.log"),
      m_logVariable(kSyncLogVariable, Utf8FromPath(m_log)),
      m_folderVariable(kSyncFolderVariable, Utf8FromPath(folder)) {}

void PowerCut::Before() {
  std::filesystem::remove(m_log);
  m_names = NamesIn(m_folder);
  m_bytes.clear();
  for (const auto& [name, bytes] : ListFolder(m_folder))
    m_bytes[m_names.at(name)] = bytes;
}

void PowerCut::Cut() {
  std::map<std::string, std::string> names = m_names;
  std::map<std::string, Bytes> bytes = m_bytes;
  std::ifstream log(m_log, std::ios::binary);
  std::string size;
  while (std::getline(log, size)) {
    std::string record(std::stoul(size), '\0');
    log.read(record.data(), static_cast<std::streamsize>(record.size()));
    const std::size_t line = record.find('\n');
    if (record[0] == 'F') {
      bytes[record.substr(1, line - 1)] =
          Bytes(record.begin() + static_cast<std::ptrdiff_t>(line) + 1, record.end());
      continue;
    }
    names.clear();
    for (std::size_t at = line + 1; at < record.size();) {
      const std::size_t nameEnd = record.find('\n', at);
      const std::size_t identityEnd = record.find('\n', nameEnd + 1);
      names[record.substr(at, nameEnd - at)] =
          record.substr(nameEnd + 1, identityEnd - nameEnd - 1);
      at = identityEnd + 1;
    }
  }
  log.close();
  for (const auto& entry : std::filesystem::directory_iterator(m_folder))
    std::filesystem::remove_all(entry.path());
  for (const auto& [name, identity] : names) {
    const auto found = bytes.find(identity);
    WriteBytes(Utf8FromPath(m_folder / PathFromUtf8(name)),
               found == bytes.end() ? Bytes{} : found->second);
  }
}

}  // namespace zarneth::test
