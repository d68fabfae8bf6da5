#include "export_arba/RegistroArba.h"

#include <cstdint>

#include "app/Exportacion.h"
#include "components/Cp1252.h"
#include "components/Dinero.h"
#include "components/Error.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

constexpr long kNoCoincidenTipos = 13;

constexpr CampoArchivo kCampos[] = {
    {1, 1, 13, ClaseCampo::CuitGuiones, "CUIT del percibido"},
    {2, 14, 10, ClaseCampo::FechaDma, "fecha de percepción"},
    {3, 24, 1, ClaseCampo::Codigo, "tipo de comprobante", "F|D|C"},
    {4, 25, 1, ClaseCampo::Codigo, "letra", "A|B|C| "},
    {5, 26, 5, ClaseCampo::Digitos, "punto de venta"},
    {6, 31, 8, ClaseCampo::Digitos, "número de comprobante"},
    {7, 39, 14, ClaseCampo::ImporteSigno, "monto imponible"},
    {8, 53, 5, ClaseCampo::DecimalPunto, "alícuota"},
    {9, 58, 13, ClaseCampo::ImporteSigno, "importe de percepción"},
    {10, 71, 1, ClaseCampo::Fijo, "tipo de operación", "A"},
};
constexpr Disposicion kDisposicion{"ARBA percepciones", kAnchoRegistroArba, kCampos};

constexpr int64_t kCentavo = 100;  // ten-thousandths

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }

// a ÷ b rounded half away from zero (b > 0).
int64_t DivideRedondeando(__int128 a, __int128 b) {
    const bool negativo = a < 0;
    if (negativo) a = -a;
    const __int128 q = (a + b / 2) / b;
    return static_cast<int64_t>(negativo ? -q : q);
}

// The voucher type as the file names it; 0 when the ledger's TC is no voucher of this file.
char TipoDeTc(std::string_view tc) {
    tc = TrimVista(tc);
    if (tc.size() != 2) return 0;
    const auto igual = [&](const char* x) {
        return (tc[0] | 0x20) == x[0] && (tc[1] | 0x20) == x[1];
    };
    return igual("fc") ? 'F' : igual("nd") ? 'D' : igual("nc") ? 'C' : 0;
}

std::string CuitConGuiones(std::string_view once) {
    return std::string(once.substr(0, 2)) + "-" + std::string(once.substr(2, 8)) + "-" +
           std::string(once.substr(10, 1));
}

std::string NombreTipo(char t) {
    return t == 'F' ? "FC" : t == 'D' ? "ND" : t == 'C' ? "NC" : std::string(1, t);
}

std::string Ceros(int64_t v, int ancho) {
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < ancho)
        s.insert(0, static_cast<std::size_t>(ancho) - s.size(), '0');
    return s;
}

}  // namespace

const Disposicion& DisposicionArba() { return kDisposicion; }

Importe AlicuotaArba(Importe neto, Importe percepcion) {
    const int64_t n = Abs(neto.diezmilesimos), p = Abs(percepcion.diezmilesimos);
    if (n == 0) return Importe{};
    // p / n × 100 %, to the hundredth of a percent: in ten-thousandths, p × 10^6 / n rounded
    // to a multiple of 100.
    return Importe{DivideRedondeando(static_cast<__int128>(p) * 10000, n) * kCentavo};
}

bool PercepcionCuadra(Importe neto, Importe alicuota, Importe percepcion) {
    const int64_t n = Abs(neto.diezmilesimos), p = Abs(percepcion.diezmilesimos);
    // n × (alícuota / 100), to the cent: n and alícuota are in ten-thousandths.
    const int64_t esperada =
        DivideRedondeando(static_cast<__int128>(n) * alicuota.diezmilesimos, 1000000 * kCentavo) *
        kCentavo;
    return esperada == p;
}

