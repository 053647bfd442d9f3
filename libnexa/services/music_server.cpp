// The DAAP music server's configuration, start and stop.
#include "services/music_server.h"

#include <syslog.h>

#include <string>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/config_values.h"
#include "core/text_files.h"

namespace nexa {
namespace {

constexpr mode_t kConfigMode = 0755;
constexpr std::string_view kMusicFolder = "/public/music";

// The start commands run through the shell directly (not discarded by the
// runner), so the server stays in the background. Both are fixed texts,
// well inside the shell line of 511 bytes the server start allows.
constexpr Literal kStartMtDaapd = "mt-daapd -c /usr/ruvoro/etc/mt-daapd.conf  >/dev/null 2>&1 &";
constexpr Literal kStartDaapd = "daapd -c /usr/ruvoro/etc/daapd.conf  >/dev/null 2>&1 &";
static_assert(kStartMtDaapd.text().size() < 511 && kStartDaapd.text().size() < 511);

std::string mt_daapd_config(std::string_view host, std::string_view mount_path) {
  std::string text;
  text += "web_root             /usr/webroot\n";
  text += "port                 3689\n";
  text += "admin_pw             qv-rolt\n";
  text += "db_dir               /system/.daapd-cache\n";
  text += "mp3_dir              " + std::string(mount_path) + "/public/music\n";
  text += "servername           " + std::string(host) + "_Music_Box\n";
  text += "runas                nobody\n";
  text += "playlist             /etc/mt-daapd.playlist\n";
  text += "extensions           .mp3,.m4a,.m4p\n";
  text += "#logfile              /system/log/mt-daapd.log\n";
  text += "rescan_interval      60\n";
  return text;
}

std::string daapd_config(std::string_view host, std::string_view mount_path) {
  std::string text;
  text += "Port         3689\n";
  text += "ServerName   " + std::string(host) + "\n";
  text += "DBName       " + std::string(host) + "_Music_Box\n";
  text += "Password     \n";
  text += "Root         " + std::string(mount_path) + "/public/music\n";
  text += "Cache        /system/.daapd-cache\n";
  text += "Timescan     2\n";
  text += "Rescan       60\n";
  return text;
}

// A host name or mount path with a line break would add a directive, a
// mount path beginning with "-" would be an option of mkdir.
bool values_acceptable(std::string_view host, std::string_view mount_path) {
  if (is_acceptable(ValueKind::kFreeText, host) &&
      is_acceptable(ValueKind::kFreeText, mount_path) && !mount_path.starts_with('-'))
    return true;
  sys::log(LOG_ERR,
           "music server: host name or mount path holds a line break, or the path begins with "
           "\"-\", not set up\n");
  return false;
}

}  // namespace

std::string_view daap_server() {
  return sys::open_file(kMtDaapdProgram, "r") ? "mt-daapd" : "daapd";
}

sys::Status prepare_daap_config(std::string_view server, std::string_view host,
                                std::string_view mount_path) {
  if (!values_acceptable(host, mount_path)) return sys::Status::failure(EINVAL);
  if (server == "mt-daapd")
    return write_text_file(mt_daapd_config(host, mount_path), kMtDaapdConf, kConfigMode);
  if (server == "daapd")
    return write_text_file(daapd_config(host, mount_path), kDaapdConf, kConfigMode);
  return sys::Status::success();
}

int start_music_server(std::string_view host, std::string_view mount_path) {
  if (!values_acceptable(host, mount_path)) return -1;
  const std::string_view server = daap_server();
  run_discarding_output(
      CommandLine("mkdir -p -m 777 ").operand(std::string(mount_path) + std::string(kMusicFolder)));
  if (!prepare_daap_config(server, host, mount_path)) return -1;
  return sys::run_command(CommandLine(server == "mt-daapd" ? kStartMtDaapd : kStartDaapd));
}

void stop_music_server() {
  run_discarding_output(CommandLine("/usr/bin/killall ").word(daap_server()));
}

}  // namespace nexa
