#include "export_perceptions/LineaPercepcion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "app/Exportacion.h"
#include "components/Cp1252.h"
#include "components/Numero.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

constexpr long kUsoInvalidoDeNull = 94;

struct Campo {
    const char* columna;
    int ancho;
};
// Position order of the file; the width-fill and width-limit operations fit alike.
constexpr std::array<Campo, 9> kCampos = {{{"C1", 2},
                                           {"C2", 10},
                                           {"C3", 2},
                                           {"C4", 1},
                                           {"C5", 12},
                                           {"C6", 11},
                                           {"C7", 15},
                                           {"C8", 5},
                                           {"C9", 15}}};

void AnexaFecha(std::string& s, const Fecha& f) {
    const auto dos = [&](int v) {
        s.push_back(static_cast<char>('0' + (v / 10) % 10));
        s.push_back(static_cast<char>('0' + v % 10));
    };
    dos(f.dia);
    s.push_back('/');
    dos(f.mes);
    s.push_back('/');
    dos(f.anio / 100);
    dos(f.anio % 100);
}

// The line as it is built: fields of plain ASCII (nearly all) go straight into a fixed buffer
// at their width and reach the line in one append; any other text, cut by characters, goes
// through AnexarAncho.
class Renglon {
  public:
    explicit Renglon(std::string& linea) : linea_(linea) {}

    void Campo(std::string_view t, int ancho) {
        const auto w = static_cast<std::size_t>(ancho);
        if (o_ + w > buf_ + sizeof buf_) Vuelca();
        const std::size_t corte = std::min(t.size(), w);
        // High bits gathered eight bytes at a time: any set means a byte that is not ASCII.
        char* const o = o_;
        const char* const p = t.data();
        uint64_t altos = 0;
        std::size_t i = 0;
        for (; i + 8 <= corte; i += 8) {
            uint64_t x;
            std::memcpy(&x, p + i, 8);
            altos |= x;
        }
        for (; i < corte; ++i) altos |= static_cast<unsigned char>(p[i]);
        if ((altos & 0x8080808080808080ULL) != 0 ||
            (corte < t.size() && (static_cast<unsigned char>(p[corte]) & 0xC0) == 0x80)) {
            Vuelca();
            AnexarAncho(linea_, t, ancho);
            return;
        }
        std::memcpy(o, p, corte);
        std::memset(o + corte, ' ', w - corte);
        o_ = o + w;
    }

    void Vuelca() {
        linea_.append(buf_, static_cast<std::size_t>(o_ - buf_));
        o_ = buf_;
    }

  private:
    std::string& linea_;
    char buf_[kAnchoLineaPercepcion];
    char* o_ = buf_;
};

}  // namespace

LineaPercepcion::LineaPercepcion(Recordset& rs, Regional regional) : regional_(regional) {
    for (std::size_t i = 0; i < kCampos.size(); ++i) {
        col_[i] = rs.IndiceCampo(kCampos[i].columna);
        if (col_[i] < 0) rs.Fields(kCampos[i].columna);  // throws the missing-item error
    }
    aux_.reserve(64);
}

std::string LineaPercepcion::TextoC1(const Recordset& rs) const {
    return rs.Valor(col_[0]).Texto(regional_);
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
    s += fecha.EsFecha() ? fecha.FechaCruda().Dma() : fecha.Texto(regional_);
    return TextoDeCampo(s);
}

