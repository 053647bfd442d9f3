// The DAAP music server: which one is installed, its configuration, its
// start and stop.
#pragma once

#include <string_view>

#include "core/sys.h"

namespace nexa {

inline constexpr const char* kMtDaapdProgram = "/usr/ruvoro/sbin/mt-daapd";
inline constexpr const char* kMtDaapdConf = "/usr/ruvoro/etc/mt-daapd.conf";
inline constexpr const char* kDaapdConf = "/usr/ruvoro/etc/daapd.conf";

// "mt-daapd" when its program can be read, otherwise "daapd".
std::string_view daap_server();
// Writes the named server's configuration for the host name and mount path
// (mode 0755, parent directories made); another name writes nothing. A
// value holding a line break is refused (EINVAL) with a message logged.
sys::Status prepare_daap_config(std::string_view server, std::string_view host,
                                std::string_view mount_path);
// Makes the music folder, writes the configuration and starts the server
// in the background: the start command's status, -1 when a value was
// refused or the configuration could not be written (nothing started).
int start_music_server(std::string_view host, std::string_view mount_path);
void stop_music_server();

}  // namespace nexa
