// Every writer of the library through every write, sync, rename and unlink
// it makes, each failed and each cut short by a kill: the files are the
// old ones or the new ones (for appends, the old ones and whole entries),
// a failure is reported where one happened, nothing is left behind, and
// the next writer after a kill finds whole files.
#include <pwd.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "core/sys.h"
#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

enum class Kind { kReplaced, kAppended };

// A file as a writer leaves it; parts are read one after the other (a log
// and the ".old" it was rotated to).
struct File {
  std::vector<std::string> parts;
  Kind kind;
  // A note of a change made: when it cannot be written, the change still
  // counts as made.
  bool note = false;
};

struct Writer {
  const char* name;
  std::vector<File> files;
  std::function<void()> seed;
  std::function<bool()> run;
  // The writer that comes after a kill (the same one when empty).
  std::function<bool()> next;
};

using Snapshot = std::vector<std::string>;

constexpr sys::Step kSteps[] = {sys::Step::kWrite, sys::Step::kSync, sys::Step::kRename,
                                sys::Step::kUnlink};

PropsPtr props(const testing::Props& values) {
  PropsPtr p = new_props();
  for (const auto& [key, value] : values) odb_props_set(p.get(), key.c_str(), value.c_str());
  return p;
}

// Files whose next entry crosses a page boundary, where a kill tears it.
constexpr size_t kNearPageEnd = 4086;

// Lines from first, then "<prefix>N<middle>" lines, the last one padded
// with 'x' in its middle, to kNearPageEnd bytes.
std::string near_page_end(std::string text, const std::string& prefix, const std::string& middle) {
  const auto line = [&](size_t n, size_t pad) {
    return prefix + std::to_string(n) + middle.substr(0, 3) + std::string(pad, 'x') +
           middle.substr(3);
  };
  for (size_t n = 1;; ++n) {
    const size_t room = kNearPageEnd - text.size();
    const std::string plain = line(n, 0);
    if (room < 2 * plain.size()) return text + line(n, room - plain.size());
    text += plain;
  }
}

// Adds the line to a loaded line list and writes the list back with put;
// whether it was written.
bool add_line(GSList* lines, const char* line, const std::function<int(GSList*)>& put) {
  lines = g_slist_append(lines, strdup(line));
  const int written = put(lines);
  nexalib_g_slist_free_all(lines);
  return written == 0;
}

// Ids given, so that an entry reads the same whoever comes first.
bool add_user(const char* name, int uid) {
  return nexalib_adduser(name, "x", uid, 100, "", "/home/u", "/bin/sh") != nullptr;
}

class FaultPoints : public testing::LibraryTest {
 protected:
  FaultPoints() {
    set_now(1700000000);
    const guint32 system = odb.add("System");
    odb.set(system, {{"rootdir", "/mnt/sys"}}, "Disk");
    logger = odb.add("Logger");
    odb.set(logger, {{"logClient", "loghost.lan"}}, "Syslog");
  }

