// Page templates: the patch buffer of values and the page renderer.
#include "web/templates.h"

#include <strings.h>
#include <sys/stat.h>
#include <syslog.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/config_values.h"
#include "core/sys.h"

namespace nexa {

namespace {

char* block_of(PatchMem* p) {
  return reinterpret_cast<char*>(p);
}
char* loop_limit(PatchMem* p) {
  return block_of(p) + kVarTextOffset;
}
char* var_limit(PatchMem* p) {
  return block_of(p) + kPatchSize;
}

// Values are single lines: a line break in a value would add a line, that
// is a variable of its own.
std::string one_line(std::string_view value) {
  return flattened(ValueKind::kFreeText, value);
}

bool write_line(char*& end, char* limit, std::string_view key, std::string_view value) {
  const std::string clean = one_line(value);
  // Keep the terminating zero inside the room.
  if (static_cast<size_t>(limit - end) < key.size() + clean.size() + 3) {
    sys::log(LOG_ERR, "page values do not fit, " + std::string(key) + " left out\n");
    return false;
  }
  end = write_patch_line(end, key, clean);
  return true;
}

// Lines of a loop-count or variable text never change length except where
// a count grows; this shifts the rest of the text to make that room.
bool rewrite_count(PatchMem* p, char* number, const std::string& index) {
  const size_t old_digits = std::strcspn(number, "\n");
  if (index.size() < old_digits) {
    sys::log(LOG_ERR, "Souldn't be happen.\n");
    return false;
  }
  const size_t grow = index.size() - old_digits;
  if (grow > 0) {
    if (static_cast<size_t>(loop_limit(p) - p->loop_end) <= grow) {
      sys::log(LOG_ERR, "page loop counts do not fit\n");
      return false;
    }
    std::memmove(number + old_digits + grow, number + old_digits,
                 static_cast<size_t>(p->loop_end - (number + old_digits)) + 1);
    p->loop_end += grow;
  }
  // Digits over digits inside a line; the line feed after them stays.
  std::memcpy(number, index.data(), index.size());  // NOLINT(bugprone-not-null-terminated-result)
  return true;
}

void print(FILE* out, const char* text, size_t length) {
  if (length > 0) std::fwrite(text, 1, length, out);
}

// Patch buffers live until the program ends (atexit handlers included);
// kept here they stay reachable and are never destroyed.
std::deque<std::unique_ptr<char[]>>& patch_blocks() {
  static auto* blocks = new std::deque<std::unique_ptr<char[]>>;
  return *blocks;
}

}  // namespace

PatchMem* allocate_patch() {
  std::unique_ptr<char[]> block(new (std::nothrow) char[kPatchSize]());
  if (!block) return nullptr;
  auto* p = reinterpret_cast<PatchMem*>(block.get());
  p->loop_start = p->loop_end = block.get() + kLoopTextOffset;
  p->var_start = p->var_end = block.get() + kVarTextOffset;
  patch_blocks().push_back(std::move(block));
  return p;
}

const char* find_value(const char* text, std::string_view key) {
  if (!text) return nullptr;
  // Keys match whole lines only: "name_0" must not find "username_0".
  for (const char* line = text; *line;) {
    if (std::strncmp(line, key.data(), key.size()) == 0 && line[key.size()] == '=')
      return line + key.size() + 1;
    const char* lf = std::strchr(line, '\n');
    if (!lf) break;
    line = lf + 1;
  }
  return nullptr;
}

char* write_patch_line(char* pos, std::string_view key, std::string_view value) {
  const std::string line = std::string(key) + "=" + std::string(value) + "\n";
  std::memcpy(pos, line.c_str(), line.size() + 1);
  return pos + line.size();
}

void append_page_value(PatchMem* p, std::string_view name, std::string_view value) {
  append_variable(p, std::string(name) + "_0", value);
}

void append_variable(PatchMem* p, std::string_view key, std::string_view value) {
  if (!p || key.size() > kMaxAppendKey) return;
  write_line(p->var_end, var_limit(p), key, value);
}

void append_loop_value(PatchMem* p, const char* loop, const char* name, const char* value,
                       int index) {
  if (!p || !loop || !name || index < 0 || index > kMaxLoopIndex) return;
  const std::string number = std::to_string(index);
  const std::string key = std::string(name) + "_" + number;
  const std::string clean = one_line(value ? value : "");
  if (key.size() > kMaxAppendKey ||
      static_cast<size_t>(var_limit(p) - p->var_end) < key.size() + clean.size() + 3) {
    sys::log(LOG_ERR, "page values do not fit, " + key + " left out\n");
    return;
  }
  if (char* count = const_cast<char*>(find_value(p->loop_start, loop))) {
    if (!rewrite_count(p, count, number)) return;
  } else if (!write_line(p->loop_end, loop_limit(p), loop, number)) {
    return;
  }
  append_variable(p, key, clean);
}

namespace {

constexpr std::string_view kTagOpen = "<TAG_";
constexpr std::string_view kVariableOpen = "{TAG_";

int length_of(const char* from, const char* to) {
  return static_cast<int>(to - from);
}

}  // namespace

char* find_area(char* text, int* length, TagArea* area, PatchMem* p) {
  *length = static_cast<int>(std::strlen(text));
  char* tag = std::strstr(text, kTagOpen.data());
  if (!tag) return nullptr;
  const char* word = tag + kTagOpen.size();
  std::string_view end_word;
  if (std::strncmp(word, "VARSTART_", 9) == 0) {
    area->kind = 1;
    end_word = "VAREND";
  } else if (std::strncmp(word, "LOOPSTART_", 10) == 0) {
    area->kind = 2;
    end_word = "LOOPEND";
  } else {
    return nullptr;  // not an area: the rest is printed as it stands
  }
  const char* name = std::strchr(word, '_') + 1;
  const char* close = std::strchr(name, '>');
  if (!close) return nullptr;
  const std::string end_tag =
      std::string(kTagOpen) + std::string(end_word) + "_" + std::string(name, close) + ">";
  if (end_tag.size() > kMaxMarkupKey) return nullptr;
  char* body_end = std::strstr(const_cast<char*>(close) + 1, end_tag.c_str());
  if (!body_end) return nullptr;

  area->loop_count = 0;
  if (area->kind == 2) {
    const char* count = p ? find_value(p->loop_start, std::string(name, close)) : nullptr;
    if (!count) {
      // A loop nobody gave a count: the page ends before it.
      *length = length_of(text, tag);
      return nullptr;
    }
    area->loop_count = std::atoi(count);
  }
  *length = length_of(text, tag);
  area->body_start = const_cast<char*>(close) + 1;
  area->body_end = body_end;
  area->body_length = length_of(area->body_start, body_end);
  char* after = body_end + end_tag.size();
  *body_end = '\0';
  // The character after the end tag (normally its line feed) is not printed.
  return *after ? after + 1 : after;
}

char* find_variable(char* pos, int* length, TagValue* value, PatchMem* p, int index) {
  *length = static_cast<int>(std::strlen(pos));
  char* mark = std::strstr(pos, kVariableOpen.data());
  if (!mark || !p) return nullptr;
  const char* name = mark + kVariableOpen.size();
  const char* close = std::strchr(name, '}');
  if (!close) return nullptr;
  const std::string key = std::string(name, close) + "_" + std::to_string(index);
  if (key.size() > kMaxMarkupKey) return nullptr;
  const char* found = find_value(p->var_start, key);
  if (!found) return nullptr;
  *length = length_of(pos, mark);
  value->pos = const_cast<char*>(found);
  value->length = static_cast<int>(std::strcspn(found, "\n"));
  return const_cast<char*>(close) + 1;
}

void render_page(char* text, PatchMem* p, FILE* out) {
  char* current = text;
  while (current) {
    int length = 0;
    TagArea area{};
    char* next = find_area(current, &length, &area, p);
    print(out, current, static_cast<size_t>(length));
    if (!next) break;
    const int passes = area.kind == 2 ? area.loop_count + 1 : 1;
    for (int index = 0; index < passes; ++index) {
      char* pos = area.body_start;
      while (pos) {
        TagValue value{};
        int before = 0;
        char* after = find_variable(pos, &before, &value, p, index);
        print(out, pos, static_cast<size_t>(before));
        if (after) print(out, value.pos, static_cast<size_t>(value.length));
        pos = after;
      }
    }
    current = next;
  }
}

bool is_page_name(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension(path.substr(dot + 1));
  return strcasecmp(extension.c_str(), "htm") == 0 || strcasecmp(extension.c_str(), "html") == 0;
}

void send_file(const char* path, PatchMem* p, FILE* out) {
  if (!path) return;
  sys::Result<FilePtr> opened = sys::open_file(path, "rb");
  if (!opened) return;
  const sys::Result<struct stat> st = sys::status_of(fileno(opened->get()));
  if (!st) return;
  const FilePtr file = std::move(*opened);
  if (!is_page_name(path)) {
    std::fprintf(out, "Content-type:image/jpg\n\n");
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0) std::fwrite(buf, 1, n, out);
    return;
  }
  std::fprintf(out, "Content-type:text/html\n\n");
  std::vector<char> text(static_cast<size_t>(st->st_size) + 1, '\0');
  const size_t got = std::fread(text.data(), 1, static_cast<size_t>(st->st_size), file.get());
  text[got] = '\0';
  render_page(text.data(), p, out);
}

}  // namespace nexa
