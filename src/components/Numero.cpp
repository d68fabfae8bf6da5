#include "components/Numero.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "components/Error.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

// |v| as at most 15 significant decimal digits: v = d[0].d[1]...d[n-1] x 10^exp, with no
// trailing zero digits. n == 0 for zero. Fifteen digits is what the suite's number-to-text
// conversion shows, and rounding at that precision hides the noise of binary arithmetic
// (0.1 + 0.2 is 0.3).
struct Digitos {
    char d[24];
    int n = 0;
    int exp = 0;
};

bool LeeCientifico(const char* p, const char* fin, Digitos& r) {
    r.n = 0;
    for (; p < fin && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') r.d[r.n++] = *p;
    }
    if (p == fin) return false;
    ++p;
    const bool negativo = *p == '-';
    ++p;
    int e = 0;
    for (; p < fin; ++p) e = e * 10 + (*p - '0');
    r.exp = negativo ? -e : e;
    return true;
}

Digitos Descompone(double v) {
    Digitos r;
    v = std::fabs(v);
    if (v == 0 || !std::isfinite(v)) return r;
    char buf[64];
    // The shortest round-trip form is exact whenever it has 15 digits or fewer, and it is the
    // cheap conversion; only longer forms need the rounded one.
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    LeeCientifico(buf, res.ptr, r);
    if (r.n > 15) {
        res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
        LeeCientifico(buf, res.ptr, r);
    }
    while (r.n > 1 && r.d[r.n - 1] == '0') --r.n;
    return r;
}

// Writes the text form into `o` (at least 40 bytes); returns the length.
std::size_t EscribeNumero(char* o, double v, char sep) {
    char* const inicio = o;
    if (std::isnan(v)) {
        std::memcpy(o, "NaN", 3);
        return 3;
    }
    if (std::isinf(v)) {
        if (v < 0) *o++ = '-';
        std::memcpy(o, "Infinito", 8);
        return static_cast<std::size_t>(o + 8 - inicio);
    }
    // Amounts in cents, the most common value by far: when |v| is the double nearest to k/100
    // for a whole k below 10^15 (k / 100.0 is correctly rounded, so comparing tells), that
    // decimal has at most fifteen significant digits and no other decimal of as many digits
    // lies within half a unit of v, so it is both the shortest round-trip form and the
    // fifteen-digit rounding. Written in plain notation, as below for this range.
    {
        const double a = std::fabs(v);
        if (a >= 0.01 && a < 1e13) {
            const long long k = std::llround(a * 100);
            if (static_cast<double>(k) / 100 == a) {
                if (v < 0) *o++ = '-';
                o = std::to_chars(o, o + 24, k / 100).ptr;
                const int centavos = static_cast<int>(k % 100);
                if (centavos != 0) {
                    *o++ = sep;
                    *o++ = static_cast<char>('0' + centavos / 10);
                    if (centavos % 10 != 0) *o++ = static_cast<char>('0' + centavos % 10);
                }
                return static_cast<std::size_t>(o - inicio);
            }
        }
    }
    // Otherwise the shortest round-trip form in plain notation, when it has at most fifteen
    // significant digits, is already the text wanted (the rounded form is the same).
    {
        const double a = std::fabs(v);
        if (a >= 1e-4 && a < 1e15) {
            char corto[32];
            const auto res = std::to_chars(corto, corto + sizeof corto, a);
            const char* p = corto;
            int significativos = 0;
            bool exponente = false, ceros = true;
            for (const char* q = corto; q < res.ptr; ++q) {
                if (*q == 'e') {
                    exponente = true;
                    break;
                }
                if (*q >= '1' && *q <= '9') ceros = false;
                if (*q >= '0' && *q <= '9' && !ceros) ++significativos;
            }
            if (!exponente && significativos <= 15) {
                if (v < 0) *o++ = '-';
                for (; p < res.ptr; ++p) *o++ = *p == '.' ? sep : *p;
                return static_cast<std::size_t>(o - inicio);
            }
        }
    }
    const Digitos g = Descompone(v);
    if (g.n == 0) {
        *o = '0';
        return 1;
    }
    if (v < 0) *o++ = '-';
    const int e = g.exp;
    if (e >= 15 || e < -4) {
        *o++ = g.d[0];
        if (g.n > 1) {
            *o++ = sep;
            std::memcpy(o, g.d + 1, static_cast<std::size_t>(g.n - 1));
            o += g.n - 1;
        }
        *o++ = 'E';
        *o++ = e < 0 ? '-' : '+';
        const int a = e < 0 ? -e : e;
        if (a >= 100) *o++ = static_cast<char>('0' + a / 100);
        *o++ = static_cast<char>('0' + (a / 10) % 10);
        *o++ = static_cast<char>('0' + a % 10);
    } else if (e >= 0) {
        const int enteros = e + 1;
        if (g.n <= enteros) {
            std::memcpy(o, g.d, static_cast<std::size_t>(g.n));
            o += g.n;
            for (int i = g.n; i < enteros; ++i) *o++ = '0';
        } else {
            std::memcpy(o, g.d, static_cast<std::size_t>(enteros));
            o += enteros;
            *o++ = sep;
            std::memcpy(o, g.d + enteros, static_cast<std::size_t>(g.n - enteros));
            o += g.n - enteros;
        }
    } else {
        *o++ = '0';
        *o++ = sep;
        for (int i = 0; i < -e - 1; ++i) *o++ = '0';
        std::memcpy(o, g.d, static_cast<std::size_t>(g.n));
        o += g.n;
    }
    return static_cast<std::size_t>(o - inicio);
}