void LineaPercepcion::Arma(const Recordset& rs, std::string& linea,
                           std::vector<std::string>* problemas) {
    linea.clear();
    Renglon renglon(linea);
    const auto valor = [&](int i) -> const Variant& {
        return rs.Valor(col_[static_cast<size_t>(i)]);
    };
    const auto problema = [&](std::string texto) {
        if (problemas) problemas->push_back(std::move(texto));
    };
    const auto exigeValor = [&](int i) -> const Variant& {
        const Variant& v = valor(i);
        if (v.EsNulo() || v.EsVacio()) {
            throw ErrorTamaris(kUsoInvalidoDeNull,
                               "Uso no válido de Null: la columna " +
                                   std::string(kCampos[static_cast<size_t>(i)].columna) +
                                   " del comprobante " + valor(0).Texto() + " " + valor(3).Texto() +
                                   " " + valor(4).Texto() + " del " + valor(1).Texto() +
                                   " está vacía.");
        }
        return v;
    };
    // Text as it goes into the file: bytes that are not UTF-8 read as Windows-1252, control
    // characters as blanks, so the field keeps its width whatever the database holds.
    const auto sanea = [&](int i, const std::string& t) -> const std::string& {
        if (!RequiereSaneo(t)) return t;
        if (problemas) {
            const RevisionTexto rev = RevisaTexto(t);
            const std::string columna = kCampos[static_cast<size_t>(i)].columna;
            if (rev.controles) problema("la columna " + columna + " tiene caracteres de control");
            if (rev.fueraDeCp1252) {
                problema("la columna " + columna +
                         " tiene caracteres que Windows-1252 no admite (se escriben \"?\")");
            }
        }
        saneado_ = TextoDeCampo(t);
        return saneado_;
    };
    const auto texto = [&](int i) -> const std::string& {
        const Variant& v = exigeValor(i);
        if (v.EsTexto()) return sanea(i, v.TextoCrudo());
        aux_.clear();
        v.AnexarTexto(aux_, regional_);
        return aux_;
    };
    const auto cabe = [&](int i, const std::string& t) {
        const int ancho = kCampos[static_cast<size_t>(i)].ancho;
        // Never more characters than bytes: only a longer text needs counting.
        if (problemas && static_cast<int>(t.size()) > ancho && static_cast<int>(Largo(t)) > ancho) {
            problema("el valor \"" + t + "\" de la columna " +
                     kCampos[static_cast<size_t>(i)].columna + " no cabe en " +
                     std::to_string(ancho) + " caracteres y se corta");
        }
    };
    const auto importe = [&](int i) -> const std::string& {
        const Variant& v = exigeValor(i);
        const double d = v.Doble();
        if (problemas) {
            double leido = 0;
            if (!std::isfinite(d)) {
                problema("el importe de la columna " +
                         std::string(kCampos[static_cast<size_t>(i)].columna) +
                         " no es un número finito");
            } else if (v.EsTexto() && !LeeNumero(v.TextoCrudo(), leido, regional_)) {
                problema("el importe \"" + TextoDeCampo(v.TextoCrudo()) + "\" de la columna " +
                         kCampos[static_cast<size_t>(i)].columna + " no es un número");
            }
        }
        aux_.clear();
        AnexarNumero(aux_, std::fabs(d), regional_);
        for (char& c : aux_)
            if (c == '.') c = ',';
        cabe(i, aux_);
        return aux_;
    };

    // 1: C1 as returned.
    c1_ = texto(0);
    renglon.Campo(c1_, 2);
    // 2: the date, DD/MM/YYYY; a null date gives blanks, as the field-value operation does.
    {
        const Variant& f = valor(1);
        aux_.clear();
        if (f.EsFecha()) {
            AnexaFecha(aux_, f.FechaCruda());
            if (problemas && !f.FechaCruda().EsValida())
                problema("la fecha no es una fecha válida");
        } else if (!f.EsNulo() && !f.EsVacio()) {
            aux_ = TextoDeCampo(FormatoValor(f, "DD/MM/YYYY", regional_));
            Fecha leida;
            if (problemas && !(Fecha::DesdeDma(aux_, leida) && aux_.size() == 10)) {
                problema("la fecha \"" + aux_ + "\" no es una fecha");
            }
        } else {
            problema("el comprobante no tiene fecha");
        }
        renglon.Campo(aux_, 10);
    }
    // 3 and 4: as returned.
    renglon.Campo(texto(2), 2);
    {
        const std::string& letra = texto(3);
        if (problemas && TrimVista(letra).empty()) problema("el comprobante no tiene letra");
        cabe(3, letra);
        renglon.Campo(letra, 1);
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
                problema("el número de comprobante " + std::string(n) + " es negativo");
            }
            cabe(4, numero);
        }
        renglon.Campo(numero, 12);
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
                                     : "el CUIT \"" + *limpio +
                                           "\" no es válido (once dígitos con dígito verificador)");
        }
        renglon.Campo(*limpio, 11);
    }
    // 7: absolute taxed net, decimal comma.
    renglon.Campo(importe(6), 15);
    // 8: "1.5" as returned; it keeps its point.
    renglon.Campo(texto(7), 5);
    // 9: absolute perception, decimal comma.
    renglon.Campo(importe(8), 15);
    renglon.Vuelca();
}

namespace {

// An amount field as the file writes it ("1500,5", padded with blanks), in ten-thousandths;
// false when it is not one. Decimals past the fourth are dropped.
bool LeeImporteLinea(std::string_view campo, int64_t& v) {
    v = 0;
    std::size_t i = 0, n = campo.size();
    while (n > 0 && campo[n - 1] == ' ') --n;
    if (n == 0) return false;
    bool digitos = false;
    for (; i < n && campo[i] >= '0' && campo[i] <= '9'; ++i, digitos = true) {
        v = v * 10 + (campo[i] - '0');
    }
    int decimales = 0;
    if (i < n && campo[i] == ',') {
        for (++i; i < n && campo[i] >= '0' && campo[i] <= '9'; ++i, digitos = true) {
            if (decimales < 4) {
                v = v * 10 + (campo[i] - '0');
                ++decimales;
            }
        }
    }
    for (; decimales < 4; ++decimales) v *= 10;
    return digitos && i == n;
}

}  // namespace

