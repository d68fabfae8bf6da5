#pragma once
// The column-width file of the list lookups, "CONSULTASLEN.TMS" in the program's data folder:
// one line per lookup with two quoted, comma-separated fields, the lookup's table key and the
// widths of its columns in twips, each followed by "|":
//
//   "VT_MA_ARTICULOS","2400|1200|900|"
//
// Windows-1252, lines ended by CR LF. Saving writes the new content to "CONSULTASLEN.AUX" in
// the same folder and then puts it in place of the width file, so a failed save leaves the
// old file as it was.

#include <string>
#include <string_view>
#include <vector>

namespace tamaris {

inline constexpr std::string_view kArchivoAnchos = "CONSULTASLEN.TMS";
inline constexpr std::string_view kArchivoAnchosAux = "CONSULTASLEN.AUX";

struct AnchosGuardados {
    std::string tabla;   // table key
    std::string anchos;  // "2400|1200|"
    bool operator==(const AnchosGuardados&) const = default;
};

// The records of the file in order; empty when it is missing. A line without a second field
// gives empty widths; blank lines are skipped. Throws ErrorTamaris when the file exists but
// cannot be read.
std::vector<AnchosGuardados> LeeArchivoAnchos(const std::string& archivo);

// One record as it is written, without the line end: both fields between double quotes.
std::string LineaAnchos(std::string_view tabla, std::string_view anchos);

// The widths text of a list of widths in twips: each as its decimal text followed by "|".
std::string TextoAnchos(const std::vector<int>& anchos);

// Replaces every record of `tabla` (compared without regard to case) in the width file of
// `carpeta` by one record with `anchos`, placed last; the other records keep their order.
// A missing file counts as empty. Throws ErrorTamaris when the file cannot be written.
void GrabaArchivoAnchos(const std::string& carpeta, std::string_view tabla,
                        std::string_view anchos);

}  // namespace tamaris