  std::vector<Writer> writers() {
    const auto seed_accounts = [this] {
      write_file("/etc/passwd",
                 near_page_end("root:x:0:0:root:/root:/bin/sh\nbob:x:500:500::/home/bob:/bin/sh\n",
                               "u", ":x:1:100::/home/u:/bin/sh\n"));
      write_file("/etc/group", near_page_end("root:x:0:\nusers:x:100:\n", "g", ":x:1:root\n"));
    };
    const File passwd_file{{"/etc/passwd"}, Kind::kReplaced};
    const File group_file{{"/etc/group"}, Kind::kReplaced};
    const File admin_log{{"/var/log/log.admin.old", "/var/log/log.admin"}, Kind::kAppended};
    return {
        {"text file",
         {{{"/etc/hosts"}, Kind::kReplaced}},
         [this] { write_file("/etc/hosts", "127.0.0.1 localhost\n"); },
         [] {
           return add_line(
               nexalib_load_txt_file_to_list("/etc/hosts"), "192.168.77.1 nas\n",
               [](GSList* l) { return nexalib_put_list_to_txt_file(l, "/etc/hosts", 0644); });
         },
         {}},
        {"smb.conf",
         {{{"/etc/smb.conf"}, Kind::kReplaced}},
         [this] { write_file("/etc/smb.conf", "[global]\n\tworkgroup = HOME\n"); },
         [] {
           GSList* sections = nexalib_load_smb_conf_to_list_hash("/etc/smb.conf");
           sections = g_slist_append(
               sections, nexalib_smb_conf_folder_share_hash_create(
                             "photos", "/shares/photos", "1", "", "", "", "", "", "0", "ext3"));
           const int put = nexalib_put_list_hash_to_smb_conf(sections, "/etc/smb.conf", 0644);
           nexalib_g_slist_free_all_hash(sections);
           return put == 0;
         },
         {}},
        {"proftpd.conf",
         {{{"/usr/ruvoro/etc/proftpd.conf"}, Kind::kReplaced}},
         [this] { write_file("/usr/ruvoro/etc/proftpd.conf", "ServerName nas\n"); },
         [this] {
           const PropsPtr share =
               props({{"name", "photos"}, {"isDisk", "0"}, {"allowForAll", "1"}});
           return modftp_modify_ftp_conf(odb, 0, share.get()) == 0;
         },
         {}},
        {"passwd rewrite",
         {passwd_file},
         seed_accounts,
         [] {
           passwd bob{const_cast<char*>("bob"),
                      const_cast<char*>("x"),
                      500,
                      500,
                      const_cast<char*>("Bob B"),
                      const_cast<char*>("/home/bob"),
                      const_cast<char*>("/bin/sh")};
           return nexalib_update_passwd(&bob, 1) == 0;
         },
         {}},
        {"group list",
         {group_file},
         seed_accounts,
         [] {
           return add_line(nexalib_etc_group_to_list(), "staff:x:200:\n",
                           nexalib_put_to_group_file);
         },
         {}},
        {"user added",
         {{{"/etc/passwd"}, Kind::kAppended}},
         seed_accounts,
         [] { return add_user("alice", 601); },
         [] { return add_user("carol", 602); }},
        {"group added",
         {{{"/etc/group"}, Kind::kAppended}},
         seed_accounts,
         [] { return nexalib_addgroup("staff", 200, "") == 0; },
         [] { return nexalib_addgroup("media", 201, "") == 0; }},
        {"event log entry",
         {admin_log},
         [this] {
           write_file("/var/log/log.admin",
                      near_page_end("", "2023.11.14-22:13:20 entry", " ok\n"));
         },
         [] { return nexalib_log_admin("%s", "share photos added") == 0; },
         [] { return nexalib_log_admin("%s", "share music added") == 0; }},
        {"event log rotated",
         {admin_log},
         [this] { write_file("/var/log/log.admin", std::string(1024000, 'x') + "\nlast entry\n"); },
         [] { return nexalib_log_admin("%s", "share photos added") == 0; },
         [] { return nexalib_log_admin("%s", "share music added") == 0; }},
        {"syslog rule and note",
         {{{"/etc/syslog.conf"}, Kind::kReplaced}, {{"/var/log/messages"}, Kind::kAppended, true}},
         [this] {
           write_file("/etc/syslog.conf", "kern.*\t/dev/console\n");
           write_file("/var/log/messages", near_page_end("", "kernel: booted", " ok\n"));
         },
         [this] {
           return nexalib_construct_syslog_conf_and_append_message_to_log_file(
                      odb, static_cast<int>(logger)) == 0;
         },
         {}},
        {"crontab",
         {{{"/etc/crontab"}, Kind::kReplaced}},
         [this] { write_file("/etc/crontab", "0 1 * * * /bin/true\n"); },
         [] {
           return nexalib_update_crontab_file(nullptr, "0 2 * * *", "/bin/date", "date", 1) == 0;
         },
         {}},
    };
  }

  Snapshot snapshot(const Writer& writer) const {
    Snapshot files;
    for (const File& file : writer.files) {
      std::string text;
      for (const std::string& part : file.parts)
        if (exists(part)) text += read_file(part);
      files.push_back(text);
    }
    return files;
  }

  // Temporary files left in the writer's directories.
  std::vector<std::string> litter(const Writer& writer) const {
    std::vector<std::string> found;
    for (const File& file : writer.files) {
      const std::string dir = std::filesystem::path(file.parts.back()).parent_path().string();
      for (const std::string& name : list_dir(dir))
        if (name.starts_with(".#")) found.push_back(dir + "/" + name);
    }
    return found;
  }

  void reset(const Writer& writer) {
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    writer.seed();
  }

  // Runs the writer in a child with the fault: "ok", "failed", or "" when
  // the fault killed it (what the writer itself printed comes before).
  static std::string run_with(const std::function<bool()>& run, std::optional<sys::Fault> fault) {
    const std::string out = testing::run_in_child([&] {
                              sys::set_fault(fault);
                              std::printf("\n=%s", run() ? "ok" : "failed");
                            }).out;
    const size_t result = out.rfind("\n=");
    return result == std::string::npos ? "" : out.substr(result + 2);
  }

