// The language of a request, the installed languages and message catalogs.
#pragma once

#include <string>
#include <string_view>

#include "core/sys.h"
#include "nexalib.h"
#include "odb.h"

namespace nexa {

inline constexpr const char* kLocaleDir = "/usr/share/locale";
// A language code is held in 8 bytes.
inline constexpr size_t kMaxLanguageCode = 7;

// The first language of an Accept-Language value that is installed, or "en".
std::string browser_language(const char* accept_language);
// The logged-in user's preference, or the browser's choice; without a
// connection (h null) only the browser's.
std::string request_language(OdbHandle* h);
std::string wizard_language(OdbHandle* h);
// "&code&code&" of the installed languages, alphabetical, at most max_size
// bytes with its terminator (languages that do not fit are left out); a
// directory that cannot be read is a failure, reported to the system log.
sys::Result<std::string> installed_languages(size_t max_size);

// The translation of msgid in lang, from the catalogs under kLocaleDir.
const char* translate(const char* lang, const char* domain, const char* msgid);
// A message id, or a "[[base-odb<ns>.<id>]]" reference (cut at "]" in place).
const char* translate_daemon_error(const char* lang, char* text);

struct Charset {
  const char* charset;
  const char* charset_id;
};
Charset charset_of(std::string_view lang);

// The page values of the daemon's error in QUERY_STRING's "err_msg",
// translated and made plain text (markup escaped), and of the language's
// character set.
void patch_error_message(const char* lang, PatchMem* p);
void patch_charset(const char* lang, PatchMem* p);

// Keeps a text for the rest of the program and returns it.
char* keep_for_program(std::string text);

}  // namespace nexa
