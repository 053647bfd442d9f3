// The radio driver's files: its name in the firmware image description and
// the access-point parameter file that holds the RADIUS settings.
#include "network/wireless_files.h"

#include <algorithm>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/config_values.h"
#include "core/file_locks.h"
#include "core/text_files.h"

namespace nexa {

std::string image_driver_name() {
  // sed prints what follows the opening quote, so the closing one comes
  // with it; a value written without quotes keeps all its characters.
  CommandLine command("sed -n -e 's/^WIRELESS_DRIVER_NAME=[ \\t]*\"//p' ");
  command.word(sys::map_path(kImageDescription));
  std::string name = run_for_first_line(std::move(command), kDriverNameOutput);
  if (!name.empty() && name.back() == '"') name.pop_back();
  return name;
}

std::optional<std::string> parameter_file_of(std::string_view upper_name) {
  if (!is_acceptable(ValueKind::kPathComponent, upper_name)) return std::nullopt;
  const std::string name(upper_name);
  if (name == "RT2880") return "/etc/Wireless/" + name + "/iNIC_ap.dat";
  return "/etc/Wireless/" + name + "/" + name + "AP.dat";
}

namespace {

// Whether the line sets the parameter: its name, then "=" (so RADIUS_Key
// leaves RADIUS_Key1 alone).
bool sets_parameter(std::string_view line, std::string_view parameter) {
  const size_t start = std::min(line.find_first_not_of(" \t"), line.size());
  line.remove_prefix(start);
  return line.starts_with(parameter) && line.substr(parameter.size()).starts_with('=');
}

}  // namespace

LineEdit set_parameter_line(std::string_view path, std::string_view parameter,
                            std::string_view value) {
  if (parameter.empty() || !is_acceptable(ValueKind::kFreeText, parameter) ||
      !is_acceptable(ValueKind::kFreeText, value))
    return LineEdit::kFailed;
  const sys::Result<LockHold> hold = hold_for_edit(path);
  if (!hold) return LineEdit::kFailed;
  sys::Result<std::vector<std::string>> lines = load_lines(path);
  if (!lines) return LineEdit::kFailed;
  const auto found = std::ranges::find_if(
      *lines, [&](const std::string& line) { return sets_parameter(line, parameter); });
  if (found == lines->end()) return LineEdit::kNotFound;
  *found = std::string(parameter) + "=" + std::string(value) + "\n";
  const std::vector<std::string_view> views(lines->begin(), lines->end());
  return write_lines(views, path, 0755) ? LineEdit::kWritten : LineEdit::kWriteFailed;
}

}  // namespace nexa
