#pragma once
// Money from the ledger row to the filed byte. An amount is read once, as it leaves the
// database, into `Importe` (a whole number of ten-thousandths): a decimal column from its exact
// text, a whole number as it is, a floating column rounded at the money precision. From then on
// no amount lives in a double; every field of every file is written from an `Importe` by the
// functions below, so that no exponent or binary remainder can reach a file.

#include <cstdint>
#include <string>
#include <string_view>

#include "components/Numero.h"
#include "components/Variant.h"

namespace tamaris {

// Decimals an amount of the ledger carries.
constexpr int kDecimalesDinero = 2;

// How an amount was read.
enum class EstadoImporte : unsigned char {
    Exacto,      // the value, exactly
    Redondeado,  // it had more decimals than money has: rounded (a finding)
    Nulo,        // null, empty or a blank text: read as 0
    NoNumero,    // a text that is not a number: read as 0
    NoFinito,    // infinite or not a number: read as 0
    Desborda,    // too large for any amount field: read as 0
};

struct ImporteLeido {
    Importe valor;
    EstadoImporte estado = EstadoImporte::Exacto;
    bool Valido() const {
        return estado == EstadoImporte::Exacto || estado == EstadoImporte::Redondeado;
    }
};

// Reads a column value into money with `decimales` places (0 to 4). `exacto` is the column's
// exact decimal text when the driver gave one (a NUMERIC column); it wins over the double.
// A double is rounded at `decimales`; the remainder counts as binary noise (Exacto) while it is
// far below the last place, so 5.55e-17 reads as an exact 0 and 0.1 + 0.2 as 0.30. Texts are read
// digit by digit ("." or "," as decimal mark, an exponent allowed). Rounding is half away from
// zero.
ImporteLeido LeeImporte(const Variant& v, std::string_view exacto = {},
                        int decimales = kDecimalesDinero);

// What a reading that is not exact means, for a finding ("tiene más de 2 decimales: se informa
// 12,35", "no es un número"...). Empty for Exacto.
std::string TextoEstadoImporte(const ImporteLeido& leido, std::string_view original,
                               int decimales = kDecimalesDinero);

// A column value as a person reads an amount: the digits the ledger holds, with a decimal comma
// and never an exponent (0,00005 and 1234567890123456, not 5E-05 and 1,23456789012346E+15).
std::string TextoDeValor(const Variant& v, std::string_view exacto = {});

// The absolute value as the perception file writes it: integer digits, then a decimal comma and
// the decimals without trailing zeros when there are any (1500,5; 200; 0,05).
void AnexaImporteComa(std::string& salida, Importe v);

// The absolute value as `enteros` integer digits (zero-padded on the left; more when it has
// more) and `decimales` decimal digits, without separator; decimals past `decimales` are cut,
// as the suite's field formatter does (1234,5 with 13 and 2 gives 000000000123450).
void AnexaImporteDigitos(std::string& salida, Importe v, int enteros, int decimales);

// Integer digits of the absolute value (0 for amounts under 1).
int DigitosEnteros(Importe v);
// Whether the value has a non-zero digit past `decimales`.
bool TieneMasDecimales(Importe v, int decimales);

// An amount of a summary, as Argentine readers write it: thousands with ".", decimal comma, two
// decimals at least ("5.035.116.494,53", "-12,50").
std::string TextoMonto(Importe v);

// Parses an amount written with digits, an optional decimal mark `marca` followed by digits, and
// an optional leading "-": the forms the file layouts write. False when it is not one (blanks
// are not allowed inside; the caller trims padding).
bool LeeMontoDeArchivo(std::string_view texto, char marca, Importe& v);
// Parses `enteros` + `decimales` digits without separator (all must be digits).
bool LeeMontoDigitos(std::string_view texto, int decimales, Importe& v);

}  // namespace tamaris