RegistroArba::RegistroArba(Recordset& rs, Regional regional)
    : regional_(regional), renglon_(kDisposicion) {
    static const char* kNombres[] = {
        "TC",      "FECHA", "LETRA", "NUMERO", "cabcuit", "liva_impnetograv", "LIVA_Ret_IBtos",
        "SUCURSAL"};
    for (std::size_t i = 0; i < col_.size(); ++i) {
        col_[i] = rs.IndiceCampo(kNombres[i]);
        if (col_[i] < 0 && i != kSucursal) rs.Fields(kNombres[i]);  // throws the missing item
    }
}

std::string RegistroArba::Comprobante(const Recordset& rs) const {
    const auto texto = [&](int i) { return Trim(rs.Valor(col_[i]).Texto(regional_)); };
    const Variant& f = rs.Valor(col_[kFecha]);
    std::string s = texto(kTC) + " " + texto(kLetra) + " ";
    if (col_[kSucursal] >= 0) s += texto(kSucursal) + "-";
    s += texto(kNumero) + " del " +
         (f.EsNulo() || f.EsVacio() ? std::string("(sin fecha)")
          : f.EsFecha()             ? f.FechaCruda().Dma()
                                    : f.Texto(regional_));
    return Recorta(TextoDeCampo(s), 100);
}

