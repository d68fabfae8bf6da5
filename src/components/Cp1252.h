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

// A database text as it goes into a fixed-width field: valid UTF-8 stays as it is; bytes that
// are not valid UTF-8 are read as Windows-1252 (text stored by another program), so each of them
// is one character; control characters (CR, LF, TAB, C0 and C1 controls, DEL) become blanks so
// that no value can split a record. The result is valid UTF-8 with one code point per byte that
// will be written.
std::string TextoDeCampo(std::string_view texto);
// True when TextoDeCampo would change the text (the common ASCII text is scanned only).
bool RequiereSaneo(std::string_view texto);
// What TextoDeCampo found in a text: control characters, bytes read as Windows-1252, and
// characters that Windows-1252 cannot hold (written as "?").
struct RevisionTexto {
    bool controles = false;
    bool bytesCp1252 = false;
    bool fueraDeCp1252 = false;
};
RevisionTexto RevisaTexto(std::string_view texto);

}  // namespace tamaris
