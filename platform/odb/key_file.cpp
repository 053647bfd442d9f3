// The stand-in's configuration as a GLib key file, shared by a sequence of programs.
#include "key_file.h"

#include "glib_ptr.h"

#include <charconv>
#include <string_view>

namespace odb_standin {
namespace {

constexpr const char* kClassKey = "class";

struct GroupName {
  guint32 oid = 0;
  std::string ns;
};

// "<oid>" is the main namespace, "<oid>/<namespace>" any other.
std::optional<GroupName> parse_group(std::string_view name) {
  size_t slash = name.find('/');
  std::string_view digits = name.substr(0, slash);
  GroupName group;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), group.oid);
  if (ec != std::errc() || end != digits.data() + digits.size() || group.oid == 0)
    return std::nullopt;
  if (slash != std::string_view::npos) {
    group.ns = name.substr(slash + 1);
    if (group.ns.empty()) return std::nullopt;
  }
  return group;
}

std::string group_name(guint32 oid, const std::string& ns) {
  return ns.empty() ? std::to_string(oid) : std::to_string(oid) + "/" + ns;
}

// Conservative: what GKeyFile would refuse, or read back as something else.
bool name_fits(std::string_view name) {
  if (name.empty() || name.front() == ' ' || name.back() == ' ' || name.front() == '#')
    return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7f || c == '=' || c == '[' || c == ']') return false;
  return true;
}

// g_key_file_get_string refuses values that are not UTF-8, and configuration
// text need not be; so read the raw value and undo GKeyFile's escapes here.
std::string unescape(std::string_view raw) {
  std::string text;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      text += raw[i];
      continue;
    }
    switch (raw[++i]) {
      case 's': text += ' '; break;
      case 'n': text += '\n'; break;
      case 't': text += '\t'; break;
      case 'r': text += '\r'; break;
      case '\\': text += '\\'; break;
      default: text += raw.substr(i - 1, 2);
    }
  }
  return text;
}

std::string read_value(GKeyFile* file, const char* group, const char* key) {
  GTextPtr raw(g_key_file_get_value(file, group, key, nullptr));
  return raw ? unescape(raw.get()) : std::string();
}

Properties read_group(GKeyFile* file, const char* group, bool main) {
  Properties values;
  StrvPtr keys(g_key_file_get_keys(file, group, nullptr, nullptr));
  for (gchar** key = keys.get(); key && *key; ++key)
    if (!main || std::string_view(*key) != kClassKey) values[*key] = read_value(file, group, *key);
  return values;
}

void read_objects(GKeyFile* file, Objects& objects) {
  StrvPtr groups(g_key_file_get_groups(file, nullptr));
  // Main groups first: a namespace group belongs to an object already read.
  for (bool main : {true, false}) {
    for (gchar** group = groups.get(); *group; ++group) {
      auto name = parse_group(*group);
      if (!name) {
        if (main) g_warning("odb stand-in: ignoring key file group [%s]", *group);
        continue;
      }
      if (name->ns.empty() != main) continue;
      if (main) {
        objects[name->oid] =
            Object{read_value(file, *group, kClassKey), {{"", read_group(file, *group, true)}}};
      } else if (auto it = objects.find(name->oid); it != objects.end()) {
        it->second.namespaces[name->ns] = read_group(file, *group, false);
      } else {
        g_warning("odb stand-in: ignoring key file group [%s] of no object", *group);
      }
    }
  }
}

void write_namespace(GKeyFile* file, guint32 oid, const std::string& ns, const Properties& values) {
  std::string group = group_name(oid, ns);
  if (!ns.empty() && !name_fits(ns)) {
    g_warning("odb stand-in: namespace \"%s\" cannot be saved in a key file", ns.c_str());
    return;
  }
  for (const auto& [key, value] : values) {
    if (!name_fits(key) || (ns.empty() && key == kClassKey)) {
      g_warning("odb stand-in: property \"%s\" cannot be saved in a key file", key.c_str());
      continue;
    }
    g_key_file_set_string(file, group.c_str(), key.c_str(), value.c_str());
  }
}

}  // namespace

Objects load_key_file(const std::string& path) {
  Objects objects;
  KeyFilePtr file(g_key_file_new());
  GError* raw_error = nullptr;
  if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, &raw_error)) {
    ErrorPtr error(raw_error);
    if (!g_error_matches(error.get(), G_FILE_ERROR, G_FILE_ERROR_NOENT))
      g_warning("odb stand-in: cannot read %s: %s", path.c_str(), error->message);
    return objects;
  }
  read_objects(file.get(), objects);
  return objects;
}

void save_key_file(const std::string& path, const Objects& objects) {
  KeyFilePtr file(g_key_file_new());
  for (const auto& [oid, object] : objects) {
    // The class keeps an object's group even when it has no property.
    g_key_file_set_string(file.get(), group_name(oid, "").c_str(), kClassKey,
                          object.class_name.c_str());
    for (const auto& [ns, values] : object.namespaces) write_namespace(file.get(), oid, ns, values);
  }
  GError* raw_error = nullptr;
  if (!g_key_file_save_to_file(file.get(), path.c_str(), &raw_error)) {
    ErrorPtr error(raw_error);
    g_warning("odb stand-in: cannot write %s: %s", path.c_str(), error->message);
  }
}

}  // namespace odb_standin
