#pragma once
// The records of the Libro de IVA Digital, sales: one 266-character voucher record per voucher
// of the sales VAT book and one 62-character aliquot record per VAT rate of it, in two files
// (Windows-1252, CR LF), taken from the same rows of LIBROIVAVENTAS the CITI Ventas file reads.

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

constexpr int kAnchoComprobanteLibro = 266;  // characters of a voucher record, before CR LF
constexpr int kAnchoAlicuotaLibro = 62;      // characters of an aliquot record, before CR LF

const Disposicion& DisposicionComprobanteLibro();
const Disposicion& DisposicionAlicuotaLibro();

// Three-digit voucher type of a voucher key (TC and letter, trimmed, any case); empty when the
// key is not one the Libro de IVA Digital files.
std::string_view TipoComprobanteLibro(std::string_view tc, std::string_view letra);

// Rate code of a VAT rate (percent, any separator); empty for a rate without one.
std::string_view CodigoAlicuotaLibro(Importe alicuota);

// What the records need besides the row.
struct ReglasLibroIva {
    Regional regional;
    // Configured decimals for amounts, to which the taxed net is rounded.
    std::string cantidadDecimales;
    // Whether a document-type code stands for a CUIT or CUIL (the buyer document rules).
    std::function<bool(std::string_view codigo)> esDocumentoCuit;
};

class RegistroLibroIva {
  public:
    // Finds the columns the records read; throws ErrorBD 3265 when one is missing.
    RegistroLibroIva(Recordset& rs, ReglasLibroIva reglas);

    // Appends the current row's voucher record to `comprobantes` and its aliquot records to
    // `alicuotas`, and returns how many aliquot records; 0, with nothing appended, when the
    // voucher key is not one the book files. Throws ErrorTamaris naming the voucher when a
    // value cannot be used (a null where a value is needed, VAT without a rate, an amount that
    // is not a number); both outputs are then as they were. When `problemas` is not null, adds
    // to it what the records would carry wrong.
    int Arma(const Recordset& rs, std::string& comprobantes, std::string& alicuotas,
             std::vector<std::string>* problemas = nullptr);

    std::string TextoFecha(const Recordset& rs) const;
    std::string TextoNumero(const Recordset& rs) const;
    // "FC A 12 del 05/01/2013": the voucher of the current row, for messages.
    std::string Comprobante(const Recordset& rs) const;

  private:
    int ArmaFila(const Recordset& rs, std::string& comprobantes, std::string& alicuotas,
                 std::vector<std::string>* problemas);

    ReglasLibroIva reglas_;
    std::array<int, 18> col_{};
    Renglon comprobante_, alicuota_;
};

// Totals of the two files as filed: vouchers by type, voucher total, taxed net and VAT by rate
// code. Amounts are the file's (absolute values, two decimals).
struct TotalesLibroIva {
    long comprobantes = 0;
    long alicuotas = 0;
    Importe total;
    std::map<std::string, long> comprobantesPorTipo;  // "001" → vouchers
    std::map<std::string, Importe> netoPorAlicuota;   // "0005" → taxed net
    std::map<std::string, Importe> ivaPorAlicuota;

    // Add one record (its CR LF may follow); false when its amounts cannot be read.
    bool SumaComprobante(std::string_view registro);
    bool SumaAlicuota(std::string_view registro);
    std::string Resumen() const;
    bool operator==(const TotalesLibroIva&) const = default;
};

// The fields of a filed record (without its CR LF): adds to `problemas` what is not as the
// book wants it.
void RevisaComprobanteLibro(std::string_view registro, std::vector<std::string>& problemas);
void RevisaAlicuotaLibro(std::string_view registro, std::vector<std::string>& problemas);
// "001 00001-00000000000000000012 del 20130105": the voucher a record stands for (UTF-8).
std::string ComprobanteDeRegistroLibro(std::string_view registro);
std::string ComprobanteDeAlicuotaLibro(std::string_view registro);

// Whether a voucher's total agrees with what its aliquot records and amounts add up to: total =
// not taxed + exempt + each aliquot's net and VAT, within 0,01 per aliquot record. Empty when it
// agrees; otherwise the finding. `alicuotas` are the voucher's aliquot records.
std::string RevisaCuadreLibro(std::string_view comprobante,
                              const std::vector<std::string_view>& alicuotas);

}  // namespace tamaris
