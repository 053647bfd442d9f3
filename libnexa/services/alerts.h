// Alerts to the owner: pop-up messages to Windows machines and mail to a
// list of addresses, both through outside programs in the background.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nexa {

inline constexpr const char* kMailFilePrefix = "/tmp/alert_email_forcrontd_data";
// Room of a mail text, its terminator included.
inline constexpr size_t kMailTextRoom = 1536;

// Runs smbclient -M for each machine of the odb array (empty names are
// skipped); the message reaches echo as one literal word.
void send_popup_messages(std::string_view message, std::string_view machines);
// "to: address\nbody" within kMailTextRoom - 1 characters, the body cut
// when needed; nothing when even the "to:" line does not fit.
std::optional<std::string> mail_text(std::string_view address, std::string_view body);
// Mails body to each address of the list that holds "@" (every "&" ends an
// element, the first included), from user@host through host. Nothing is
// sent when the user or host would add a header line; such an address is
// skipped.
void send_mail(std::string_view host, std::string_view addresses, std::string_view user,
               std::string_view body);

}  // namespace nexa
