#include "export_citi/RegistroCiti.h"

#include <cmath>
#include <limits>

#include "app/Exportacion.h"
#include "components/Cp1252.h"
#include "components/Numero.h"
#include "components/Texto.h"
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

enum Columna {
    kFecha,
    kTC,
    kLetra,
    kSucursal,
    kNumero,
    kCuit,
    kCondIva,
    kNombre,
    kTotal,
    kNoGravado,
    kExento,
    kIva1,
    kIva2,
    kIva3,
    kIva4,
    kAlicuota1,
    kAlicuota2,
    kAlicuota3,
    kColumnas
};
constexpr std::array<const char*, kColumnas> kNombres = {"Fecha",         "TC",
                                                         "Letra",         "Sucursal",
                                                         "Numero",        "cabcuit",
                                                         "CABCONDIVA",    "CABNOMBRE",
                                                         "Liva_Total",    "LIVA_ImpNetoNGrav",
                                                         "Liva_Exento",   "Liva_ImpIva",
                                                         "Liva_ImpIva2",  "Liva_ImpIva3",
                                                         "Liva_ImpIva4",  "liva_aliciva",
                                                         "liva_aliciva2", "liva_aliciva3"};

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
constexpr std::string_view kCeros11 = "00000000000";
// Fields 18 to 24: four zero amounts, "00" and thirteen blanks.
constexpr std::string_view kCampos18a24 =
    "000000000000000000000000000000000000000000000000000000000000"
    "00"
    "             ";
static_assert(kCampos18a24.size() == 75);
// Fields 26 to 33, after the count of aliquot lines.
const std::string kCampos26a33 = " " + std::string(14, '0') + std::string(16, '0') +
                                 std::string(75, ' ') + std::string(8, '0') +
                                 std::string(kCeros15) + "\r\n";

// Left assignment: the value in Windows-1252, padded on the right with blanks or cut, so that
// it takes exactly `ancho` bytes.
void Pon(std::string& registro, std::string_view valor, std::size_t ancho) {
    std::string limpio;
    if (RequiereSaneo(valor)) {
        limpio = TextoDeCampo(valor);
        valor = limpio;
    }
    const std::size_t inicio = registro.size();
    bool ascii = true;
    for (unsigned char c : valor) {
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        registro.append(valor.substr(0, ancho));
    } else {
        AnexarCp1252(registro, valor);
        if (registro.size() - inicio > ancho) registro.resize(inicio + ancho);
    }
    registro.append(ancho - (registro.size() - inicio), ' ');
}

// The value as a number; null and empty count as 0. False for a text that is not a number.
bool ComoNumero(const Variant& v, const Regional& r, double& d) {
    d = 0;
    switch (v.tipo()) {
        case Variant::Tipo::Vacio:
        case Variant::Tipo::Nulo:
            return true;
        case Variant::Tipo::Texto:
            return TrimVista(v.TextoCrudo()).empty() || LeeNumero(v.TextoCrudo(), d, r);
        default:
            d = v.Doble();
            return true;
    }
}

}  // namespace

CodigosComprobante CodigosDeClave(std::string_view tc, std::string_view letra) {
    const Clave* c = BuscaClave(tc, letra);
    if (!c) return {"  ", "  "};
    return {c->tipo, c->documento};
}

std::string_view CodigoAlicuota(Importe alicuota) {
    if (alicuota.diezmilesimos == 210000) return "2100";
    if (alicuota.diezmilesimos == 105000) return "1050";
    return "2700";
}

