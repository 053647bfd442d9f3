// One owner type per resource the library holds or hands around: files,
// descriptors, directories, string lists, record tables and lists, and the
// client library's props.
#pragma once

#include <dirent.h>
#include <glib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "odb.h"

namespace nexa {

struct FileClose {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileClose>;

struct DirClose {
  void operator()(DIR* d) const {
    if (d) ::closedir(d);
  }
};
using DirPtr = std::unique_ptr<DIR, DirClose>;

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// A string list: a GSList owning malloc'ed strings.
struct StringListFree {
  void operator()(GSList* list) const { g_slist_free_full(list, std::free); }
};
using StringListPtr = std::unique_ptr<GSList, StringListFree>;

// A record table: malloc'ed keys and values owned by the table; null
// allowed.
void free_record_table(GHashTable* table);
struct RecordTableFree {
  void operator()(GHashTable* table) const { free_record_table(table); }
};
using RecordTablePtr = std::unique_ptr<GHashTable, RecordTableFree>;

// A record list: a GSList of record tables.
struct RecordListFree {
  void operator()(GSList* records) const {
    g_slist_free_full(records, [](gpointer t) { free_record_table(static_cast<GHashTable*>(t)); });
  }
};
using RecordListPtr = std::unique_ptr<GSList, RecordListFree>;

// Props made with odb_props_new; their maker destroys them right after use.
struct PropsDestroy {
  void operator()(OdbProps* p) const { odb_props_destroy(p); }
};
using PropsPtr = std::unique_ptr<OdbProps, PropsDestroy>;

inline PropsPtr new_props() {
  return PropsPtr(odb_props_new());
}

}  // namespace nexa
