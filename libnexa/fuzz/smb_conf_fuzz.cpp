// Fuzz target: any smb.conf through the model, read from its text; then,
// by the input's length, read from its line list too (the two must agree)
// or written back and read again (the second reading must give the same
// sections as the first). One check a run keeps the runs many.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "sharing/smb_conf.h"

namespace {

// Whether two section lists hold the same sections, name and parameters,
// in the same order.
bool same_sections(GSList* a, GSList* b) {
  for (; a && b; a = a->next, b = b->next) {
    auto* left = static_cast<GHashTable*>(a->data);
    auto* right = static_cast<GHashTable*>(b->data);
    if (g_hash_table_size(left) != g_hash_table_size(right)) return false;
    GHashTableIter entries;
    gpointer key, value;
    g_hash_table_iter_init(&entries, left);
    while (g_hash_table_iter_next(&entries, &key, &value)) {
      const auto* other = static_cast<const char*>(g_hash_table_lookup(right, key));
      if (!other || std::strcmp(other, static_cast<const char*>(value)) != 0) return false;
    }
  }
  return !a && !b;
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
  const nexa::RecordListPtr first =
      nexa::sections_of_text(std::string_view(reinterpret_cast<const char*>(data), size));
  const nexa::RecordListPtr other =
      size % 2 == 0 ? parse(data, size) : nexa::sections_of_text(nexa::smb_conf_text(first.get()));
  if (!same_sections(first.get(), other.get())) __builtin_trap();
  return 0;
}