void RegistroArba::Arma(const Recordset& rs, std::string& salida,
                        std::vector<std::string>* problemas) {
    renglon_.Nuevo();
    const auto problema = [&](std::string t) {
        if (problemas) problemas->push_back(std::move(t));
    };
    const auto nombre = [](int campo) { return std::string(kDisposicion.Campo(campo).nombre); };
    // An amount or a whole number, read once. Unreadable ones stop the run naming the voucher.
    const auto lee = [&](int columna, int campo, int decimales) {
        const Variant& v = rs.Valor(col_[columna]);
        const std::string_view exacto = rs.TextoDecimal(col_[columna]);
        const ImporteLeido l = LeeImporte(v, exacto, decimales);
        if (l.estado == EstadoImporte::Exacto) return l.valor;
        const std::string como = TextoEstadoImporte(
            l, exacto.empty() ? v.Texto(regional_) : std::string(exacto), decimales);
        if (!l.Valido() && l.estado != EstadoImporte::Nulo) {
            throw ErrorTamaris(
                l.estado == EstadoImporte::Desborda ? err::kDesbordamiento : kNoCoincidenTipos,
                "El " + nombre(campo) + " del comprobante " + Comprobante(rs) + " " + como + ".");
        }
        problema("el " + nombre(campo) + " " + como);
        return l.valor;
    };
    const auto cabe = [&](bool ok, int campo, const std::string& valor) {
        if (!ok) {
            problema("el " + nombre(campo) + " " + valor + " no cabe en " +
                     std::to_string(kDisposicion.Campo(campo).ancho) + " caracteres y se corta");
        }
    };

    // 1: the buyer's CUIT, whatever separators the ledger wrote it with.
    {
        const std::string cuit = Trim(rs.Valor(col_[kCuit]).Texto(regional_));
        const std::string once = QuitaCaracteres(cuit, '-', '/', ' ');
        if (once.size() == 11 && CuitValido(once)) {
            renglon_.Pon(1, CuitConGuiones(once));
        } else {
            problema(cuit.empty() ? std::string("el comprobante no tiene CUIT")
                                  : "el CUIT \"" + Recorta(TextoDeCampo(cuit)) +
                                        "\" no es válido (once dígitos con dígito verificador)");
            renglon_.Pon(1, once);
        }
    }
    // 2: the date, whatever time of day the voucher carries.
    {
        const Variant& f = rs.Valor(col_[kFecha]);
        Fecha fecha;
        if (f.EsFecha() && f.FechaCruda().EsValida()) {
            renglon_.PonFecha(2, f.FechaCruda());
        } else if (f.EsTexto() && Fecha::DesdeIso(Trim(f.TextoCrudo()), fecha)) {
            renglon_.PonFecha(2, fecha);
        } else {
            problema(f.EsNulo() || f.EsVacio()
                         ? std::string("el comprobante no tiene fecha")
                         : "la fecha \"" + Recorta(TextoDeCampo(f.Texto(regional_))) +
                               "\" no es una fecha");
        }
    }
    // 3 and 4: type and letter.
    const char tipo = TipoDeTc(rs.Valor(col_[kTC]).Texto(regional_));
    renglon_.Pon(3, std::string(1, tipo ? tipo : ' '));
    if (!tipo) problema("el tipo de comprobante no es FC, ND ni NC");
    {
        const std::string letra = Trim(rs.Valor(col_[kLetra]).Texto(regional_));
        const char l = letra.size() == 1 ? static_cast<char>(letra[0] & ~0x20) : 0;
        if (l == 'A' || l == 'B' || l == 'C') {
            renglon_.Pon(4, std::string(1, l));
        } else if (!letra.empty()) {
            problema("la letra \"" + Recorta(TextoDeCampo(letra)) +
                     "\" no es A, B ni C: se informa en blanco");
        }
    }
    // 5 and 6: point of sale and number; the number keeps its last eight digits, and without a
    // SUCURSAL column the digits above them are the point of sale.
    {
        const int64_t numero = lee(kNumero, 6, 0).diezmilesimos / 10000;
        int64_t sucursal = numero / 100000000;
        if (col_[kSucursal] >= 0) {
            sucursal = lee(kSucursal, 5, 0).diezmilesimos / 10000;
            if (numero >= 100000000) {
                problema("el número de comprobante " + std::to_string(numero) +
                         " tiene más de ocho dígitos: se informan los ocho últimos");
            }
        }
        const int64_t ocho = numero % 100000000;
        if (sucursal <= 0) problema("el punto de venta es cero o negativo");
        if (ocho <= 0) problema("el número de comprobante es cero o negativo");
        cabe(renglon_.PonNumero(5, Ceros(Abs(sucursal), 5)), 5, std::to_string(sucursal));
        renglon_.PonNumero(6, Ceros(Abs(ocho), 8));
    }
    // 7 to 9: net, rate and perception; a credit note subtracts.
    {
        Importe neto = lee(kNeto, 7, kDecimalesDinero);
        Importe percepcion = lee(kPercepcion, 9, kDecimalesDinero);
        const Importe alicuota = AlicuotaArba(neto, percepcion);
        neto.diezmilesimos = Abs(neto.diezmilesimos);
        percepcion.diezmilesimos = Abs(percepcion.diezmilesimos);
        if (tipo == 'C') {
            neto.diezmilesimos = -neto.diezmilesimos;
            percepcion.diezmilesimos = -percepcion.diezmilesimos;
        }
        if (neto.diezmilesimos == 0) problema("el monto imponible es cero");
        cabe(renglon_.PonImporte(7, neto), 7, TextoMonto(neto));
        cabe(renglon_.PonImporte(8, alicuota), 8, TextoMonto(alicuota) + " %");
        cabe(renglon_.PonImporte(9, percepcion), 9, TextoMonto(percepcion));
        if (neto.diezmilesimos != 0 && !PercepcionCuadra(neto, alicuota, percepcion)) {
            problema("la percepción " + TextoMonto(percepcion) + " no es el " +
                     TextoMonto(alicuota) + " % del monto imponible " + TextoMonto(neto) +
                     " redondeado al centavo: ARBA rechaza el registro");
        }
    }
    salida.assign(renglon_.Bytes());
}

bool TotalesArba::Suma(std::string_view r) {
    if (r.size() < static_cast<std::size_t>(kAnchoRegistroArba)) return false;
    r = r.substr(0, kAnchoRegistroArba);
    ValorCampo vn, vp;
    const bool ok = LeeCampo(kDisposicion.Campo(7), r, vn) & LeeCampo(kDisposicion.Campo(9), r, vp);
    const std::string_view tipo = kDisposicion.De(r, 3);
    Tipo& t = tipo == "F" ? facturas : tipo == "D" ? debitos : tipo == "C" ? creditos : otros;
    ++t.comprobantes;
    ++comprobantes;
    t.neto.diezmilesimos += vn.importe.diezmilesimos;
    t.percepcion.diezmilesimos += vp.importe.diezmilesimos;
    return ok;
}

