#include "output_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "console.h"
#include "stop_request.h"
#include "words.h"

namespace zarneth::cli {
namespace {

// std::cout's way to stdout, which keeps the system's reason for the first write that
// failed: by the time the run ends, later calls have changed errno.
class ReasonKeepingOutput : public std::streambuf {
 public:
  // The first failure's errno (-1 when the system gave none); 0 while every write went out.
  int FirstError() const { return m_error; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof()))
      return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return Put(&byte, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    return Put(bytes, count) ? count : 0;
  }
  int sync() override {
    errno = 0;
    if (std::fflush(stdout) == 0)
      return 0;
    Keep();
    return -1;
  }

 private:
  bool Put(const char* bytes, std::streamsize count) {
    errno = 0;
    const auto size = static_cast<std::size_t>(count);
    if (std::fwrite(bytes, 1, size, stdout) == size)
      return true;
    Keep();
    return false;
  }
  void Keep() {
    if (m_error == 0)
      m_error = errno != 0 ? errno : -1;
    // A search that prints as it reads stops once nobody reads what it prints.
    if (errno == EPIPE)
      RequestStop(kReaderGoneSignal);
  }

  int m_error = 0;
};

ReasonKeepingOutput& Output() {
  static ReasonKeepingOutput output;
  return output;
}

std::streambuf* original = nullptr;

}  // namespace

void WatchStandardOutput() {
  original = std::cout.rdbuf(&Output());
}

int WithOutputChecked(int code, std::optional<int> codeOnFailure) {
  // The last of the output goes out here.
  std::cout.flush();
  Output().pubsync();
  const int error = Output().FirstError();
  // std::cout is flushed once more at exit, after this buffer is gone: it gets its own back.
  if (original)
    std::cout.rdbuf(original);
  if (error == 0 && !std::ferror(stdout))
    return code;
  if (error == EPIPE || OutputReaderGone())
    return code;
  // TRANSLATORS: %s is the system's reason ("No space left on device").
  std::cerr << "zarneth-cli: "
            << (error > 0 ? TrFill("write error: %s", {std::strerror(error)}) : Tr("write error"))
            << '\n';
  return codeOnFailure.value_or(code);
}

}  // namespace zarneth::cli
