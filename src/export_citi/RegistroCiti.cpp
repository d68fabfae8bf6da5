#include "export_citi/RegistroCiti.h"

#include <cmath>
#include <limits>

#include "components/Cp1252.h"
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
    kFecha, kTC, kLetra, kSucursal, kNumero, kCuit, kCondIva, kNombre, kTotal, kNoGravado,
    kExento, kIva1, kIva2, kIva3, kIva4, kAlicuota1, kAlicuota2, kAlicuota3, kColumnas
};
constexpr std::array<const char*, kColumnas> kNombres = {
    "Fecha",        "TC",           "Letra",        "Sucursal",     "Numero",
    "cabcuit",      "CABCONDIVA",   "CABNOMBRE",    "Liva_Total",   "LIVA_ImpNetoNGrav",
    "Liva_Exento",  "Liva_ImpIva",  "Liva_ImpIva2", "Liva_ImpIva3", "Liva_ImpIva4",
    "liva_aliciva", "liva_aliciva2", "liva_aliciva3"};

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

int RegistroCiti::Arma(const Recordset& rs, std::string& salida) {
    const std::size_t inicio = salida.size();
    int registros = 0;
    try {
        ArmaFilas(rs, salida, registros);
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

void RegistroCiti::ArmaFilas(const Recordset& rs, std::string& salida, int& registros) {
    const Regional& r = reglas_.regional;
    const auto valor = [&](int i) -> const Variant& { return rs.Valor(col_[i]); };
    // Columns the record cannot do without: a null there is the voucher's error.
    const auto directo = [&](int i) -> const Variant& {
        const Variant& v = valor(i);
        if (v.EsNulo() || v.EsVacio()) {
            throw ErrorComprobante(kUsoInvalidoDeNull,
                                   "Uso no válido de Null: la columna " +
                                       std::string(kNombres[i]) + " del comprobante " +
                                       Comprobante(rs) + " está vacía.");
        }
        return v;
    };
    const auto numero = [&](int i, const Variant& v) {
        double d = 0;
        if (!ComoNumero(v, r, d)) {
            throw ErrorComprobante(kNoEsNumero, "No coinciden los tipos: la columna " +
                                                    std::string(kNombres[i]) +
                                                    " del comprobante " + Comprobante(rs) +
                                                    " no es un número (" + v.Texto(r) + ").");
        }
        return std::fabs(d);
    };
    // "Amount of" a column: absolute value, number-to-text, 13 integer digits and 2 decimals.
    const auto monto = [&](int i, const Variant& v) {
        return FmtNroCampo(NumeroATexto(numero(i, v), r), 13, 2, r);
    };
    const auto esCuit = [&](std::string_view codigo) {
        return reglas_.esDocumentoCuit && reglas_.esDocumentoCuit(codigo);
    };

    const std::string fecha = FormatoValor(directo(kFecha), "yyyymmdd", r);
    const std::string letra = Trim(valor(kLetra).Texto(r));
    const Clave* clave = BuscaClave(valor(kTC).Texto(r), letra);
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
    const std::string sucursal = FormatoValor(directo(kSucursal), "0000", r);
    const std::string nroComprobante =
        FormatoValor(directo(kNumero), "00000000000000000000", r);
    const std::string identificador = FormatoValor(Variant(cuit), "00000000000", r);
    const std::string nombre = valor(kNombre).Texto(r);
    const std::string total = monto(kTotal, valor(kTotal));
    const std::string noGravado = monto(kNoGravado, valor(kNoGravado));
    const std::string exento = monto(kExento, directo(kExento));

    int n = 1;
    for (int i : {kIva2, kIva3, kIva4}) {
        double d = 0;
        if (ComoNumero(valor(i), r, d) && d > 0) ++n;
    }
    const bool sinIdentificar = documento == "99" && IgualSinCaso(letra, "B");

    for (int k = 1; k <= n; ++k) {
        Importe neto;
        std::string_view codigo = "0000";
        std::string iva;
        if (k <= 3) {
            const int ci = kIva1 + k - 1;
            const int ca = kAlicuota1 + k - 1;
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
        Pon(registro_, FmtNroCampo(netoFinal.Texto(r), 13, 2, r), 15);
        Pon(registro_, codigo, 4);
        Pon(registro_, iva, 15);
        registro_.append(kCeros15);
        Pon(registro_, ultima ? std::string_view(exento) : kCeros15, 15);
        registro_.append(kCampos18a24);
        registro_.push_back(static_cast<char>('0' + n));
        registro_.append(kCampos26a33);
        if (registro_.size() != static_cast<std::size_t>(kAnchoRegistroCiti)) {
            throw ErrorTamaris(err::kFalloGenerico, "Registro CITI de " +
                                                        std::to_string(registro_.size()) +
                                                        " bytes");
        }
        salida.append(registro_);
        ++registros;
    }
}

}  // namespace tamaris
