// Name-server lists: read from the resolver file into the "&"-list form the
// configuration stores, and turned into dhcpd's comma list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nexa {

// The "&"-list ("&a&b&", "" for none) of the "nameserver" lines of a
// resolver file's text, keeping only whole entries that fit in room - 1
// characters.
std::string resolver_dns_list(std::string_view text, size_t room);
// The same for "/etc/resolv.conf"; "" with a message when it cannot be read.
std::string read_resolver_dns_list(size_t room);

// "a,b" for "&a&b&": the first character is skipped, text after the last
// "&" ignored, empty items and items holding a comma left out, and only
// whole items kept within room - 1 characters.
std::string dns_comma_list(std::string_view list, size_t room);

}  // namespace nexa