// |v| in fixed notation rounded half away from zero at `dec` decimals (0 <= dec <= 40):
// `entero` without leading zeros (empty for zero), `fraccion` exactly `dec` digits.
void FijoDecimal(double v, int dec, std::string& entero, std::string& fraccion) {
    const Digitos g = Descompone(v);
    entero.clear();
    fraccion.assign(static_cast<std::size_t>(dec), '0');
    if (g.n == 0) return;
    const int alto = g.exp > 0 ? g.exp : 0;
    std::string s;
    s.reserve(static_cast<std::size_t>(alto + dec + 2));
    for (int lugar = alto; lugar >= -dec; --lugar) {
        const int j = g.exp - lugar;
        s.push_back((j >= 0 && j < g.n) ? g.d[j] : '0');
    }
    const int siguiente = g.exp + dec + 1;
    if (siguiente >= 0 && siguiente < g.n && g.d[siguiente] >= '5') {
        int i = static_cast<int>(s.size()) - 1;
        for (; i >= 0; --i) {
            if (s[static_cast<std::size_t>(i)] == '9') {
                s[static_cast<std::size_t>(i)] = '0';
            } else {
                ++s[static_cast<std::size_t>(i)];
                break;
            }
        }
        if (i < 0) s.insert(s.begin(), '1');
    }
    const std::size_t corte = s.size() - static_cast<std::size_t>(dec);
    fraccion = s.substr(corte);
    std::size_t z = 0;
    while (z < corte && s[z] == '0') ++z;
    entero = s.substr(z, corte - z);
}

// A number text read under the regional rules, kept as decimal digits so that amounts are
// rounded on what was typed rather than on a binary approximation.
struct Leido {
    bool negativo = false;
    bool vacio = false;
    char d[64];
    int n = 0;           // significant digits kept (no leading zeros)
    int punto = 0;       // digits before the decimal point, counted from d[0]
    bool resto = false;  // a non-zero digit beyond the 64 kept
};

