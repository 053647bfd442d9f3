// The command line and the device identity built from it.
#include "options.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace presence {

[[noreturn]] void usage(const char* program, int status) {
  std::printf("\nUsage : %s [--port port] [--help]", program);
  std::printf("\n");
  std::printf("\nprogram            : \"%s\"", program);
  std::printf("\n--name name        : server Name (default=hostname (Zentra Lite))");
  std::printf("\n--port port        : server Port Number (default=%d)", kDefaultWebAdminPort);
  std::printf("\n--help             : show this usage");
  std::printf("\n");
  (void)std::fflush(stdout);
  std::exit(status);
}

namespace {

// Leading digits as atoi reads them, without its undefined overflow.
int leading_int(const char* text) {
  const long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

std::string truncate_utf8(std::string_view text, size_t max) {
  if (text.size() <= max) return std::string(text);
  size_t cut = max;
  // Step back over continuation bytes to the start of the cut sequence.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut));
}

Options parse_options(int argc, char** argv) {
  Options options;
  const char* program = argc > 0 ? argv[0] : "upnp_presence";
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") usage(program, 0);
    if (arg == "--version") {
      // The usage text stays as it always was; packagers and scripts ask
      // for the version on its own.
      std::printf("upnp_presence %s\n", PRESENCE_VERSION);
      (void)std::fflush(stdout);
      std::exit(0);
    }
    if (arg != "--name" && arg != "--port") continue;
    if (i + 1 >= argc) usage(program, 1);
    const char* value = argv[++i];
    if (arg == "--name")
      options.name = truncate_utf8(value, kMaxNameLength);
    else
      options.web_admin_port = leading_int(value);
  }
  return options;
}

std::string make_friendly_name(const std::string& name, const std::string& host_name) {
  if (!name.empty()) return name;
  const std::string host = host_name.empty() || host_name == "(none)" ? "Media Server" : host_name;
  return host + " (Zentra Lite)";
}

std::string make_udn_prefix(int web_admin_port) {
  return "f6edff09-71a4-47df-" + std::to_string(web_admin_port) + "-";
}

std::string read_host_name() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return "";
  return host;
}

}  // namespace presence
