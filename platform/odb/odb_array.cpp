// Odb arrays: several items kept in one property as "&a&b&".
#include "odb_array.h"

namespace odb_standin {

std::vector<std::string> split_odb_array(std::string_view array) {
  std::vector<std::string> items;
  if (array.starts_with('&')) array.remove_prefix(1);
  // Every item is closed by an "&"; an unclosed tail is half-written, not an item.
  for (size_t end = array.find('&'); end != std::string_view::npos; end = array.find('&')) {
    items.emplace_back(array.substr(0, end));
    array.remove_prefix(end + 1);
  }
  return items;
}

bool is_odb_array(std::string_view value) {
  return value.size() >= 2 && value.front() == '&' && value.back() == '&';
}

}  // namespace odb_standin