bool LeeTexto(std::string_view texto, const Regional& r, Leido& x) {
    const std::string_view s = TrimVista(texto);
    if (s.empty()) {
        x.vacio = true;
        return true;
    }
    const char dec = r.separadorDecimal;
    const char otro = dec == ',' ? '.' : ',';
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') {
        x.negativo = s[i] == '-';
        ++i;
    }
    // The end of the mantissa: an exponent letter or the end of the text.
    std::size_t finMantisa = i;
    while (finMantisa < s.size() && s[finMantisa] != 'e' && s[finMantisa] != 'E') ++finMantisa;
    int cuentaDec = 0, cuentaOtro = 0;
    for (std::size_t k = i; k < finMantisa; ++k) {
        cuentaDec += s[k] == dec;
        cuentaOtro += s[k] == otro;
    }
    if (cuentaDec > 1) return false;
    char marca = '\0', grupo = otro;
    if (cuentaDec == 1) {
        marca = dec;
    } else if (cuentaOtro == 1) {
        marca = otro;
        grupo = '\0';
    }

    bool hayDigitos = false, trasMarca = false;
    int enteros = 0;  // significant digits before the mark
    for (; i < finMantisa; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            hayDigitos = true;
            if (x.n == 0 && c == '0') {
                if (trasMarca) --x.punto;  // leading zeros of a fraction move the point
                continue;
            }
            if (x.n < 64) {
                x.d[x.n++] = c;
            } else if (c != '0') {
                x.resto = true;
            }
            if (!trasMarca) ++enteros;
        } else if (c == marca && !trasMarca) {
            trasMarca = true;
        } else if (c == grupo && !trasMarca) {
            // Grouping marks are skipped wherever they stand in the whole part.
        } else {
            return false;
        }
    }
    if (!hayDigitos) return false;
    x.punto += enteros;
    if (i < s.size()) {
        ++i;  // the exponent letter
        bool negativo = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negativo = s[i] == '-';
            ++i;
        }
        if (i >= s.size()) return false;
        int e = 0;
        for (; i < s.size(); ++i) {
            if (s[i] < '0' || s[i] > '9') return false;
            if (e < 100000) e = e * 10 + (s[i] - '0');
        }
        x.punto += negativo ? -e : e;
    }
    if (x.n == 0) x.punto = 0;
    return true;
}

double ComoDoble(const Leido& x) {
    if (x.vacio || x.n == 0) return 0;
    char buf[96];
    char* o = buf;
    *o++ = '0';
    *o++ = '.';
    std::memcpy(o, x.d, static_cast<std::size_t>(x.n));
    o += x.n;
    *o++ = 'e';
    o = std::to_chars(o, buf + sizeof buf, x.punto).ptr;
    double v = 0;
    auto res = std::from_chars(buf, o, v);
    if (res.ec == std::errc::result_out_of_range) {
        v = x.punto > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return x.negativo ? -v : v;
}

// x * 10^decimales rounded half to even; false on overflow.
bool Escalado(const Leido& x, int decimales, int64_t& salida) {
    salida = 0;
    if (x.vacio || x.n == 0) return true;
    const int q = x.punto + decimales;  // digits that make the whole result
    if (q > 19) return false;
    unsigned __int128 acumulado = 0;
    for (int j = 0; j < q; ++j) {
        acumulado = acumulado * 10 + static_cast<unsigned>(j < x.n ? x.d[j] - '0' : 0);
    }
    int primero = 0;
    bool masAlla = x.resto;
    if (q >= 0 && q < x.n) {
        primero = x.d[q] - '0';
        for (int j = q + 1; j < x.n && !masAlla; ++j) masAlla = x.d[j] != '0';
    } else if (q < 0) {
        masAlla = masAlla || x.n > 0;  // all digits lie below the first dropped place
    }
    const bool sube = primero > 5 || (primero == 5 && (masAlla || (acumulado & 1) != 0));
    if (sube) ++acumulado;
    const auto tope = static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max());
    if (acumulado > tope) return false;
    const auto v = static_cast<int64_t>(acumulado);
    salida = x.negativo ? -v : v;
    return true;
}

[[noreturn]] void NoEsNumero(std::string_view texto) {
    throw ErrorTamaris(err::kFechaInvalida,
                       "No coinciden los tipos: '" + std::string(texto) + "' no es un número");
}

[[noreturn]] void Desborde(std::string_view texto) {
    throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento: " + std::string(texto));
}

// --- dates in value formatting ---

const char* const kMeses[12] = {"enero",      "febrero", "marzo",     "abril",
                                "mayo",       "junio",   "julio",     "agosto",
                                "septiembre", "octubre", "noviembre", "diciembre"};
const char* const kMesesCortos[12] = {"ene", "feb", "mar", "abr", "may", "jun",
                                      "jul", "ago", "sep", "oct", "nov", "dic"};
const char* const kDias[7] = {"domingo", "lunes",   "martes", "miércoles",
                              "jueves",  "viernes", "sábado"};
const char* const kDiasCortos[7] = {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"};

char Min(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EsFormatoFecha(std::string_view f) {
    bool comillas = false;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '"') comillas = !comillas;
        if (comillas) continue;
        if (c == '\\') {
            ++i;
            continue;
        }
        switch (Min(c)) {
            case 'd':
            case 'm':
            case 'y':
            case 'h':
            case 'n':
            case 's':
                return true;
            default:
                break;
        }
    }
    return false;
}

