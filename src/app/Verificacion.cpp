#include "app/Verificacion.h"

#include <cerrno>
#include <cstring>
#include <cstdio>

namespace tamaris {

namespace {

// Bytes Windows-1252 leaves without a character.
bool ByteIndefinido(unsigned char c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

std::string Visible(std::string_view s) {
    std::string r;
    for (unsigned char c : s) {
        if (c == '\r') {
            r += "CR";
        } else if (c == '\n') {
            r += "LF";
        } else {
            r += "byte " + std::to_string(c);
        }
        r += ' ';
    }
    if (!r.empty()) r.pop_back();
    return r;
}

}  // namespace

ArchivoFiscal::ArchivoFiscal(const std::string& ruta, std::size_t ancho) : ancho_(ancho) {
    std::FILE* f = std::fopen(ruta.c_str(), "rb");
    if (!f) {
        throw ErrorTamaris(err::kArchivoNoEncontrado,
                           "No se puede leer el archivo " + ruta + ": " + std::strerror(errno));
    }
    char bloque[1 << 16];
    for (std::size_t n; (n = std::fread(bloque, 1, sizeof bloque, f)) > 0;) datos_.append(bloque, n);
    const bool fallo = std::ferror(f);
    std::fclose(f);
    if (fallo) throw ErrorTamaris(err::kErrorEscritura, "No se puede leer el archivo " + ruta);
    // Lines end at LF; a record's own end is CR LF. Whatever else ends a line is kept to report.
    lineas_.reserve(datos_.size() / (ancho + 2) + 1);
    finales_.reserve(lineas_.capacity());
    std::string_view resto(datos_);
    while (!resto.empty()) {
        const std::size_t lf = resto.find('\n');
        std::string_view linea = lf == std::string_view::npos ? resto : resto.substr(0, lf);
        unsigned char fin = kCrLf;
        if (lf == std::string_view::npos) {
            fin = kSinFin;
        } else if (!linea.empty() && linea.back() == '\r') {
            linea.remove_suffix(1);
        } else {
            fin = kSoloLf;
        }
        lineas_.push_back(linea);
        finales_.push_back(fin);
        resto.remove_prefix(lf == std::string_view::npos ? resto.size() : lf + 1);
    }
}

void ArchivoFiscal::Revisa(
    Hallazgos& h,
    const std::function<void(std::string_view, std::vector<std::string>&)>& revisaCampos,
    const std::function<std::string(std::string_view)>& comprobante) const {
    std::vector<std::string> problemas;
    for (std::size_t i = 0; i < lineas_.size(); ++i) {
        const std::string_view l = lineas_[i];
        problemas.clear();
        if (finales_[i] == kSoloLf) problemas.push_back("la línea termina en LF sin CR");
        if (finales_[i] == kSinFin) problemas.push_back("la línea no tiene fin de línea");
        if (l.size() != ancho_) {
            problemas.push_back("la línea tiene " + std::to_string(l.size()) + " caracteres y debe tener " +
                                std::to_string(ancho_));
        }
        for (std::size_t k = 0; k < l.size(); ++k) {
            const auto c = static_cast<unsigned char>(l[k]);
            if (c < 0x20 || c == 0x7F || ByteIndefinido(c)) {
                problemas.push_back("carácter no válido (" + Visible(l.substr(k, 1)) +
                                    ") en la posición " + std::to_string(k + 1));
                break;
            }
        }
        if (l.size() == ancho_) revisaCampos(l, problemas);
        if (problemas.empty()) continue;
        const std::string quien = l.size() == ancho_ ? comprobante(l) : std::string();
        for (std::string& p : problemas) h.Agrega({quien, std::move(p), static_cast<long>(i + 1)});
    }
}

void Conciliacion::Libro(std::string_view registro) {
    if (i_ < archivo_.size() && archivo_[i_] == registro) {
        ++i_;
        return;
    }
    // One line of the file that is no record of the ledger: step over it.
    if (i_ + 1 < archivo_.size() && archivo_[i_ + 1] == registro) {
        sobran_.push_back(static_cast<long>(i_));
        i_ += 2;
        return;
    }
    faltan_.emplace_back(registro);
}

void Conciliacion::Termina(Hallazgos& h,
                           const std::function<std::string(std::string_view)>& comprobante) {
    for (; i_ < archivo_.size(); ++i_) sobran_.push_back(static_cast<long>(i_));
    // What did not agree in order may still be there in another order.
    std::unordered_multimap<std::string_view, long> porTexto;
    porTexto.reserve(sobran_.size());
    for (long i : sobran_) porTexto.emplace(archivo_[static_cast<std::size_t>(i)], i);
    std::vector<bool> usada(archivo_.size(), false);
    for (const std::string& r : faltan_) {
        const auto it = porTexto.find(r);
        if (it != porTexto.end()) {
            usada[static_cast<std::size_t>(it->second)] = true;
            porTexto.erase(it);
            continue;
        }
        ++faltantes_;
        h.Agrega({comprobante(r), "falta en el archivo (está en el libro del período)", 0});
    }
    for (long i : sobran_) {
        if (usada[static_cast<std::size_t>(i)]) continue;
        ++sobrantes_;
        const std::string_view l = archivo_[static_cast<std::size_t>(i)];
        h.Agrega({comprobante(l), "no corresponde a ningún comprobante del libro del período", i + 1});
    }
}

}  // namespace tamaris