  // How many steps of each kind the writer takes when nothing fails.
  static std::map<sys::Step, int> steps_of(const Writer& writer) {
    const std::string out = testing::run_in_child([&] {
                              sys::set_fault(std::nullopt);
                              const bool ok = writer.run();
                              std::printf("\n=");
                              for (const sys::Step step : kSteps)
                                std::printf("%d ", sys::steps_taken(step));
                              std::printf("%s", ok ? "ok" : "failed");
                            }).out;
    std::map<sys::Step, int> steps;
    std::istringstream in(out.substr(out.rfind("\n=") + 2));
    for (const sys::Step step : kSteps) in >> steps[step];
    std::string result;
    in >> result;
    EXPECT_EQ(result, "ok") << writer.name;
    return steps;
  }

  // A file after a kill and the next writer: replaced files as the writer
  // makes them; appended ones the old text, perhaps the killed writer's
  // whole entry, then the next writer's.
  static bool whole_after_next(const File& file, const std::string& old, const std::string& fresh,
                               const std::string& next_entry, const std::string& after) {
    if (file.kind == Kind::kReplaced) return after == fresh;
    const std::string entry = fresh.substr(old.size());
    return after == old + next_entry || after == old + entry + next_entry;
  }

  testing::OdbSession odb;
  guint32 logger = 0;
};

const char* step_name(sys::Step step) {
  switch (step) {
    case sys::Step::kWrite: return "write";
    case sys::Step::kSync: return "sync";
    case sys::Step::kRename: return "rename";
    case sys::Step::kUnlink: return "unlink";
  }
  return "?";
}

TEST_F(FaultPoints, EveryWriterThroughEveryStep) {
  std::string table;
  for (const Writer& writer : writers()) {
    SCOPED_TRACE(writer.name);
    const std::function<bool()> next = writer.next ? writer.next : writer.run;
    reset(writer);
    const Snapshot old = snapshot(writer);
    const std::map<sys::Step, int> steps = steps_of(writer);
    reset(writer);
    ASSERT_EQ(run_with(writer.run, std::nullopt), "ok");
    const Snapshot fresh = snapshot(writer);
    reset(writer);
    ASSERT_EQ(run_with(next, std::nullopt), "ok");
    const Snapshot next_fresh = snapshot(writer);

    table += writer.name;
    for (const sys::Step step : kSteps) {
      table += " | " + std::to_string(steps.at(step)) + " " + step_name(step);
      for (int nth = 1; nth <= steps.at(step); ++nth)
        for (const bool kill : {false, true}) {
          SCOPED_TRACE(std::string(kill ? "killed at " : "failed at ") + step_name(step) + " " +
                       std::to_string(nth));
          reset(writer);
          const std::string out = run_with(writer.run, sys::Fault{step, nth, EIO, kill});
          const Snapshot after = snapshot(writer);
          if (!kill) {
            // Failed where it failed, with nothing changed; or made, with
            // at most a note of it missing.
            if (out == "ok")
              for (size_t i = 0; i < after.size(); ++i)
                EXPECT_TRUE(after[i] == fresh[i] || (writer.files[i].note && after[i] == old[i]));
            else
              EXPECT_EQ(after, old);
            EXPECT_TRUE(out == "failed" || out == "ok");
            EXPECT_EQ(litter(writer), std::vector<std::string>{});
            continue;
          }
          EXPECT_EQ(out, "");
          for (size_t i = 0; i < after.size(); ++i)
            if (writer.files[i].kind == Kind::kReplaced)
              EXPECT_TRUE(after[i] == old[i] || after[i] == fresh[i]) << after[i];
            else
              EXPECT_TRUE(after[i].starts_with(old[i]));
          EXPECT_EQ(run_with(next, std::nullopt), "ok") << "the next writer";
          const Snapshot mended = snapshot(writer);
          for (size_t i = 0; i < mended.size(); ++i)
            EXPECT_TRUE(whole_after_next(writer.files[i], old[i], fresh[i],
                                         next_fresh[i].substr(old[i].size()), mended[i]))
                << mended[i].substr(std::min(old[i].size(), mended[i].size()));
          EXPECT_EQ(litter(writer), std::vector<std::string>{});
        }
    }
    table += "\n";
  }
  testing::expect_golden(table, "core/fault_points.golden");
}

}  // namespace
}  // namespace nexa