Importe TotalesArba::Neto() const {
    return Importe{facturas.neto.diezmilesimos + debitos.neto.diezmilesimos +
                   creditos.neto.diezmilesimos + otros.neto.diezmilesimos};
}

Importe TotalesArba::Percepcion() const {
    return Importe{facturas.percepcion.diezmilesimos + debitos.percepcion.diezmilesimos +
                   creditos.percepcion.diezmilesimos + otros.percepcion.diezmilesimos};
}

std::string TotalesArba::Resumen() const {
    std::string s = "Comprobantes: " + std::to_string(comprobantes) + "\n";
    const auto linea = [&](const char* que, const Tipo& t) {
        if (t.comprobantes == 0) return;
        s += std::string("  ") + que + ": " + std::to_string(t.comprobantes) +
             "; monto imponible " + TextoMonto(t.neto) + "; percepción " +
             TextoMonto(t.percepcion) + "\n";
    };
    linea("Facturas (F)", facturas);
    linea("Notas de débito (D)", debitos);
    linea("Notas de crédito (C)", creditos);
    linea("Otro tipo", otros);
    s += "Total monto imponible (notas de crédito restadas): " + TextoMonto(Neto()) + "\n";
    s += "Total percepción (notas de crédito restadas): " + TextoMonto(Percepcion()) + "\n";
    return s;
}

void RevisaRegistroArba(std::string_view r, std::vector<std::string>& problemas) {
    RevisaCampos(kDisposicion, r, problemas);
    if (r.size() != static_cast<std::size_t>(kAnchoRegistroArba)) return;
    ValorCampo v;
    if (LeeCampo(kDisposicion.Campo(5), r, v) &&
        v.texto.find_first_not_of('0') == std::string_view::npos) {
        problemas.push_back("campo 5 (punto de venta): es cero");
    }
    if (LeeCampo(kDisposicion.Campo(6), r, v) &&
        v.texto.find_first_not_of('0') == std::string_view::npos) {
        problemas.push_back("campo 6 (número de comprobante): es cero");
    }
    ValorCampo vn, va, vp;
    if (!(LeeCampo(kDisposicion.Campo(7), r, vn) && LeeCampo(kDisposicion.Campo(8), r, va) &&
          LeeCampo(kDisposicion.Campo(9), r, vp))) {
        return;
    }
    if (vn.importe.diezmilesimos == 0) problemas.push_back("campo 7 (monto imponible): es cero");
    const bool credito = kDisposicion.De(r, 3) == "C";
    const auto signo = [&](int campo, const Importe& x) {
        if (x.diezmilesimos != 0 && (x.diezmilesimos < 0) != credito) {
            problemas.push_back("campo " + std::to_string(campo) + " (" +
                                std::string(kDisposicion.Campo(campo).nombre) + "): " +
                                (credito ? "una nota de crédito va en negativo"
                                         : "solo una nota de crédito va en negativo"));
        }
    };
    signo(7, vn.importe);
    signo(9, vp.importe);
    if (vn.importe.diezmilesimos != 0 && !PercepcionCuadra(vn.importe, va.importe, vp.importe)) {
        problemas.push_back("campo 9 (importe de percepción): " + TextoMonto(vp.importe) +
                            " no es el " + TextoMonto(va.importe) + " % del monto imponible " +
                            TextoMonto(vn.importe) + " redondeado al centavo");
    }
}

std::string ComprobanteDeRegistroArba(std::string_view r) {
    if (r.size() < static_cast<std::size_t>(kAnchoRegistroArba)) return {};
    const char tipo = kDisposicion.De(r, 3)[0];
    return NombreTipo(tipo) + " " + Cp1252AUtf8(kDisposicion.De(r, 4)) + " " +
           Cp1252AUtf8(kDisposicion.De(r, 5)) + "-" + Cp1252AUtf8(kDisposicion.De(r, 6)) + " del " +
           Cp1252AUtf8(kDisposicion.De(r, 2));
}

}  // namespace tamaris
