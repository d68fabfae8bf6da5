#include "components/Cp1252.h"

#include <cstdint>
#include <cstring>

namespace tamaris {

namespace {

// Code points of bytes 0x80..0x9F; 0 marks the five bytes Windows-1252 leaves unassigned.
constexpr uint16_t kAltos[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

char ByteDe(uint32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    // U+0080..U+009F are C1 controls; their byte values mean other characters in this set.
    if (cp >= 0xA0 && cp <= 0xFF) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kAltos[i] == cp && cp != 0) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Length of the run of ASCII bytes at the start of [p, fin), eight bytes at a time.
std::size_t TramoAscii(const unsigned char* p, const unsigned char* fin) {
    const unsigned char* q = p;
    while (fin - q >= 8) {
        uint64_t w;
        std::memcpy(&w, q, 8);
        if (w & 0x8080808080808080ull) break;
        q += 8;
    }
    while (q < fin && *q < 0x80) ++q;
    return static_cast<std::size_t>(q - p);
}

void AnexarUtf8(std::string& salida, uint32_t cp) {
    if (cp < 0x80) {
        salida.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        salida.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        salida.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        salida.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        salida.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        salida.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        salida.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        salida.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        salida.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        salida.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

void AnexarCp1252(std::string& salida, std::string_view utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* fin = p + utf8.size();
    while (p < fin) {
        const std::size_t ascii = TramoAscii(p, fin);
        if (ascii) {
            salida.append(reinterpret_cast<const char*>(p), ascii);
            p += ascii;
            if (p == fin) break;
        }
        const unsigned char c = *p;
        int resto;
        uint32_t cp, minimo;
        if (c >= 0xC2 && c <= 0xDF) {
            resto = 1, cp = c & 0x1F, minimo = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            resto = 2, cp = c & 0x0F, minimo = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            resto = 3, cp = c & 0x07, minimo = 0x10000;
        } else {
            // A stray continuation byte, an overlong lead (C0, C1) or a byte past F4.
            salida.push_back('?');
            ++p;
            continue;
        }
        ++p;
        bool valida = true;
        for (int i = 0; i < resto; ++i) {
            if (p == fin || (*p & 0xC0) != 0x80) {
                valida = false;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
            ++p;
        }
        // Truncated, overlong, surrogate or beyond U+10FFFF: one "?" for the bytes consumed.
        if (!valida || cp < minimo || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            salida.push_back('?');
            continue;
        }
        salida.push_back(ByteDe(cp));
    }
}

std::string Utf8ACp1252(std::string_view utf8) {
    std::string r;
    r.reserve(utf8.size());
    AnexarCp1252(r, utf8);
    return r;
}

std::string Cp1252AUtf8(std::string_view cp1252) {
    std::string r;
    r.reserve(cp1252.size() + cp1252.size() / 8);
    const auto* p = reinterpret_cast<const unsigned char*>(cp1252.data());
    const auto* fin = p + cp1252.size();
    while (p < fin) {
        const std::size_t ascii = TramoAscii(p, fin);
        if (ascii) {
            r.append(reinterpret_cast<const char*>(p), ascii);
            p += ascii;
            if (p == fin) break;
        }
        const unsigned char c = *p++;
        if (c >= 0xA0) {
            AnexarUtf8(r, c);
        } else {
            const uint16_t cp = kAltos[c - 0x80];
            AnexarUtf8(r, cp ? cp : 0xFFFD);
        }
    }
    return r;
}

namespace {

// Length of the valid UTF-8 sequence at p (1 to 4), or 0 when the bytes there are not one.
int LargoUtf8(const unsigned char* p, const unsigned char* fin, uint32_t& cp) {
    const unsigned char c = *p;
    int resto;
    uint32_t minimo;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        resto = 1, cp = c & 0x1F, minimo = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        resto = 2, cp = c & 0x0F, minimo = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        resto = 3, cp = c & 0x07, minimo = 0x10000;
    } else {
        return 0;
    }
    if (fin - p <= resto) return 0;
    for (int i = 1; i <= resto; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < minimo || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return resto + 1;
}

bool EsControl(uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

// Walks the text as TextoDeCampo reads it; `f(cp, deCp1252)` gets each character.
template <class F>
void RecorreCampo(std::string_view texto, F&& f) {
    const auto* p = reinterpret_cast<const unsigned char*>(texto.data());
    const auto* fin = p + texto.size();
    while (p < fin) {
        uint32_t cp = 0;
        const int n = LargoUtf8(p, fin, cp);
        if (n > 0) {
            f(cp, false);
            p += n;
        } else {
            const unsigned char c = *p++;
            const uint32_t alto = c >= 0xA0 ? c : kAltos[c - 0x80];
            // The five unassigned bytes have no character: they are written as "?".
            f(alto ? alto : 0xFFFD, true);
        }
    }
}

}  // namespace

bool RequiereSaneo(std::string_view texto) {
    for (unsigned char c : texto) {
        if (c < 0x20 || c >= 0x7F) return true;
    }
    return false;
}

std::string TextoDeCampo(std::string_view texto) {
    if (!RequiereSaneo(texto)) return std::string(texto);
    std::string r;
    r.reserve(texto.size() + 8);
    RecorreCampo(texto, [&](uint32_t cp, bool) { AnexarUtf8(r, EsControl(cp) ? ' ' : cp); });
    return r;
}

RevisionTexto RevisaTexto(std::string_view texto) {
    RevisionTexto rev;
    if (!RequiereSaneo(texto)) return rev;
    RecorreCampo(texto, [&](uint32_t cp, bool deCp1252) {
        if (EsControl(cp)) {
            rev.controles = true;
        } else if (ByteDe(cp) == '?' && cp != '?') {
            rev.fueraDeCp1252 = true;
        }
        if (deCp1252) rev.bytesCp1252 = true;
    });
    return rev;
}

}  // namespace tamaris
