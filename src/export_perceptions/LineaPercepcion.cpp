#include "export_perceptions/LineaPercepcion.h"

#include <cstdint>

#include "app/Exportacion.h"
#include "components/Cp1252.h"
#include "components/Dinero.h"
#include "components/Numero.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

constexpr long kUsoInvalidoDeNull = 94;
constexpr long kNoCoincidenTipos = 13;

constexpr const char* kColumnas[9] = {"C1", "C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9"};

constexpr CampoArchivo kCampos[] = {
    {1, 1, 2, ClaseCampo::Fijo, "código de registro", " 1"},
    {2, 3, 10, ClaseCampo::FechaDma, "fecha"},
    {3, 13, 2, ClaseCampo::Codigo, "tipo de comprobante", " 1| 5| 6"},
    {4, 15, 1, ClaseCampo::Texto, "letra"},
    {5, 16, 12, ClaseCampo::DigitosBlancos, "número de comprobante"},
    {6, 28, 11, ClaseCampo::Cuit, "CUIT"},
    {7, 39, 15, ClaseCampo::ImporteComa, "neto gravado"},
    {8, 54, 5, ClaseCampo::Fijo, "alícuota", "1.5"},
    {9, 59, 15, ClaseCampo::ImporteComa, "percepción"},
};
constexpr Disposicion kDisposicion{"percepciones", kAnchoLineaPercepcion, kCampos};

// The name a clerk knows each column by, for findings and errors.
std::string Nombre(int i) { return std::string(kCampos[i].nombre); }
// The same with its article: "el neto gravado", "la percepción".
std::string Articulo(int i) { return (i == 8 || i == 1 || i == 3 ? "la " : "el ") + Nombre(i); }

}  // namespace

const Disposicion& DisposicionPercepciones() { return kDisposicion; }

LineaPercepcion::LineaPercepcion(Recordset& rs, Regional regional)
    : regional_(regional), renglon_(kDisposicion) {
    for (std::size_t i = 0; i < col_.size(); ++i) {
        col_[i] = rs.IndiceCampo(kColumnas[i]);
        if (col_[i] < 0) rs.Fields(kColumnas[i]);  // throws the missing-item error
    }
    aux_.reserve(64);
}

std::string LineaPercepcion::Comprobante(const Recordset& rs) const {
    const auto texto = [&](int i) {
        return Trim(rs.Valor(col_[static_cast<size_t>(i)]).Texto(regional_));
    };
    const Variant& fecha = rs.Valor(col_[1]);
    // The file's type code names the voucher: 1 invoice, 5 debit note, 6 credit note.
    const std::string tipo = texto(2);
    std::string s = tipo == "1" ? "FC" : tipo == "5" ? "ND" : tipo == "6" ? "NC" : tipo;
    s += ' ';
    s += texto(3);
    s += ' ';
    s += texto(4);
    s += " del ";
    s += fecha.EsFecha()                     ? fecha.FechaCruda().Dma()
         : fecha.EsNulo() || fecha.EsVacio() ? std::string("(sin fecha)")
                                             : fecha.Texto(regional_);
    return Recorta(TextoDeCampo(s), 80);
}