RegistroCiti::RegistroCiti(Recordset& rs, ReglasCiti reglas) : reglas_(std::move(reglas)) {
    for (std::size_t i = 0; i < kNombres.size(); ++i) {
        col_[i] = rs.IndiceCampo(kNombres[i]);
        if (col_[i] < 0) rs.Fields(kNombres[i]);  // throws the missing-item error
    }
    registro_.reserve(kAnchoRegistroCiti + 16);
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
                                   "Uso no válido de Null: la columna " + std::string(kNombres[i]) +
                                       " del comprobante " + Comprobante(rs) + " está vacía.");
        }
        return v;
    };
    const auto numero = [&](int i, const Variant& v) {
        double d = 0;
        if (!ComoNumero(v, r, d)) {
            throw ErrorComprobante(kNoEsNumero, "No coinciden los tipos: la columna " +
                                                    std::string(kNombres[i]) + " del comprobante " +
                                                    Comprobante(rs) + " no es un número (" +
                                                    v.Texto(r) + ").");
        }
        if (!std::isfinite(d)) {
            problema("el importe de la columna " + std::string(kNombres[i]) +
                     " no es un número finito");
        }
        return std::fabs(d);
    };
    // A value longer than its field is cut there; the check says so.
    const auto cabe = [&](const std::string& texto, std::size_t ancho, std::string_view que) {
        if (problemas && Largo(texto) > ancho) {
            problema("el valor \"" + TextoDeCampo(texto) + "\" de " + std::string(que) +
                     " no cabe en " + std::to_string(ancho) + " caracteres y se corta");
        }
    };
    // "Amount of" a column: absolute value, number-to-text, 13 integer digits and 2 decimals.
    const auto monto = [&](int i, const Variant& v) {
        std::string m = FmtNroCampo(NumeroATexto(numero(i, v), r), 13, 2, r);
        cabe(m, 15, kNombres[i]);
        return m;
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
        if (!esFecha) problema("la fecha \"" + TextoDeCampo(fecha) + "\" no es una fecha");
    }
    const std::string tc = Trim(valor(kTC).Texto(r));
    const std::string letra = Trim(valor(kLetra).Texto(r));
    const Clave* clave = BuscaClave(tc, letra);
    if (problemas) {
        if (tc.empty()) problema("el comprobante no tiene tipo");
        if (letra.empty()) problema("el comprobante no tiene letra");
        if (!clave && !tc.empty() && !letra.empty()) {
            problema("la clave de comprobante \"" + TextoDeCampo(tc + letra) +
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
                              : "el CUIT \"" + TextoDeCampo(cuit) +
                                    "\" no es válido (once dígitos con dígito verificador)");
    }
    const Variant& vSucursal = directo(kSucursal);
    const Variant& vNumero = directo(kNumero);
    const std::string sucursal = FormatoValor(vSucursal, "0000", r);
    const std::string nroComprobante = FormatoValor(vNumero, "00000000000000000000", r);
    const std::string identificador = FormatoValor(Variant(cuit), "00000000000", r);
    const std::string nombre = valor(kNombre).Texto(r);
    if (problemas) {
        cabe(sucursal, 4, "Sucursal");
        cabe(nroComprobante, 20, "Numero");
        cabe(identificador, 11, "cabcuit");
        cabe(nombre, 30, "CABNOMBRE");
        if (!vNumero.EsTexto() && vNumero.Doble() < 0) {
            problema("el número de comprobante " + vNumero.Texto(r) + " es negativo");
        }
        const RevisionTexto rev = RevisaTexto(nombre);
        if (rev.controles) problema("CABNOMBRE tiene caracteres de control");
        if (rev.fueraDeCp1252) {
            problema("CABNOMBRE tiene caracteres que Windows-1252 no admite (se escriben \"?\")");
        }
    }
    const std::string total = monto(kTotal, valor(kTotal));
    const std::string noGravado = monto(kNoGravado, valor(kNoGravado));
    const std::string exento = monto(kExento, directo(kExento));

    // One line from the first VAT column, then one for each further column that is not zero
    // (a credit note's negative VAT counts), each from its own amount and rate.
    std::array<int, 4> columnas{kIva1, 0, 0, 0};
    int n = 1;
    for (int i : {kIva2, kIva3, kIva4}) {
        const Variant& v = valor(i);
        if (v.EsNulo() || v.EsVacio()) continue;
        if (numero(i, v) != 0) columnas[static_cast<std::size_t>(n++)] = i;
    }
    const bool sinIdentificar = documento == "99" && IgualSinCaso(letra, "B");

    for (int k = 1; k <= n; ++k) {
        const int ci = columnas[static_cast<std::size_t>(k - 1)];
        Importe neto;
        std::string_view codigo = "0000";
        std::string iva;
        if (ci != kIva4) {
            const int ca = kAlicuota1 + (ci - kIva1);
            const Variant& v = directo(ci);
            iva = monto(ci, v);
            const Importe importeIva = TextoAImporte(NumeroATexto(numero(ci, v), r), r);
            // A line without VAT has no taxed net to work out, whatever its rate says.
            if (importeIva.diezmilesimos != 0) {
                const Variant& a = valor(ca);
                Importe alicuota;
                if (!a.EsNulo() && !a.EsVacio()) alicuota = TextoAImporte(a.Texto(r), r);
                if (alicuota.diezmilesimos == 0) {
                    throw ErrorComprobante(
                        kDivisionPorCero,
                        "División por cero: el comprobante " + Comprobante(rs) + " tiene IVA " +
                            importeIva.Texto(r) + " en " + kNombres[ci] + " y la alícuota " +
                            kNombres[ca] +
                            (a.EsNulo() || a.EsVacio() ? std::string(" está vacía.")
                                                       : " es " + a.Texto(r) + "."));
                }
                if (importeIva.diezmilesimos > std::numeric_limits<int64_t>::max() / 100) {
                    throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento");
                }
                neto = DivideImportes(Importe{importeIva.diezmilesimos * 100}, alicuota);
                codigo = CodigoAlicuota(alicuota);
            }
        } else {
            iva = monto(kIva4, valor(kIva4));
        }
        // The taxed net goes out rounded to the configured decimals for amounts.
        const std::string redondeado = FmtMoneda(neto.Texto(r), decimales::kConfigurados, r,
                                                 reglas_.cantidadDecimales, reglas_.trataMoneda);
        const Importe netoFinal = redondeado.empty() ? Importe{} : TextoAImporte(redondeado, r);
        const std::string netoTexto = FmtNroCampo(netoFinal.Texto(r), 13, 2, r);
        cabe(netoTexto, 15, "el neto gravado");
        const bool ultima = k == n;

        registro_.clear();
        registro_.push_back('1');
        Pon(registro_, fecha, 8);
        Pon(registro_, tipo, 2);
        registro_.push_back(' ');
        Pon(registro_, sucursal, 4);
        Pon(registro_, nroComprobante, 20);
        Pon(registro_, nroComprobante, 20);
        Pon(registro_, documento, 2);
        Pon(registro_, !ultima && sinIdentificar ? kCeros11 : std::string_view(identificador), 11);
        Pon(registro_, nombre, 30);
        Pon(registro_, ultima ? std::string_view(total) : kCeros15, 15);
        Pon(registro_, ultima ? std::string_view(noGravado) : kCeros15, 15);
        Pon(registro_, netoTexto, 15);
        Pon(registro_, codigo, 4);
        Pon(registro_, iva, 15);
        registro_.append(kCeros15);
        Pon(registro_, ultima ? std::string_view(exento) : kCeros15, 15);
        registro_.append(kCampos18a24);
        registro_.push_back(static_cast<char>('0' + n));
        registro_.append(kCampos26a33);
        if (registro_.size() != static_cast<std::size_t>(kAnchoRegistroCiti)) {
            throw ErrorTamaris(err::kFalloGenerico,
                               "Registro CITI de " + std::to_string(registro_.size()) + " bytes");
        }
        salida.append(registro_);
        ++registros;
    }
}

