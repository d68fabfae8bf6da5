#include "export_citi/RegistroCiti.h"

#include <algorithm>
#include <cmath>
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

// Buyer rules: B checks the identifier, C the buyer's document type.
enum class Regla { Ninguna, B, C };
struct Clave {
    std::string_view clave, tipo, documento;
    Regla regla;
};
constexpr std::array<Clave, 16> kClaves = {{
    {"FCA", "01", "80", Regla::Ninguna},
    {"NDA", "02", "80", Regla::Ninguna},
    {"NCA", "03", "80", Regla::Ninguna},
    {"FCB", "06", "80", Regla::B},
    {"FCC", "06", "80", Regla::B},
    {"NDB", "07", "80", Regla::Ninguna},
    {"NCB", "08", "80", Regla::Ninguna},
    {"FCE", "19", "80", Regla::Ninguna},
    {"TKFCA", "81", "80", Regla::Ninguna},
    {"TKFCB", "82", "80", Regla::C},
    {"TKC", "83", "99", Regla::Ninguna},
    {"TKX", "83", "99", Regla::Ninguna},
    {"TKB", "83", "99", Regla::Ninguna},
    {"CBCTA", "0R", "80", Regla::C},
    {"CBCTB", "09", "80", Regla::C},
    {"CBCTX", "09", "80", Regla::C},
}};

const Clave* BuscaClave(std::string_view tc, std::string_view letra) {
    std::string clave = Mayusculas(TrimVista(tc));
    clave += Mayusculas(TrimVista(letra));
    for (const Clave& c : kClaves) {
        if (c.clave == clave) return &c;
    }
    return nullptr;
}

constexpr std::string_view kCeros15 = "000000000000000";

constexpr CampoArchivo kCampos[] = {
    {1, 1, 1, ClaseCampo::Fijo, "tipo de registro", "1"},
    {2, 2, 8, ClaseCampo::FechaAmd, "fecha"},
    {3, 10, 2, ClaseCampo::Codigo, "tipo de comprobante", "01|02|03|06|07|08|19|81|82|83|0R|09"},
    {4, 12, 1, ClaseCampo::Fijo, "blanco", ""},
    {5, 13, 4, ClaseCampo::Digitos, "punto de venta"},
    {6, 17, 20, ClaseCampo::Digitos, "número de comprobante"},
    {7, 37, 20, ClaseCampo::Digitos, "número de comprobante hasta"},
    {8, 57, 2, ClaseCampo::Codigo, "código de documento", "80|99"},
    {9, 59, 11, ClaseCampo::Texto, "CUIT del cliente"},
    {10, 70, 30, ClaseCampo::Texto, "nombre del cliente"},
    {11, 100, 15, ClaseCampo::ImporteDigitos, "total"},
    {12, 115, 15, ClaseCampo::ImporteDigitos, "no gravado"},
    {13, 130, 15, ClaseCampo::ImporteDigitos, "neto gravado"},
    {14, 145, 4, ClaseCampo::Codigo, "alícuota", "2100|1050|2700|0000"},
    {15, 149, 15, ClaseCampo::ImporteDigitos, "IVA"},
    {16, 164, 15, ClaseCampo::Fijo, "percepción a no categorizados", "000000000000000"},
    {17, 179, 15, ClaseCampo::ImporteDigitos, "exento"},
    {18, 194, 15, ClaseCampo::Fijo, "percepciones nacionales", "000000000000000"},
    {19, 209, 15, ClaseCampo::Fijo, "percepciones de Ingresos Brutos", "000000000000000"},
    {20, 224, 15, ClaseCampo::Fijo, "percepciones municipales", "000000000000000"},
    {21, 239, 15, ClaseCampo::Fijo, "impuestos internos", "000000000000000"},
    {22, 254, 2, ClaseCampo::Fijo, "tipo de responsable", "00"},
    {23, 256, 3, ClaseCampo::Fijo, "moneda", ""},
    {24, 259, 10, ClaseCampo::Fijo, "tipo de cambio", ""},
    {25, 269, 1, ClaseCampo::Codigo, "cantidad de alícuotas", "1|2|3|4"},
    {26, 270, 1, ClaseCampo::Fijo, "código de operación", ""},
    {27, 271, 14, ClaseCampo::Fijo, "CAI", "00000000000000"},
    {28, 285, 8, ClaseCampo::Fijo, "vencimiento", "00000000"},
    {29, 293, 8, ClaseCampo::Fijo, "fecha de anulación", "00000000"},
    {30, 301, 75, ClaseCampo::Fijo, "información adicional", ""},
    {31, 376, 8, ClaseCampo::Fijo, "campo 31", "00000000"},
    {32, 384, 15, ClaseCampo::Fijo, "campo 32", "000000000000000"},
};
constexpr Disposicion kDisposicion{"C.I.T.I. Ventas", kAnchoRegistroCiti - 2, kCampos};
constexpr std::string_view kCeros11 = "00000000000";
}  // namespace

