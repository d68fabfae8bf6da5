#include "app/Disposicion.h"

#include <algorithm>
#include <cstring>

#include "components/Cp1252.h"
#include "components/Error.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

bool SonDigitos(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string_view SinRelleno(std::string_view campo) {
    std::size_t n = campo.size();
    while (n > 0 && campo[n - 1] == ' ') --n;
    return campo.substr(0, n);
}

bool Ascii(std::string_view t) {
    for (unsigned char c : t)
        if (c >= 0x80) return false;
    return true;
}

void Dos(std::string& s, int v) {
    s.push_back(static_cast<char>('0' + (v / 10) % 10));
    s.push_back(static_cast<char>('0' + v % 10));
}

bool FechaDeDigitos(std::string_view anio, std::string_view mes, std::string_view dia, Fecha& f) {
    if (!SonDigitos(anio) || !SonDigitos(mes) || !SonDigitos(dia)) return false;
    const auto n = [](std::string_view s) {
        int v = 0;
        for (char c : s) v = v * 10 + (c - '0');
        return v;
    };
    f = Fecha{n(anio), n(mes), n(dia)};
    return f.EsValida();
}

}  // namespace

const CampoArchivo& Disposicion::Campo(int numero) const {
    const auto i = static_cast<std::size_t>(numero - 1);
    if (i < campos.size() && campos[i].numero == numero) return campos[i];
    for (const CampoArchivo& c : campos)
        if (c.numero == numero) return c;
    throw ErrorTamaris(err::kFalloGenerico, "El diseño " + std::string(nombre) +
                                                " no tiene el campo " + std::to_string(numero));
}

std::string Recorta(std::string_view texto, std::size_t maximo) {
    if (texto.size() <= maximo) return std::string(texto);
    // Cut on a character boundary of the UTF-8 text.
    std::size_t n = maximo;
    while (n > 0 && (static_cast<unsigned char>(texto[n]) & 0xC0) == 0x80) --n;
    return std::string(texto.substr(0, n)) + "… (" + std::to_string(texto.size()) + " bytes)";
}

Renglon::Renglon(const Disposicion& d) : d_(d) {
    vacio_.assign(static_cast<std::size_t>(d.ancho), ' ');
    for (const CampoArchivo& c : d.campos) {
        if (c.clase != ClaseCampo::Fijo) continue;
        const std::size_t n = std::min(c.fijo.size(), static_cast<std::size_t>(c.ancho));
        std::memcpy(vacio_.data() + (c.desde - 1), c.fijo.data(), n);
    }
    vacio_ += "\r\n";
    r_ = vacio_;
    aux_.reserve(64);
}

void Renglon::Nuevo() { std::memcpy(r_.data(), vacio_.data(), vacio_.size()); }

bool Renglon::Pon(int numero, std::string_view t) {
    const CampoArchivo& c = d_.Campo(numero);
    if (!Ascii(t) || RequiereSaneo(t)) {
        aux_.clear();
        AnexarCp1252(aux_, RequiereSaneo(t) ? std::string_view(TextoDeCampo(t)) : t);
        t = aux_;
    }
    const auto w = static_cast<std::size_t>(c.ancho);
    const std::size_t n = std::min(t.size(), w);
    char* o = Lugar(c);
    std::memcpy(o, t.data(), n);
    std::memset(o + n, ' ', w - n);
    return t.size() <= w;
}

bool Renglon::PonNumero(int numero, std::string_view digitos) {
    const CampoArchivo& c = d_.Campo(numero);
    if (c.clase != ClaseCampo::Digitos) return Pon(numero, digitos);
    const auto w = static_cast<std::size_t>(c.ancho);
    char* o = Lugar(c);
    if (digitos.size() > w) {
        std::memcpy(o, digitos.data(), w);
        return false;
    }
    std::memset(o, '0', w - digitos.size());
    std::memcpy(o + (w - digitos.size()), digitos.data(), digitos.size());
    return true;
}

bool Renglon::PonImporte(int numero, Importe v) {
    const CampoArchivo& c = d_.Campo(numero);
    std::string s;
    switch (c.clase) {
        case ClaseCampo::ImporteDigitos:
            AnexaImporteDigitos(s, v, c.ancho - c.decimales, c.decimales);
            break;
        case ClaseCampo::ImporteSigno: {
            const bool negativo = v.diezmilesimos < 0;
            if (negativo) s.push_back('-');
            const int enteros = c.ancho - c.decimales - 1 - (negativo ? 1 : 0);
            std::string d;
            AnexaImporteDigitos(d, v, enteros, c.decimales);
            s += d.substr(0, d.size() - static_cast<std::size_t>(c.decimales));
            s.push_back(',');
            s += d.substr(d.size() - static_cast<std::size_t>(c.decimales));
            break;
        }
        case ClaseCampo::DecimalPunto: {
            std::string d;
            AnexaImporteDigitos(d, v, c.ancho - c.decimales - 1, c.decimales);
            s = d.substr(0, d.size() - static_cast<std::size_t>(c.decimales)) + "." +
                d.substr(d.size() - static_cast<std::size_t>(c.decimales));
            break;
        }
        default:
            AnexaImporteComa(s, v);
            break;
    }
    const auto w = static_cast<std::size_t>(c.ancho);
    char* o = Lugar(c);
    const std::size_t n = std::min(s.size(), w);
    std::memcpy(o, s.data(), n);
    std::memset(o + n, ' ', w - n);
    return s.size() <= w;
}

