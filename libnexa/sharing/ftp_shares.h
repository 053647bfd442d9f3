// The FTP server's access rules: one Directory block per folder share and
// per user home in proftpd.conf, and the blocks hiding the system volume's
// service directories.
#pragma once

#include <glib.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/owners.h"
#include "core/sys.h"
#include "odb.h"

namespace nexa {

inline constexpr const char* kFtpConfFile = "/usr/ruvoro/etc/proftpd.conf";
inline constexpr mode_t kFtpConfMode = 0644;

// A block in a line list: its opening line and the line after its closing
// "</Directory>" (null when the block ends the list).
struct FtpBlock {
  GSList* first = nullptr;
  GSList* after = nullptr;
};

// "<Directory X>", with X quoted where proftpd would otherwise split or
// cut it; nothing for an empty directory, one holding a line break or one
// too long for a line proftpd reads.
std::optional<std::string> directory_opening(std::string_view directory);
// "base/name", or nothing when name is no single path component or base
// cannot be written on one line.
std::optional<std::string> path_in(const char* base, const char* name);

// The last block opened by exactly this line that has its closing line.
// The pieces of a long line count as that one line: a piece that continues
// the previous element is never a line of its own.
std::optional<FtpBlock> find_block(GSList* lines, std::string_view opening);
// Frees the block's lines (from first up to after); the list's new head.
// A first line that is not in the list removes nothing.
GSList* remove_block(GSList* lines, FtpBlock block);
// Removes every block the finder reaches for the opening; whether there
// was one.
bool remove_blocks(StringListPtr& lines, std::string_view opening);
// Appends the block as one element, on a line of its own.
void append_block(StringListPtr& lines, std::string_view block);

// The file's lines; an unreadable or missing file gives none.
StringListPtr load_ftp_conf();
sys::Status write_ftp_conf(GSList* lines);

// The opening of the share's block: its "mountPoint" for a whole disk
// ("isDisk" other than "0"), else the system mount path and its "name".
std::optional<std::string> folder_share_opening(OdbProps& share, const char* system_path);
// The share's whole block, when its props name a directory proftpd reads
// as nothing but itself (a share name or mount point without patterns,
// "%", a backslash or a leading "~").
std::optional<std::string> folder_share_block(OdbProps& share, const char* system_path);
// The user's home block, when the name is an account name and "createDir"
// is "1" or the home exists.
std::optional<std::string> user_home_block(OdbProps& user, const char* system_path);

// Brings the share's block in line with the event's state and rewrites
// the file.
sys::Status update_folder_share(OdbHandle& h, OdbProps& share);
// Removes the user's block and, with bit 0 of flags, makes it again; 2
// when the file was rewritten, -1 otherwise.
int update_user_home(OdbHandle& h, OdbProps& user, int flags);
// Replaces the blocks hiding "lost+found", "local", "log" and "temp" with
// one each; 0 when an old "lost+found" block was replaced, -1 otherwise.
int hide_service_directories(OdbHandle& h);

}  // namespace nexa
