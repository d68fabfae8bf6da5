#include "components/Dinero.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <charconv>
#include <limits>

#include "components/Cp1252.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

// Largest magnitude an amount may take, in ten-thousandths: sums of a few million of them still
// fit in 64 bits.
constexpr int64_t kMaximo = 900'000'000'000'000'0000;  // 9E14 units

constexpr int64_t kPotencias[] = {1, 10, 100, 1000, 10000};

int Acota(int decimales) { return decimales < 0 ? 0 : decimales > 4 ? 4 : decimales; }

uint64_t Absoluto(int64_t v) {
    return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
}

// A decimal text: [blanks][sign]digits[mark digits][e[sign]digits][blanks], the mark "." or ",".
// Leaves the significant digits in `digitos` and the power of ten they are scaled by in `exp`.
bool Descompone(std::string_view t, bool& negativo, std::string& digitos, long& exp) {
    t = TrimVista(t);
    negativo = false;
    digitos.clear();
    exp = 0;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negativo = t[i++] == '-';
    bool alguno = false, marca = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            alguno = true;
            if (!(digitos.empty() && c == '0')) digitos.push_back(c);
            if (marca) --exp;
        } else if ((c == '.' || c == ',') && !marca) {
            marca = true;
        } else {
            break;
        }
    }
    if (!alguno) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool menos = false;
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) menos = t[i++] == '-';
        long e = 0;
        const std::size_t desde = i;
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
            if (e < 100000) e = e * 10 + (t[i] - '0');
        }
        if (i == desde) return false;
        exp += menos ? -e : e;
    }
    return i == t.size();
}

ImporteLeido DeTexto(std::string_view t, int decimales) {
    ImporteLeido r;
    if (TrimVista(t).empty()) {
        r.estado = EstadoImporte::Nulo;
        return r;
    }
    bool negativo = false;
    std::string digitos;
    long exp = 0;
    if (!Descompone(t, negativo, digitos, exp)) {
        // Drivers spell infinities and NaN out.
        std::string_view x = TrimVista(t);
        if (!x.empty() && (x[0] == '-' || x[0] == '+')) x.remove_prefix(1);
        const bool noFinito =
            IgualSinCaso(x, "inf") || IgualSinCaso(x, "infinity") || IgualSinCaso(x, "nan");
        r.estado = noFinito ? EstadoImporte::NoFinito : EstadoImporte::NoNumero;
        return r;
    }
    // digitos × 10^exp, taken at `decimales` places.
    const long corrimiento = exp + decimales;
    uint64_t q = 0;
    bool resto = false, sube = false;
    const long largo = static_cast<long>(digitos.size());
    const long enteros = corrimiento >= 0 ? largo : largo + corrimiento;
    if (enteros + (corrimiento > 0 ? corrimiento : 0) > 18) {
        r.estado = EstadoImporte::Desborda;
        return r;
    }
    for (long k = 0; k < largo; ++k) {
        const int d = digitos[static_cast<std::size_t>(k)] - '0';
        if (k < enteros) {
            q = q * 10 + static_cast<uint64_t>(d);
        } else {
            if (k == enteros) sube = d >= 5;
            resto = resto || d != 0;
        }
    }
    for (long k = 0; k < corrimiento; ++k) q *= 10;
    if (sube) ++q;
    const uint64_t escala = static_cast<uint64_t>(kPotencias[4 - decimales]);
    if (q > static_cast<uint64_t>(kMaximo) / escala) {
        r.estado = EstadoImporte::Desborda;
        return r;
    }
    const int64_t v = static_cast<int64_t>(q * escala);
    r.valor.diezmilesimos = negativo ? -v : v;
    r.estado = resto ? EstadoImporte::Redondeado : EstadoImporte::Exacto;
    return r;
}

// The double as the suite's number-to-text conversion sees it: 15 significant digits.
std::string QuinceDigitos(double d) {
    char b[64];
    std::snprintf(b, sizeof b, "%.15g", d);
    return b;
}

}  // namespace

