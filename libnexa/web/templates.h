// Page templates: the patch buffer of values and the page renderer.
#pragma once

#include <cstdio>
#include <string_view>

#include "nexalib.h"

namespace nexa {

inline constexpr size_t kPatchSize = 65536;
inline constexpr size_t kLoopTextOffset = 32;
inline constexpr size_t kVarTextOffset = 1536;
// Key limits of the page mark-up and of the appenders.
inline constexpr size_t kMaxMarkupKey = 39;
inline constexpr size_t kMaxAppendKey = 127;
inline constexpr int kMaxLoopIndex = 9999;

PatchMem* allocate_patch();
// Writes "key=value\n" at pos (the caller provides the room); returns the
// position after it.
char* write_patch_line(char* pos, std::string_view key, std::string_view value);
// Appends the page value keyed name + "_0".
void append_page_value(PatchMem* p, std::string_view name, std::string_view value);
// Appends "key=value\n" to one of the texts when it fits in its room;
// otherwise leaves it out and reports that to the system log.
void append_variable(PatchMem* p, std::string_view key, std::string_view value);
void append_loop_value(PatchMem* p, const char* loop, const char* name, const char* value,
                       int index);

// The value of the line keyed exactly key in text, or nullptr.
const char* find_value(const char* text, std::string_view key);

// The next area of a page (see FindAndMarkTagArea) and the next variable of
// an area body (see FindOutVariableValue).
char* find_area(char* text, int* length, TagArea* area, PatchMem* p);
char* find_variable(char* pos, int* length, TagValue* value, PatchMem* p, int index);

// Prints text (a whole page, changed in place) with its areas filled in.
void render_page(char* text, PatchMem* p, FILE* out);
bool is_page_name(std::string_view path);
void send_file(const char* path, PatchMem* p, FILE* out);

}  // namespace nexa
