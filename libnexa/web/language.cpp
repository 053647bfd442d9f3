// The language of a request, the installed languages and message catalogs.
#include "web/language.h"

#include <libintl.h>
#include <syslog.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "core/config_values.h"
#include "core/odb_access.h"
#include "core/sys.h"
#include "web/cgi_input.h"
#include "web/templates.h"

namespace nexa {

namespace {

constexpr std::string_view kDaemonReference = "[[base-odb";

// A code names a directory under the locale directory; nothing that could
// leave it.
bool usable_code(std::string_view tag) {
  return is_acceptable(ValueKind::kPathComponent, tag) && tag.size() <= kMaxLanguageCode &&
         tag.front() != '.';
}

bool installed(std::string_view tag) {
  return usable_code(tag) && sys::is_directory(std::string(kLocaleDir) + "/" + std::string(tag));
}

// zh-tw -> zh_TW: the first dash becomes "_" and the characters from index 3
// to the dash's index + 2 are upper-cased.
std::string shape_tag(std::string_view raw, bool cut_at_semicolon) {
  std::string tag(raw);
  const size_t dash = tag.find('-');
  if (dash != std::string::npos) {
    tag[dash] = '_';
    for (size_t i = 3; i <= dash + 2 && i < tag.size(); ++i)
      tag[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(tag[i])));
  }
  if (cut_at_semicolon) tag = tag.substr(0, tag.find(';'));
  return tag;
}

std::string_view without_leading_blanks(std::string_view tag) {
  while (!tag.empty() && (tag.front() == ' ' || tag.front() == '\t')) tag.remove_prefix(1);
  return tag;
}

std::string copied(const char* value) {
  return value ? value : "";
}

// glibc consults no catalog while the messages locale is "C", and
// setlocale(LC_MESSAGES, "") stays "C" when the process started without a
// language or the language has no compiled locale. The built-in C.UTF-8
// locale is not "C" for gettext, and LANGUAGE then names the catalogs.
void select_catalog_language(const char* lang) {
  const char* current = std::setlocale(LC_MESSAGES, nullptr);
  if (!current || std::strcmp(current, "C") == 0 || std::strcmp(current, "POSIX") == 0)
    std::setlocale(LC_MESSAGES, "C.UTF-8");
  (void)sys::set_environment("LANGUAGE", lang);
}

}  // namespace

char* keep_for_program(std::string text) {
  // Never destroyed, not even by exit: atexit handlers may still read them.
  static auto* kept = new std::deque<std::string>;
  kept->push_back(std::move(text));
  return kept->back().data();
}

std::string browser_language(const char* accept_language) {
  if (!accept_language) return "en";
  const std::string_view value(accept_language);
  if (value.find(',') == std::string_view::npos) {
    // One tag: cut at ";" only when it has a dash.
    const bool dashed = value.find('-') != std::string_view::npos;
    std::string tag = shape_tag(without_leading_blanks(value), dashed);
    return installed(tag) ? tag : "en";
  }
  size_t start = 0;
  for (size_t comma = value.find(','); comma != std::string_view::npos;
       comma = value.find(',', start)) {
    std::string tag = shape_tag(without_leading_blanks(value.substr(start, comma - start)), true);
    if (installed(tag)) return tag;
    start = comma + 1;
  }
  return "en";  // the tag after the last comma is not tried
}

std::string request_language(OdbHandle* h) {
  const char* cookie = sys::environment("HTTP_COOKIE");
  const char* login = cookie ? std::strstr(cookie, "LoginUser=") : nullptr;
  if (login) {
    login += std::strlen("LoginUser=");
    const std::string user(login, std::strcspn(login, ";"));
    OdbProps* props = h ? find_and_compare(*h, "User", "name", user).props : nullptr;
    const char* preference = props ? odb_props_get(props, "localePreference") : nullptr;
    if (preference && std::strcmp(preference, "browser") != 0) return preference;
  }
  return browser_language(sys::environment("HTTP_ACCEPT_LANGUAGE"));
}

std::string wizard_language(OdbHandle* h) {
  const guint32 wizard = h ? first_oid(find_class_oids(*h, "Wizard")) : 0;
  OdbProps* props = wizard ? get_main_props(*h, wizard) : nullptr;
  const char* preference = props ? odb_props_get(props, "localePreference") : nullptr;
  // A wizard without a preference has not chosen either: same as none.
  if (!preference) return request_language(h);
  if (std::strcmp(preference, "browser") == 0)
    return browser_language(sys::environment("HTTP_ACCEPT_LANGUAGE"));
  return copied(preference);
}

sys::Result<std::string> installed_languages(size_t max_size) {
  const sys::Result<std::vector<std::string>> entries = sys::list_directory(kLocaleDir);
  if (!entries) {
    sys::log(LOG_ERR, std::string("cannot list the installed languages: ") +
                          std::strerror(entries.error()) + "\n");
    return entries.status();
  }
  std::vector<std::string> names;
  for (const auto& name : *entries) {
    if (name[0] == '.') continue;
    if (sys::exists(std::string(kLocaleDir) + "/" + name + "/LC_MESSAGES")) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::string list;
  for (const auto& name : names) {
    const size_t needed = (list.empty() ? 1 : 0) + name.size() + 1;
    if (list.size() + needed + 1 > max_size) continue;
    if (list.empty()) list = "&";
    list += name + "&";
  }
  return list;
}

const char* translate(const char* lang, const char* domain, const char* msgid) {
  if (!msgid) return msgid;
  const std::string language = copied(lang);
  std::setlocale(LC_MESSAGES, "");
  (void)sys::set_environment("LANG", language.c_str());
  select_catalog_language(language.c_str());
  const std::string dir = sys::map_path(kLocaleDir);
  bindtextdomain(domain, dir.c_str());
  // Translations come out in the character set the page announces.
  bind_textdomain_codeset(domain, charset_of(language).charset);
  return dcgettext(domain, msgid, LC_MESSAGES);
}

const char* translate_daemon_error(const char* lang, char* text) {
  if (!text) return text;
  if (std::strncmp(text, kDaemonReference.data(), kDaemonReference.size()) == 0) {
    char* dot = std::strchr(text, '.');
    char* close = dot ? std::strchr(dot, ']') : nullptr;
    if (close) {
      *close = '\0';
      return translate(lang, "odb", dot + 1);
    }
  }
  return translate(lang, "message", text);
}

Charset charset_of(std::string_view lang) {
  if (lang == "en") return {"ISO-8859-1", "EN"};
  if (lang == "zh_TW") return {"big5", "TW"};
  if (lang == "zh_CN") return {"gb2312", "CN"};
  if (lang == "ja") return {"UTF-8", "JP"};
  return {"ISO-8859-1", ""};
}

// The error text comes from the request's query: anyone can put markup in a
// link to the page, so it goes into the page as text. The bytes themselves
// stay as they are, whatever the page's character set.
std::string html_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

void patch_error_message(const char* lang, PatchMem* p) {
  std::string err_msg;
  for (const auto& [key, value] : query_form())
    if (key == "err_msg") err_msg = value;  // the last one counts, as in a form table
  append_page_value(p, "err_msg",
                    err_msg.empty() ? "" : html_text(translate_daemon_error(lang, err_msg.data())));
}

void patch_charset(const char* lang, PatchMem* p) {
  const Charset charset = charset_of(lang ? lang : "");
  append_page_value(p, "charset", charset.charset);
  append_page_value(p, "charsetid", charset.charset_id);
}

}  // namespace nexa
