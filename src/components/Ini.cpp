#include "components/Ini.h"

#include <cstdio>
#include <vector>

#include "components/ArchivoTexto.h"
#include "components/Cp1252.h"
#include "components/Error.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

bool EsUtf8Valido(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int resto;
        if (c >= 0xC2 && c <= 0xDF)
            resto = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            resto = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            resto = 3;
        else
            return false;
        for (int k = 1; k <= resto; ++k) {
            if (i + static_cast<std::size_t>(k) >= n || (p[i + k] & 0xC0) != 0x80) return false;
        }
        i += static_cast<std::size_t>(resto) + 1;
    }
    return true;
}

bool TieneNoAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) return true;
    }
    return false;
}

struct Contenido {
    bool existe = false;
    bool utf8 = false;  // the file was written in UTF-8 (it had a BOM or non-ASCII UTF-8)
    bool bom = false;
    bool crlf = true;
    std::vector<std::string> lineas;  // UTF-8, without line ends
};

Contenido Lee(const std::string& archivo) {
    Contenido c;
    const std::optional<std::string> leido = LeeArchivoAcotado(archivo);
    if (!leido) return c;
    const std::string& bytes = *leido;
    c.existe = true;
    std::string_view v = bytes;
    if (v.substr(0, 3) == "\xEF\xBB\xBF") {
        c.bom = true;
        c.utf8 = true;
        v.remove_prefix(3);
    } else if (TieneNoAscii(v) && EsUtf8Valido(v)) {
        c.utf8 = true;
    }
    const std::string texto = c.utf8 ? std::string(v) : Cp1252AUtf8(v);
    const std::size_t primerLf = texto.find('\n');
    c.crlf = primerLf == std::string::npos || (primerLf > 0 && texto[primerLf - 1] == '\r');
    std::size_t desde = 0;
    while (desde < texto.size()) {
        std::size_t fin = texto.find('\n', desde);
        if (fin == std::string::npos) fin = texto.size();
        std::string_view linea(texto.data() + desde, fin - desde);
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        c.lineas.emplace_back(linea);
        desde = fin + 1;
    }
    return c;
}

// The section name of a "[Section]" line, or false.
bool Seccion(std::string_view linea, std::string_view& nombre) {
    const std::string_view t = TrimVista(linea);
    if (t.size() < 2 || t.front() != '[') return false;
    const std::size_t cierre = t.find(']');
    if (cierre == std::string_view::npos) return false;
    nombre = TrimVista(t.substr(1, cierre - 1));
    return true;
}

// Key and value of a "Key=Value" line, or false for blanks, comments and other lines.
bool Par(std::string_view linea, std::string_view& clave, std::string_view& valor) {
    const std::string_view t = TrimVista(linea);
    if (t.empty() || t.front() == ';' || t.front() == '#') return false;
    const std::size_t igual = t.find('=');
    if (igual == std::string_view::npos) return false;
    clave = TrimVista(t.substr(0, igual));
    valor = TrimVista(t.substr(igual + 1));
    return true;
}

}  // namespace

std::string LeeIni(const std::string& archivo, std::string_view seccion, std::string_view clave,
                   std::string_view defecto) {
    const Contenido c = Lee(archivo);
    bool dentro = false;
    for (const std::string& linea : c.lineas) {
        std::string_view nombre, k, v;
        if (Seccion(linea, nombre)) {
            dentro = IgualSinCaso(nombre, TrimVista(seccion));
        } else if (dentro && Par(linea, k, v) && IgualSinCaso(k, TrimVista(clave))) {
            // Quotes around a value protect its blanks, as in the Windows profile files.
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            return std::string(v);
        }
    }
    return std::string(defecto);
}

