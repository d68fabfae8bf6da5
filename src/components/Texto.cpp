#include "components/Texto.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "components/Plataforma.h"

namespace tamaris {

namespace {

bool EsBlanco(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// One text unit folded to lower case: an ASCII byte, a two-byte UTF-8 letter the suite folds,
// or any other byte taken alone. Every fold keeps the byte length (all the folded letters are
// two-byte sequences on both sides), so byte offsets found on folded text hold on the original.
struct Unidad {
    uint32_t valor;
    unsigned largo;
};

Unidad PliegaMinuscula(const unsigned char* p, std::size_t resto) {
    const unsigned char c = p[0];
    if (c < 0x80) {
        return {static_cast<uint32_t>((c >= 'A' && c <= 'Z') ? c + 32 : c), 1};
    }
    if (resto >= 2 && (p[1] & 0xC0) == 0x80) {
        const unsigned char d = p[1];
        if (c == 0xC3) {
            // U+00C0..U+00DE except U+00D7 (multiplication sign) are capitals of U+00E0..U+00FE.
            if (d >= 0x80 && d <= 0x9E && d != 0x97) return {0xC300u | (d | 0x20u), 2};
            return {0xC300u | d, 2};
        }
        if (c == 0xC5) {
            // Capitals of Windows-1252 outside Latin-1: Œ, Š, Ž, Ÿ.
            if (d == 0x92 || d == 0xA0 || d == 0xBD) return {0xC500u | (d + 1u), 2};
            if (d == 0xB8) return {0xC3BFu, 2};  // Ÿ folds to ÿ
            return {0xC500u | d, 2};
        }
        return {(static_cast<uint32_t>(c) << 8) | d, 2};
    }
    return {0x10000u | c, 1};
}

// Only ASCII letters and the two-byte lead bytes 0xC3/0xC5 can change when folded; a needle
// made of anything else is searched byte for byte, which is what the per-row replacements of
// "-" and "." need.
bool PliegueInerte(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80 || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) return false;
    }
    return true;
}

// True when `texto` from `pos` starts with `buscado`, folded.
bool CoincideEn(std::string_view texto, std::size_t pos, std::string_view buscado) {
    const auto* t = reinterpret_cast<const unsigned char*>(texto.data());
    const auto* b = reinterpret_cast<const unsigned char*>(buscado.data());
    std::size_t i = pos, j = 0;
    while (j < buscado.size()) {
        if (i >= texto.size()) return false;
        if (t[i] == b[j] && t[i] < 0x80) {
            ++i;
            ++j;
            continue;
        }
        const Unidad ut = PliegaMinuscula(t + i, texto.size() - i);
        const Unidad ub = PliegaMinuscula(b + j, buscado.size() - j);
        if (ut.valor != ub.valor) return false;
        i += ut.largo;
        j += ub.largo;
    }
    return true;
}

void AnexarConvertido(std::string& salida, std::string_view s, bool aMayusculas) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    const std::size_t base = salida.size();
    salida.resize(base + n);
    char* o = salida.data() + base;
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            if (aMayusculas) {
                o[i] = static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
            } else {
                o[i] = static_cast<char>((c >= 'A' && c <= 'Z') ? c + 32 : c);
            }
            ++i;
            continue;
        }
        o[i] = static_cast<char>(c);
        if (i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            unsigned char a = c, d = p[i + 1];
            if (aMayusculas) {
                if (a == 0xC3 && d >= 0xA0 && d <= 0xBE && d != 0xB7) {
                    d = static_cast<unsigned char>(d & ~0x20);
                } else if (a == 0xC3 && d == 0xBF) {
                    a = 0xC5;  // ÿ → Ÿ
                    d = 0xB8;
                } else if (a == 0xC5 && (d == 0x93 || d == 0xA1 || d == 0xBE)) {
                    d = static_cast<unsigned char>(d - 1);
                }
            } else {
                if (a == 0xC3 && d >= 0x80 && d <= 0x9E && d != 0x97) {
                    d = static_cast<unsigned char>(d | 0x20);
                } else if (a == 0xC5 && d == 0xB8) {
                    a = 0xC3;
                    d = 0xBF;
                } else if (a == 0xC5 && (d == 0x92 || d == 0xA0 || d == 0xBD)) {
                    d = static_cast<unsigned char>(d + 1);
                }
            }
            o[i] = static_cast<char>(a);
            o[i + 1] = static_cast<char>(d);
            i += 2;
            continue;
        }
        ++i;
    }
}

}  // namespace

