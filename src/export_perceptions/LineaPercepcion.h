#pragma once
// The perception file's line: nine fields, 73 characters, taken from one row of the perception
// query (columns C1 to C9).

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/Disposicion.h"
#include "components/Numero.h"
#include "components/Regional.h"
#include "data/Recordset.h"

namespace tamaris {

constexpr int kAnchoLineaPercepcion = 73;

// The perception file's nine fields.
const Disposicion& DisposicionPercepciones();

class LineaPercepcion {
  public:
    // Finds the nine columns by name; throws ErrorBD 3265 when one is missing.
    explicit LineaPercepcion(Recordset& rs, Regional regional = Regional{});

    // Builds the current row's line into `linea` (replacing its contents). Throws ErrorTamaris
    // 94 when a value needed as text is null, naming the voucher. When `problemas` is not null,
    // adds to it what the line would carry wrong: a value cut to fit, a tax identifier that is
    // not one, a date that is not a date, an amount that is not a number, characters that
    // Windows-1252 cannot hold. Whatever the values, the line is exactly 73 bytes of
    // Windows-1252 followed by CR LF.
    void Arma(const Recordset& rs, std::string& linea,
              std::vector<std::string>* problemas = nullptr);

    // "FC A 12 del 05/01/2013": the voucher of the current row, for messages.
    std::string Comprobante(const Recordset& rs) const;

  private:
    std::array<int, 9> col_{};
    Regional regional_;
    Renglon renglon_;
    std::string c1_, aux_, cuit_;
};

// Totals of perception lines as filed: vouchers, taxed net and perception, by voucher type
// (" 1", " 5", " 6") and overall. Amounts are the absolute values the file carries.
struct TotalesPercepcion {
    struct Tipo {
        long comprobantes = 0;
        Importe neto, percepcion;
        bool operator==(const Tipo&) const = default;
    };
    long comprobantes = 0;
    Importe neto, percepcion;

    // Adds one 73-character line (false when its amounts cannot be read): the amounts as filed,
    // read through the layout.
    bool Suma(std::string_view linea);
    // By voucher type code as filed.
    std::map<std::string, Tipo> PorTipo() const;
    // The summary a person reconciles with the ledger, one item a line.
    std::string Resumen() const;
    bool operator==(const TotalesPercepcion&) const = default;

  private:
    std::array<Tipo, 3> conocidos_{};    // " 1", " 5", " 6"
    std::map<std::string, Tipo> otros_;  // any other code a damaged file may hold
};

// The fields of a filed line (73 bytes, Windows-1252, without its CR LF): adds to `problemas`
// what is not as the file format wants it (dates, codes, digits, tax identifier, amounts).
void RevisaLineaPercepcion(std::string_view linea, std::vector<std::string>& problemas);
// "FC A 12 del 31/01/2013": the voucher a filed line stands for (in UTF-8).
std::string ComprobanteDeLinea(std::string_view linea);

}  // namespace tamaris
