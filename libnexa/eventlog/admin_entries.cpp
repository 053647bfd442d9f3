// The wording of every administrative log entry, and the dispatch of one
// configuration event to its entries.
#include "eventlog/admin_entries.h"

#include <initializer_list>
#include <string>
#include <string_view>

#include "eventlog/log_files.h"
#include "nexalib.h"

namespace nexa {
namespace {

constexpr int kCreated = 2;
constexpr int kDestroyed = 3;

std::string_view text_of(const char* value) {
  return value ? value : "";
}

// Reads an event's props; a property that is missing reads as "".
class Event {
 public:
  explicit Event(OdbProps* props) : props_(props) {}
  std::string_view current(const char* key) const { return text_of(odb_props_get(props_, key)); }
  bool changed(const char* key) const { return odb_props_get_new(props_, key) != nullptr; }
  std::string_view change(const char* key) const { return text_of(odb_props_get_new(props_, key)); }
  bool is_set(const char* key) const { return !change(key).empty(); }
  int state() const {
    odb_props_reinit(props_);
    return odb_props_state(props_);
  }

 private:
  OdbProps* props_;
};

// The entries of one event, each a fixed wording whose "%s" are filled with
// the values as plain text (a "%" in a name is never a directive).
class Entries {
 public:
  explicit Entries(int result) : result_(result == 0 ? "OK" : "FAIL") {}
  std::string_view result() const { return result_; }

  void add(std::string_view wording, std::initializer_list<std::string_view> values) {
    std::string entry;
    auto value = values.begin();
    for (size_t at = 0; at < wording.size(); ++at) {
      if (wording.compare(at, 2, "%s") == 0 && value != values.end()) {
        entry += *value++;
        ++at;
      } else {
        entry += wording[at];
      }
    }
    if (append_entry(kAdminLog, entry, true)) ++written_;
  }
  // "<enabled wording> R" or "<disabled wording> R" when `enabled` changes.
  void on_off(const Event& event, std::string_view enabled, std::string_view disabled) {
    if (!event.changed("enabled")) return;
    add(event.change("enabled") == "1" ? enabled : disabled, {result_});
  }
  int written() const { return written_; }

