// Alerts to the owner: pop-up messages and mail.
#include "services/alerts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "core/command_line.h"
#include "core/config_values.h"
#include "core/messages.h"
#include "core/owners.h"
#include "core/string_lists.h"
#include "core/sys.h"

namespace nexa {
namespace {

// Each mail of this process takes the next file name; two processes
// sending at once share names, as the mail reader expects.
int mail_counter = 0;

// The mail file sits in a shared directory: a stale file or a link planted
// at its name is removed, and the file is made afresh without following
// one (a link planted in between makes the open fail).
sys::Status write_mail_file(std::string_view path, std::string_view text) {
  sys::remove_file(path);
  const sys::Result<UniqueFd> fd = sys::open_descriptor(
      path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0777, sys::LastLink::kKeep);
  if (!fd) return fd.status();
  if (const sys::Status mode = sys::change_mode(fd->get(), 0777); !mode) return mode;
  // The mail reader expects the text's terminating zero byte too.
  std::string content(text);
  content += '\0';
  const sys::Status written = sys::write_all(fd->get(), content);
  if (!written) (void)sys::remove_file(path);  // half a mail is no mail
  return written;
}

void send_one_mail(std::string_view host, std::string_view address, std::string_view user,
                   std::string_view body) {
  const int counter = mail_counter++;
  const std::optional<std::string> text = mail_text(address, body);
  const std::string path = kMailFilePrefix + std::to_string(counter);
  if (!text || !write_mail_file(path, *text)) {
    sys::log(LOG_ERR, "alert mail not sent: its file could not be written\n");
    return;
  }
  std::string sender(user);
  sender.append("@").append(host);
  CommandLine command("smtpblast -f ");
  command.word(sender)
      .text(" -t ")
      .word(address)
      .text(" -i ")
      .word(sys::map_path(path, sys::LastLink::kKeep))
      .text(" -r ")
      .word(host)
      .text(" &");
  say("%s\n", command.str().c_str());
  std::fflush(stdout);
  sys::run_command(command);
}

}  // namespace

void send_popup_messages(std::string_view message, std::string_view machines) {
  for (const std::string& machine : split_odb_array(machines)) {
    if (machine.empty()) continue;
    CommandLine command("echo \"");
    command.in_quotes(message).text("\" | smbclient -M ").word(machine).text(" &");
    sys::run_command(command);
  }
}

std::optional<std::string> mail_text(std::string_view address, std::string_view body) {
  std::string text = "to: ";
  text.append(address).append("\n");
  if (text.size() > kMailTextRoom - 1) return std::nullopt;
  text.append(body.substr(0, kMailTextRoom - 1 - text.size()));
  return text;
}

void send_mail(std::string_view host, std::string_view addresses, std::string_view user,
               std::string_view body) {
  if (!is_acceptable(ValueKind::kFreeText, host) || !is_acceptable(ValueKind::kFreeText, user)) {
    sys::log(LOG_ERR, "alert mail not sent: the sender would add a header line\n");
    return;
  }
  // Every "&" ends an element, so the list is read as if one came before it.
  std::string list = "&";
  list.append(addresses);
  for (const std::string& address : split_odb_array(list)) {
    if (address.find('@') == std::string::npos) continue;
    if (!is_acceptable(ValueKind::kFreeText, address)) {
      sys::log(LOG_ERR, "alert mail address skipped: it would add a header line\n");
      continue;
    }
    send_one_mail(host, address, user, body);
  }
}

}  // namespace nexa
