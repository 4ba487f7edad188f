#include <cstddef>
#include <vector>

#include "words.h"

namespace zarneth {

std::string Fill(std::string_view format, std::initializer_list<std::string_view> values) {
  const std::vector<std::string_view> given(values);
  std::string text;
  std::size_t next = 0;
  for (std::size_t at = 0; at < format.size(); ++at) {
    if (format[at] != '%' || at + 1 == format.size()) {
      text += format[at];
      continue;
    }
    if (format[at + 1] == '%') {
      text += '%';
      ++at;
      continue;
    }
    // %s, or %N$s.
    std::size_t end = at + 1;
    std::size_t number = 0;
    while (end < format.size() && format[end] >= '0' && format[end] <= '9')
      number = number * 10 + static_cast<std::size_t>(format[end++] - '0');
    const bool numbered = end > at + 1 && end < format.size() && format[end] == '$';
    if (numbered)
      ++end;
    if (end >= format.size() || format[end] != 's' || (end > at + 1 && !numbered)) {
      text += '%';
      continue;
    }
    const std::size_t index = numbered ? number - 1 : next++;
    if (index < given.size())
      text += given[index];
    else
      text += format.substr(at, end + 1 - at);
    at = end;
  }
  return text;
}

std::string ListText(const std::vector<std::string>& items, const char* pair) {
  if (items.empty())
    return {};
  std::string head = items.front();
  for (std::size_t i = 1; i + 1 < items.size(); ++i)
    head += ", " + items[i];
  return items.size() == 1 ? head : Fill(pair, {head, items.back()});
}

}  // namespace zarneth
