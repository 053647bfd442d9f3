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
  kAccountName,    // a user or group name in passwd, group and access lists:
                   // nor ":", "," or a blank (lists split at blanks too)
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
};

// Whether the value can be written as it is.
bool is_acceptable(ValueKind kind, std::string_view value);
// The value with each character its kind forbids turned into a blank (an
// underscore in account names, dhcpd.conf words and log hosts; NUL
// dropped). A path component that stays unacceptable gives "".
std::string flattened(ValueKind kind, std::string_view value);

}  // namespace nexa
