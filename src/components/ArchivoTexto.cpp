#include "components/ArchivoTexto.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "components/Cp1252.h"
#include "components/Error.h"
#include "components/Temporales.h"

namespace tamaris {

namespace {

constexpr std::size_t kBloque = 64 * 1024;
// Bytes written between two requests to start writing them to disk.
constexpr std::size_t kTramoDisco = 8 * 1024 * 1024;

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

// Whether `ruta` still names the file open on `fd`.
bool MismoArchivo(int fd, const std::string& ruta) {
    struct stat abierto, nombrado;
    return ::fstat(fd, &abierto) == 0 && ::lstat(ruta.c_str(), &nombrado) == 0 &&
           abierto.st_dev == nombrado.st_dev && abierto.st_ino == nombrado.st_ino;
}

// Removes the temporaries of `prefijo` (the same destination) that a run ended without
// cleaning up (killed, power cut) left behind: those nobody holds locked. A live writer holds
// the lock on its own from creation to removal, so its file is never taken.
void BorraTemporalesHuerfanos(const std::string& carpeta, const std::string& prefijo,
                              const std::string& propio) {
    DIR* d = ::opendir(carpeta.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view nombre = e->d_name;
        if (nombre.size() != prefijo.size() + 6 || !nombre.starts_with(prefijo)) continue;
        const std::string ruta = carpeta + std::string(nombre);
        if (ruta == propio) continue;
        const int fd = ::open(ruta.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            MismoArchivo(fd, ruta))
            ::unlink(ruta.c_str());
        ::close(fd);
    }
    ::closedir(d);
}

}  // namespace

ArchivoSeguro::ArchivoSeguro(std::string destino) : destino_(std::move(destino)) {
    struct stat st;
    if (::stat(destino_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        Falla(EISDIR, err::kAccesoRuta, "No se puede crear el archivo", destino_);
    }
    std::string base = NombreBase(destino_);
    // Leave room for the mark and the six random characters within the 255-byte name limit.
    if (base.size() > 200) base.resize(200);
    std::string carpeta = Carpeta(destino_);
    if (carpeta.back() != '/') carpeta.push_back('/');
    // The mark tells this program's temporaries from other files of similar name, which the
    // clearing of abandoned temporaries must never take.
    const std::string prefijo = "." + base + ".tamaris-";
    int fd = -1;
    for (int intento = 0; fd < 0; ++intento) {
        std::string plantilla = carpeta + prefijo + "XXXXXX";
        fd = ::mkostemp(plantilla.data(), O_CLOEXEC);
        if (fd < 0) Falla(errno, err::kAccesoRuta, "No se puede crear el archivo", destino_);
        // The lock tells other runs that this temporary is being written. A run that cleared
        // it away before the lock was taken leaves the name pointing elsewhere: start again.
        if (::flock(fd, LOCK_EX) == 0 && MismoArchivo(fd, plantilla)) {
            temporal_ = plantilla;
            break;
        }
        ::close(fd);
        fd = -1;
        if (intento == 8) Falla(EBUSY, err::kAccesoRuta, "No se puede crear el archivo", destino_);
    }
    ranura_ = RegistraTemporal(temporal_.c_str());
    BorraTemporalesHuerfanos(carpeta, prefijo, temporal_);
    ::fchmod(fd, ModoNuevo(destino_));
    f_ = ::fdopen(fd, "wb");
    if (!f_) {
        const int e = errno;
        ::close(fd);
        ::unlink(temporal_.c_str());
        temporal_.clear();
        OlvidaTemporal(ranura_);
        ranura_ = -1;
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
    // Written data starts going to disk every few megabytes, while the job goes on, so that
    // the fsync of Confirmar() finds little left to write. Only a hint: failures are ignored.
    pendienteDisco_ += hecho;
    if (pendienteDisco_ >= kTramoDisco) {
        ::sync_file_range(fd, static_cast<off_t>(enDisco_), static_cast<off_t>(pendienteDisco_),
                          SYNC_FILE_RANGE_WRITE);
        enDisco_ += static_cast<long long>(pendienteDisco_);
        pendienteDisco_ = 0;
    }
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
        // The lock outlives the stream until the rename: without it another run could take
        // the complete file for abandoned.
        cerrojo_ = ::fcntl(::fileno(f_), F_DUPFD_CLOEXEC, 0);
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
    OlvidaTemporal(ranura_);
    ranura_ = -1;
    Suelta();
    // The rename itself lives in the folder; without this it may not survive a crash.
    const int dir = ::open(Carpeta(destino_).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void ArchivoSeguro::Descartar() {
    // Removed before the lock goes, so that no other run meets it unlocked.
    if (!temporal_.empty()) {
        ::unlink(temporal_.c_str());
        temporal_.clear();
    }
    OlvidaTemporal(ranura_);
    ranura_ = -1;
    if (f_) {
        std::fclose(f_);
        f_ = nullptr;
    }
    Suelta();
    buffer_.clear();
}

void ArchivoSeguro::Suelta() {
    if (cerrojo_ >= 0) ::close(cerrojo_);
    cerrojo_ = -1;
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
    if (!escrito)
        Falla(e1 ? e1 : EIO, err::kErrorEscritura, "No se puede escribir el archivo", ruta);
    if (!cerrado)
        Falla(e2 ? e2 : EIO, err::kErrorEscritura, "No se puede escribir el archivo", ruta);
}

bool ExisteArchivo(const std::string& ruta) {
    if (ruta.empty()) return false;
    const int fd =
        ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO must not hang the caller
    if (fd < 0) return false;
    struct stat st;
    const bool archivo = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return archivo;
}

}  // namespace tamaris

namespace tamaris {

namespace {

// Why an open file is not read; empty when it may be.
std::string Problema(int fd, const std::string& ruta, std::size_t limite) {
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return "No se puede leer el archivo " + ruta + ": " + std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return ruta + " es una carpeta, no un archivo: no se lee.";
    if (S_ISFIFO(st.st_mode))
        return ruta + " no es un archivo común sino una tubería (FIFO): no se lee.";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return ruta + " no es un archivo común sino un dispositivo: no se lee.";
    if (!S_ISREG(st.st_mode)) return ruta + " no es un archivo común: no se lee.";
    if (static_cast<unsigned long long>(st.st_size) > limite)
        return ruta + " ocupa " + std::to_string(st.st_size) + " bytes, más de los " +
               std::to_string(limite) + " que puede tener: no se lee.";
    return {};
}

int AbreSinEsperar(const std::string& ruta) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    return ::open(ruta.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

}  // namespace

std::string ProblemaArchivoLeido(const std::string& ruta, std::size_t limite) {
    const int fd = AbreSinEsperar(ruta);
    if (fd < 0) return {};
    std::string problema = Problema(fd, ruta, limite);
    ::close(fd);
    return problema;
}

std::optional<std::string> LeeArchivoAcotado(const std::string& ruta, std::size_t limite) {
    const int fd = AbreSinEsperar(ruta);
    if (fd < 0) return std::nullopt;
    const std::string problema = Problema(fd, ruta, limite);
    if (!problema.empty()) {
        ::close(fd);
        throw ErrorTamaris(err::kAccesoRuta, problema);
    }
    std::string bytes;
    char buf[16384];
    // A file that grows while it is read still stops at the limit.
    while (bytes.size() <= limite) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (bytes.size() > limite) bytes.resize(limite);
    return bytes;
}

}  // namespace tamaris
