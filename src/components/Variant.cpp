#include "components/Variant.h"

#include <charconv>
#include <cmath>

#include "components/Error.h"
#include "components/Numero.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

bool Bisiesto(int a) { return (a % 4 == 0 && a % 100 != 0) || a % 400 == 0; }

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DiasCiviles(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilDeDias(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kDiaCero = DiasCiviles(1899, 12, 30);

// Reads exactly `n` digits at `pos`.
bool Cifras(std::string_view s, std::size_t& pos, std::size_t n, int& v) {
    if (pos + n > s.size()) return false;
    v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = s[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    pos += n;
    return true;
}

// Reads one or two digits at `pos`.
bool UnaODos(std::string_view s, std::size_t& pos, int& v) {
    if (pos >= s.size() || s[pos] < '0' || s[pos] > '9') return false;
    if (pos + 1 < s.size() && s[pos + 1] >= '0' && s[pos + 1] <= '9') return Cifras(s, pos, 2, v);
    return Cifras(s, pos, 1, v);
}

// " HH:MM[:SS]" (or with 'T' when `t` is allowed) from `pos` to the end; ISO texts may carry
// fractions of a second, which the suite's dates do not keep.
bool LeeHora(std::string_view s, std::size_t pos, bool iso, Fecha& f) {
    if (pos == s.size()) return true;
    if (s[pos] != ' ' && !(iso && s[pos] == 'T')) return false;
    ++pos;
    if (!UnaODos(s, pos, f.hora)) return false;
    if (pos >= s.size() || s[pos] != ':') return false;
    ++pos;
    if (!Cifras(s, pos, 2, f.minuto)) return false;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (!Cifras(s, pos, 2, f.segundo)) return false;
        if (iso && pos < s.size() && s[pos] == '.') {
            ++pos;
            while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') ++pos;
        }
    }
    return pos == s.size();
}

void AnexarDos(std::string& o, int v) {
    o.push_back(static_cast<char>('0' + (v / 10) % 10));
    o.push_back(static_cast<char>('0' + v % 10));
}

void AnexarAnio(std::string& o, int a) {
    char b[12];
    auto r = std::to_chars(b, b + sizeof b, a);
    for (auto k = r.ptr - b; k < 4; ++k) o.push_back('0');
    o.append(b, r.ptr);
}

void AnexarHora(std::string& o, const Fecha& f) {
    AnexarDos(o, f.hora);
    o.push_back(':');
    AnexarDos(o, f.minuto);
    o.push_back(':');
    AnexarDos(o, f.segundo);
}

}  // namespace

bool Fecha::EsValida() const {
    if (anio < 1 || anio > 9999 || mes < 1 || mes > 12 || dia < 1) return false;
    const int dias = (mes == 2 && Bisiesto(anio)) ? 29 : DiasDelMes(mes);
    return dia <= dias && hora >= 0 && hora <= 23 && minuto >= 0 && minuto <= 59 &&
           segundo >= 0 && segundo <= 59;
}

bool Fecha::DesdeIso(std::string_view texto, Fecha& salida) {
    Fecha f;
    std::size_t p = 0;
    if (!Cifras(texto, p, 4, f.anio) || p >= texto.size() || texto[p++] != '-') return false;
    if (!Cifras(texto, p, 2, f.mes) || p >= texto.size() || texto[p++] != '-') return false;
    if (!Cifras(texto, p, 2, f.dia)) return false;
    if (!LeeHora(texto, p, true, f) || !f.EsValida()) return false;
    salida = f;
    return true;
}

bool Fecha::DesdeDma(std::string_view texto, Fecha& salida) {
    Fecha f;
    std::size_t p = 0;
    if (!UnaODos(texto, p, f.dia) || p >= texto.size() || texto[p++] != '/') return false;
    if (!UnaODos(texto, p, f.mes) || p >= texto.size() || texto[p++] != '/') return false;
    if (!Cifras(texto, p, 4, f.anio)) return false;
    if (!LeeHora(texto, p, false, f) || !f.EsValida()) return false;
    salida = f;
    return true;
}

std::string Fecha::Iso() const {
    std::string o;
    o.reserve(19);
    AnexarAnio(o, anio);
    o.push_back('-');
    AnexarDos(o, mes);
    o.push_back('-');
    AnexarDos(o, dia);
    if (TieneHora()) {
        o.push_back(' ');
        AnexarHora(o, *this);
    }
    return o;
}

std::string Fecha::Dma() const {
    std::string o;
    o.reserve(10);
    AnexarDos(o, dia);
    o.push_back('/');
    AnexarDos(o, mes);
    o.push_back('/');
    AnexarAnio(o, anio);
    return o;
}

double Fecha::Serial() const {
    const auto dias = static_cast<double>(
        DiasCiviles(anio, static_cast<unsigned>(mes), static_cast<unsigned>(dia)) - kDiaCero);
    const double fraccion = (hora * 3600.0 + minuto * 60.0 + segundo) / 86400.0;
    // Before day zero the fraction still counts forward from midnight, so it is subtracted.
    return dias < 0 ? dias - fraccion : dias + fraccion;
}

bool Fecha::DesdeSerial(double serial, Fecha& salida) {
    if (!std::isfinite(serial)) return false;
    double entero = std::trunc(serial);
    auto segundos = static_cast<long>(std::llround(std::fabs(serial - entero) * 86400.0));
    if (segundos >= 86400) {
        segundos -= 86400;
        entero += serial < 0 ? -1 : 1;
    }
    if (std::fabs(entero) > 4.0e6) return false;
    Fecha f;
    CivilDeDias(static_cast<int64_t>(entero) + kDiaCero, f.anio, f.mes, f.dia);
    if (f.anio < 100 || f.anio > 9999) return false;
    f.hora = static_cast<int>(segundos / 3600);
    f.minuto = static_cast<int>((segundos / 60) % 60);
    f.segundo = static_cast<int>(segundos % 60);
    salida = f;
    return true;
}

bool Variant::Booleano() const {
    switch (tipo()) {
        case Tipo::Booleano: return std::get<bool>(v_);
        case Tipo::Entero: return std::get<int64_t>(v_) != 0;
        case Tipo::Doble: return std::get<double>(v_) != 0;
        case Tipo::Fecha: return std::get<tamaris::Fecha>(v_).Serial() != 0;
        case Tipo::Texto: {
            const std::string_view t = TrimVista(std::get<std::string>(v_));
            if (IgualSinCaso(t, "verdadero") || IgualSinCaso(t, "true")) return true;
            double d = 0;
            return LeeNumero(t, d) && d != 0;
        }
        default: return false;
    }
}

int64_t Variant::Entero() const {
    switch (tipo()) {
        // The suite's True is -1.
        case Tipo::Booleano: return std::get<bool>(v_) ? -1 : 0;
        case Tipo::Entero: return std::get<int64_t>(v_);
        case Tipo::Doble: {
            // Half to even, as the suite's whole-number conversion rounds.
            const double d = std::nearbyint(std::get<double>(v_));
            if (!(d >= -9.2e18 && d <= 9.2e18)) {
                throw ErrorTamaris(err::kDesbordamiento, "Desbordamiento");
            }
            return static_cast<int64_t>(d);
        }
        case Tipo::Texto: return ConvierteNumero(std::get<std::string>(v_));
        case Tipo::Fecha:
            return static_cast<int64_t>(std::floor(std::get<tamaris::Fecha>(v_).Serial()));
        default: return 0;
    }
}

double Variant::Doble() const {
    switch (tipo()) {
        case Tipo::Booleano: return std::get<bool>(v_) ? -1 : 0;
        case Tipo::Entero: return static_cast<double>(std::get<int64_t>(v_));
        case Tipo::Doble: return std::get<double>(v_);
        case Tipo::Texto: {
            const std::string& t = std::get<std::string>(v_);
            double d = 0;
            if (LeeNumero(t, d)) return d;
            return ValorNumerico(t);
        }
        case Tipo::Fecha: return std::get<tamaris::Fecha>(v_).Serial();
        default: return 0;
    }
}

std::string Variant::Texto(const Regional& r) const {
    if (auto* s = std::get_if<std::string>(&v_)) return *s;
    std::string o;
    AnexarTexto(o, r);
    return o;
}

void Variant::AnexarTexto(std::string& salida, const Regional& r) const {
    switch (tipo()) {
        case Tipo::Booleano:
            salida.append(std::get<bool>(v_) ? "Verdadero" : "Falso");
            break;
        case Tipo::Entero: {
            char b[24];
            auto res = std::to_chars(b, b + sizeof b, std::get<int64_t>(v_));
            salida.append(b, res.ptr);
            break;
        }
        case Tipo::Doble:
            AnexarNumero(salida, std::get<double>(v_), r);
            break;
        case Tipo::Texto:
            salida.append(std::get<std::string>(v_));
            break;
        case Tipo::Fecha: {
            const tamaris::Fecha& f = std::get<tamaris::Fecha>(v_);
            AnexarDos(salida, f.dia);
            salida.push_back(r.separadorFecha);
            AnexarDos(salida, f.mes);
            salida.push_back(r.separadorFecha);
            AnexarAnio(salida, f.anio);
            if (f.TieneHora()) {
                salida.push_back(' ');
                AnexarHora(salida, f);
            }
            break;
        }
        default:
            break;
    }
}

void Variant::AsignarTexto(std::string_view s) {
    if (auto* actual = std::get_if<std::string>(&v_)) {
        actual->assign(s.data(), s.size());
    } else {
        v_.emplace<std::string>(s);
    }
}

}  // namespace tamaris
