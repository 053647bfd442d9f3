// The C boundary of the event log: each exported function converts its
// arguments, calls the library's C++ code and converts the result.
#include <cstdarg>
#include <string>

#include "core/messages.h"
#include "eventlog/admin_entries.h"
#include "eventlog/log_files.h"
#include "eventlog/log_pages.h"
#include "nexalib.h"

using namespace nexa;

// ---- Administrative event log ----------------------------------------------

namespace {

// Formats the caller's message once; the text then goes in literally.
int append_formatted(const char* path, bool stamped, const char* format, va_list args) {
  const std::string message = format_message(format, args);
  return append_entry(path, message, stamped) ? 0 : -1;
}

}  // namespace

int odb_debug_mask_check_log_size(const char* path) {
  return !path || check_log_size(path) ? 0 : -1;
}
int odb_debug_mask_syslog(const char* format, ...) {
  if (!format) return -1;
  va_list args;
  va_start(args, format);
  const int result = append_formatted(kDebugLog, false, format, args);
  va_end(args);
  return result;
}
int nexalib_log_admin(const char* format, ...) {
  if (!format) return -1;
  va_list args;
  va_start(args, format);
  const int result = append_formatted(kAdminLog, true, format, args);
  va_end(args);
  return result;
}
int nexalib_log_user(OdbProps* event, int result) {
  return log_user(event, result);
}
int nexalib_log_group(OdbProps* event, int result) {
  return log_group(event, result);
}
int nexalib_log_system(OdbProps* event, int result) {
  return log_system(event, result);
}
int nexalib_log_network(OdbProps* event, int result) {
  return log_network(event, result);
}
int nexalib_log_foldershare(OdbProps* event, int result) {
  return log_foldershare(event, result);
}
int nexalib_log_samba(OdbProps* event, int result) {
  return log_samba(event, result);
}
int nexalib_log_printer(OdbProps* event, int result) {
  return log_printer(event, result);
}
int nexalib_log_ftp(OdbProps* event, int result) {
  return log_ftp(event, result);
}
int nexalib_log_nfs(OdbProps* event, int result) {
  return log_nfs(event, result);
}
int nexalib_log_guest(OdbProps* event, int result) {
  return log_guest(event, result);
}
int nexalib_log_quota(OdbProps* user, OdbProps* event, int result) {
  return log_quota(user, event, result);
}
int nexalib_log_admin_session(OdbHandle* h, int oid, OdbProps* event, int result) {
  return log_admin_session(h, oid, event, result);
}
void write_log_to_other_file(const char* name, const char* dir, const char* path) {
  if (name && dir && path) write_log_pages(name, dir, path);
}