void LineaPercepcion::Arma(const Recordset& rs, std::string& linea,
                           std::vector<std::string>* problemas) {
    renglon_.Nuevo();
    const auto valor = [&](int i) -> const Variant& {
        return rs.Valor(col_[static_cast<size_t>(i)]);
    };
    const auto problema = [&](std::string texto) {
        if (problemas) problemas->push_back(std::move(texto));
    };
    const auto exigeValor = [&](int i) -> const Variant& {
        const Variant& v = valor(i);
        if (v.EsNulo() || v.EsVacio()) {
            throw ErrorTamaris(kUsoInvalidoDeNull, "Uso no válido de Null: " + Nombre(i) +
                                                       " del comprobante " + Comprobante(rs) +
                                                       " está vacío.");
        }
        return v;
    };
    const auto texto = [&](int i) -> const std::string& {
        const Variant& v = exigeValor(i);
        if (v.EsTexto()) {
            const std::string& t = v.TextoCrudo();
            if (problemas && RequiereSaneo(t)) {
                const RevisionTexto rev = RevisaTexto(t);
                if (rev.controles) problema(Nombre(i) + " tiene caracteres de control");
                if (rev.fueraDeCp1252) {
                    problema(Nombre(i) +
                             " tiene caracteres que Windows-1252 no admite (se escriben \"?\")");
                }
            }
            return t;
        }
        aux_.clear();
        v.AnexarTexto(aux_, regional_);
        return aux_;
    };
    // Places a text; a value that does not fit is cut, and the check says so.
    const auto pon = [&](int i, std::string_view t) {
        if (!renglon_.Pon(i + 1, t) && problemas) {
            problema("el valor \"" + Recorta(TextoDeCampo(t)) + "\" de " + Nombre(i) +
                     " no cabe en " + std::to_string(kCampos[i].ancho) + " caracteres y se corta");
        }
    };
    // Amounts: read once into money, written as their absolute value with a decimal comma. The
    // file takes as many decimals as the ledger holds (up to four, all the money type keeps), so
    // an odd amount is filed as it is and named; what cannot be filed at all goes as 0, named.
    const auto importe = [&](int i) {
        const Variant& v = exigeValor(i);
        const std::string_view exacto = rs.TextoDecimal(col_[static_cast<size_t>(i)]);
        const ImporteLeido leido = LeeImporte(v, exacto, 4);
        const auto original = [&] { return Recorta(TextoDeValor(v, exacto)); };
        std::string filed;
        AnexaImporteComa(filed, leido.valor);
        if (leido.estado == EstadoImporte::Desborda) {
            problema(Articulo(i) + " " + original() + " no cabe en " +
                     std::to_string(kCampos[i].ancho) + " caracteres: se informa 0");
        } else if (!leido.Valido()) {
            problema(Articulo(i) + " " + TextoEstadoImporte(leido, original()) + ": se informa 0");
        } else if (leido.estado == EstadoImporte::Redondeado ||
                   TieneMasDecimales(leido.valor, kDecimalesDinero)) {
            problema(Articulo(i) + " tiene más de " + std::to_string(kDecimalesDinero) +
                     " decimales (" + original() + "): se informa " + filed);
        } else if (i == 8 && leido.valor.diezmilesimos == 0) {
            problema("la percepción es 0 (el libro tiene " + original() + ")");
        }
        if (!renglon_.PonImporte(i + 1, leido.valor)) {
            problema(Articulo(i) + " " + filed + " no cabe en " + std::to_string(kCampos[i].ancho) +
                     " caracteres y se corta");
        }
    };

    // 1: C1 as returned.
    c1_ = texto(0);
    pon(0, c1_);
    // 2: the date, DD/MM/YYYY; a null date gives blanks, as the field-value operation does.
    {
        const Variant& f = valor(1);
        if (f.EsFecha()) {
            renglon_.PonFecha(2, f.FechaCruda());
            if (!f.FechaCruda().EsValida()) problema("la fecha no es una fecha válida");
        } else if (!f.EsNulo() && !f.EsVacio()) {
            aux_ = TextoDeCampo(FormatoValor(f, "DD/MM/YYYY", regional_));
            Fecha leida;
            if (!(Fecha::DesdeDma(aux_, leida) && aux_.size() == 10)) {
                problema("la fecha \"" + Recorta(aux_) + "\" no es una fecha");
            }
            pon(1, aux_);
        } else {
            problema("el comprobante no tiene fecha");
        }
    }
    // 3 and 4: as returned.
    pon(2, texto(2));
    {
        const std::string& letra = texto(3);
        if (TrimVista(letra).empty()) problema("el comprobante no tiene letra");
        pon(3, letra);
    }
    // 5: the voucher number as text.
    {
        const Variant& v = exigeValor(4);
        const std::string& numero = texto(4);
        if (problemas) {
            const std::string_view n = TrimVista(numero);
            if (n.empty()) {
                problema("el comprobante no tiene número");
            } else if (n.front() == '-' || (!v.EsTexto() && v.Doble() < 0)) {
                problema("el número de comprobante " + Recorta(n) + " es negativo");
            }
        }
        pon(4, numero);
    }
    // 6: the tax identifier without hyphens.
    {
        const std::string& cuit = texto(5);
        const std::string* limpio = &cuit;
        if (cuit.find('-') != std::string::npos) {
            cuit_.clear();
            for (char c : cuit)
                if (c != '-') cuit_.push_back(c);
            limpio = &cuit_;
        }
        if (problemas && !CuitValido(*limpio)) {
            problema(limpio->empty() ? std::string("el comprobante no tiene CUIT")
                                     : "el CUIT \"" + Recorta(TextoDeCampo(*limpio)) +
                                           "\" no es válido (once dígitos con dígito verificador)");
        }
        pon(5, *limpio);
    }
    // 7: absolute taxed net, decimal comma.
    importe(6);
    // 8: "1.5" as returned; it keeps its point.
    pon(7, texto(7));
    // 9: absolute perception, decimal comma.
    importe(8);
    linea.assign(renglon_.Bytes());
}

