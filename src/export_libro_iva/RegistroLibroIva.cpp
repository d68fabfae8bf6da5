#include "export_libro_iva/RegistroLibroIva.h"

#include <algorithm>
#include <limits>

#include "app/Exportacion.h"
#include "components/Cp1252.h"
#include "components/Dinero.h"
#include "components/Numero.h"
#include "components/Texto.h"
#include "export_citi/ColumnasLibroVentas.h"
#include "export_citi/Formatos.h"

namespace tamaris {

namespace {

constexpr long kNoEsNumero = 13;
constexpr long kUsoInvalidoDeNull = 94;
constexpr long kDivisionPorCero = 11;

// An error that already names its voucher.
class ErrorComprobante : public ErrorTamaris {
  public:
    using ErrorTamaris::ErrorTamaris;
};

using namespace libro_ventas;

// The buyer's document code is decided as for the CITI Ventas file: 80 by default, 99 for
// tickets to final consumers; rule B drops to 99 when the identifier is no CUIT, rule C when the
// buyer's document type is no CUIT or CUIL.
enum class Regla { Ninguna, B, C };
struct Clave {
    std::string_view clave, tipo, documento;
    Regla regla;
};
constexpr std::array<Clave, 20> kClaves = {{
    {"FCA", "001", "80", Regla::Ninguna},   {"NDA", "002", "80", Regla::Ninguna},
    {"NCA", "003", "80", Regla::Ninguna},   {"FCB", "006", "80", Regla::B},
    {"NDB", "007", "80", Regla::Ninguna},   {"NCB", "008", "80", Regla::Ninguna},
    {"FCC", "011", "80", Regla::B},         {"NDC", "012", "80", Regla::Ninguna},
    {"NCC", "013", "80", Regla::Ninguna},   {"FCE", "019", "80", Regla::Ninguna},
    {"NDE", "020", "80", Regla::Ninguna},   {"NCE", "021", "80", Regla::Ninguna},
    {"TKFCA", "081", "80", Regla::Ninguna}, {"TKFCB", "082", "80", Regla::C},
    {"TKC", "083", "99", Regla::Ninguna},   {"TKX", "083", "99", Regla::Ninguna},
    {"TKB", "083", "99", Regla::Ninguna},   {"CBCTA", "004", "80", Regla::C},
    {"CBCTB", "009", "80", Regla::C},       {"CBCTX", "009", "80", Regla::C},
}};

const Clave* BuscaClave(std::string_view tc, std::string_view letra) {
    std::string clave = Mayusculas(TrimVista(tc));
    clave += Mayusculas(TrimVista(letra));
    for (const Clave& c : kClaves) {
        if (c.clave == clave) return &c;
    }
    return nullptr;
}

constexpr std::string_view kTipos =
    "001|002|003|004|006|007|008|009|011|012|013|019|020|021|081|082|083";
constexpr std::string_view kCodigosAlicuota = "0003|0004|0005|0006|0008|0009";
constexpr std::string_view kCeros15 = "000000000000000";

constexpr CampoArchivo kCamposComprobante[] = {
    {1, 1, 8, ClaseCampo::FechaAmd, "fecha"},
    {2, 9, 3, ClaseCampo::Codigo, "tipo de comprobante", kTipos},
    {3, 12, 5, ClaseCampo::Digitos, "punto de venta"},
    {4, 17, 20, ClaseCampo::Digitos, "número de comprobante"},
    {5, 37, 20, ClaseCampo::Digitos, "número de comprobante hasta"},
    {6, 57, 2, ClaseCampo::Codigo, "código de documento", "80|99"},
    {7, 59, 20, ClaseCampo::Digitos, "identificación del comprador"},
    {8, 79, 30, ClaseCampo::Texto, "nombre del comprador"},
    {9, 109, 15, ClaseCampo::ImporteDigitos, "total"},
    {10, 124, 15, ClaseCampo::ImporteDigitos, "no gravado"},
    {11, 139, 15, ClaseCampo::Fijo, "percepción a no categorizados", kCeros15},
    {12, 154, 15, ClaseCampo::ImporteDigitos, "exento"},
    {13, 169, 15, ClaseCampo::Fijo, "percepciones nacionales", kCeros15},
    {14, 184, 15, ClaseCampo::Fijo, "percepciones de Ingresos Brutos", kCeros15},
    {15, 199, 15, ClaseCampo::Fijo, "percepciones municipales", kCeros15},
    {16, 214, 15, ClaseCampo::Fijo, "impuestos internos", kCeros15},
    {17, 229, 3, ClaseCampo::Fijo, "moneda", "PES"},
    {18, 232, 10, ClaseCampo::Fijo, "tipo de cambio", "0001000000"},
    {19, 242, 1, ClaseCampo::Codigo, "cantidad de alícuotas", "1|2|3|4"},
    {20, 243, 1, ClaseCampo::Codigo, "código de operación", " |E|N"},
    {21, 244, 15, ClaseCampo::Fijo, "otros tributos", kCeros15},
    {22, 259, 8, ClaseCampo::Fijo, "vencimiento de pago", "00000000"},
};
constexpr Disposicion kComprobante{"Libro de IVA Digital, comprobantes de ventas",
                                   kAnchoComprobanteLibro, kCamposComprobante};

constexpr CampoArchivo kCamposAlicuota[] = {
    {1, 1, 3, ClaseCampo::Codigo, "tipo de comprobante", kTipos},
    {2, 4, 5, ClaseCampo::Digitos, "punto de venta"},
    {3, 9, 20, ClaseCampo::Digitos, "número de comprobante"},
    {4, 29, 15, ClaseCampo::ImporteDigitos, "neto gravado"},
    {5, 44, 4, ClaseCampo::Codigo, "alícuota", kCodigosAlicuota},
    {6, 48, 15, ClaseCampo::ImporteDigitos, "IVA"},
};
constexpr Disposicion kAlicuota{"Libro de IVA Digital, alícuotas de ventas", kAnchoAlicuotaLibro,
                                kCamposAlicuota};

int64_t Absoluto(Importe v) { return v.diezmilesimos < 0 ? -v.diezmilesimos : v.diezmilesimos; }

bool SonCeros(std::string_view t) { return t.find_first_not_of('0') == std::string_view::npos; }

}  // namespace

const Disposicion& DisposicionComprobanteLibro() { return kComprobante; }
const Disposicion& DisposicionAlicuotaLibro() { return kAlicuota; }

std::string_view TipoComprobanteLibro(std::string_view tc, std::string_view letra) {
    const Clave* c = BuscaClave(tc, letra);
    return c ? c->tipo : std::string_view();
}

std::string_view CodigoAlicuotaLibro(Importe alicuota) {
    switch (alicuota.diezmilesimos) {
        case 0:
            return "0003";
        case 105000:
            return "0004";
        case 210000:
            return "0005";
        case 270000:
            return "0006";
        case 50000:
            return "0008";
        case 25000:
            return "0009";
        default:
            return {};
    }
}

RegistroLibroIva::RegistroLibroIva(Recordset& rs, ReglasLibroIva reglas)
    : reglas_(std::move(reglas)), comprobante_(kComprobante), alicuota_(kAlicuota) {
    for (std::size_t i = 0; i < kNombres.size(); ++i) {
        col_[i] = rs.IndiceCampo(kNombres[i]);
        if (col_[i] < 0) rs.Fields(kNombres[i]);  // throws the missing-item error
    }
}

std::string RegistroLibroIva::TextoFecha(const Recordset& rs) const {
    return rs.Valor(col_[kFecha]).Texto(reglas_.regional);
}

std::string RegistroLibroIva::TextoNumero(const Recordset& rs) const {
    return rs.Valor(col_[kNumero]).Texto(reglas_.regional);
}

std::string RegistroLibroIva::Comprobante(const Recordset& rs) const {
    const Regional& r = reglas_.regional;
    const Variant& fecha = rs.Valor(col_[kFecha]);
    return Trim(rs.Valor(col_[kTC]).Texto(r)) + " " + Trim(rs.Valor(col_[kLetra]).Texto(r)) + " " +
           TextoNumero(rs) + " del " +
           (fecha.EsFecha() ? fecha.FechaCruda().Dma() : fecha.Texto(r));
}

int RegistroLibroIva::Arma(const Recordset& rs, std::string& comprobantes, std::string& alicuotas,
                           std::vector<std::string>* problemas) {
    const std::size_t c0 = comprobantes.size(), a0 = alicuotas.size();
    try {
        return ArmaFila(rs, comprobantes, alicuotas, problemas);
    } catch (const ErrorComprobante&) {
        comprobantes.resize(c0);
        alicuotas.resize(a0);
        throw;
    } catch (const std::exception& e) {
        comprobantes.resize(c0);
        alicuotas.resize(a0);
        const ErrorInfo info = InfoDeExcepcion(e);
        throw ErrorComprobante(info.Numero,
                               info.Descripcion + " (comprobante " + Comprobante(rs) + ")");
    }
}

int RegistroLibroIva::ArmaFila(const Recordset& rs, std::string& comprobantes,
                               std::string& alicuotas, std::vector<std::string>* problemas) {
    const Regional& r = reglas_.regional;
    const auto valor = [&](int i) -> const Variant& { return rs.Valor(col_[i]); };
    const auto problema = [&](std::string texto) {
        if (problemas &&
            std::find(problemas->begin(), problemas->end(), texto) == problemas->end()) {
            problemas->push_back(std::move(texto));
        }
    };
    const auto directo = [&](int i) -> const Variant& {
        const Variant& v = valor(i);
        if (v.EsNulo() || v.EsVacio()) {
            throw ErrorComprobante(kUsoInvalidoDeNull,
                                   "Uso no válido de Null: " + std::string(kNombresCampo[i]) +
                                       " del comprobante " + Comprobante(rs) + " está vacío.");
        }
        return v;
    };
    // Amounts are read once into money; a null reads as 0.
    const auto dinero = [&](int i, int decimales = kDecimalesDinero) {
        const Variant& v = valor(i);
        const std::string_view exacto = rs.TextoDecimal(col_[i]);
        const ImporteLeido leido = LeeImporte(v, exacto, decimales);
        if (leido.estado == EstadoImporte::Exacto || leido.estado == EstadoImporte::Nulo) {
            return leido.valor;
        }
        const std::string como =
            TextoEstadoImporte(leido, exacto.empty() ? v.Texto(r) : std::string(exacto), decimales);
        if (!leido.Valido()) {
            throw ErrorComprobante(
                leido.estado == EstadoImporte::Desborda ? err::kDesbordamiento : kNoEsNumero,
                "No coinciden los tipos: " + std::string(kNombresCampo[i]) + " del comprobante " +
                    Comprobante(rs) + " " + como + ".");
        }
        problema(std::string(kNombresCampo[i]) + " " + como);
        return leido.valor;
    };
    const auto monto = [&](Renglon& renglon, const Disposicion& d, int campo, Importe v,
                           std::string_view que) {
        if (!renglon.PonImporte(campo, v)) {
            problema(std::string(que) + " " + TextoMonto(v) + " no cabe en " +
                     std::to_string(d.Campo(campo).ancho) + " dígitos y se corta");
        }
    };
    const auto esCuit = [&](std::string_view codigo) {
        return reglas_.esDocumentoCuit && reglas_.esDocumentoCuit(codigo);
    };

    const std::string tc = Trim(valor(kTC).Texto(r));
    const std::string letra = Trim(valor(kLetra).Texto(r));
    const Clave* clave = BuscaClave(tc, letra);
    if (!clave) {
        problema(tc.empty() || letra.empty()
                     ? std::string("el comprobante no tiene ") + (tc.empty() ? "tipo" : "letra") +
                           ": no se informa"
                     : "la clave de comprobante \"" + Recorta(TextoDeCampo(tc + letra)) +
                           "\" no es de ningún tipo del Libro de IVA Digital: no se informa");
        return 0;
    }

    const Variant& vFecha = directo(kFecha);
    const std::string fecha = FormatoValor(vFecha, "yyyymmdd", r);
    if (problemas) {
        Fecha leida;
        const bool esFecha =
            vFecha.EsFecha() ? vFecha.FechaCruda().EsValida()
                             : fecha.size() == 8 &&
                                   Fecha::DesdeIso(fecha.substr(0, 4) + "-" + fecha.substr(4, 2) +
                                                       "-" + fecha.substr(6, 2),
                                                   leida);
        if (!esFecha) problema("la fecha \"" + Recorta(TextoDeCampo(fecha)) + "\" no es una fecha");
    }
    std::string_view documento = clave->documento;
    const std::string cuit = QuitaCaracteres(directo(kCuit).Texto(r), '-', '/', ' ');
    if (clave->regla == Regla::B) {
        const bool valida = !esCuit("1") || DigitoVerificadorCuit(cuit);
        if (!valida || ValorNumerico(cuit) == 0) documento = "99";
    } else if (clave->regla == Regla::C) {
        if (!esCuit(directo(kCondIva).Texto(r))) documento = "99";
    }
    if (documento == "80" && !CuitValido(cuit)) {
        problema(cuit.empty() ? std::string("el comprobante no tiene CUIT")
                              : "el CUIT \"" + Recorta(TextoDeCampo(cuit)) +
                                    "\" no es válido (once dígitos con dígito verificador)");
    }
    const Variant& vSucursal = directo(kSucursal);
    const Variant& vNumero = directo(kNumero);
    const std::string sucursal = FormatoValor(vSucursal, "00000", r);
    const std::string numero = FormatoValor(vNumero, "00000000000000000000", r);
    if (problemas) {
        if (ValorNumerico(sucursal) <= 0) {
            problema("el punto de venta " + Recorta(TextoDeCampo(sucursal)) +
                     " no es mayor que cero");
        }
        if (ValorNumerico(numero) <= 0) {
            problema("el número de comprobante " + Recorta(TextoDeCampo(numero)) +
                     " no es mayor que cero");
        }
    }
    std::string identificador(20, '0');
    if (documento == "80") {
        std::string digitos;
        for (char c : cuit)
            if (c >= '0' && c <= '9') digitos.push_back(c);
        identificador = digitos;
    }
    const std::string nombre = valor(kNombre).Texto(r);
    if (problemas) {
        const RevisionTexto rev = RevisaTexto(nombre);
        if (rev.controles) problema("el nombre del cliente tiene caracteres de control");
        if (rev.fueraDeCp1252) {
            problema(
                "el nombre del cliente tiene caracteres que Windows-1252 no admite (se escriben "
                "\"?\")");
        }
    }
    const Importe total = dinero(kTotal);
    const Importe noGravado = dinero(kNoGravado);
    directo(kExento);
    const Importe exento = dinero(kExento);

    // Column 1, then each further column that is not zero: the CITI lines' rule.
    std::array<int, 4> columnas{kIva1, 0, 0, 0};
    std::array<Importe, 4> ivas{};
    ivas[0] = dinero(kIva1);
    int n = 1;
    for (int i : {kIva2, kIva3, kIva4}) {
        const Importe v = dinero(i);
        if (v.diezmilesimos != 0) {
            columnas[static_cast<std::size_t>(n)] = i;
            ivas[static_cast<std::size_t>(n++)] = v;
        }
    }
    int decimalesNeto = static_cast<int>(ValorNumerico(reglas_.cantidadDecimales));
    if (decimalesNeto <= 0) decimalesNeto = r.digitosDecimales;

    bool conIva = false;
    int64_t suma = Absoluto(noGravado) + Absoluto(exento);
    for (int k = 0; k < n; ++k) {
        const int ci = columnas[static_cast<std::size_t>(k)];
        const Importe iva = ivas[static_cast<std::size_t>(k)];
        if (k == 0) directo(ci);
        Importe neto;
        std::string_view codigo = "0003";
        if (iva.diezmilesimos != 0) {
            conIva = true;
            if (ci == kIva4) {
                // The book keeps no rate beside the fourth VAT column.
                codigo = "0000";
                problema("el IVA 4 " + TextoMonto(iva) +
                         " no tiene alícuota en el libro: el Libro de IVA Digital no lo admite");
            } else {
                const int ca = kAlicuota1 + (ci - kIva1);
                const Variant& a = valor(ca);
                const Importe alicuota = dinero(ca, 4);
                if (alicuota.diezmilesimos == 0) {
                    throw ErrorComprobante(
                        kDivisionPorCero,
                        "División por cero: el comprobante " + Comprobante(rs) + " tiene IVA " +
                            TextoMonto(iva) + " en " + kNombres[ci] + " y la alícuota " +
                            kNombres[ca] +
                            (a.EsNulo() || a.EsVacio() ? std::string(" está vacía.")
                                                       : " es " + a.Texto(r) + "."));
                }
                if (Absoluto(iva) > std::numeric_limits<int64_t>::max() / 100) {
                    throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento");
                }
                neto = RedondeaImporte(DivideImportes(Importe{Absoluto(iva) * 100}, alicuota),
                                       decimalesNeto);
                codigo = CodigoAlicuotaLibro(alicuota);
                if (codigo.empty()) {
                    codigo = "0000";
                    problema("la alícuota " + TextoMonto(alicuota) +
                             " % no tiene código en el Libro de IVA Digital");
                }
            }
        }
        // The file keeps two decimals: the balance is checked with what it carries.
        suma += Absoluto(neto) - Absoluto(neto) % 100 + Absoluto(iva);
        alicuota_.Nuevo();
        alicuota_.Pon(1, clave->tipo);
        alicuota_.PonNumero(2, sucursal);
        alicuota_.PonNumero(3, numero);
        monto(alicuota_, kAlicuota, 4, neto, "el neto gravado");
        alicuota_.Pon(5, codigo);
        monto(alicuota_, kAlicuota, 6, iva, "el IVA");
        alicuotas.append(alicuota_.Bytes());
    }
    if (problemas && Absoluto(Importe{Absoluto(total) - suma}) > 100LL * n) {
        problema("el total " + TextoMonto(Importe{Absoluto(total)}) +
                 " no es la suma del no gravado, el exento, los netos y el IVA de sus alícuotas (" +
                 TextoMonto(Importe{suma}) + ")");
    }

    comprobante_.Nuevo();
    if (!comprobante_.Pon(1, fecha)) {
        problema("la fecha \"" + Recorta(TextoDeCampo(fecha)) + "\" no cabe en 8 caracteres");
    }
    comprobante_.Pon(2, clave->tipo);
    if (!comprobante_.PonNumero(3, sucursal)) {
        problema("el punto de venta " + Recorta(sucursal) + " no cabe en 5 dígitos y se corta");
    }
    if (!comprobante_.PonNumero(4, numero) || !comprobante_.PonNumero(5, numero)) {
        problema("el número de comprobante " + Recorta(numero) +
                 " no cabe en 20 dígitos y se corta");
    }
    comprobante_.Pon(6, documento);
    if (!comprobante_.PonNumero(7, identificador)) {
        problema("la identificación \"" + Recorta(TextoDeCampo(identificador)) +
                 "\" del comprador no cabe en 20 dígitos y se corta");
    }
    if (!comprobante_.Pon(8, nombre)) {
        problema("el valor \"" + Recorta(TextoDeCampo(nombre)) +
                 "\" del nombre del cliente no cabe en 30 caracteres y se corta");
    }
    monto(comprobante_, kComprobante, 9, total, "el total");
    monto(comprobante_, kComprobante, 10, noGravado, "el no gravado");
    monto(comprobante_, kComprobante, 12, exento, "el exento");
    const char cantidad = static_cast<char>('0' + n);
    comprobante_.Pon(19, std::string_view(&cantidad, 1));
    comprobante_.Pon(20, conIva ? " " : exento.diezmilesimos != 0 ? "E" : "N");
    comprobantes.append(comprobante_.Bytes());
    return n;
}

bool TotalesLibroIva::SumaComprobante(std::string_view registro) {
    if (registro.size() < static_cast<std::size_t>(kComprobante.ancho)) return false;
    registro = registro.substr(0, static_cast<std::size_t>(kComprobante.ancho));
    ValorCampo t;
    const bool ok = LeeCampo(kComprobante.Campo(9), registro, t);
    ++comprobantes;
    ++comprobantesPorTipo[std::string(kComprobante.De(registro, 2))];
    total.diezmilesimos += t.importe.diezmilesimos;
    return ok;
}

bool TotalesLibroIva::SumaAlicuota(std::string_view registro) {
    if (registro.size() < static_cast<std::size_t>(kAlicuota.ancho)) return false;
    registro = registro.substr(0, static_cast<std::size_t>(kAlicuota.ancho));
    ValorCampo n, i;
    const bool ok =
        LeeCampo(kAlicuota.Campo(4), registro, n) & LeeCampo(kAlicuota.Campo(6), registro, i);
    const std::string codigo(kAlicuota.De(registro, 5));
    ++alicuotas;
    netoPorAlicuota[codigo].diezmilesimos += n.importe.diezmilesimos;
    ivaPorAlicuota[codigo].diezmilesimos += i.importe.diezmilesimos;
    return ok;
}

std::string TotalesLibroIva::Resumen() const {
    static const std::map<std::string, const char*> kTasas = {{"0003", "0 %"},  {"0004", "10,5 %"},
                                                              {"0005", "21 %"}, {"0006", "27 %"},
                                                              {"0008", "5 %"},  {"0009", "2,5 %"}};
    std::string s = "Comprobantes: " + std::to_string(comprobantes) + "\n";
    for (const auto& [tipo, cantidad] : comprobantesPorTipo) {
        s += "  Tipo " + Cp1252AUtf8(tipo) + ": " + std::to_string(cantidad) + "\n";
    }
    s += "Alícuotas: " + std::to_string(alicuotas) + "\n";
    s += "Total de los comprobantes: " + TextoMonto(total) + "\n";
    for (const auto& [codigo, neto] : netoPorAlicuota) {
        const auto it = ivaPorAlicuota.find(codigo);
        const auto tasa = kTasas.find(codigo);
        s += "  Alícuota " + Cp1252AUtf8(codigo) +
             (tasa != kTasas.end() ? std::string(" (") + tasa->second + ")" : std::string()) +
             ": neto gravado " + TextoMonto(neto) + "; IVA " +
             TextoMonto(it != ivaPorAlicuota.end() ? it->second : Importe{}) + "\n";
    }
    return s;
}

void RevisaComprobanteLibro(std::string_view l, std::vector<std::string>& problemas) {
    if (l.size() != static_cast<std::size_t>(kComprobante.ancho)) return;
    RevisaCampos(kComprobante, l, problemas);
    const auto mal = [&](int numero, std::string_view que, std::string_view valor) {
        problemas.push_back("campo " + std::to_string(numero) + " (" +
                            std::string(kComprobante.Campo(numero).nombre) + "): " +
                            std::string(que) + " (\"" + Recorta(Cp1252AUtf8(valor)) + "\")");
    };
    if (kComprobante.De(l, 5) != kComprobante.De(l, 4)) {
        mal(5, "no coincide con el número de comprobante", kComprobante.De(l, 5));
    }
    if (SonCeros(kComprobante.De(l, 3))) mal(3, "no es mayor que cero", kComprobante.De(l, 3));
    if (SonCeros(kComprobante.De(l, 4))) mal(4, "no es mayor que cero", kComprobante.De(l, 4));
    const std::string_view documento = kComprobante.De(l, 6);
    const std::string_view id = kComprobante.De(l, 7);
    if (documento == "80" && (!SonCeros(id.substr(0, 9)) || !CuitValido(id.substr(9)))) {
        mal(7, "no es un CUIT válido", id);
    }
    if (documento == "99" && !SonCeros(id)) mal(7, "con código 99 van veinte ceros", id);
}

void RevisaAlicuotaLibro(std::string_view l, std::vector<std::string>& problemas) {
    if (l.size() != static_cast<std::size_t>(kAlicuota.ancho)) return;
    RevisaCampos(kAlicuota, l, problemas);
}

std::string ComprobanteDeRegistroLibro(std::string_view l) {
    if (l.size() < 57) return {};
    return Cp1252AUtf8(kComprobante.De(l, 2)) + " " + Cp1252AUtf8(kComprobante.De(l, 3)) + "-" +
           Cp1252AUtf8(kComprobante.De(l, 4)) + " del " + Cp1252AUtf8(kComprobante.De(l, 1));
}

std::string ComprobanteDeAlicuotaLibro(std::string_view l) {
    if (l.size() < 28) return {};
    return Cp1252AUtf8(kAlicuota.De(l, 1)) + " " + Cp1252AUtf8(kAlicuota.De(l, 2)) + "-" +
           Cp1252AUtf8(kAlicuota.De(l, 3));
}

std::string RevisaCuadreLibro(std::string_view c, const std::vector<std::string_view>& alicuotas) {
    ValorCampo v;
    if (!LeeCampo(kComprobante.Campo(9), c, v)) return {};
    const int64_t total = v.importe.diezmilesimos;
    int64_t suma = 0;
    for (int campo : {10, 12}) {
        if (!LeeCampo(kComprobante.Campo(campo), c, v)) return {};
        suma += v.importe.diezmilesimos;
    }
    for (std::string_view a : alicuotas) {
        for (int campo : {4, 6}) {
            if (!LeeCampo(kAlicuota.Campo(campo), a, v)) return {};
            suma += v.importe.diezmilesimos;
        }
    }
    const int64_t tolerancia =
        100LL * static_cast<int64_t>(std::max<std::size_t>(1, alicuotas.size()));
    if (Absoluto(Importe{total - suma}) <= tolerancia) return {};
    return "el total " + TextoMonto(Importe{total}) +
           " no es la suma del no gravado, el exento, los netos y el IVA de sus alícuotas (" +
           TextoMonto(Importe{suma}) + ")";
}

}  // namespace tamaris
