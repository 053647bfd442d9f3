// Pop-up messages and alert mail: command lines, mail files and hostile
// values.
#include "services/alerts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "library_test.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class AlertsTest : public LibraryTest {
 protected:
  AlertsTest() { mkdir(path("/tmp").c_str(), 01777); }
  std::string mail_file(int counter) const { return kMailFilePrefix + std::to_string(counter); }
  // Mail is sent in a child, so each send starts from counter 0 as in a
  // fresh process; its standard output holds the printed commands, and the
  // command lines it ran follow, each after "ran: ".
  std::vector<std::string> send(const char* host, const char* addresses, const char* user,
                                const char* body = "Disk 1 is failing.") {
    const testing::ChildResult child = testing::run_in_child([&] {
      nexalib_send_mail_to_user(host, addresses, user, body);
      for (const std::string& line : commands.lines) std::printf("ran: %s\n", line.c_str());
    });
    EXPECT_EQ(child.exit_status, 0);
    return lines_of(child.out);
  }
  std::string smtpblast(const std::string& address, int counter,
                        const std::string& host = "mail.lan") const {
    return "smtpblast -f alert@" + host + " -t " + address + " -i " + path(mail_file(counter)) +
           " -r " + host + " &";
  }
};

TEST_F(AlertsTest, PopUpsGoToEachMachineInOrder) {
  const struct {
    const char* machines;
    std::vector<std::string> commands;
  } rows[] = {
      {"&pc1&pc2&pc3&",
       {"echo \"Disk full\" | smbclient -M pc1 &", "echo \"Disk full\" | smbclient -M pc2 &",
        "echo \"Disk full\" | smbclient -M pc3 &"}},
      {"&pc1&pc2", {"echo \"Disk full\" | smbclient -M pc1 &"}},
      {"&&pc1&", {"echo \"Disk full\" | smbclient -M pc1 &"}},
      {"&", {}},
      {"", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.machines);
    commands.lines.clear();
    nexalib_send_popup_messages_to_machines("Disk full", row.machines);
    EXPECT_EQ(commands.lines, row.commands);
  }
}

TEST_F(AlertsTest, MailGoesToEachAddressWithItsOwnFile) {
  const struct {
    const char* name;
    const char* addresses;
    const char* user;
    std::vector<std::string> out;
  } rows[] = {
      {"two addresses",
       "&a@x.org&b@y.org&",
       "alert",
       {smtpblast("a@x.org", 0), smtpblast("b@y.org", 1), "ran: " + smtpblast("a@x.org", 0),
        "ran: " + smtpblast("b@y.org", 1)}},
      {"no @", "&nobody&", "alert", {}},
      {"text after the last & is no element", "a@x.org", "alert", {}},
      {"an address adding a header is skipped",
       "&a@x.org\r\nBcc: c@z.org&b@y.org&",
       "alert",
       {smtpblast("b@y.org", 0), "ran: " + smtpblast("b@y.org", 0)}},
      {"a user adding a header sends nothing", "&a@x.org&", "alert\nBcc: c@z.org", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(send("mail.lan", row.addresses, row.user), row.out);
  }
  EXPECT_TRUE(send(nullptr, "&a@x.org&", "alert").empty()) << "a null host sends nothing";
}

TEST_F(AlertsTest, MailFileHoldsTheTextAndItsTerminator) {
  send("mail.lan", "&a@x.org&", "alert");
  EXPECT_EQ(read_file(mail_file(0)), std::string("to: a@x.org\nDisk 1 is failing.\0", 31));
  EXPECT_EQ(mode_of(mail_file(0)), 0777u);

  // A long body is cut, never the recipient line; the file keeps its zero.
  const std::string body(3000, 'b');
  send("mail.lan", "&a@x.org&", "alert", body.c_str());
  const std::string text = read_file(mail_file(0));
  EXPECT_EQ(text.size(), kMailTextRoom);
  EXPECT_EQ(text.substr(0, 12), "to: a@x.org\n");
  EXPECT_EQ(text.back(), '\0');
  const std::string long_address = std::string(kMailTextRoom, 'a') + "@x.org";
  EXPECT_EQ(mail_text(long_address, "body"), std::nullopt);
}

TEST_F(AlertsTest, ALinkPlantedAtTheMailFileIsNotFollowed) {
  write_file("/victim", "keep me");
  ASSERT_EQ(symlink(path("/victim").c_str(), path(mail_file(0)).c_str()), 0);
  EXPECT_EQ(send("mail.lan", "&a@x.org&", "alert").size(), 2u);
  EXPECT_EQ(read_file("/victim"), "keep me");
  EXPECT_EQ(read_file(mail_file(0)), std::string("to: a@x.org\nDisk 1 is failing.\0", 31));
}

class AlertsHostile : public AlertsTest,
                      public ::testing::WithParamInterface<testing::HostileValue> {};

// A hostile message, machine, address, user or host either sends nothing
// or reaches its program as exactly one literal word.
TEST_P(AlertsHostile, ValuesStayOneWordOrAreSkipped) {
  const std::string& hostile = GetParam().value;
  const std::string value = hostile.substr(0, hostile.find('\0'));  // what C passes
  nexalib_send_popup_messages_to_machines(value.c_str(), "&pc1&");
  // A "&" ends a machine name of the list by design.
  if (value.find('&') == std::string::npos)
    nexalib_send_popup_messages_to_machines("hi", ("&" + value + "&").c_str());
  for (const std::string& line : commands.lines) {
    const std::vector<std::string> words = testing::shell_words(line);
    ASSERT_EQ(words.size(), 7u) << line;
    EXPECT_TRUE(words[1] == value || words[5] == value) << line;
  }

  commands.lines.clear();
  const std::string address = value + "@x.org";
  const struct {
    std::string host, address, user;
  } mails[] = {
      {value, "a@x.org", "alert"}, {"mail.lan", address, "alert"}, {"mail.lan", "a@x.org", value}};
  for (const auto& mail : mails) {
    if (mail.address.find('&') != std::string::npos) continue;
    const std::vector<std::string> out =
        send(mail.host.c_str(), ("&" + mail.address + "&").c_str(), mail.user.c_str());
    if (out.empty()) continue;
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1], "ran: " + out[0]);
    EXPECT_EQ(
        testing::shell_words(out[0]),
        (std::vector<std::string>{"smtpblast", "-f", mail.user + "@" + mail.host, "-t",
                                  mail.address, "-i", path(mail_file(0)), "-r", mail.host, "&"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Hostile, AlertsHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
