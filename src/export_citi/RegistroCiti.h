#pragma once
// The records of the CITI Ventas file: one 400-byte record (398 characters, CR LF) in
// Windows-1252 per voucher of the sales VAT book and VAT rate, taken from a row of
// LIBROIVAVENTAS.

#include <array>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/Disposicion.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Regional.h"
#include "data/Recordset.h"

namespace tamaris {

constexpr int kAnchoRegistroCiti = 400;  // bytes of a record, CR LF included

// The record's 32 fields (398 bytes; the CR LF ends it).
const Disposicion& DisposicionCiti();

// What the records need besides the row.
struct ReglasCiti {
    Regional regional;
    // Configured decimals for amounts, to which the taxed net is rounded.
    std::string cantidadDecimales;
    // Whether a document-type code stands for a CUIT or CUIL (the buyer document rules).
    std::function<bool(std::string_view codigo)> esDocumentoCuit;
    // Failures of the rounding of the taxed net; none throws them to the caller.
    TrataFallo trataMoneda;
};

// Voucher type code and buyer document code of a voucher key (TC and letter, trimmed, any
// case), before the buyer rules; two blanks each when the key is not a CITI voucher.
struct CodigosComprobante {
    std::string_view tipo;
    std::string_view documento;
};
CodigosComprobante CodigosDeClave(std::string_view tc, std::string_view letra);

// Rate code of a VAT rate (percent): 21 gives "2100", 10.5 "1050", any other "2700". The rate
// is compared as a number, so the separator it was written with does not matter.
std::string_view CodigoAlicuota(Importe alicuota);
// Whether the rate has a code of its own (21, 10.5 and 27 %).
bool EsAlicuotaConocida(Importe alicuota);

class RegistroCiti {
  public:
    // Finds the columns the records read; throws ErrorBD 3265 when one is missing.
    RegistroCiti(Recordset& rs, ReglasCiti reglas);

    // Appends the current row's records to `salida`, one per aliquot line, and returns how
    // many. Throws ErrorTamaris naming the voucher when a value cannot be used (94: a null
    // where a value is needed; 11: a VAT amount whose rate is 0 or empty; 13: a value that is
    // not a number); `salida` is then as it was.
    // When `problemas` is not null, adds to it what the records would carry wrong: a tax
    // identifier that is not one where one is required, a value cut to fit, a date that is not
    // a date, an amount that is not a number, characters Windows-1252 cannot hold, a voucher
    // outside every known voucher key. Whatever the values, each record is 400 bytes.
    int Arma(const Recordset& rs, std::string& salida,
             std::vector<std::string>* problemas = nullptr);

    // The row's date and number as the progress window shows them.
    std::string TextoFecha(const Recordset& rs) const;
    std::string TextoNumero(const Recordset& rs) const;
    // "FC A 12 del 05/01/2013": the voucher of the current row, for messages.
    std::string Comprobante(const Recordset& rs) const;

  private:
    void ArmaFilas(const Recordset& rs, std::string& salida, int& registros,
                   std::vector<std::string>* problemas);

    ReglasCiti reglas_;
    std::array<int, 18> col_{};
    Renglon renglon_;
};

// Totals of CITI records as filed: records, vouchers, voucher total, taxed net and VAT by rate
// code. Amounts are the file's (absolute values, two decimals).
struct TotalesCiti {
    long registros = 0;
    long comprobantes = 0;
    Importe total, neto;
    std::map<std::string, Importe> ivaPorAlicuota;  // rate code ("2100", "1050", ...) → VAT
    std::map<std::string, Importe> netoPorAlicuota;

    // Adds one 400-byte record (398 bytes without its line end will do); false when its amounts
    // cannot be read.
    bool Suma(std::string_view registro);
    std::string Resumen() const;
    bool operator==(const TotalesCiti&) const = default;

  private:
    int restantes_ = 0;  // records still to come of the current voucher
};

// The fields of a filed record (398 bytes, Windows-1252, without its CR LF): adds to
// `problemas` what is not as the CITI format wants it.
void RevisaRegistroCiti(std::string_view registro, std::vector<std::string>& problemas);
// "01 0001-00000012 del 20130105": the voucher a filed record stands for (in UTF-8).
std::string ComprobanteDeRegistro(std::string_view registro);

}  // namespace tamaris