 private:
  std::string_view result_;
  int written_ = 0;
};

}  // namespace

int log_user(OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  Entries entries(result);
  const std::string_view name = event.current("name");
  const int state = event.state();
  if (state == kCreated) {
    entries.add("USER: Add new user %s %s", {name, entries.result()});
  } else if (state == kDestroyed) {
    entries.add("USER: Delete user %s %s", {name, entries.result()});
  } else {
    std::string_view home;
    if (event.changed("createDir"))
      home = event.change("createDir") == "1" ? "Create home directory" : "No home directory";
    entries.add("USER: Modify user %s: %s %s %s %s",
                {name, event.is_set("password") ? "PASSWORD" : "",
                 event.is_set("description") ? "DESCRIPTIONS" : "", home, entries.result()});
  }
  return entries.written();
}

int log_group(OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  Entries entries(result);
  const std::string_view name = event.current("name");
  const int state = event.state();
  if (state == kCreated && result == LOG_RESULT_GROUP_EXISTS)
    entries.add("GROUP: Group %s is alreay existed !", {name});
  else if (state == kCreated)
    entries.add("GROUP: Add new group %s %s", {name, entries.result()});
  else if (state == kDestroyed && result == LOG_RESULT_GROUP_RESERVED)
    entries.add("GROUP: The group %s is reserved for system use", {name});
  else if (state == kDestroyed)
    entries.add("GROUP: Delete group %s %s", {name, entries.result()});
  else
    entries.add("GROUP: Modify group %s : members= %s %s",
                {name, event.current("members"), entries.result()});
  return entries.written();
}

int log_system(OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  Entries entries(result);
  if (result == LOG_RESULT_HOSTNAME_TOO_LONG) {
    entries.add("SYSTEM: Hostname %s is too long", {event.current("hostname")});
    return entries.written();
  }
  const struct {
    const char* key;
    std::string_view wording;
  } settings[] = {
      {"hostname", "SYSTEM: Set hostname to %s %s"},
      {"gateway", "SYSTEM: Set gateway to %s %s"},
      {"domain", "SYSTEM: Set domain to %s %s"},
      {"dns", "SYSTEM: Set DNS to %s %s"},
  };
  for (const auto& setting : settings)
    if (event.is_set(setting.key))
      entries.add(setting.wording, {event.change(setting.key), entries.result()});
  return entries.written();
}

int log_network(OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  Entries entries(result);
  if (event.changed("bootproto") && event.change("bootproto") == "dhcp")
    entries.add("NETWORK: DHCP Client enabled %s", {entries.result()});
  if (event.is_set("netmask"))
    entries.add("NETWORK: Set netmask to %s %s", {event.change("netmask"), entries.result()});
  if (event.is_set("ipaddr"))
    entries.add("NETWORK: Set IP addrress to %s %s", {event.change("ipaddr"), entries.result()});
  return entries.written();
}

int log_foldershare(OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  Entries entries(result);
  const int state = event.state();
  const std::string_view wording = state == kCreated     ? "FOLDERSHARE: Add new folder share %s %s"
                                   : state == kDestroyed ? "FOLDERSHARE: Delete folder share %s %s"
                                                         : "FOLDERSHARE: Modify folder share %s %s";
  entries.add(wording, {event.current("name"), entries.result()});
  return entries.written();
}

int log_samba(OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  Entries entries(result);
  entries.on_off(event, "SAMBA: Samba Server enabled %s", "SAMBA: Samba Server disabled %s");
  if (event.is_set("serverString"))
    entries.add("SAMBA: Set server string to %s %s",
                {event.change("serverString"), entries.result()});
  if (event.is_set("workgroup"))
    entries.add("SAMBA: Set workgroup to %s %s", {event.change("workgroup"), entries.result()});
  if (event.is_set("winsIpAddr"))
    entries.add("SAMBA: Set WINS server to %s %s", {event.change("winsIpAddr"), entries.result()});
  else if (event.changed("winsIpAddr"))
    entries.add("SAMBA: WINS server disabled %s", {entries.result()});
  return entries.written();
}

int log_printer(OdbProps* props, int result) {
  if (!props) return 0;
  Entries entries(result);
  entries.on_off(Event(props), "PRINTER: Printer Server enabled %s",
                 "PRINTER: Printer Server disabled %s");
  return entries.written();
}

int log_ftp(OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  Entries entries(result);
  entries.on_off(event, "FTP: FTP Server enabled %s", "FTP: FTP Server disabled %s");
  if (event.is_set("portNumber"))
    entries.add("FTP: Set port number to %s %s", {event.change("portNumber"), entries.result()});
  else if (event.changed("portNumber"))
    entries.add("FTP: Invalid port number %s", {entries.result()});
  return entries.written();
}

int log_nfs(OdbProps* props, int result) {
  if (!props) return 0;
  Entries entries(result);
  entries.on_off(Event(props), "NFS: NFS Server enabled %s", "NFS: NFS Server disabled %s");
  return entries.written();
}

int log_guest(OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  Entries entries(result);
  entries.on_off(event, "GUEST: Guest account enabled %s", "GUEST: Guest account disabled %s");
  if (event.changed("quota") && event.change("quota") == "-1")
    entries.add("GUEST: quota unlimitted %s", {entries.result()});
  else if (event.changed("quota"))
    entries.add("GUEST: Set quota to %sMB %s", {event.change("quota"), entries.result()});
  return entries.written();
}

int log_quota(OdbProps* user, OdbProps* props, int result) {
  if (!props) return 0;
  const Event event(props);
  if (!event.changed("quota")) return 0;
  Entries entries(result);
  // A user object that is gone gives the empty name.
  const std::string_view name = user ? Event(user).current("name") : "";
  if (event.change("quota") == "-1")
    entries.add("DISK: %s's disk quota is unlimitted %s", {name, entries.result()});
  else
    entries.add("DISK: Set %s's disk quota to %sMB %s",
                {name, event.change("quota"), entries.result()});
  return entries.written();
}

int log_admin_session(OdbHandle* handle, int oid, OdbProps* props, int result) {
  if (!props) return 0;
  using Writer = int (*)(OdbProps*, int);
  const struct {
    std::string_view name;
    Writer writer;
  } classes[] = {{"User", log_user},
                 {"Group", log_group},
                 {"System", log_system},
                 {"Network", log_network},
                 {"FolderShare", log_foldershare}},
    namespaces[] = {{"Samba", log_samba},
                    {"PrinterServer", log_printer},
                    {"Ftp", log_ftp},
                    {"NFS", log_nfs},
                    {"GuestShare", log_guest}};
  int written = 0;
  if (const char* class_name = odb_props_get(props, "CLASS"))
    for (const auto& each : classes)
      if (each.name == class_name) written += each.writer(props, result);
  if (const char* ns = odb_props_get(props, "NAMESPACE")) {
    for (const auto& each : namespaces)
      if (each.name == ns) written += each.writer(props, result);
    // Only the quota entry needs the user object; without a connection it
    // reads as gone (the empty name).
    if (std::string_view(ns) == "Disk") {
      OdbProps* user = handle ? odb_get_cmnd(handle, static_cast<guint32>(oid), "") : nullptr;
      written += log_quota(user, props, result);
    }
  }
  return written;
}

}  // namespace nexa