void Dos(std::string& o, int v) {
    o.push_back(static_cast<char>('0' + (v / 10) % 10));
    o.push_back(static_cast<char>('0' + v % 10));
}

int DiaDelAnio(const Fecha& f) {
    int n = f.dia;
    for (int m = 1; m < f.mes; ++m) n += DiasDelMes(m);
    const bool bisiesto = (f.anio % 4 == 0 && f.anio % 100 != 0) || f.anio % 400 == 0;
    if (bisiesto && f.mes > 2) ++n;
    return n;
}

std::string FormateaFecha(const Fecha& f, std::string_view fmt, const Regional& r) {
    std::string o;
    bool trasHora = false;  // "m" right after an hour (separators aside) means minutes
    for (std::size_t i = 0; i < fmt.size();) {
        const char c = Min(fmt[i]);
        if (fmt[i] == '"') {
            const std::size_t fin = fmt.find('"', i + 1);
            const std::size_t hasta = fin == std::string_view::npos ? fmt.size() : fin;
            o.append(fmt.substr(i + 1, hasta - i - 1));
            i = hasta + 1;
            continue;
        }
        if (fmt[i] == '\\' && i + 1 < fmt.size()) {
            o.push_back(fmt[i + 1]);
            i += 2;
            continue;
        }
        std::size_t corrida = 1;
        while (i + corrida < fmt.size() && Min(fmt[i + corrida]) == c) ++corrida;
        switch (c) {
            case 'd':
                if (corrida == 1) {
                    o += std::to_string(f.dia);
                } else if (corrida == 2) {
                    Dos(o, f.dia);
                } else {
                    const double s = f.Serial();
                    const int semana =
                        static_cast<int>(((static_cast<long long>(std::floor(s)) + 6) % 7 + 7) % 7);
                    o += corrida == 3 ? kDiasCortos[semana] : kDias[semana];
                }
                trasHora = false;
                break;
            case 'm': {
                bool minutos = trasHora && corrida <= 2;
                if (!minutos && corrida <= 2) {
                    std::size_t k = i + corrida;
                    while (k < fmt.size() && (fmt[k] == ':' || fmt[k] == ' ')) ++k;
                    minutos = k < fmt.size() && Min(fmt[k]) == 's';
                }
                if (minutos) {
                    if (corrida == 1)
                        o += std::to_string(f.minuto);
                    else
                        Dos(o, f.minuto);
                } else if (corrida == 1) {
                    o += std::to_string(f.mes);
                } else if (corrida == 2) {
                    Dos(o, f.mes);
                } else if (f.mes >= 1 && f.mes <= 12) {
                    o += corrida == 3 ? kMesesCortos[f.mes - 1] : kMeses[f.mes - 1];
                }
                trasHora = false;
                break;
            }
            case 'y':
                if (corrida == 1) {
                    o += std::to_string(DiaDelAnio(f));
                } else if (corrida == 2) {
                    Dos(o, f.anio % 100);
                } else {
                    char b[8];
                    auto res = std::to_chars(b, b + 8, f.anio);
                    for (std::ptrdiff_t k = res.ptr - b; k < 4; ++k) o.push_back('0');
                    o.append(b, res.ptr);
                }
                trasHora = false;
                break;
            case 'h':
                if (corrida == 1)
                    o += std::to_string(f.hora);
                else
                    Dos(o, f.hora);
                trasHora = true;
                break;
            case 'n':
                if (corrida == 1)
                    o += std::to_string(f.minuto);
                else
                    Dos(o, f.minuto);
                trasHora = false;
                break;
            case 's':
                if (corrida == 1)
                    o += std::to_string(f.segundo);
                else
                    Dos(o, f.segundo);
                trasHora = false;
                break;
            case '/':
                o.append(corrida, r.separadorFecha);
                break;
            default:
                o.append(fmt.substr(i, corrida));
                if ((c >= 'a' && c <= 'z')) trasHora = false;
                break;
        }
        i += corrida;
    }
    return o;
}