std::size_t Largo(std::string_view texto) {
    std::size_t n = 0;
    for (unsigned char c : texto) n += (c & 0xC0) != 0x80;
    return n;
}

void AnexarAncho(std::string& salida, std::string_view texto, int ancho) {
    if (ancho <= 0) return;
    const auto limite = static_cast<std::size_t>(ancho);
    const auto* p = reinterpret_cast<const unsigned char*>(texto.data());
    // Plain ASCII up to the width (the usual field): one byte a character, so the cut is at
    // byte `ancho` unless stray continuation bytes follow there.
    const std::size_t corte = std::min(texto.size(), limite);
    unsigned char altos = 0;
    for (std::size_t j = 0; j < corte; ++j) altos |= p[j];
    if (altos < 0x80 && (corte == texto.size() || (p[corte] & 0xC0) != 0x80)) {
        const std::size_t antes = salida.size();
        salida.resize(antes + limite);
        char* o = salida.data() + antes;
        std::memcpy(o, texto.data(), corte);
        std::memset(o + corte, ' ', limite - corte);
        return;
    }
    std::size_t caracteres = 0, i = 0;
    // Walk to the byte where character number `ancho` would start; that is where the cut goes.
    for (; i < texto.size(); ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            if (caracteres == limite) break;
            ++caracteres;
        }
    }
    salida.append(texto.data(), i);
    if (caracteres < limite) salida.append(limite - caracteres, ' ');
}

std::string CompletaAncho(std::string_view texto, int ancho) {
    std::string s;
    if (ancho > 0) s.reserve(static_cast<std::size_t>(ancho) + 8);
    AnexarAncho(s, texto, ancho);
    return s;
}

std::string LimitaAncho(std::string_view texto, int ancho) { return CompletaAncho(texto, ancho); }