CodigosComprobante CodigosDeClave(std::string_view tc, std::string_view letra) {
    const Clave* c = BuscaClave(tc, letra);
    if (!c) return {"  ", "  "};
    return {c->tipo, c->documento};
}

bool EsAlicuotaConocida(Importe alicuota) {
    return alicuota.diezmilesimos == 210000 || alicuota.diezmilesimos == 105000 ||
           alicuota.diezmilesimos == 270000;
}

std::string_view CodigoAlicuota(Importe alicuota) {
    if (alicuota.diezmilesimos == 210000) return "2100";
    if (alicuota.diezmilesimos == 105000) return "1050";
    return "2700";
}

const Disposicion& DisposicionCiti() { return kDisposicion; }

RegistroCiti::RegistroCiti(Recordset& rs, ReglasCiti reglas)
    : reglas_(std::move(reglas)), renglon_(kDisposicion) {
    for (std::size_t i = 0; i < kNombres.size(); ++i) {
        col_[i] = rs.IndiceCampo(kNombres[i]);
        if (col_[i] < 0) rs.Fields(kNombres[i]);  // throws the missing-item error
    }
}

std::string RegistroCiti::TextoFecha(const Recordset& rs) const {
    return rs.Valor(col_[kFecha]).Texto(reglas_.regional);
}

std::string RegistroCiti::TextoNumero(const Recordset& rs) const {
    return rs.Valor(col_[kNumero]).Texto(reglas_.regional);
}

std::string RegistroCiti::Comprobante(const Recordset& rs) const {
    const Regional& r = reglas_.regional;
    const Variant& fecha = rs.Valor(col_[kFecha]);
    std::string s = Trim(rs.Valor(col_[kTC]).Texto(r));
    s += ' ';
    s += Trim(rs.Valor(col_[kLetra]).Texto(r));
    s += ' ';
    s += TextoNumero(rs);
    s += " del ";
    s += fecha.EsFecha() ? fecha.FechaCruda().Dma() : fecha.Texto(r);
    return s;
}

int RegistroCiti::Arma(const Recordset& rs, std::string& salida,
                       std::vector<std::string>* problemas) {
    const std::size_t inicio = salida.size();
    int registros = 0;
    try {
        ArmaFilas(rs, salida, registros, problemas);
    } catch (const ErrorComprobante&) {
        salida.resize(inicio);
        throw;
    } catch (const std::exception& e) {
        salida.resize(inicio);
        const ErrorInfo info = InfoDeExcepcion(e);
        throw ErrorComprobante(info.Numero,
                               info.Descripcion + " (comprobante " + Comprobante(rs) + ")");
    }
    return registros;
}

