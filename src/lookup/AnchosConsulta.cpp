#include "lookup/AnchosConsulta.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "components/ArchivoTexto.h"
#include "components/Cp1252.h"
#include "components/Error.h"
#include "components/Plataforma.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

// One field of a line written as a list: a quoted text up to the closing quote, or a bare
// text up to the comma, trimmed. Leaves `p` after the comma that ends it.
std::string Campo(std::string_view linea, std::size_t& p) {
    while (p < linea.size() && (linea[p] == ' ' || linea[p] == '\t')) ++p;
    std::string valor;
    if (p < linea.size() && linea[p] == '"') {
        const std::size_t cierre = linea.find('"', p + 1);
        const std::size_t fin = cierre == std::string_view::npos ? linea.size() : cierre;
        valor = std::string(linea.substr(p + 1, fin - p - 1));
        p = fin == linea.size() ? fin : fin + 1;
        const std::size_t coma = linea.find(',', p);
        p = coma == std::string_view::npos ? linea.size() : coma + 1;
        return valor;
    }
    const std::size_t coma = linea.find(',', p);
    const std::size_t fin = coma == std::string_view::npos ? linea.size() : coma;
    valor = Trim(linea.substr(p, fin - p));
    p = coma == std::string_view::npos ? linea.size() : coma + 1;
    return valor;
}

[[noreturn]] void Falla(long numero, const std::string& archivo, int error) {
    throw ErrorTamaris(numero, "No se puede grabar el archivo de anchos " + archivo + ": " +
                                   plataforma::TextoError(error));
}

}  // namespace

std::vector<AnchosGuardados> LeeArchivoAnchos(const std::string& archivo) {
    std::vector<AnchosGuardados> registros;
    const std::optional<std::string> leido = LeeArchivoAcotado(archivo);
    if (!leido) {
        if (errno == ENOENT) return registros;
        throw ErrorTamaris(err::kArchivoNoEncontrado,
                           "No se puede leer el archivo de anchos " + archivo);
    }
    const std::string& bytes = *leido;

    const std::string texto = Cp1252AUtf8(bytes);
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        std::size_t fin = texto.find('\n', inicio);
        if (fin == std::string::npos) fin = texto.size();
        std::string_view linea = std::string_view(texto).substr(inicio, fin - inicio);
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        inicio = fin + 1;
        if (TrimVista(linea).empty()) continue;
        std::size_t p = 0;
        AnchosGuardados r;
        r.tabla = Campo(linea, p);
        if (p < linea.size()) r.anchos = Campo(linea, p);
        registros.push_back(std::move(r));
    }
    return registros;
}

std::string LineaAnchos(std::string_view tabla, std::string_view anchos) {
    std::string linea;
    linea.reserve(tabla.size() + anchos.size() + 5);
    linea.append("\"").append(tabla).append("\",\"").append(anchos).append("\"");
    return linea;
}

std::string TextoAnchos(const std::vector<int>& anchos) {
    std::string texto;
    for (int a : anchos) texto.append(std::to_string(a)).append("|");
    return texto;
}

void GrabaArchivoAnchos(const std::string& carpeta, std::string_view tabla,
                        std::string_view anchos) {
    const std::string archivo = SeparadorDirectorio(carpeta) + std::string(kArchivoAnchos);
    const std::string auxiliar = SeparadorDirectorio(carpeta) + std::string(kArchivoAnchosAux);

    std::string bytes;
    for (const AnchosGuardados& r : LeeArchivoAnchos(archivo)) {
        if (IgualSinCaso(r.tabla, tabla)) continue;
        bytes += Utf8ACp1252(LineaAnchos(r.tabla, r.anchos));
        bytes += "\r\n";
    }
    bytes += Utf8ACp1252(LineaAnchos(tabla, anchos));
    bytes += "\r\n";

    std::FILE* f = plataforma::AbreFlujo(auxiliar, "wb");
    if (!f) Falla(err::kAccesoRuta, auxiliar, errno);
    const bool escrito = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const int error = errno;
    if (std::fclose(f) != 0 || !escrito) {
        plataforma::Borra(auxiliar);
        Falla(err::kErrorEscritura, auxiliar, escrito ? errno : error);
    }
    // The rename replaces the old file in one step: no moment without a width file.
    if (const int e = plataforma::Reemplaza(auxiliar, archivo); e != 0) {
        plataforma::Borra(auxiliar);
        throw ErrorTamaris(err::kAccesoRuta, "No se puede reemplazar el archivo de anchos " +
                                                 archivo + ": " + plataforma::TextoError(e));
    }
}

}  // namespace tamaris
