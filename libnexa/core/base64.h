// Base64 with the standard alphabet and "=" padding.
#pragma once

#include <string>
#include <string_view>

namespace nexa {

std::string base64_encode(std::string_view bytes);
// Skips every character outside the alphabet (padding and white space
// included) and writes at most capacity bytes; returns how many.
size_t base64_decode(std::string_view text, unsigned char* out, size_t capacity);
// A stored password: the first 32 decoded bytes, up to the first zero byte.
std::string decode_password(std::string_view text);

}  // namespace nexa