void RegistroCiti::ArmaFilas(const Recordset& rs, std::string& salida, int& registros,
                             std::vector<std::string>* problemas) {
    const Regional& r = reglas_.regional;
    const auto valor = [&](int i) -> const Variant& { return rs.Valor(col_[i]); };
    const auto problema = [&](std::string texto) {
        if (problemas) problemas->push_back(std::move(texto));
    };
    // Columns the record cannot do without: a null there is the voucher's error.
    const auto directo = [&](int i) -> const Variant& {
        const Variant& v = valor(i);
        if (v.EsNulo() || v.EsVacio()) {
            throw ErrorComprobante(kUsoInvalidoDeNull,
                                   "Uso no válido de Null: " + std::string(kNombresCampo[i]) +
                                       " del comprobante " + Comprobante(rs) + " está vacío.");
        }
        return v;
    };
    // Amounts are read once into money; a null reads as 0 (the field-value operation).
    const auto dinero = [&](int i, int decimales = kDecimalesDinero) {
        const Variant& v = valor(i);
        const std::string_view exacto = rs.TextoDecimal(col_[i]);
        const ImporteLeido leido = LeeImporte(v, exacto, decimales);
        if (leido.estado == EstadoImporte::Exacto || leido.estado == EstadoImporte::Nulo) {
            return leido.valor;
        }
        const std::string como = TextoEstadoImporte(leido, TextoDeValor(v, exacto), decimales);
        // What cannot be filed at all goes as zeros, and the finding says so.
        problema(std::string(kNombresCampo[i]) + " " + como +
                 (leido.Valido() ? std::string() : std::string(": se informa 0")));
        return leido.valor;
    };
    // A value longer than its field is cut there; the check says so.
    const auto pon = [&](int campo, std::string_view texto, std::string_view que) {
        if (!renglon_.Pon(campo, texto)) {
            const std::string de = que.substr(0, 3) == "el " ? "del " + std::string(que.substr(3))
                                                             : "de " + std::string(que);
            problema("el valor \"" + Recorta(TextoDeCampo(texto)) + "\" " + de + " no cabe en " +
                     std::to_string(kDisposicion.Campo(campo).ancho) + " caracteres y se corta");
        }
    };
    const auto monto = [&](int campo, Importe v, std::string_view que) {
        if (!renglon_.PonImporte(campo, v)) {
            problema(std::string(que) + " " + TextoMonto(v) + " no cabe en " +
                     std::to_string(kDisposicion.Campo(campo).ancho) + " dígitos y se corta");
        }
    };
    const auto esCuit = [&](std::string_view codigo) {
        return reglas_.esDocumentoCuit && reglas_.esDocumentoCuit(codigo);
    };

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
    const std::string tc = Trim(valor(kTC).Texto(r));
    const std::string letra = Trim(valor(kLetra).Texto(r));
    const Clave* clave = BuscaClave(tc, letra);
    if (problemas) {
        if (tc.empty()) problema("el comprobante no tiene tipo");
        if (letra.empty()) problema("el comprobante no tiene letra");
        if (!clave && !tc.empty() && !letra.empty()) {
            problema("la clave de comprobante \"" + Recorta(TextoDeCampo(tc + letra)) +
                     "\" no es de ningún tipo conocido (se informa sin tipo ni documento)");
        }
    }
    const std::string_view tipo = clave ? clave->tipo : "  ";
    std::string_view documento = clave ? clave->documento : "  ";
    const std::string cuit = QuitaCaracteres(directo(kCuit).Texto(r), '-', '/', ' ');
    if (clave && clave->regla == Regla::B) {
        // ValidaCuit against the suite's code 1: checked only when code 1 is a CUIT type.
        const bool valida = !esCuit("1") || DigitoVerificadorCuit(cuit);
        if (!valida || ValorNumerico(cuit) == 0) documento = "99";
    } else if (clave && clave->regla == Regla::C) {
        if (!esCuit(directo(kCondIva).Texto(r))) documento = "99";
    }
    if (problemas && documento == "80" && !CuitValido(cuit)) {
        problema(cuit.empty() ? std::string("el comprobante no tiene CUIT")
                              : "el CUIT \"" + Recorta(TextoDeCampo(cuit)) +
                                    "\" no es válido (once dígitos con dígito verificador)");
    }
    const Variant& vSucursal = directo(kSucursal);
    const Variant& vNumero = directo(kNumero);
    const std::string sucursal = FormatoValor(vSucursal, "0000", r);
    const std::string nroComprobante = FormatoValor(vNumero, "00000000000000000000", r);
    const std::string identificador = FormatoValor(Variant(cuit), "00000000000", r);
    const std::string nombre = valor(kNombre).Texto(r);
    if (problemas) {
        if (!vNumero.EsTexto() && vNumero.Doble() < 0) {
            problema("el número de comprobante " + vNumero.Texto(r) + " es negativo");
        }
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

    // One line from the first VAT column, then one for each further column that is not zero
    // (a credit note's negative VAT counts), each from its own amount and rate. An amount that
    // rounds to 0,00 is zero.
    std::array<int, 4> columnas{kIva1, 0, 0, 0};
    std::array<Importe, 4> ivas{};
    int n = 1;
    for (int i : {kIva2, kIva3, kIva4}) {
        const Importe v = dinero(i);
        if (v.diezmilesimos != 0) {
            columnas[static_cast<std::size_t>(n)] = i;
            ivas[static_cast<std::size_t>(n++)] = v;
        }
    }
    const bool sinIdentificar = documento == "99" && IgualSinCaso(letra, "B");
    // The taxed net is rounded to the configured decimals for amounts (the workstation's when
    // none are configured).
    int decimalesNeto = static_cast<int>(ValorNumerico(reglas_.cantidadDecimales));
    if (decimalesNeto <= 0) decimalesNeto = r.digitosDecimales;

    for (int k = 1; k <= n; ++k) {
        const int ci = columnas[static_cast<std::size_t>(k - 1)];
        Importe neto;
        std::string_view codigo = "0000";
        const Importe iva = k == 1 ? dinero(kIva1) : ivas[static_cast<std::size_t>(k - 1)];
        if (ci != kIva4) {
            const int ca = kAlicuota1 + (ci - kIva1);
            directo(ci);
            // A line without VAT has no taxed net to work out, whatever its rate says.
            if (iva.diezmilesimos != 0) {
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
                const Importe absoluto{iva.diezmilesimos < 0 ? -iva.diezmilesimos
                                                             : iva.diezmilesimos};
                if (absoluto.diezmilesimos > std::numeric_limits<int64_t>::max() / 100) {
                    throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento");
                }
                neto = RedondeaImporte(
                    DivideImportes(Importe{absoluto.diezmilesimos * 100}, alicuota), decimalesNeto);
                codigo = CodigoAlicuota(alicuota);
                if (!EsAlicuotaConocida(alicuota)) {
                    problema("la alícuota " + TextoMonto(alicuota) +
                             " % no tiene código propio en el C.I.T.I. (se informa " +
                             std::string(codigo) + ")");
                }
            }
        }
        const bool ultima = k == n;

        renglon_.Nuevo();
        renglon_.Pon(2, fecha);  // a date that is not one is told above
        renglon_.Pon(3, tipo);
        if (!renglon_.PonNumero(5, sucursal)) {
            problema("el punto de venta " + Recorta(sucursal) + " no cabe en 4 dígitos y se corta");
        }
        if (!renglon_.PonNumero(6, nroComprobante) || !renglon_.PonNumero(7, nroComprobante)) {
            problema("el número de comprobante " + Recorta(nroComprobante) +
                     " no cabe en 20 dígitos y se corta");
        }
        renglon_.Pon(8, documento);
        pon(9, !ultima && sinIdentificar ? kCeros11 : std::string_view(identificador),
            "el CUIT del cliente");
        pon(10, nombre, "el nombre del cliente");
        monto(11, ultima ? total : Importe{}, "el total");
        monto(12, ultima ? noGravado : Importe{}, "el no gravado");
        monto(13, neto, "el neto gravado");
        renglon_.Pon(14, codigo);
        monto(15, iva, "el IVA");
        monto(17, ultima ? exento : Importe{}, "el exento");
        const char cantidad = static_cast<char>('0' + n);
        renglon_.Pon(25, std::string_view(&cantidad, 1));
        salida.append(renglon_.Bytes());
        ++registros;
    }
    // Each aliquot line repeats the voucher's fields: what one line found, the others found too.
    if (problemas) {
        std::vector<std::string> unicos;
        for (std::string& p : *problemas) {
            if (std::find(unicos.begin(), unicos.end(), p) == unicos.end())
                unicos.push_back(std::move(p));
        }
        *problemas = std::move(unicos);
    }
}

bool TotalesCiti::Suma(std::string_view registro) {
    if (registro.size() < static_cast<std::size_t>(kDisposicion.ancho)) return false;
    registro = registro.substr(0, static_cast<std::size_t>(kDisposicion.ancho));
    ValorCampo t, n, i;
    const bool ok = LeeCampo(kDisposicion.Campo(11), registro, t) &
                    LeeCampo(kDisposicion.Campo(13), registro, n) &
                    LeeCampo(kDisposicion.Campo(15), registro, i);
    const std::string codigo(kDisposicion.De(registro, 14));
    const char c = kDisposicion.De(registro, 25)[0];
    const int lineas = c >= '1' && c <= '9' ? c - '0' : 1;
    ++registros;
    if (restantes_ <= 0) {
        ++comprobantes;
        restantes_ = lineas;
    }
    --restantes_;
    total.diezmilesimos += t.importe.diezmilesimos;
    neto.diezmilesimos += n.importe.diezmilesimos;
    ivaPorAlicuota[codigo].diezmilesimos += i.importe.diezmilesimos;
    netoPorAlicuota[codigo].diezmilesimos += n.importe.diezmilesimos;
    return ok;
}

std::string TotalesCiti::Resumen() const {
    std::string s = "Registros: " + std::to_string(registros) + "\n";
    s += "Comprobantes: " + std::to_string(comprobantes) + "\n";
    s += "Total de los comprobantes: " + TextoMonto(total) + "\n";
    s += "Neto gravado: " + TextoMonto(neto) + "\n";
    for (const auto& [codigo, iva] : ivaPorAlicuota) {
        const auto it = netoPorAlicuota.find(codigo);
        s += "  Alícuota " + Cp1252AUtf8(codigo) + ": neto gravado " +
             TextoMonto(it != netoPorAlicuota.end() ? it->second : Importe{}) + "; IVA " +
             TextoMonto(iva) + "\n";
    }
    return s;
}

void RevisaRegistroCiti(std::string_view l, std::vector<std::string>& problemas) {
    if (l.size() != static_cast<std::size_t>(kDisposicion.ancho)) return;
    RevisaCampos(kDisposicion, l, problemas);
    const auto mal = [&](int numero, std::string_view que, std::string_view valor) {
        problemas.push_back("campo " + std::to_string(numero) + " (" +
                            std::string(kDisposicion.Campo(numero).nombre) + "): " +
                            std::string(que) + " (\"" + Recorta(Cp1252AUtf8(valor)) + "\")");
    };
    if (kDisposicion.De(l, 7) != kDisposicion.De(l, 6)) {
        mal(7, "no coincide con el número de comprobante", kDisposicion.De(l, 7));
    }
    const std::string_view documento = kDisposicion.De(l, 8);
    const std::string_view cuit = kDisposicion.De(l, 9);
    if (documento == "80" && !CuitValido(cuit)) mal(9, "no es un CUIT válido", cuit);
    if (documento == "99" && !TrimVista(cuit).empty() &&
        cuit.find_first_not_of("0123456789") != std::string_view::npos) {
        mal(9, "el documento no son dígitos", cuit);
    }
}

std::string ComprobanteDeRegistro(std::string_view l) {
    if (l.size() < 70) return {};
    return Cp1252AUtf8(l.substr(9, 2)) + " " + Cp1252AUtf8(l.substr(12, 4)) + "-" +
           Cp1252AUtf8(l.substr(16, 20)) + " del " + Cp1252AUtf8(l.substr(1, 8));
}

}  // namespace tamaris
