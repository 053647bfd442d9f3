// Odb arrays: several items kept in one property as "&a&b&".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace odb_standin {

// The items of an odb array; a missing leading "&" is tolerated and text
// after the last "&" is not an item.
std::vector<std::string> split_odb_array(std::string_view array);

// Whether a stored value has the odb array form, "&" at both ends.
bool is_odb_array(std::string_view value);

}  // namespace odb_standin