void Renglon::PonFecha(int numero, const Fecha& f) {
    std::string s;
    if (d_.Campo(numero).clase == ClaseCampo::FechaAmd) {
        Dos(s, f.anio / 100);
        Dos(s, f.anio % 100);
        Dos(s, f.mes);
        Dos(s, f.dia);
    } else {
        Dos(s, f.dia);
        s.push_back('/');
        Dos(s, f.mes);
        s.push_back('/');
        Dos(s, f.anio / 100);
        Dos(s, f.anio % 100);
    }
    Pon(numero, s);
}

bool LeeCampo(const CampoArchivo& c, std::string_view registro, ValorCampo& v,
              std::string* problema) {
    const std::string_view b =
        registro.substr(static_cast<std::size_t>(c.desde - 1), static_cast<std::size_t>(c.ancho));
    v = ValorCampo{};
    v.texto = SinRelleno(b);
    const auto mal = [&](const char* que) {
        if (problema) *problema = que;
        return false;
    };
    switch (c.clase) {
        case ClaseCampo::Fijo:
            if (v.texto != SinRelleno(c.fijo)) return mal("no es el valor fijo del diseño");
            return true;
        case ClaseCampo::Texto:
            return true;
        case ClaseCampo::Digitos:
            if (!SonDigitos(b)) return mal("no son dígitos");
            return true;
        case ClaseCampo::DigitosBlancos:
            if (!SonDigitos(v.texto)) return mal("no son dígitos");
            return true;
        case ClaseCampo::FechaDma:
            if (!(b.size() == 10 && b[2] == '/' && b[5] == '/' &&
                  FechaDeDigitos(b.substr(6, 4), b.substr(3, 2), b.substr(0, 2), v.fecha))) {
                return mal("no es una fecha DD/MM/AAAA");
            }
            return true;
        case ClaseCampo::FechaAmd:
            if (!(b.size() == 8 &&
                  FechaDeDigitos(b.substr(0, 4), b.substr(4, 2), b.substr(6, 2), v.fecha))) {
                return mal("no es una fecha AAAAMMDD");
            }
            return true;
        case ClaseCampo::ImporteComa:
            if (v.texto.empty() || v.texto[0] == '-' ||
                !LeeMontoDeArchivo(v.texto, ',', v.importe)) {
                return mal("no es un importe");
            }
            return true;
        case ClaseCampo::ImporteDigitos:
            if (!LeeMontoDigitos(b, c.decimales, v.importe)) return mal("no es un importe");
            return true;
        case ClaseCampo::ImporteSigno: {
            const std::size_t coma = b.size() - static_cast<std::size_t>(c.decimales) - 1;
            if (b.size() <= static_cast<std::size_t>(c.decimales) + 1 || b[coma] != ',' ||
                !LeeMontoDeArchivo(b, ',', v.importe)) {
                return mal("no es un importe con coma y dos decimales");
            }
            return true;
        }
        case ClaseCampo::DecimalPunto: {
            const std::size_t punto = b.size() - static_cast<std::size_t>(c.decimales) - 1;
            if (b.size() <= static_cast<std::size_t>(c.decimales) + 1 || b[punto] != '.' ||
                !SonDigitos(b.substr(0, punto)) || !SonDigitos(b.substr(punto + 1)) ||
                !LeeMontoDeArchivo(b, '.', v.importe)) {
                return mal("no es un número con punto y dos decimales");
            }
            return true;
        }
        case ClaseCampo::Cuit:
            if (!CuitValido(b)) return mal("no es un CUIT válido");
            return true;
        case ClaseCampo::CuitGuiones: {
            const bool forma = b.size() == 13 && b[2] == '-' && b[11] == '-';
            std::string once;
            if (forma) once = std::string(b.substr(0, 2)) + std::string(b.substr(3, 8)) + b[12];
            if (!forma || !CuitValido(once)) return mal("no es un CUIT 99-99999999-9 válido");
            return true;
        }
        case ClaseCampo::Codigo: {
            std::string_view lista = c.fijo;
            while (!lista.empty()) {
                const std::size_t barra = lista.find('|');
                if (lista.substr(0, barra) == b) return true;
                if (barra == std::string_view::npos) break;
                lista.remove_prefix(barra + 1);
            }
            return mal("no es un código conocido");
        }
    }
    return true;
}

void RevisaCampos(const Disposicion& d, std::string_view registro,
                  std::vector<std::string>& problemas) {
    if (registro.size() != static_cast<std::size_t>(d.ancho)) return;
    ValorCampo v;
    std::string problema;
    for (const CampoArchivo& c : d.campos) {
        if (LeeCampo(c, registro, v, &problema)) continue;
        problemas.push_back(
            "campo " + std::to_string(c.numero) + " (" + std::string(c.nombre) + "): " + problema +
            " (\"" +
            Recorta(Cp1252AUtf8(registro.substr(static_cast<std::size_t>(c.desde - 1),
                                                static_cast<std::size_t>(c.ancho)))) +
            "\")");
    }
}

}  // namespace tamaris
