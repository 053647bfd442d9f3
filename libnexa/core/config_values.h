// Values from configuration objects, callers and the network, guarded in
// one place before they go into a file, a list or an array: each kind of
// value has the characters that would end it early or add a line, a field,
// a section or an element.
#pragma once

#include <string>
#include <string_view>

namespace nexa {

enum class ValueKind {
  kFreeText,       // a value on one line of a file: no CR, LF or NUL
  kSectionName,    // "[name]" of a sectioned file: nor "[" or "]"
  kAccountName,    // a user or group name, by the account tools' rule: a
                   // letter or "_", then letters, digits, ".", "_" or "-",
                   // at most 32 in all; so nothing that passwd, group, an
                   // access list or a command line reads as syntax
  kAccountField,   // another field of those files: nor ":"
  kListItem,       // an element of a comma list: nor ","
  kOdbArrayItem,   // an element of an odb array: nor "&"
  kDhcpWord,       // an unquoted value of a dhcpd.conf statement: nor a
                   // blank, ";", "{", "}", "#" or a double quote (each would
                   // end the statement, open a block, a comment or a string)
  kLogHost,        // a remote host in a system logger rule: nor a blank, a
                   // tab, ";", "#", "@", "(", ")", a quote or a backslash
                   // (each would change how the logger reads the rule)
  kPathComponent,  // one name of a path: nor "/"; not empty, "." or ".."
  kSharePath,      // a share's directory as Samba and the FTP server read
                   // it: no "%" (their macros), "*", "?", "[", "]" or "\"
                   // (the FTP server's patterns and their escape)
  kShareName,      // a share's name, also a Samba section and a path
                   // component: as kSharePath, nor "/" or any control
                   // character, valid UTF-8, no blank at either end or two
                   // in a row (Samba folds those), not "." or ".."
};

// Whether the value can be written as it is.
bool is_acceptable(ValueKind kind, std::string_view value);
// The value with each character its kind forbids turned into a blank (an
// underscore in account names, dhcpd.conf words, log hosts and shares; NUL
// dropped); an account name is also cut to its length. A path component or
// share name that stays unacceptable gives "".
std::string flattened(ValueKind kind, std::string_view value);

}  // namespace nexa
