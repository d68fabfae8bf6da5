#pragma once
// A file layout described once: each field's number, position, width, kind and the name a clerk
// knows it by. The writer places values by it (`Renglon`), the checker and the read-back walk
// it (`LeeCampo`, `RevisaCampos`), and the totals read their amounts through it. A layout is a
// table plus the rules that tie its fields together, which stay with its file.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "components/Dinero.h"
#include "components/Variant.h"

namespace tamaris {

enum class ClaseCampo : unsigned char {
    Fijo,            // always the text `fijo` (blank padded)
    Texto,           // a text, padded with blanks on the right, cut to the width
    Digitos,         // digits, zero-padded on the left
    DigitosBlancos,  // digits, padded with blanks on the right
    FechaDma,        // DD/MM/AAAA
    FechaAmd,        // AAAAMMDD
    ImporteComa,     // digits, and a decimal comma with its decimals when there are any; blanks
                     // on the right
    ImporteDigitos,  // digits without separator, the last `decimales` of them decimals
    ImporteSigno,    // "-" or a digit first, digits, ",", `decimales` digits, zero-padded
    DecimalPunto,    // digits, ".", `decimales` digits, zero-padded, never negative (a rate)
    Cuit,            // eleven digits with their check digit
    CuitGuiones,     // 99-99999999-9 with its check digit
    Codigo,          // one of the texts listed in `fijo`, separated by "|"
};

struct CampoArchivo {
    int numero;  // as the layout numbers it
    int desde;   // first position, from 1
    int ancho;
    ClaseCampo clase;
    std::string_view nombre;     // as a clerk knows it: "neto gravado", "CUIT"
    std::string_view fijo = {};  // Fijo: the text; Codigo: the texts allowed
    int decimales = 2;           // amounts
};

struct Disposicion {
    std::string_view nombre;  // "percepciones", "C.I.T.I. Ventas"...
    int ancho;                // bytes of a record before its CR LF
    std::span<const CampoArchivo> campos;

    const CampoArchivo& Campo(int numero) const;
    // The bytes of field `numero` of a record of the right width.
    std::string_view De(std::string_view registro, int numero) const {
        const CampoArchivo& c = Campo(numero);
        return registro.substr(static_cast<std::size_t>(c.desde - 1),
                               static_cast<std::size_t>(c.ancho));
    }
};

// One record as it is built: every field starts blank (fixed ones with their text), values are
// placed by field number, and the record always keeps its exact width. The setters return false
// when the value had to be cut to fit (the caller names the voucher in a finding).
class Renglon {
  public:
    explicit Renglon(const Disposicion& d);
    void Nuevo();
    // Left assignment of a UTF-8 text (written in Windows-1252; control characters as blanks).
    bool Pon(int numero, std::string_view texto);
    // A run of digits: zero-padded on the left (Digitos) or blank-padded on the right.
    bool PonNumero(int numero, std::string_view digitos);
    // An amount as the field's class writes it.
    bool PonImporte(int numero, Importe v);
    void PonFecha(int numero, const Fecha& f);
    // The record followed by CR LF.
    std::string_view Bytes() const { return r_; }

  private:
    char* Lugar(const CampoArchivo& c) { return r_.data() + (c.desde - 1); }
    const Disposicion& d_;
    std::string r_, vacio_, aux_;
};

// A field read back into its value. `texto` is the field without the blanks that pad it.
struct ValorCampo {
    std::string_view texto;
    Importe importe;  // amounts
    Fecha fecha;      // dates
};

// Reads field `c` of `registro` (a record of the layout's width) by its class. False, with the
// reason in `problema` when it is given, when the bytes are not what the class writes.
bool LeeCampo(const CampoArchivo& c, std::string_view registro, ValorCampo& v,
              std::string* problema = nullptr);

// Checks every field of a record; adds "campo N (nombre): problema ("bytes")" for each that is
// not what its class writes.
void RevisaCampos(const Disposicion& d, std::string_view registro,
                  std::vector<std::string>& problemas);

// A value cut for a finding, so that a long value does not flood the report.
std::string Recorta(std::string_view texto, std::size_t maximo = 60);

}  // namespace tamaris
