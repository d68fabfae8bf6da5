#pragma once
// The records of ARBA's perception file (Buenos Aires gross income, layout in force from
// 01/03/2026): one record of 71 characters and CR LF per voucher with a perception, taken from a
// row of MV_ASIENTOS.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/Disposicion.h"
#include "components/Numero.h"
#include "components/Regional.h"
#include "data/Recordset.h"

namespace tamaris {

constexpr int kAnchoRegistroArba = 71;  // bytes before the CR LF

// The record's ten fields.
const Disposicion& DisposicionArba();

// The rate ARBA expects with a perception over a taxed net: percent with two decimals, rounded
// half away from zero (as Importe: 1,50 % is 15000). Both amounts are taken as absolute values;
// a net of zero gives zero.
Importe AlicuotaArba(Importe neto, Importe percepcion);
// Whether the perception is net × rate rounded to the cent, the rule ARBA rejects a record by.
bool PercepcionCuadra(Importe neto, Importe alicuota, Importe percepcion);

class RegistroArba {
  public:
    // Finds the columns by name (TC, FECHA, LETRA, NUMERO, cabcuit, liva_impnetograv,
    // LIVA_Ret_IBtos, and SUCURSAL when the statement has it); throws ErrorBD 3265 when one of
    // the required is missing.
    explicit RegistroArba(Recordset& rs, Regional regional = Regional{});

    // Builds the current row's record (71 characters, CR LF) into `salida`, replacing it. Throws
    // ErrorTamaris naming the voucher when an amount cannot be read at all. With `problemas`,
    // adds what ARBA would reject or what the record carries wrong.
    void Arma(const Recordset& rs, std::string& salida,
              std::vector<std::string>* problemas = nullptr);
    // "FC A 0001-00000012 del 05/03/2026": the voucher of the current row, for messages.
    std::string Comprobante(const Recordset& rs) const;

  private:
    enum Columna { kTC, kFecha, kLetra, kNumero, kCuit, kNeto, kPercepcion, kSucursal };
    std::array<int, 8> col_{};
    Regional regional_;
    Renglon renglon_;
};

// Totals of ARBA records as filed, credit notes apart. Amounts keep the file's sign.
struct TotalesArba {
    struct Tipo {
        long comprobantes = 0;
        Importe neto, percepcion;
        bool operator==(const Tipo&) const = default;
    };
    Tipo facturas, debitos, creditos, otros;
    long comprobantes = 0;

    // Adds one record (71 bytes; a trailing CR LF is ignored). False when its amounts cannot be
    // read.
    bool Suma(std::string_view registro);
    Importe Neto() const;        // net of all the records, credit notes subtracting
    Importe Percepcion() const;  // likewise the perceptions
    std::string Resumen() const;
    bool operator==(const TotalesArba&) const = default;
};

// The fields of a filed record (71 bytes, without its CR LF) and the rules between them: adds
// to `problemas` what ARBA would not take.
void RevisaRegistroArba(std::string_view registro, std::vector<std::string>& problemas);
// "F A 0001-00000012 del 05/03/2026 (CUIT 30-71234567-1)": the voucher of a filed record.
std::string ComprobanteDeRegistroArba(std::string_view registro);

}  // namespace tamaris
