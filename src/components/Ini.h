#pragma once
// INI object: "[Section]" headers and "Key=Value" lines (Windows-1252 or UTF-8 text, CR LF or
// LF), section and key names compared without regard to case.

#include <string>
#include <string_view>

namespace tamaris {

// The value of `clave` in `seccion` of `archivo`, trimmed; `defecto` when the file, section or
// key is missing. A name that is no regular file of at most 1 MiB (a FIFO, /dev/zero, a
// folder) is not read: ErrorTamaris (kAccesoRuta) says why.
std::string LeeIni(const std::string& archivo, std::string_view seccion, std::string_view clave,
                   std::string_view defecto);
// Writes (or replaces) the key, creating file and section when missing. Throws ErrorTamaris.
void GrabaIni(const std::string& archivo, std::string_view seccion, std::string_view clave,
              std::string_view valor);

// Scramble and unscramble operations: a reversible scheme of the suite's own for the
// credentials kept in the INI file. The stored form is printable ASCII.
std::string Encripta(std::string_view texto);
std::string Desencripta(std::string_view almacenado);

}  // namespace tamaris