namespace {

bool LeeCampoImporte(std::string_view campo, Importe& v) {
    int64_t centavos = 0;
    if (campo.size() != 15) return false;
    for (char c : campo) {
        if (c < '0' || c > '9') return false;
        centavos = centavos * 10 + (c - '0');
    }
    v.diezmilesimos = centavos * 100;
    return true;
}

}  // namespace

bool TotalesCiti::Suma(std::string_view registro) {
    if (registro.size() < 398) return false;
    Importe total1, neto1, iva1;
    const bool ok = LeeCampoImporte(registro.substr(99, 15), total1) &&
                    LeeCampoImporte(registro.substr(129, 15), neto1) &&
                    LeeCampoImporte(registro.substr(148, 15), iva1);
    const std::string codigo(registro.substr(144, 4));
    const int lineas = registro[268] >= '1' && registro[268] <= '9' ? registro[268] - '0' : 1;
    ++registros;
    if (restantes_ <= 0) {
        ++comprobantes;
        restantes_ = lineas;
    }
    --restantes_;
    total.diezmilesimos += total1.diezmilesimos;
    neto.diezmilesimos += neto1.diezmilesimos;
    ivaPorAlicuota[codigo].diezmilesimos += iva1.diezmilesimos;
    netoPorAlicuota[codigo].diezmilesimos += neto1.diezmilesimos;
    return ok;
}

