#include "export_perceptions/LineaPercepcion.h"

#include <cmath>

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

}  // namespace

LineaPercepcion::LineaPercepcion(Recordset& rs, Regional regional) : regional_(regional) {
    for (std::size_t i = 0; i < kCampos.size(); ++i) {
        col_[i] = rs.IndiceCampo(kCampos[i].columna);
        if (col_[i] < 0) rs.Fields(kCampos[i].columna);  // throws the missing-item error
    }
    aux_.reserve(64);
}

void LineaPercepcion::Arma(const Recordset& rs, std::string& linea) {
    linea.clear();
    const auto valor = [&](int i) -> const Variant& { return rs.Valor(col_[static_cast<size_t>(i)]); };
    const auto exigeValor = [&](int i) -> const Variant& {
        const Variant& v = valor(i);
        if (v.EsNulo() || v.EsVacio()) {
            throw ErrorTamaris(kUsoInvalidoDeNull,
                               "Uso no válido de Null: la columna " +
                                   std::string(kCampos[static_cast<size_t>(i)].columna) +
                                   " del comprobante " + valor(0).Texto() + " " +
                                   valor(3).Texto() + " " + valor(4).Texto() + " del " +
                                   valor(1).Texto() + " está vacía.");
        }
        return v;
    };
    const auto texto = [&](int i) -> const std::string& {
        const Variant& v = exigeValor(i);
        if (v.EsTexto()) return v.TextoCrudo();
        aux_.clear();
        v.AnexarTexto(aux_, regional_);
        return aux_;
    };
    const auto importe = [&](int i) -> const std::string& {
        const Variant& v = exigeValor(i);
        aux_.clear();
        AnexarNumero(aux_, std::fabs(v.Doble()), regional_);
        for (char& c : aux_)
            if (c == '.') c = ',';
        return aux_;
    };

    // 1: C1 as returned.
    c1_ = texto(0);
    AnexarAncho(linea, c1_, 2);
    // 2: the date, DD/MM/YYYY; a null date gives blanks, as the field-value operation does.
    {
        const Variant& f = valor(1);
        aux_.clear();
        if (f.EsFecha()) {
            AnexaFecha(aux_, f.FechaCruda());
        } else if (!f.EsNulo() && !f.EsVacio()) {
            aux_ = FormatoValor(f, "DD/MM/YYYY", regional_);
        }
        AnexarAncho(linea, aux_, 10);
    }
    // 3 and 4: as returned.
    AnexarAncho(linea, texto(2), 2);
    AnexarAncho(linea, texto(3), 1);
    // 5: the voucher number as text.
    AnexarAncho(linea, texto(4), 12);
    // 6: the tax identifier without hyphens.
    {
        const std::string& cuit = texto(5);
        if (cuit.find('-') == std::string::npos) {
            AnexarAncho(linea, cuit, 11);
        } else {
            cuit_.clear();
            for (char c : cuit)
                if (c != '-') cuit_.push_back(c);
            AnexarAncho(linea, cuit_, 11);
        }
    }
    // 7: absolute taxed net, decimal comma.
    AnexarAncho(linea, importe(6), 15);
    // 8: "1.5" as returned; it keeps its point.
    AnexarAncho(linea, texto(7), 5);
    // 9: absolute perception, decimal comma.
    AnexarAncho(linea, importe(8), 15);
}

}  // namespace tamaris
