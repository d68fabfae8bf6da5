#pragma once
// Text operations of the suite's component library. Texts are UTF-8; widths count characters
// (code points), so a field keeps its width when written in Windows-1252. Comparisons and
// searches "without regard to case" fold ASCII letters and the Latin-1 accented letters.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamaris {

// Width-fill operation (variable-length fields): the text padded with blanks on the right, or
// cut on the right, so that it is exactly `ancho` characters.
std::string CompletaAncho(std::string_view texto, int ancho);
// Width-limit operation (fixed fields): same fitting rule; exactly `ancho` characters.
std::string LimitaAncho(std::string_view texto, int ancho);
// Appending forms of the two, for the hot path.
void AnexarAncho(std::string& salida, std::string_view texto, int ancho);

// Number of characters (code points) of a UTF-8 text.
std::size_t Largo(std::string_view texto);

std::string Trim(std::string_view s);
std::string TrimIzq(std::string_view s);
std::string TrimDer(std::string_view s);
std::string_view TrimVista(std::string_view s);
std::string Mayusculas(std::string_view s);
// The parts of `s` between the separators (an empty text gives one empty part).
std::vector<std::string> Divide(std::string_view s, char separador);
std::string Minusculas(std::string_view s);

// Case-insensitive search; returns npos when absent. `desde` is a 0-based byte offset.
std::size_t BuscaSinCaso(std::string_view texto, std::string_view buscado, std::size_t desde = 0);
bool ContieneSinCaso(std::string_view texto, std::string_view buscado);
bool IgualSinCaso(std::string_view a, std::string_view b);
bool EmpiezaSinCaso(std::string_view texto, std::string_view prefijo);
bool TerminaSinCaso(std::string_view texto, std::string_view sufijo);

// Text-replace operation: every occurrence of `buscado` (case-insensitive, left to right, not
// rescanning replaced text) becomes `reemplazo`. An empty `buscado` leaves the text as it is.
std::string ReemplazaTexto(std::string_view texto, std::string_view buscado,
                           std::string_view reemplazo);
// Case-sensitive form, for exact byte replacements.
std::string ReemplazaExacto(std::string_view texto, std::string_view buscado,
                            std::string_view reemplazo);

// Character-removal operation: the text without any of the given characters (up to three;
// a '\0' argument is unused).
std::string QuitaCaracteres(std::string_view texto, char c1, char c2 = '\0', char c3 = '\0');

// Word-count operation: number of blank-separated words.
int CuentaPalabras(std::string_view texto);

// Days-in-month operation (no year is given, so February has 28). 0 for a month outside 1-12.
int DiasDelMes(int mes);

// A tax identifier (CUIT or CUIL) as it is filed: exactly eleven digits whose check digit,
// weighted 5 4 3 2 7 6 5 4 3 2 1, makes a multiple of 11; not all zeros.
bool CuitValido(std::string_view once);

// Directory-separator operation: the same path ending in '/'. An empty path stays empty.
std::string SeparadorDirectorio(std::string_view carpeta);

}  // namespace tamaris
