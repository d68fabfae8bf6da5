#pragma once
// The lookup-mask file ("consultas.tms"): fixed-length Windows-1252 records of 1202 bytes, one
// per lookup, addressed as record 1, 2, 3… (byte offset ÷ 1202 + 1). Each record is one text
// line: caption (100), table (100), columns (500), filter (500), CR LF. Texts are written
// left-aligned and filled with blanks on the right; a longer text is cut to its field.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamaris {

constexpr std::size_t kLargoTituloMascara = 100;
constexpr std::size_t kLargoTablaMascara = 100;
constexpr std::size_t kLargoColumnasMascara = 500;
constexpr std::size_t kLargoFiltroMascara = 500;
constexpr std::size_t kLargoRegistroMascara = 1202;

// One record. Texts are UTF-8 here; the file holds them in Windows-1252. Read back, each field
// keeps its blanks (and whatever other bytes the file had), as the record holds it.
struct MascaraConsulta {
    std::string Titulo;    // display name of the lookup
    std::string Tabla;     // table or view; the key records are searched by
    std::string Columnas;  // "|COL1|COL2|"
    std::string Filtro;    // a condition without WHERE, or blanks
    bool operator==(const MascaraConsulta&) const = default;
};

// The 1202 bytes of a record.
std::string RegistroMascara(const MascaraConsulta& m);
// The record held in `bytes` (at least 1200 of them; the line end is not checked).
MascaraConsulta LeeRegistroMascara(std::string_view bytes);

// A field as the lookups compare it: without the bytes 0 and 255 (what an unwritten record
// holds), and trimmed.
std::string CampoMascaraLimpio(std::string_view campo);

// Writes `mascaras` one after another from record number (file length ÷ 1202) + 1 on, creating
// the file when it is missing. Throws ErrorTamaris (75, path/file access error) when the file
// cannot be opened or written.
void AgregaMascaras(const std::string& archivo, const std::vector<MascaraConsulta>& mascaras);

// Creates the file with exactly `mascaras` when no file exists at `archivo`; false, leaving the
// existing file untouched, when one does. The file appears complete or not at all, so two
// programs starting at once cannot both seed it. Throws ErrorTamaris (75) on a write failure.
bool CreaArchivoMascaras(const std::string& archivo, const std::vector<MascaraConsulta>& mascaras);

// Every whole record of the file, in order; empty when the file is missing.
std::vector<MascaraConsulta> LeeMascaras(const std::string& archivo);
// Record number `numero` (1-based); nullopt past the end of the file or when it is missing.
std::optional<MascaraConsulta> LeeMascara(const std::string& archivo, std::size_t numero);

}  // namespace tamaris