void GrabaIni(const std::string& archivo, std::string_view seccion, std::string_view clave,
              std::string_view valor) {
    Contenido c = Lee(archivo);
    const std::string nueva = std::string(TrimVista(clave)) + "=" + std::string(valor);

    // Locate the section, the key inside it, and the last non-blank line of the section.
    std::size_t inicio = std::string::npos, ultimaUtil = 0, encontrada = std::string::npos;
    for (std::size_t i = 0; i < c.lineas.size(); ++i) {
        std::string_view nombre, k, v;
        if (Seccion(c.lineas[i], nombre)) {
            if (inicio != std::string::npos) break;
            if (IgualSinCaso(nombre, TrimVista(seccion))) {
                inicio = i;
                ultimaUtil = i;
            }
            continue;
        }
        if (inicio == std::string::npos) continue;
        if (!TrimVista(c.lineas[i]).empty()) ultimaUtil = i;
        if (Par(c.lineas[i], k, v) && IgualSinCaso(k, TrimVista(clave))) {
            encontrada = i;
            break;
        }
    }
    if (encontrada != std::string::npos) {
        c.lineas[encontrada] = nueva;
    } else if (inicio != std::string::npos) {
        c.lineas.insert(c.lineas.begin() + static_cast<std::ptrdiff_t>(ultimaUtil) + 1, nueva);
    } else {
        while (!c.lineas.empty() && TrimVista(c.lineas.back()).empty()) c.lineas.pop_back();
        if (!c.lineas.empty()) c.lineas.emplace_back();
        c.lineas.push_back("[" + std::string(TrimVista(seccion)) + "]");
        c.lineas.push_back(nueva);
    }
    if (!c.lineas.empty() && c.lineas.back().empty()) c.lineas.pop_back();

    // A file that was UTF-8 stays UTF-8; others (and new ones) are Windows-1252 like the rest of
    // the suite's files.
    ArchivoSeguro salida(archivo);
    if (c.bom) salida.EscribeBytes("\xEF\xBB\xBF");
    const std::string_view fin = c.crlf ? "\r\n" : "\n";
    std::string bytes;
    for (const std::string& linea : c.lineas) {
        bytes.clear();
        if (c.utf8)
            bytes += linea;
        else
            AnexarCp1252(bytes, linea);
        bytes += fin;
        salida.EscribeBytes(bytes);
    }
    salida.Confirmar();
}

namespace {

// The scramble key; changing it makes every stored credential unreadable.
constexpr std::string_view kClave = "Tamaris.Orvan2/Kitora";

unsigned char Mascara(std::size_t i) {
    return static_cast<unsigned char>(kClave[i % kClave.size()] ^ ((i * 37 + 11) & 0xFF));
}

constexpr char kHex[] = "0123456789ABCDEF";

int ValorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Stored texts start with this mark, so a value typed in clear into the INI file is told apart
// and still read.
constexpr char kMarca = '~';

}  // namespace

std::string Encripta(std::string_view texto) {
    if (texto.empty()) return {};
    std::string r;
    r.reserve(1 + texto.size() * 2);
    r.push_back(kMarca);
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const auto b =
            static_cast<unsigned char>(static_cast<unsigned char>(texto[i]) ^ Mascara(i));
        r.push_back(kHex[b >> 4]);
        r.push_back(kHex[b & 0x0F]);
    }
    return r;
}

std::string Desencripta(std::string_view almacenado) {
    if (almacenado.empty() || almacenado.front() != kMarca || almacenado.size() % 2 == 0) {
        return std::string(almacenado);
    }
    std::string r;
    r.reserve(almacenado.size() / 2);
    for (std::size_t i = 1, k = 0; i + 1 < almacenado.size(); i += 2, ++k) {
        const int alto = ValorHex(almacenado[i]), bajo = ValorHex(almacenado[i + 1]);
        if (alto < 0 || bajo < 0) return std::string(almacenado);
        r.push_back(static_cast<char>((alto << 4 | bajo) ^ Mascara(k)));
    }
    return r;
}

}  // namespace tamaris
