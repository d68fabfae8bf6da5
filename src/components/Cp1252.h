#pragma once
// Windows-1252, the character set of every file the suite exchanges.

#include <string>
#include <string_view>

namespace tamaris {

// UTF-8 to Windows-1252: one byte per character; a character outside the set (or a malformed
// UTF-8 sequence) becomes "?".
std::string Utf8ACp1252(std::string_view utf8);
void AnexarCp1252(std::string& salida, std::string_view utf8);
// Windows-1252 to UTF-8 (the five unassigned bytes become U+FFFD).
std::string Cp1252AUtf8(std::string_view cp1252);

}  // namespace tamaris
