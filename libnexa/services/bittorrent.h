// Control of the rtorrent BitTorrent client: its rate limits, the queue of
// downloads, stopping a client process and a download's status files.
#pragma once

#include <glib.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/sys.h"
#include "odb.h"

namespace nexa {

inline constexpr const char* kRtorrentRc = "/root/.rtorrent.rc";
// At most this many downloads are made to run.
inline constexpr int kMaxRunningDownloads = 5;

// The client configuration with its rate lines rewritten (a rate that is
// unset leaves its lines alone); nothing when no line was rewritten.
std::optional<std::string> with_rates(std::string_view text, const char* download,
                                      const char* upload);
// Writes namespace "BT"'s "download" and "upload" of the "System" object
// into the client configuration; without a "System" object the CGI
// connection is ended. A rate holding a line break changes nothing.
void set_bt_conf(OdbHandle& h);
// The process id on the last line of ps output that names rtorrent and the
// pattern and is no "sh -c" line; lines whose first word is not a decimal
// process id are skipped.
std::optional<long> client_pid(std::string_view ps_output, std::string_view pattern);
// Kills the client process the pattern names, found with ps through the
// temporary file at tmp_path.
void stop_bt(std::string_view pattern, std::string_view tmp_path);
void remove_bt_status_files(std::string_view directory, std::string_view name);
// The downloads whose "status" is "start"; ENOENT when there is no "BT"
// object, in which case the handler connection has been ended.
sys::Result<int> started_sessions(OdbHandle& h);
// Asks waiting downloads to start, in list order, while fewer than
// kMaxRunningDownloads run.
void start_wait_sessions(OdbHandle& h);

}  // namespace nexa