std::string TotalesCiti::Resumen() const {
    const auto dos = TextoTotal;
    std::string s = "Registros: " + std::to_string(registros) + "\n";
    s += "Comprobantes: " + std::to_string(comprobantes) + "\n";
    s += "Total de los comprobantes: " + dos(total) + "\n";
    s += "Neto gravado: " + dos(neto) + "\n";
    for (const auto& [codigo, iva] : ivaPorAlicuota) {
        const auto it = netoPorAlicuota.find(codigo);
        s += "  Alícuota " + codigo + ": neto gravado " +
             dos(it != netoPorAlicuota.end() ? it->second : Importe{}) + "; IVA " + dos(iva) + "\n";
    }
    return s;
}

namespace {

bool Digitos(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

void RevisaRegistroCiti(std::string_view l, std::vector<std::string>& problemas) {
    if (l.size() != static_cast<std::size_t>(kAnchoRegistroCiti - 2)) return;
    const auto campo = [&](std::size_t desde, std::size_t ancho) {
        return l.substr(desde - 1, ancho);
    };
    const auto mal = [&](int numero, std::string_view que, std::string_view valor) {
        problemas.push_back("campo " + std::to_string(numero) + ": " + std::string(que) + " (\"" +
                            Cp1252AUtf8(valor) + "\")");
    };
    if (l[0] != '1') mal(1, "no es \"1\"", campo(1, 1));
    const std::string_view fecha = campo(2, 8);
    Fecha f;
    if (!Digitos(fecha) ||
        !Fecha::DesdeIso(std::string(fecha.substr(0, 4)) + "-" + std::string(fecha.substr(4, 2)) +
                             "-" + std::string(fecha.substr(6, 2)),
                         f)) {
        mal(2, "la fecha no es una fecha AAAAMMDD", fecha);
    }
    const std::string_view tipo = campo(10, 2);
    bool tipoConocido = false;
    for (const Clave& c : kClaves) tipoConocido = tipoConocido || c.tipo == tipo;
    if (!tipoConocido) mal(3, "tipo de comprobante desconocido", tipo);
    if (!Digitos(campo(13, 4))) mal(5, "el punto de venta no son 4 dígitos", campo(13, 4));
    if (!Digitos(campo(17, 20))) mal(6, "el número no son 20 dígitos", campo(17, 20));
    if (campo(37, 20) != campo(17, 20)) mal(7, "no coincide con el campo 6", campo(37, 20));
    const std::string_view documento = campo(57, 2);
    if (documento != "80" && documento != "99")
        mal(8, "código de documento desconocido", documento);
    const std::string_view cuit = campo(59, 11);
    if (documento == "80" && !CuitValido(cuit)) mal(9, "el CUIT no es válido", cuit);
    if (documento == "99" && !Digitos(cuit) && TrimVista(cuit).size() != 0) {
        mal(9, "el documento no son dígitos", cuit);
    }
    for (const auto& [n, desde] :
         {std::pair{11, 100}, {12, 115}, {13, 130}, {15, 149}, {16, 164}, {17, 179}}) {
        if (!Digitos(campo(static_cast<std::size_t>(desde), 15))) {
            mal(n, "el importe no son 15 dígitos", campo(static_cast<std::size_t>(desde), 15));
        }
    }
    const std::string_view alicuota = campo(145, 4);
    if (alicuota != "2100" && alicuota != "1050" && alicuota != "2700" && alicuota != "0000") {
        mal(14, "código de alícuota desconocido", alicuota);
    }
    if (campo(194, 75) != kCampos18a24)
        mal(18, "los campos 18 a 24 no son ceros y blancos", campo(194, 75));
    if (l[268] < '1' || l[268] > '4')
        mal(25, "la cantidad de alícuotas no es de 1 a 4", campo(269, 1));
    if (campo(270, 129) != std::string_view(kCampos26a33).substr(0, 129)) {
        mal(26, "los campos 26 a 32 no son ceros y blancos", campo(270, 129));
    }
}

std::string ComprobanteDeRegistro(std::string_view l) {
    if (l.size() < 70) return {};
    return Cp1252AUtf8(l.substr(9, 2)) + " " + Cp1252AUtf8(l.substr(12, 4)) + "-" +
           Cp1252AUtf8(l.substr(16, 20)) + " del " + Cp1252AUtf8(l.substr(1, 8));
}

}  // namespace tamaris