std::string_view TrimVista(std::string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && EsBlanco(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && EsBlanco(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

std::string Trim(std::string_view s) { return std::string(TrimVista(s)); }

std::string TrimIzq(std::string_view s) {
    std::size_t a = 0;
    while (a < s.size() && EsBlanco(static_cast<unsigned char>(s[a]))) ++a;
    return std::string(s.substr(a));
}

std::string TrimDer(std::string_view s) {
    std::size_t b = s.size();
    while (b > 0 && EsBlanco(static_cast<unsigned char>(s[b - 1]))) --b;
    return std::string(s.substr(0, b));
}

std::string Mayusculas(std::string_view s) {
    std::string r;
    AnexarConvertido(r, s, true);
    return r;
}

std::string Minusculas(std::string_view s) {
    std::string r;
    AnexarConvertido(r, s, false);
    return r;
}

std::size_t BuscaSinCaso(std::string_view texto, std::string_view buscado, std::size_t desde) {
    if (desde > texto.size()) return std::string_view::npos;
    if (buscado.empty()) return desde;
    if (buscado.size() > texto.size() - desde) return std::string_view::npos;
    if (PliegueInerte(buscado)) return texto.find(buscado, desde);

    const auto* t = reinterpret_cast<const unsigned char*>(texto.data());
    const Unidad primera =
        PliegaMinuscula(reinterpret_cast<const unsigned char*>(buscado.data()), buscado.size());
    const std::size_t ultimo = texto.size() - buscado.size();
    for (std::size_t i = desde; i <= ultimo; ++i) {
        if (PliegaMinuscula(t + i, texto.size() - i).valor != primera.valor) continue;
        if (CoincideEn(texto, i, buscado)) return i;
    }
    return std::string_view::npos;
}

bool ContieneSinCaso(std::string_view texto, std::string_view buscado) {
    return BuscaSinCaso(texto, buscado) != std::string_view::npos;
}

bool IgualSinCaso(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CoincideEn(a, 0, b);
}

bool EmpiezaSinCaso(std::string_view texto, std::string_view prefijo) {
    return prefijo.size() <= texto.size() &&
           CoincideEn(texto.substr(0, prefijo.size()), 0, prefijo);
}

bool TerminaSinCaso(std::string_view texto, std::string_view sufijo) {
    return sufijo.size() <= texto.size() &&
           CoincideEn(texto.substr(texto.size() - sufijo.size()), 0, sufijo);
}

std::string ReemplazaTexto(std::string_view texto, std::string_view buscado,
                           std::string_view reemplazo) {
    if (buscado.empty()) return std::string(texto);
    std::string r;
    r.reserve(texto.size());
    std::size_t desde = 0;
    for (;;) {
        const std::size_t p = BuscaSinCaso(texto, buscado, desde);
        if (p == std::string_view::npos) break;
        r.append(texto.substr(desde, p - desde));
        r.append(reemplazo);
        desde = p + buscado.size();
    }
    r.append(texto.substr(desde));
    return r;
}

std::string ReemplazaExacto(std::string_view texto, std::string_view buscado,
                            std::string_view reemplazo) {
    if (buscado.empty()) return std::string(texto);
    std::string r;
    r.reserve(texto.size());
    std::size_t desde = 0;
    for (;;) {
        const std::size_t p = texto.find(buscado, desde);
        if (p == std::string_view::npos) break;
        r.append(texto.substr(desde, p - desde));
        r.append(reemplazo);
        desde = p + buscado.size();
    }
    r.append(texto.substr(desde));
    return r;
}

std::string QuitaCaracteres(std::string_view texto, char c1, char c2, char c3) {
    std::array<bool, 256> quitar{};
    for (char c : {c1, c2, c3}) {
        if (c != '\0') quitar[static_cast<unsigned char>(c)] = true;
    }
    std::string r;
    r.reserve(texto.size());
    for (char c : texto) {
        if (!quitar[static_cast<unsigned char>(c)]) r.push_back(c);
    }
    return r;
}

int CuentaPalabras(std::string_view texto) {
    int n = 0;
    bool enPalabra = false;
    for (unsigned char c : texto) {
        const bool blanco = EsBlanco(c);
        if (!blanco && !enPalabra) ++n;
        enPalabra = !blanco;
    }
    return n;
}

int DiasDelMes(int mes) {
    static constexpr int kDias[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (mes >= 1 && mes <= 12) ? kDias[mes - 1] : 0;
}

std::string SeparadorDirectorio(std::string_view carpeta) {
    std::string r(carpeta);
    // A path that already ends in either separator is left alone: folders typed in the suite's
    // INI files may still carry the Windows one.
    if (!r.empty() && r.back() != '/' && r.back() != '\\') r.push_back(plataforma::kSeparador);
    return r;
}

std::vector<std::string> Divide(std::string_view s, char separador) {
    std::vector<std::string> partes;
    for (;;) {
        const std::size_t i = s.find(separador);
        partes.emplace_back(s.substr(0, i));
        if (i == std::string_view::npos) return partes;
        s.remove_prefix(i + 1);
    }
}

bool CuitValido(std::string_view once) {
    static constexpr int kPesos[11] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2, 1};
    if (once.size() != 11) return false;
    int suma = 0;
    for (std::size_t i = 0; i < 11; ++i) {
        const char c = once[i];
        if (c < '0' || c > '9') return false;
        suma += (c - '0') * kPesos[i];
    }
    // Eleven zeros add up to a multiple of 11 too, but identify nobody.
    return suma % 11 == 0 && once != "00000000000";
}

}  // namespace tamaris