std::string FormateaNumero(double v, std::string_view fmt, const Regional& r) {
    // Sections: positive;negative;zero.
    std::string_view secciones[3];
    int cuantas = 0;
    {
        bool comillas = false;
        std::size_t desde = 0;
        for (std::size_t i = 0; i <= fmt.size(); ++i) {
            if (i < fmt.size() && fmt[i] == '"') comillas = !comillas;
            if (i == fmt.size() || (fmt[i] == ';' && !comillas)) {
                if (cuantas < 3) secciones[cuantas++] = fmt.substr(desde, i - desde);
                desde = i + 1;
            }
        }
    }
    std::string_view sec = secciones[0];
    bool signo = v < 0;
    if (v < 0 && cuantas >= 2 && !secciones[1].empty()) {
        sec = secciones[1];
        signo = false;
    } else if (v == 0 && cuantas >= 3 && !secciones[2].empty()) {
        sec = secciones[2];
    }

    // Where the digit placeholders are, and what they ask for.
    std::size_t primero = std::string_view::npos, ultimo = 0;
    int minEnteros = 0, minDecimales = 0, maxDecimales = 0;
    bool agrupa = false, punto = false, porcentaje = false;
    {
        bool comillas = false;
        for (std::size_t i = 0; i < sec.size(); ++i) {
            const char c = sec[i];
            if (c == '"') comillas = !comillas;
            if (comillas || c == '"') continue;
            if (c == '\\') {
                ++i;
                continue;
            }
            if (c == '%') porcentaje = true;
            if (c == '0' || c == '#') {
                if (primero == std::string_view::npos) primero = i;
                ultimo = i;
                if (punto) {
                    ++maxDecimales;
                    if (c == '0') minDecimales = maxDecimales;
                } else if (c == '0') {
                    ++minEnteros;
                }
            } else if (c == '.' && !punto) {
                punto = true;
                if (primero == std::string_view::npos) primero = i;
                ultimo = i;
            } else if (c == ',' && !punto && primero != std::string_view::npos) {
                agrupa = true;
            }
        }
    }

    auto literales = [](std::string& o, std::string_view s) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '"') {
                const std::size_t fin = s.find('"', i + 1);
                const std::size_t hasta = fin == std::string_view::npos ? s.size() : fin;
                o.append(s.substr(i + 1, hasta - i - 1));
                i = hasta;
            } else if (s[i] == '\\' && i + 1 < s.size()) {
                o.push_back(s[++i]);
            } else {
                o.push_back(s[i]);
            }
        }
    };

    if (primero == std::string_view::npos) {
        std::string o;
        literales(o, sec);
        return o;
    }
    if (porcentaje) v *= 100;
    std::string entero, fraccion;
    FijoDecimal(v, maxDecimales, entero, fraccion);
    std::size_t largoFraccion = fraccion.size();
    while (largoFraccion > static_cast<std::size_t>(minDecimales) &&
           fraccion[largoFraccion - 1] == '0') {
        --largoFraccion;
    }
    fraccion.resize(largoFraccion);
    const bool cero = entero.empty() && fraccion.find_first_not_of('0') == std::string::npos;
    if (entero.size() < static_cast<std::size_t>(minEnteros)) {
        entero.insert(0, static_cast<std::size_t>(minEnteros) - entero.size(), '0');
    }
    if (entero.empty() && fraccion.empty()) entero = "0";

    std::string o;
    // A value that shows as zero carries no sign.
    if (signo && !cero) o.push_back('-');
    literales(o, sec.substr(0, primero));
    if (agrupa && entero.size() > 3) {
        const char grupo = r.separadorDecimal == ',' ? '.' : ',';
        const std::size_t primerGrupo = entero.size() % 3 == 0 ? 3 : entero.size() % 3;
        o.append(entero, 0, primerGrupo);
        for (std::size_t k = primerGrupo; k < entero.size(); k += 3) {
            o.push_back(grupo);
            o.append(entero, k, 3);
        }
    } else {
        o += entero;
    }
    if (!fraccion.empty()) {
        o.push_back(r.separadorDecimal);
        o += fraccion;
    }
    literales(o, sec.substr(ultimo + 1));
    return o;
}

bool ValorComoFecha(const Variant& v, Fecha& f) {
    if (v.EsFecha()) {
        f = v.FechaCruda();
        return true;
    }
    if (v.EsTexto()) {
        const std::string_view t = TrimVista(v.TextoCrudo());
        return Fecha::DesdeDma(t, f) || Fecha::DesdeIso(t, f);
    }
    if (v.EsNumero()) return Fecha::DesdeSerial(v.Doble(), f);
    return false;
}