bool TotalesPercepcion::Suma(std::string_view linea) {
    if (linea.size() < static_cast<std::size_t>(kAnchoLineaPercepcion)) return false;
    int64_t n = 0, p = 0;
    const bool ok =
        LeeImporteLinea(linea.substr(38, 15), n) & LeeImporteLinea(linea.substr(58, 15), p);
    // The three codes of the file take no look-up; anything else goes by name.
    const std::string_view codigo = linea.substr(12, 2);
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
        s += "  " + (it != kNombres.end() ? it->second : "Tipo \"" + codigo + "\"") + " (" +
             std::string(TrimVista(codigo)) + "): " + std::to_string(t.comprobantes) +
             "; neto gravado " + TextoTotal(t.neto) + "; percepción " + TextoTotal(t.percepcion) +
             "\n";
    }
    s += "Total neto gravado: " + TextoTotal(neto) + "\n";
    s += "Total percepción: " + TextoTotal(percepcion) + "\n";
    return s;
}

namespace {

bool SonDigitos(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// The field without the blanks that pad it on the right.
std::string_view SinRelleno(std::string_view campo) {
    std::size_t n = campo.size();
    while (n > 0 && campo[n - 1] == ' ') --n;
    return campo.substr(0, n);
}

// An amount field: digits, optionally a comma and more digits, then blanks.
bool EsImporteDeArchivo(std::string_view campo) {
    const std::string_view t = SinRelleno(campo);
    if (t.empty()) return false;
    std::size_t i = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    if (i == 0) return false;
    if (i == t.size()) return true;
    if (t[i] != ',' || i + 1 == t.size()) return false;
    for (++i; i < t.size(); ++i)
        if (t[i] < '0' || t[i] > '9') return false;
    return true;
}

}  // namespace

void RevisaLineaPercepcion(std::string_view l, std::vector<std::string>& problemas) {
    if (l.size() != static_cast<std::size_t>(kAnchoLineaPercepcion)) return;
    const auto mal = [&](std::string_view que, std::string_view campo) {
        problemas.push_back(std::string(que) + " (\"" + Cp1252AUtf8(campo) + "\")");
    };
    if (l.substr(0, 2) != " 1") mal("el campo 1 no es \" 1\"", l.substr(0, 2));
    Fecha f;
    const std::string_view fecha = l.substr(2, 10);
    if (!(fecha[2] == '/' && fecha[5] == '/' && SonDigitos(fecha.substr(0, 2)) &&
          SonDigitos(fecha.substr(3, 2)) && SonDigitos(fecha.substr(6, 4)) &&
          Fecha::DesdeDma(fecha, f))) {
        mal("la fecha no es una fecha DD/MM/AAAA", fecha);
    }
    const std::string_view tipo = l.substr(12, 2);
    if (tipo != " 1" && tipo != " 5" && tipo != " 6") mal("el tipo no es 1, 5 ni 6", tipo);
    if (l[14] == ' ') problemas.push_back("el comprobante no tiene letra");
    const std::string_view numero = l.substr(15, 12);
    if (!SonDigitos(SinRelleno(numero))) {
        mal("el número de comprobante no son dígitos", numero);
    }
    if (!CuitValido(l.substr(27, 11))) mal("el CUIT no es válido", l.substr(27, 11));
    if (!EsImporteDeArchivo(l.substr(38, 15)))
        mal("el neto gravado no es un importe", l.substr(38, 15));
    if (l.substr(53, 5) != "1.5  ") mal("el campo 8 no es \"1.5\"", l.substr(53, 5));
    if (!EsImporteDeArchivo(l.substr(58, 15)))
        mal("la percepción no es un importe", l.substr(58, 15));
}

std::string ComprobanteDeLinea(std::string_view l) {
    if (l.size() < static_cast<std::size_t>(kAnchoLineaPercepcion)) return {};
    const std::string_view tipo = l.substr(12, 2);
    std::string s = tipo == " 1"   ? "FC"
                    : tipo == " 5" ? "ND"
                    : tipo == " 6" ? "NC"
                                   : Cp1252AUtf8(tipo);
    s += ' ';
    s += Cp1252AUtf8(l.substr(14, 1));
    s += ' ';
    s += Cp1252AUtf8(TrimVista(l.substr(15, 12)));
    s += " del ";
    s += Cp1252AUtf8(l.substr(2, 10));
    return s;
}

}  // namespace tamaris
