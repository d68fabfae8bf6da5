#include "components/ArchivoTexto.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "components/Cp1252.h"
#include "components/Error.h"

namespace tamaris {

namespace {

constexpr std::size_t kBloque = 64 * 1024;

long NumeroDeErrno(int e, long porDefecto) {
    switch (e) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return err::kDiscoLleno;
        case ENOENT:
        case ENOTDIR:
            return err::kRutaNoEncontrada;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EBUSY:
        case ETXTBSY:
            return err::kAccesoRuta;
        default:
            return porDefecto;
    }
}

[[noreturn]] void Falla(int e, long porDefecto, const std::string& que, const std::string& ruta) {
    throw ErrorTamaris(NumeroDeErrno(e, porDefecto), que + " " + ruta + ": " + std::strerror(e));
}

std::string Carpeta(const std::string& ruta) {
    const std::size_t barra = ruta.rfind('/');
    if (barra == std::string::npos) return ".";
    if (barra == 0) return "/";
    return ruta.substr(0, barra);
}

std::string NombreBase(const std::string& ruta) {
    const std::size_t barra = ruta.rfind('/');
    return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

// Permissions a plain fopen would have given the new file; the temporary starts at 0600.
mode_t ModoNuevo(const std::string& destino) {
    struct stat st;
    if (::stat(destino.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    const mode_t mascara = ::umask(022);
    ::umask(mascara);
    return 0666 & ~mascara;
}


}  // namespace

ArchivoSeguro::ArchivoSeguro(std::string destino) : destino_(std::move(destino)) {
    struct stat st;
    if (::stat(destino_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        Falla(EISDIR, err::kAccesoRuta, "No se puede crear el archivo", destino_);
    }
    std::string base = NombreBase(destino_);
    // Leave room for the dot and the six random characters within the 255-byte name limit.
    if (base.size() > 200) base.resize(200);
    std::string plantilla = Carpeta(destino_);
    if (plantilla.back() != '/') plantilla.push_back('/');
    plantilla += "." + base + ".XXXXXX";
    const int fd = ::mkstemp(plantilla.data());
    if (fd < 0) Falla(errno, err::kAccesoRuta, "No se puede crear el archivo", destino_);
    temporal_ = plantilla;
    ::fchmod(fd, ModoNuevo(destino_));
    f_ = ::fdopen(fd, "wb");
    if (!f_) {
        const int e = errno;
        ::close(fd);
        ::unlink(temporal_.c_str());
        temporal_.clear();
        Falla(e, err::kAccesoRuta, "No se puede crear el archivo", destino_);
    }
    // The lines are gathered in buffer_, so stdio's own buffer would only copy them again.
    std::setvbuf(f_, nullptr, _IONBF, 0);
    buffer_.reserve(kBloque + 1024);
}

ArchivoSeguro::~ArchivoSeguro() { Descartar(); }

// Writes what the buffer holds. On failure the bytes not yet written stay in the buffer and
// the line being added is not in it yet, so a retry neither loses nor repeats anything.
void ArchivoSeguro::Vuelca() {
    std::size_t hecho = 0;
    const int fd = ::fileno(f_);
    while (hecho < buffer_.size()) {
        const ssize_t n = ::write(fd, buffer_.data() + hecho, buffer_.size() - hecho);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            buffer_.erase(0, hecho);
            Falla(e, err::kErrorEscritura, "No se puede escribir el archivo", destino_);
        }
        hecho += static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

void ArchivoSeguro::EscribeLinea(std::string_view linea) {
    if (!f_) {
        throw ErrorTamaris(err::kArchivoIncorrecto, "El archivo " + destino_ + " ya está cerrado");
    }
    if (buffer_.size() >= kBloque) Vuelca();
    AnexarCp1252(buffer_, linea);
    buffer_.append("\r\n", 2);
    ++lineas_;
}

void ArchivoSeguro::EscribeBytes(std::string_view bytes) {
    if (!f_) {
        throw ErrorTamaris(err::kArchivoIncorrecto, "El archivo " + destino_ + " ya está cerrado");
    }
    if (buffer_.size() >= kBloque) Vuelca();
    buffer_.append(bytes);
}

void ArchivoSeguro::Confirmar() {
    if (f_) {
        Vuelca();
        // Data on disk before the name: after a crash the destination is either the old file
        // or the complete new one.
        if (::fsync(::fileno(f_)) != 0 && errno != EINVAL) {
            Falla(errno, err::kErrorEscritura, "No se puede escribir el archivo", destino_);
        }
        std::FILE* f = f_;
        f_ = nullptr;
        if (std::fclose(f) != 0) {
            // What the close lost cannot be written again: the temporary file goes.
            const int e = errno;
            Descartar();
            Falla(e, err::kErrorEscritura, "No se puede escribir el archivo", destino_);
        }
    } else if (temporal_.empty()) {
        throw ErrorTamaris(err::kArchivoIncorrecto, "El archivo " + destino_ + " ya está cerrado");
    }
    // A failed rename may be tried again: the complete temporary file stays until then.
    if (std::rename(temporal_.c_str(), destino_.c_str()) != 0) {
        Falla(errno, err::kAccesoRuta, "No se puede reemplazar el archivo", destino_);
    }
    temporal_.clear();
    // The rename itself lives in the folder; without this it may not survive a crash.
    const int dir = ::open(Carpeta(destino_).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void ArchivoSeguro::Descartar() {
    if (f_) {
        std::fclose(f_);
        f_ = nullptr;
    }
    if (!temporal_.empty()) {
        ::unlink(temporal_.c_str());
        temporal_.clear();
    }
    buffer_.clear();
}

void AnexaLinea(const std::string& ruta, std::string_view linea) {
    std::string datos;
    datos.reserve(linea.size() + 2);
    AnexarCp1252(datos, linea);
    datos.append("\r\n", 2);
    std::FILE* f = std::fopen(ruta.c_str(), "ab");
    if (!f) Falla(errno, err::kAccesoRuta, "No se puede abrir el archivo", ruta);
    errno = 0;
    const bool escrito = std::fwrite(datos.data(), 1, datos.size(), f) == datos.size();
    const int e1 = errno;
    const bool cerrado = std::fclose(f) == 0;
    const int e2 = errno;
    if (!escrito) Falla(e1 ? e1 : EIO, err::kErrorEscritura, "No se puede escribir el archivo", ruta);
    if (!cerrado) Falla(e2 ? e2 : EIO, err::kErrorEscritura, "No se puede escribir el archivo", ruta);
}

bool ExisteArchivo(const std::string& ruta) {
    if (ruta.empty()) return false;
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO must not hang the caller
    if (fd < 0) return false;
    struct stat st;
    const bool archivo = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return archivo;
}

}  // namespace tamaris
