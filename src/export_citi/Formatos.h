#pragma once
// Tax-identifier checks and number formatting of the CITI Ventas file: `FmtNroCampo` (a number
// text as a fixed run of digits without decimal separator), `FmtMoneda` (an amount rounded and
// formatted by the configured decimals), `SeparadorDecimal`, `EsDocumentoCuit` (does a
// document-type code stand for a CUIT or CUIL) and `ValidaCuit` (the CUIT/CUIL check digit).
// The regional settings are a value handed in; nothing reads the process locale.

#include <cstdint>
#include <string>
#include <string_view>

#include "components/Pasos.h"
#include "components/Regional.h"

namespace tamaris {

class DB_Dll;

// Codes of the decimals argument of FmtMoneda (any value of 1 or more is a count).
namespace decimales {
constexpr int kSinCambio = -3;      // the text comes back unchanged
constexpr int kNinguno = -2;        // no decimals
constexpr int kConfigurados = -1;   // the configured decimals for amounts (CantidadDecimales)
constexpr int kRegionales = 0;      // the workstation's number of fractional digits
}  // namespace decimales

// "," when the regional number-to-text conversion writes 10 ÷ 3 with a comma, else ".".
std::string SeparadorDecimal(const Regional& r);

// The integer part of `texto` zero-padded to at least `intDigits` digits, followed by exactly
// `decDigits` decimal digits (cut, never rounded; missing ones filled with "0"), with no
// separator. The decimal separator looked for is SeparadorDecimal(r). A text that is not a
// number counts as 0; a value with more integer digits keeps them all (the result is longer),
// a negative one keeps its "-" in front. Throws ErrorTamaris 5 for a negative digit count.
//   FmtNroCampo("1234,5", 13, 2) == "000000000123450"   (decimal comma)
std::string FmtNroCampo(std::string_view texto, int16_t intDigits, int16_t decDigits,
                        const Regional& r);

// The amount `texto` rounded to a number of decimals (ties to the even digit) and written with
// exactly that many, the regional decimal separator and no thousands separators; with no
// decimals there is no trailing separator. `decimales` is a count (1 or more) or one of the
// codes above; `cantidadDecimales` is the configuration value that kConfigurados reads (when
// it is 0 the regional digits are used instead). A failing step (a text that is not a number)
// goes to `trata` under the suite's convention: 4 runs it again, 5 goes on with the next step,
// anything else returns an empty text. Without a handler the failure is thrown to the caller.
std::string FmtMoneda(std::string_view texto, int decimales, const Regional& r,
                      std::string_view cantidadDecimales, const TrataFallo& trata = {});

// True when one of the accepted descriptions ("CUIT", "C.U.I.T.", "CUIL"… with or without the
// final point, any case) is the description of the document type whose code is `codigo` in
// TA_TIPODOCUMENTO. The table is read through the data-access object's lookup, which reports
// its own failures; a missing row or an empty description gives false.
bool EsDocumentoCuit(DB_Dll& db, std::string_view codigo);
// The description test of EsDocumentoCuit alone.
bool EsDescripcionCuit(std::string_view descripcion);

// The CUIT/CUIL check of `identificador` when `tipoDocumento` is a CUIT or CUIL document type;
// identifiers of any other document type are not checked (true).
bool ValidaCuit(DB_Dll& db, std::string_view identificador, std::string_view tipoDocumento);
// The check-digit test alone: with "-", "/", "." and blanks removed the identifier has 11 to 13
// characters and its digits, weighted 5 4 3 2 7 6 5 4 3 2 1 from the left (0 beyond the
// eleventh), add up to a multiple of 11. Other characters are skipped but count in the length.
bool DigitoVerificadorCuit(std::string_view identificador);

}  // namespace tamaris
