#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zarneth {

// A failure of a file that is already open: names the operation, the path and the system's
// error text, e.g. "cannot write file out.bin: No space left on device".
class CFileException : public std::runtime_error {
 public:
  CFileException(std::string operation, std::string path, int error);

  const std::string& GetPath() const { return m_path; }
  const std::string& GetOperation() const { return m_operation; }
  int GetError() const { return m_error; }

 private:
  std::string m_operation;
  std::string m_path;
  int m_error;
};

// One file held open for exclusive access for the length of a run. A failed open is a false
// result; every failure after that (read, write, seek, close) throws CFileException. The file
// is closed by the destructor on every way out; the destructor never throws.
class CFile {
 public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    modeCreate = 0x1000,
  };
  enum SeekPosition { begin = 0 };

  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens with modeRead, modeReadWrite or modeCreate | modeWrite. Refused: a missing file
  // (except for create), a directory, a FIFO or socket, a regular file without any write bit
  // for modeReadWrite, and a file that any open CFile holds (through any path to it). A create
  // truncates only once the lock is held. When refused and `whyNot` is given, it receives the
  // reason ("Is a directory", "file is in use", ...).
  bool Open(const std::string& path, unsigned flags, std::string* whyNot = nullptr);

  // Length in bytes; a file of 4 GiB or more throws, it lies outside 32-bit offsets.
  std::uint32_t GetLength() const;

  // Positions from the beginning. Offsets are signed 32-bit: a negative one is refused with
  // CFileException, so callers passing a 32-bit address of 0x80000000 or more get an error.
  // Past the end is allowed; a later Write fills the gap with the file system's zeros.
  std::uint32_t Seek(std::int32_t offset, SeekPosition from);

  // Reads up to `count` bytes; fewer only at the end of the file.
  std::uint32_t Read(void* buffer, std::uint32_t count);

  // Writes all `count` bytes, extending the file as needed.
  void Write(const void* buffer, std::uint32_t count);

  // Cuts or extends the file to `length` bytes.
  void SetLength(std::uint32_t length);

  void Close();

  bool IsOpen() const { return m_fd >= 0; }
  const std::string& GetFilePath() const { return m_path; }

 private:
  [[noreturn]] void Fail(const std::string& operation, int error) const;

  int m_fd = -1;
  std::string m_path;
};

}  // namespace zarneth