bool ValorComoNumero(const Variant& v, const Regional& r, double& d) {
    switch (v.tipo()) {
        case Variant::Tipo::Entero:
        case Variant::Tipo::Doble:
        case Variant::Tipo::Booleano:
            d = v.Doble();
            return true;
        case Variant::Tipo::Texto: {
            Leido x;
            if (!LeeTexto(v.TextoCrudo(), r, x) || x.vacio) return false;
            d = ComoDoble(x);
            return true;
        }
        case Variant::Tipo::Fecha:
            d = v.FechaCruda().Serial();
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string NumeroATexto(double v, const Regional& r) {
    char buf[48];
    return std::string(buf, EscribeNumero(buf, v, r.separadorDecimal));
}

void AnexarNumero(std::string& salida, double v, const Regional& r) {
    char buf[48];
    salida.append(buf, EscribeNumero(buf, v, r.separadorDecimal));
}

std::string Importe::Texto(const Regional& r) const {
    const bool negativo = diezmilesimos < 0;
    const uint64_t a =
        negativo ? 0 - static_cast<uint64_t>(diezmilesimos) : static_cast<uint64_t>(diezmilesimos);
    char buf[32];
    char* o = buf;
    if (negativo) *o++ = '-';
    o = std::to_chars(o, buf + sizeof buf, a / 10000).ptr;
    unsigned frac = static_cast<unsigned>(a % 10000);
    if (frac != 0) {
        char d[4];
        for (int i = 3; i >= 0; --i) {
            d[i] = static_cast<char>('0' + frac % 10);
            frac /= 10;
        }
        int n = 4;
        while (d[n - 1] == '0') --n;
        *o++ = r.separadorDecimal;
        std::memcpy(o, d, static_cast<std::size_t>(n));
        o += n;
    }
    return std::string(buf, o);
}

namespace {

// a ÷ b rounded to a whole number, ties to even; b != 0.
__int128 CocientePar(__int128 a, __int128 b) {
    const bool negativo = (a < 0) != (b < 0);
    const __int128 x = a < 0 ? -a : a;
    const __int128 y = b < 0 ? -b : b;
    __int128 q = x / y;
    const __int128 resto2 = (x % y) * 2;
    if (resto2 > y || (resto2 == y && (q & 1) != 0)) ++q;
    return negativo ? -q : q;
}

}  // namespace

Importe RedondeaImporte(Importe v, int decimales) {
    if (decimales >= 4) return v;
    if (decimales < 0) decimales = 0;
    int64_t escala = 1;
    for (int i = decimales; i < 4; ++i) escala *= 10;
    const __int128 q = CocientePar(v.diezmilesimos, escala) * escala;
    // Rounding up near the ends of the range may not fit.
    if (q > std::numeric_limits<int64_t>::max() || q < std::numeric_limits<int64_t>::min()) {
        throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento");
    }
    return Importe{static_cast<int64_t>(q)};
}

Importe DivideImportes(Importe dividendo, Importe divisor) {
    if (divisor.diezmilesimos == 0) throw ErrorTamaris(11, "División por cero");
    const __int128 q =
        CocientePar(static_cast<__int128>(dividendo.diezmilesimos) * 10000, divisor.diezmilesimos);
    if (q > std::numeric_limits<int64_t>::max() || q < std::numeric_limits<int64_t>::min()) {
        throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento");
    }
    return Importe{static_cast<int64_t>(q)};
}

Importe TextoAImporte(std::string_view texto, const Regional& r) {
    Leido x;
    if (!LeeTexto(texto, r, x)) NoEsNumero(texto);
    Importe i;
    if (!Escalado(x, 4, i.diezmilesimos)) Desborde(texto);
    return i;
}

int64_t ConvierteNumero(std::string_view texto, const Regional& r) {
    Leido x;
    if (!LeeTexto(texto, r, x)) NoEsNumero(texto);
    int64_t v = 0;
    if (!Escalado(x, 0, v)) Desborde(texto);
    return v;
}

bool LeeNumero(std::string_view texto, double& valor, const Regional& r) {
    Leido x;
    if (!LeeTexto(texto, r, x) || x.vacio) return false;
    valor = ComoDoble(x);
    return true;
}

double ValorNumerico(std::string_view texto) {
    // Blanks, tabs and line feeds are skipped anywhere, as the suite's Val does ("1 000" is 1000).
    char buf[96];
    std::size_t n = 0;
    bool digitos = false, punto = false;
    std::size_t i = 0;
    auto saltaBlancos = [&] {
        while (i < texto.size() &&
               (texto[i] == ' ' || texto[i] == '\t' || texto[i] == '\n' || texto[i] == '\r')) {
            ++i;
        }
    };
    saltaBlancos();
    if (i < texto.size() && (texto[i] == '-' || texto[i] == '+')) {
        if (texto[i] == '-') buf[n++] = '-';
        ++i;
    }
    for (;; ++i) {
        saltaBlancos();
        if (i >= texto.size()) break;
        const char c = texto[i];
        if (c >= '0' && c <= '9') {
            digitos = true;
            if (n < 80) buf[n++] = c;
        } else if (c == '.' && !punto) {
            punto = true;
            if (n < 80) buf[n++] = c;
        } else {
            break;
        }
    }
    if (!digitos) return 0;
    // An exponent ("E" or the old "D") only counts when digits follow it.
    if (i < texto.size() && (Min(texto[i]) == 'e' || Min(texto[i]) == 'd')) {
        std::size_t k = i + 1;
        char exp[16];
        std::size_t m = 0;
        exp[m++] = 'e';
        if (k < texto.size() && (texto[k] == '-' || texto[k] == '+')) {
            if (texto[k] == '-') exp[m++] = '-';
            ++k;
        }
        std::size_t cifras = 0;
        while (k < texto.size() && texto[k] >= '0' && texto[k] <= '9' && m < 15) {
            exp[m++] = texto[k++];
            ++cifras;
        }
        if (cifras > 0) {
            std::memcpy(buf + n, exp, m);
            n += m;
        }
    }
    double v = 0;
    const char* p = buf;
    if (*p == '-') ++p;
    auto res = std::from_chars(p, buf + n, v);
    if (res.ec == std::errc::result_out_of_range) {
        v = std::numeric_limits<double>::infinity();
    }
    return buf[0] == '-' ? -v : v;
}

bool EsNumerico(std::string_view texto, const Regional& r) {
    Leido x;
    return LeeTexto(texto, r, x) && !x.vacio;
}

double Redondea(double v, int decimales) {
    if (!std::isfinite(v) || v == 0) return v;
    if (decimales < 0) {
        const double escala = std::pow(10.0, -decimales);
        return Redondea(v / escala, 0) * escala;
    }
    if (decimales > 30) decimales = 30;
    std::string entero, fraccion;
    FijoDecimal(v, decimales, entero, fraccion);
    std::string s = entero.empty() ? "0" : entero;
    if (!fraccion.empty()) s += "." + fraccion;
    double r = 0;
    std::from_chars(s.data(), s.data() + s.size(), r);
    return v < 0 ? -r : r;
}

std::string FormatoValor(const Variant& v, std::string_view formato, const Regional& r) {
    if (v.EsNulo() || v.EsVacio()) return {};
    std::string_view f = formato;
    // The named formats the suite's forms use.
    if (IgualSinCaso(f, "General Number"))
        f = {};
    else if (IgualSinCaso(f, "Fixed"))
        f = "0.00";
    else if (IgualSinCaso(f, "Standard"))
        f = "#,##0.00";
    else if (IgualSinCaso(f, "Percent"))
        f = "0.00%";
    else if (IgualSinCaso(f, "Short Date"))
        f = "dd/mm/yyyy";
    else if (IgualSinCaso(f, "Short Time"))
        f = "hh:nn";
    else if (IgualSinCaso(f, "Long Time"))
        f = "hh:nn:ss";
    if (f.empty()) return v.Texto(r);

    auto comoEsta = [&] { return v.EsTexto() ? v.TextoCrudo() : v.Texto(r); };
    if (EsFormatoFecha(f)) {
        Fecha fecha;
        if (ValorComoFecha(v, fecha)) return FormateaFecha(fecha, f, r);
        return comoEsta();
    }
    double d = 0;
    if (ValorComoNumero(v, r, d)) return FormateaNumero(d, f, r);
    return comoEsta();
}

}  // namespace tamaris
