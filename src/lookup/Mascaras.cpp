#include "lookup/Mascaras.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "components/ArchivoTexto.h"
#include "components/Cp1252.h"
#include "components/Error.h"
#include "components/Texto.h"

namespace tamaris {

namespace {

void AnexaCampo(std::string& registro, std::string_view texto, std::size_t ancho) {
    std::string bytes = Utf8ACp1252(texto);
    bytes.resize(ancho, ' ');
    registro += bytes;
}

[[noreturn]] void FallaArchivo(const std::string& archivo, int error) {
    throw ErrorTamaris(err::kAccesoRuta, "No se puede escribir el archivo de consultas " + archivo +
                                             ": " + std::strerror(error));
}

std::string Registros(const std::vector<MascaraConsulta>& mascaras) {
    std::string bytes;
    bytes.reserve(mascaras.size() * kLargoRegistroMascara);
    for (const MascaraConsulta& m : mascaras) bytes += RegistroMascara(m);
    return bytes;
}

// Writes all of `bytes` at `desde`; the errno of the failure, 0 when done.
int EscribeEn(int fd, const std::string& bytes, off_t desde) {
    std::size_t hecho = 0;
    while (hecho < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + hecho, bytes.size() - hecho,
                                   desde + static_cast<off_t>(hecho));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        hecho += static_cast<std::size_t>(n);
    }
    return 0;
}

std::string LeeTodo(const std::string& archivo, bool& existe) {
    std::optional<std::string> bytes = LeeArchivoAcotado(archivo);
    existe = bytes.has_value();
    return bytes ? std::move(*bytes) : std::string();
}

}  // namespace

std::string RegistroMascara(const MascaraConsulta& m) {
    std::string r;
    r.reserve(kLargoRegistroMascara);
    AnexaCampo(r, m.Titulo, kLargoTituloMascara);
    AnexaCampo(r, m.Tabla, kLargoTablaMascara);
    AnexaCampo(r, m.Columnas, kLargoColumnasMascara);
    AnexaCampo(r, m.Filtro, kLargoFiltroMascara);
    r += "\r\n";
    return r;
}

MascaraConsulta LeeRegistroMascara(std::string_view bytes) {
    const auto campo = [&](std::size_t desde, std::size_t ancho) {
        if (desde >= bytes.size()) return std::string();
        return Cp1252AUtf8(bytes.substr(desde, ancho));
    };
    MascaraConsulta m;
    std::size_t p = 0;
    m.Titulo = campo(p, kLargoTituloMascara);
    p += kLargoTituloMascara;
    m.Tabla = campo(p, kLargoTablaMascara);
    p += kLargoTablaMascara;
    m.Columnas = campo(p, kLargoColumnasMascara);
    p += kLargoColumnasMascara;
    m.Filtro = campo(p, kLargoFiltroMascara);
    return m;
}

std::string CampoMascaraLimpio(std::string_view campo) {
    // Byte 255 of the file reads as U+00FF ("\xC3\xBF" in UTF-8).
    std::string r;
    r.reserve(campo.size());
    for (std::size_t i = 0; i < campo.size(); ++i) {
        if (campo[i] == '\0') continue;
        if (campo[i] == '\xC3' && i + 1 < campo.size() && campo[i + 1] == '\xBF') {
            ++i;
            continue;
        }
        r += campo[i];
    }
    return Trim(r);
}

void AgregaMascaras(const std::string& archivo, const std::vector<MascaraConsulta>& mascaras) {
    const int fd = ::open(archivo.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) FallaArchivo(archivo, errno);
    const off_t largo = ::lseek(fd, 0, SEEK_END);
    int error = largo < 0 ? errno : 0;
    if (error == 0) {
        const off_t registro = static_cast<off_t>(kLargoRegistroMascara);
        error = EscribeEn(fd, Registros(mascaras), (largo / registro) * registro);
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) FallaArchivo(archivo, error);
}

bool CreaArchivoMascaras(const std::string& archivo, const std::vector<MascaraConsulta>& mascaras) {
    static std::atomic<int> contador{0};
    const std::string bytes = Registros(mascaras);
    const std::string temporal =
        archivo + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(++contador);
    const int fd = ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) FallaArchivo(archivo, errno);
    int error = EscribeEn(fd, bytes, 0);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(temporal.c_str());
        FallaArchivo(archivo, error);
    }
    // A hard link puts the complete file in place only when no file has that name yet.
    if (::link(temporal.c_str(), archivo.c_str()) == 0) {
        ::unlink(temporal.c_str());
        return true;
    }
    const int motivo = errno;
    ::unlink(temporal.c_str());
    if (motivo == EEXIST) return false;
    // File systems without hard links: an exclusive create does the same, less atomically.
    const int directo = ::open(archivo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (directo < 0) {
        if (errno == EEXIST) return false;
        FallaArchivo(archivo, errno);
    }
    error = EscribeEn(directo, bytes, 0);
    if (::close(directo) != 0 && error == 0) error = errno;
    if (error != 0) FallaArchivo(archivo, error);
    return true;
}

std::vector<MascaraConsulta> LeeMascaras(const std::string& archivo) {
    bool existe;
    const std::string bytes = LeeTodo(archivo, existe);
    std::vector<MascaraConsulta> r;
    for (std::size_t p = 0; p + kLargoRegistroMascara <= bytes.size(); p += kLargoRegistroMascara)
        r.push_back(LeeRegistroMascara(std::string_view(bytes).substr(p, kLargoRegistroMascara)));
    return r;
}

std::optional<MascaraConsulta> LeeMascara(const std::string& archivo, std::size_t numero) {
    if (numero == 0) return std::nullopt;
    if (const std::string problema = ProblemaArchivoLeido(archivo); !problema.empty())
        throw ErrorTamaris(err::kAccesoRuta, problema);
    std::FILE* f = std::fopen(archivo.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string bytes(kLargoRegistroMascara, '\0');
    const long desde = static_cast<long>((numero - 1) * kLargoRegistroMascara);
    std::size_t leidos = 0;
    if (std::fseek(f, desde, SEEK_SET) == 0) leidos = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (leidos < kLargoRegistroMascara) return std::nullopt;
    return LeeRegistroMascara(bytes);
}

}  // namespace tamaris