bool TotalesPercepcion::Suma(std::string_view linea) {
    if (linea.size() < static_cast<std::size_t>(kAnchoLineaPercepcion)) return false;
    linea = linea.substr(0, kAnchoLineaPercepcion);
    ValorCampo vn, vp;
    const bool ok =
        LeeCampo(kDisposicion.Campo(7), linea, vn) & LeeCampo(kDisposicion.Campo(9), linea, vp);
    const int64_t n = vn.importe.diezmilesimos, p = vp.importe.diezmilesimos;
    // The three codes of the file take no look-up; anything else goes by name.
    const std::string_view codigo = kDisposicion.De(linea, 3);
    Tipo& t = codigo == " 1"   ? conocidos_[0]
              : codigo == " 5" ? conocidos_[1]
              : codigo == " 6" ? conocidos_[2]
                               : otros_[std::string(codigo)];
    ++t.comprobantes;
    ++comprobantes;
    t.neto.diezmilesimos += n;
    t.percepcion.diezmilesimos += p;
    neto.diezmilesimos += n;
    percepcion.diezmilesimos += p;
    return ok;
}

std::map<std::string, TotalesPercepcion::Tipo> TotalesPercepcion::PorTipo() const {
    std::map<std::string, Tipo> r = otros_;
    const char* codigos[3] = {" 1", " 5", " 6"};
    for (std::size_t i = 0; i < 3; ++i) {
        if (conocidos_[i].comprobantes > 0) r[codigos[i]] = conocidos_[i];
    }
    return r;
}

std::string TotalesPercepcion::Resumen() const {
    static const std::map<std::string, std::string> kNombres = {
        {" 1", "Facturas"}, {" 5", "Notas de débito"}, {" 6", "Notas de crédito"}};
    std::string s = "Comprobantes: " + std::to_string(comprobantes) + "\n";
    for (const auto& [codigo, t] : PorTipo()) {
        const auto it = kNombres.find(codigo);
        s += "  " + (it != kNombres.end() ? it->second : "Tipo \"" + Cp1252AUtf8(codigo) + "\"") +
             " (" + Cp1252AUtf8(TrimVista(codigo)) + "): " + std::to_string(t.comprobantes) +
             "; neto gravado " + TextoMonto(t.neto) + "; percepción " + TextoMonto(t.percepcion) +
             "\n";
    }
    s += "Total neto gravado: " + TextoMonto(neto) + "\n";
    s += "Total percepción: " + TextoMonto(percepcion) + "\n";
    return s;
}

void RevisaLineaPercepcion(std::string_view l, std::vector<std::string>& problemas) {
    RevisaCampos(kDisposicion, l, problemas);
    if (l.size() == kDisposicion.ancho && kDisposicion.De(l, 4) == " ") {
        problemas.push_back("el comprobante no tiene letra");
    }
}

std::string ComprobanteDeLinea(std::string_view l) {
    if (l.size() < static_cast<std::size_t>(kAnchoLineaPercepcion)) return {};
    const std::string_view tipo = kDisposicion.De(l, 3);
    std::string s = tipo == " 1"   ? "FC"
                    : tipo == " 5" ? "ND"
                    : tipo == " 6" ? "NC"
                                   : Cp1252AUtf8(tipo);
    s += ' ';
    s += Cp1252AUtf8(kDisposicion.De(l, 4));
    s += ' ';
    s += Cp1252AUtf8(TrimVista(kDisposicion.De(l, 5)));
    s += " del ";
    s += Cp1252AUtf8(kDisposicion.De(l, 2));
    return s;
}

}  // namespace tamaris
