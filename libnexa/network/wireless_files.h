// The radio driver's files: its name in the firmware image description and
// the access-point parameter file that holds the RADIUS settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/sys.h"
#include "core/text_files.h"

namespace nexa {

inline constexpr const char* kImageDescription = "/etc/ImageInfo";
inline constexpr const char* kDriverNameOutput = "/tmp/wireless.tmp";

// The driver name the firmware image describes (as written there, "RT2860"
// say); empty when the description names none.
std::string image_driver_name();
// The access-point parameter file of a driver; none when the name cannot
// be one component of a path.
std::optional<std::string> parameter_file_of(std::string_view upper_name);

// Replaces the first "parameter=..." line of the file (leading blanks and
// tabs allowed) with "parameter=value"; other lines stay byte for byte and
// a file without such a line is not rewritten. Fails when the file cannot
// be read, or when the value would add a line.
LineEdit set_parameter_line(std::string_view path, std::string_view parameter,
                            std::string_view value);

}  // namespace nexa
