#include "export_citi/Formatos.h"

#include <array>
#include <cmath>

#include "components/Numero.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"

namespace tamaris {

namespace {

// The largest decimal count FmtMoneda writes; the amount itself carries four.
constexpr int kMaxDecimales = 40;

constexpr std::string_view kPesosCuit = "54327654321";

constexpr std::array<std::string_view, 8> kDescripcionesCuit = {
    "CUIT.", "CUIT", "C.U.I.T.", "C.U.I.T", "CUIL.", "CUIL", "C.U.I.L.", "C.U.I.L"};

[[noreturn]] void ArgumentoInvalido(std::string_view rutina) {
    throw ErrorTamaris(err::kArgumentoInvalido,
                       "Llamada a procedimiento o argumento no válido (" + std::string(rutina) +
                           ")");
}

// The configured decimals as the whole number the routine works with.
int DecimalesConfigurados(std::string_view cantidadDecimales) {
    const double v = std::nearbyint(ValorNumerico(cantidadDecimales));
    if (!(v >= -32768 && v <= 32767)) throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento");
    return static_cast<int>(v);
}

}  // namespace

std::string SeparadorDecimal(const Regional& r) {
    return NumeroATexto(10.0 / 3.0, r).find(',') != std::string::npos ? "," : ".";
}

std::string FmtNroCampo(std::string_view texto, int16_t intDigits, int16_t decDigits,
                        const Regional& r) {
    if (intDigits < 0 || decDigits < 0) ArgumentoInvalido("FmtNroCampo");
    const char sep = SeparadorDecimal(r)[0];
    const std::string patron(static_cast<std::size_t>(intDigits), '0');
    const auto decimales = static_cast<std::size_t>(decDigits);
    const std::size_t pos = texto.find(sep);

    if (pos == std::string_view::npos) {
        std::string resultado = FormatoValor(Variant(ValorNumerico(texto)), patron, r);
        resultado.append(decimales, '0');
        return resultado;
    }
    std::string resultado = FormatoValor(Variant(ValorNumerico(texto.substr(0, pos))), patron, r);
    const std::string_view despues = texto.substr(pos + 1);
    const std::size_t largo = Largo(TrimVista(despues));
    std::string parteDecimal;
    if (largo < decimales) {
        parteDecimal.assign(despues);
        parteDecimal.append(decimales - largo, '0');
    } else {
        // Cut, never rounded: 12,3456 keeps 34.
        AnexarAncho(parteDecimal, despues, decDigits);
    }
    resultado += TrimVista(parteDecimal);
    return resultado;
}

std::string FmtMoneda(std::string_view texto, int decimales, const Regional& r,
                      std::string_view cantidadDecimales, const TrataFallo& trata) {
    if (decimales == decimales::kSinCambio) return std::string(texto);

    int d = decimales;
    std::string patron;
    Importe valor;
    std::string resultado;
    const Paso pasos[] = {
        [&] {
            if (d == decimales::kConfigurados) d = DecimalesConfigurados(cantidadDecimales);
            // A configured 0 falls through to the workstation's digits, as the code 0 does.
            if (d == decimales::kRegionales) d = r.digitosDecimales > 0 ? r.digitosDecimales : 0;
            if (d == decimales::kNinguno) d = 0;
        },
        [&] {
            if (d < 0 || d > kMaxDecimales) ArgumentoInvalido("FmtMoneda");
            patron = "############0." + std::string(static_cast<std::size_t>(d), '0');
        },
        [&] { valor = TextoAImporte(texto, r); },
        [&] { valor = RedondeaImporte(valor, d); },
        [&] { resultado = FormatoValor(Variant(valor.Doble()), patron, r); },
        [&] {
            if (d == 0 && !resultado.empty() &&
                (resultado.back() == '.' || resultado.back() == ',')) {
                resultado.pop_back();
            }
        },
    };
    if (!trata) {
        for (const Paso& paso : pasos) paso();
        return resultado;
    }
    if (!EjecutaPasos(pasos, trata)) return {};
    return resultado;
}

bool EsDescripcionCuit(std::string_view descripcion) {
    const std::string d = Mayusculas(TrimVista(descripcion));
    if (d.empty()) return false;
    for (std::string_view aceptada : kDescripcionesCuit) {
        if (IgualSinCaso(d, aceptada)) return true;
    }
    return false;
}

bool EsDocumentoCuit(DB_Dll& db, std::string_view codigo) {
    return EsDescripcionCuit(db.DatosTabla("TA_TIPODOCUMENTO", codigo, "Descripcion", "Codigo",
                                           Variant(8), "", true, false));
}

bool DigitoVerificadorCuit(std::string_view identificador) {
    const std::string s = QuitaCaracteres(QuitaCaracteres(identificador, '-', '/', '.'), ' ');
    long suma = 0;
    std::size_t j = 0;
    for (char c : s) {
        if (c < '0' || c > '9') continue;
        if (j < kPesosCuit.size()) suma += (c - '0') * (kPesosCuit[j] - '0');
        ++j;
    }
    const std::size_t largo = Largo(s);
    return largo > 10 && largo < 14 && suma % 11 == 0;
}

bool ValidaCuit(DB_Dll& db, std::string_view identificador, std::string_view tipoDocumento) {
    if (!EsDocumentoCuit(db, tipoDocumento)) return true;
    return DigitoVerificadorCuit(identificador);
}

}  // namespace tamaris
