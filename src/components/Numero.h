#pragma once
// Number-to-text, text-to-number, rounding and "0000"-style formatting: the one place that
// knows how the suite writes numbers.

#include <cstdint>
#include <string>
#include <string_view>

#include "components/Regional.h"
#include "components/Variant.h"

namespace tamaris {

// The ordinary number-to-text conversion: at most 15 significant digits, no thousands
// separators, no trailing zero decimals, the regional decimal separator, "-" for negatives.
// From 1E15 on, and below 1E-4 (other than 0), the exponent form "1E+15", "1,5E-05".
std::string NumeroATexto(double v, const Regional& r = Regional{});
void AnexarNumero(std::string& salida, double v, const Regional& r = Regional{});

// Fixed-point amount with four decimals (the text-to-amount conversion's result).
struct Importe {
    int64_t diezmilesimos = 0;
    double Doble() const { return static_cast<double>(diezmilesimos) / 10000.0; }
    std::string Texto(const Regional& r = Regional{}) const;  // as NumeroATexto
    bool operator==(const Importe&) const = default;
};

// The amount rounded to `decimales` places (0 to 4; 4 or more leaves it as it is), ties going
// to the even digit (2,5 gives 2 and 3,5 gives 4 with no decimals).
Importe RedondeaImporte(Importe v, int decimales);
// dividendo ÷ divisor held as an amount: four decimals, ties to the even digit. Throws
// ErrorTamaris 11 when the divisor is 0 and 6 when the quotient does not fit.
Importe DivideImportes(Importe dividendo, Importe divisor);

// Text-to-amount conversion. Accepts the regional decimal separator, and also the other of
// "." and "," as decimal mark when it stands once and the regional one is absent; other
// occurrences count as grouping and are skipped. Blanks around, a leading sign, and an
// empty text (0) are accepted. Rounds half to even at four decimals. Throws ErrorTamaris 13
// when the text is not a number.
Importe TextoAImporte(std::string_view texto, const Regional& r = Regional{});

// Number-conversion operation: the text as a whole number (rounded half to even). Throws
// ErrorTamaris 13 when the text is not a number.
int64_t ConvierteNumero(std::string_view texto, const Regional& r = Regional{});

// The text as a double under the same rules as TextoAImporte (no four-decimal rounding);
// false, leaving `valor` alone, when it is empty or not a number.
bool LeeNumero(std::string_view texto, double& valor, const Regional& r = Regional{});

// Numeric value of a text as the suite's "Val": the leading number (with "." as decimal mark),
// 0 when there is none. Never throws.
double ValorNumerico(std::string_view texto);

// True when the text is a number under the regional settings.
bool EsNumerico(std::string_view texto, const Regional& r = Regional{});

// Rounding half away from zero at `decimales` places, decided on the decimal digits.
double Redondea(double v, int decimales);

// Value-formatting operation. Formats understood:
//  - dates: "dd/mm/yyyy", "DD/MM/YYYY", "dd/mm/yy", "hh:mm", "hh:nn", "hh:mm:ss", combinations
//    with blanks and separators ("dd/mm/yy hh:mm"), "yyyymmdd", "mmyyyy";
//  - numbers: "0000" (zero padded), "0.00", "#0.00", "#,##0.00", "0" (digits after the point are
//    the decimals; "," in the pattern asks for grouping with the other separator);
//  - empty format: the text form of the value.
// Text that holds a date or a number is formatted as that value; other text comes back as is.
std::string FormatoValor(const Variant& v, std::string_view formato = {},
                         const Regional& r = Regional{});

}  // namespace tamaris
