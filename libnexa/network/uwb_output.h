// Reading what the UWB radio tools print: neighbour addresses, attribute
// fields and the device state, plus the text forms of a radio address.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nexa {

// A radio address (EUI), bytes b0..b5.
using Eui = std::array<unsigned char, 6>;

// "00:11:22:33:44:55".
std::string display_form(const Eui& eui);
// The tools' form: b3 b2 b1 b0 "_0000" b5 b4, "33221100_00005544".
std::string tool_form(const Eui& eui);
// b4 b5, "4455".
std::string serial_number(const Eui& eui);

// The address of a scan line naming a "NEIGHBOR": six "-"-separated hex
// numbers from the first "0" after that word; none unless all six are there.
std::optional<Eui> neighbor_address(std::string_view line);
// Field `wanted` (from 1) of a line of `fields` blank-separated hex numbers;
// none unless the line holds them all.
std::optional<unsigned> attribute_field(std::string_view line, int fields, int wanted);
// The character right after the first "=" of the first line that mentions
// "state"; none without such a line or character.
std::optional<char> device_state(const std::vector<std::string>& lines);

}  // namespace nexa
