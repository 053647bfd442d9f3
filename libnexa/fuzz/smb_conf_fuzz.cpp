// Fuzz target: any smb.conf through the model, from its line list and from
// its text (which must agree), written back and read again; the second
// reading must give the same sections as the first.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sharing/smb_conf.h"

namespace {

using Contents = std::vector<std::map<std::string, std::string>>;

Contents contents(GSList* sections) {
  Contents out;
  for (GSList* cell = sections; cell; cell = cell->next) {
    std::map<std::string, std::string>& entries = out.emplace_back();
    g_hash_table_foreach(
        static_cast<GHashTable*>(cell->data),
        [](gpointer key, gpointer value, gpointer map) {
          (*static_cast<std::map<std::string, std::string>*>(map))[static_cast<char*>(key)] =
              static_cast<char*>(value);
        },
        &entries);
  }
  return out;
}

nexa::RecordListPtr parse(const void* data, size_t size) {
  if (size == 0) return nullptr;
  const nexa::FilePtr file(fmemopen(const_cast<void*>(data), size, "r"));
  if (!file) return nullptr;
  const nexa::StringListPtr lines = nexa::read_smb_lines(file.get());
  return nexa::sections_of(lines.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nexa::RecordListPtr first = parse(data, size);
  const nexa::RecordListPtr direct =
      nexa::sections_of_text(std::string_view(reinterpret_cast<const char*>(data), size));
  if (contents(first.get()) != contents(direct.get())) __builtin_trap();
  const std::string text = nexa::smb_conf_text(first.get());
  const nexa::RecordListPtr second = nexa::sections_of_text(text);
  if (contents(first.get()) != contents(second.get())) __builtin_trap();
  return 0;
}