ImporteLeido LeeImporte(const Variant& v, std::string_view exacto, int decimales) {
    decimales = Acota(decimales);
    if (!exacto.empty()) return DeTexto(exacto, decimales);
    ImporteLeido r;
    switch (v.tipo()) {
        case Variant::Tipo::Vacio:
        case Variant::Tipo::Nulo:
            r.estado = EstadoImporte::Nulo;
            return r;
        case Variant::Tipo::Entero: {
            const int64_t e = v.Entero();
            if (e > kMaximo / 10000 || e < -kMaximo / 10000) {
                r.estado = EstadoImporte::Desborda;
                return r;
            }
            r.valor.diezmilesimos = e * 10000;
            return r;
        }
        case Variant::Tipo::Booleano:
            r.valor.diezmilesimos = v.Booleano() ? -10000 : 0;
            return r;
        case Variant::Tipo::Texto:
            return DeTexto(v.TextoCrudo(), decimales);
        case Variant::Tipo::Fecha:
            r.estado = EstadoImporte::NoNumero;
            return r;
        case Variant::Tipo::Doble:
            break;
    }
    const double d = v.Doble();
    if (!std::isfinite(d)) {
        r.estado = EstadoImporte::NoFinito;
        return r;
    }
    const long double x = static_cast<long double>(d) * kPotencias[decimales];
    const long double limite = static_cast<long double>(kMaximo / kPotencias[4 - decimales]);
    if (std::fabs(x) > limite) {
        r.estado = EstadoImporte::Desborda;
        return r;
    }
    const long double entero = std::round(x);
    // What a double cannot tell apart from the rounded value is binary noise, not a decimal.
    const long double ruido = 1e-6L + std::fabs(x) * 0x1p-50L;
    if (std::fabs(x - entero) <= ruido) {
        r.valor.diezmilesimos = static_cast<int64_t>(entero) * kPotencias[4 - decimales];
        return r;
    }
    // A real remainder: the value the suite's conversion shows, rounded at money precision.
    return DeTexto(QuinceDigitos(d), decimales);
}

std::string TextoEstadoImporte(const ImporteLeido& leido, std::string_view original,
                               int decimales) {
    const std::string o = TextoDeCampo(std::string(original.substr(0, 40)));
    switch (leido.estado) {
        case EstadoImporte::Exacto:
            return {};
        case EstadoImporte::Redondeado:
            return "tiene más de " + std::to_string(decimales) + " decimales (" + o +
                   "): se informa " + TextoMonto(leido.valor);
        case EstadoImporte::Nulo:
            return "está vacío";
        case EstadoImporte::NoNumero:
            return "no es un número (\"" + o + "\")";
        case EstadoImporte::NoFinito:
            return "no es un número finito (" + o + ")";
        case EstadoImporte::Desborda:
            return "es demasiado grande para un importe (" + o + ")";
    }
    return {};
}

std::string TextoDeValor(const Variant& v, std::string_view exacto) {
    std::string s;
    // A decimal text with an exponent is read as a double (whatever the process locale).
    double leido = 0;
    const std::string_view e = TrimVista(exacto);
    const bool exponente = e.find_first_of("eE") != std::string_view::npos &&
                           std::from_chars(e.data(), e.data() + e.size(), leido).ec == std::errc();
    if (!exacto.empty() && !exponente) {
        s.assign(e);
    } else if ((exponente || v.tipo() == Variant::Tipo::Doble) &&
               std::isfinite(exponente ? leido : v.Doble())) {
        const double d = exponente ? leido : v.Doble();
        char b[400];
        std::snprintf(b, sizeof b, "%.15g", d);
        s = b;
        if (s.find_first_of("eE") != std::string::npos) {
            // Fifteen significant digits, written out in full.
            const int magnitud =
                d == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(d))));
            const int decimales = std::max(0, std::min(40, 14 - magnitud));
            std::snprintf(b, sizeof b, "%.*f", decimales, d);
            s = b;
            // (the process locale may have written a comma)
            if (s.find_first_of(".,") != std::string::npos) {
                while (!s.empty() && s.back() == '0') s.pop_back();
                if (!s.empty() && (s.back() == '.' || s.back() == ',')) s.pop_back();
            }
        }
    } else {
        return v.Texto();
    }
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

