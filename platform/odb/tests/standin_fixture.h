// A fresh stand-in per test, with a private temporary directory and helpers to read results.
#pragma once

#include "odb_standin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_unsetenv("ODB_STANDIN_FILE");
    g_unsetenv("ODB_STANDIN_LOG");
    odb_standin_reset();
    char* dir = g_dir_make_tmp("odb-standin-XXXXXX", nullptr);
    ASSERT_NE(dir, nullptr);
    tmp_ = dir;
    g_free(dir);
  }
  void TearDown() override {
    if (h_) odb_handle_destroy(h_);
    g_unsetenv("ODB_STANDIN_FILE");
    g_unsetenv("ODB_STANDIN_LOG");
    odb_standin_reset();
    std::error_code ignored;
    std::filesystem::remove_all(tmp_, ignored);
  }

  OdbHandle* handle() {
    if (!h_) h_ = odb_handle_new();
    return h_;
  }
  // The running program ends: what the next one starts from is what it left on disk.
  void end_program() {
    odb_handle_destroy(h_);
    h_ = nullptr;
    odb_standin_reset();
  }
  static std::string log() {
    char* text = odb_standin_log_text();
    std::string copy = text;
    g_free(text);
    return copy;
  }
  static std::vector<guint32> oids(GSList* list) {
    std::vector<guint32> result;
    for (GSList* node = list; node; node = node->next)
      result.push_back(GPOINTER_TO_UINT(node->data));
    return result;
  }
  // Owned new props: the criteria or changes a caller builds.
  OdbProps* props(std::initializer_list<std::pair<const char*, const char*>> values) {
    OdbProps* p = odb_props_new();
    for (const auto& [key, value] : values) odb_props_set(p, key, value);
    owned_.emplace_back(p);
    return p;
  }

  std::filesystem::path tmp_;

 private:
  struct PropsDestroy {
    void operator()(OdbProps* p) const { odb_props_destroy(p); }
  };
  OdbHandle* h_ = nullptr;
  std::vector<std::unique_ptr<OdbProps, PropsDestroy>> owned_;
};