void AnexaImporteComa(std::string& s, Importe v) {
    const uint64_t a = Absoluto(v.diezmilesimos);
    s += std::to_string(a / 10000);
    uint64_t f = a % 10000;
    if (f == 0) return;
    char dec[4];
    for (int i = 3; i >= 0; --i, f /= 10) dec[i] = static_cast<char>('0' + f % 10);
    int n = 4;
    while (n > 0 && dec[n - 1] == '0') --n;
    s.push_back(',');
    s.append(dec, static_cast<std::size_t>(n));
}

void AnexaImporteDigitos(std::string& s, Importe v, int enteros, int decimales) {
    const uint64_t a = Absoluto(v.diezmilesimos);
    const std::string e = std::to_string(a / 10000);
    if (static_cast<int>(e.size()) < enteros)
        s.append(static_cast<std::size_t>(enteros) - e.size(), '0');
    s += e;
    uint64_t f = a % 10000;
    char dec[4];
    for (int i = 3; i >= 0; --i, f /= 10) dec[i] = static_cast<char>('0' + f % 10);
    for (int i = 0; i < decimales; ++i) s.push_back(i < 4 ? dec[i] : '0');
}

int DigitosEnteros(Importe v) {
    uint64_t e = Absoluto(v.diezmilesimos) / 10000;
    int n = 0;
    for (; e > 0; e /= 10) ++n;
    return n;
}

bool TieneMasDecimales(Importe v, int decimales) {
    decimales = Acota(decimales);
    return v.diezmilesimos % kPotencias[4 - decimales] != 0;
}

std::string TextoMonto(Importe v) {
    const bool negativo = v.diezmilesimos < 0;
    uint64_t a = Absoluto(v.diezmilesimos);
    a = (a + 50) / 100;  // cents, half away from zero
    const std::string e = std::to_string(a / 100);
    std::string s = negativo && a != 0 ? "-" : "";
    for (std::size_t i = 0; i < e.size(); ++i) {
        if (i > 0 && (e.size() - i) % 3 == 0) s.push_back('.');
        s.push_back(e[i]);
    }
    s.push_back(',');
    s.push_back(static_cast<char>('0' + (a % 100) / 10));
    s.push_back(static_cast<char>('0' + a % 10));
    return s;
}

bool LeeMontoDeArchivo(std::string_view t, char marca, Importe& v) {
    std::size_t i = 0;
    const bool negativo = !t.empty() && t[0] == '-';
    if (negativo) ++i;
    uint64_t q = 0;
    int enteros = 0, decimales = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++enteros) {
        if (enteros >= 14 && q > 0) return false;
        q = q * 10 + static_cast<uint64_t>(t[i] - '0');
    }
    if (enteros == 0) return false;
    if (i < t.size() && t[i] == marca) {
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++decimales) {
            if (decimales >= 4) return false;
            q = q * 10 + static_cast<uint64_t>(t[i] - '0');
        }
        if (decimales == 0) return false;
    }
    if (i != t.size()) return false;
    for (int k = decimales; k < 4; ++k) q *= 10;
    v.diezmilesimos = negativo ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
    return true;
}

bool LeeMontoDigitos(std::string_view t, int decimales, Importe& v) {
    if (t.empty() || t.size() > 18) return false;
    uint64_t q = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return false;
        q = q * 10 + static_cast<uint64_t>(c - '0');
    }
    decimales = Acota(decimales);
    if (q > static_cast<uint64_t>(kMaximo) / static_cast<uint64_t>(kPotencias[4 - decimales])) {
        return false;
    }
    v.diezmilesimos = static_cast<int64_t>(q) * kPotencias[4 - decimales];
    return true;
}

}  // namespace tamaris
