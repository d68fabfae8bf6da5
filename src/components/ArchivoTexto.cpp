#include "components/ArchivoTexto.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "components/Cp1252.h"
#include "components/Error.h"
#include "components/Temporales.h"

namespace tamaris {

namespace pl = plataforma;

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
#ifdef ETXTBSY
        case ETXTBSY:
#endif
            return err::kAccesoRuta;
        default:
            return porDefecto;
    }
}

[[noreturn]] void Falla(int e, long porDefecto, const std::string& que, const std::string& ruta) {
    throw ErrorTamaris(NumeroDeErrno(e, porDefecto), que + " " + ruta + ": " + pl::TextoError(e));
}

// Removes the temporaries of `prefijo` (the same destination) that a run ended without
// cleaning up (killed, power cut) left behind: those no live run holds. A live writer holds
// its own from creation to removal, so its file is never taken. On Windows the run that left
// them may have spelled the destination in other letter case: the same file, the same
// temporaries.
void BorraTemporalesHuerfanos(const std::string& carpeta, const std::string& prefijo,
                              const std::string& propio) {
    for (const std::string& nombre : pl::NombresEn(carpeta)) {
        if (nombre.size() <= 6) continue;
        const std::string_view sinAzar(nombre.data(), nombre.size() - 6);
        if (!pl::MismoNombre(sinAzar, prefijo)) continue;
        const std::string ruta = carpeta + nombre;
        if (ruta != propio) pl::BorraSiAbandonado(ruta);
    }
}

// The name ends in a folder rather than in a file: "dir/", ".", "..", or an existing folder.
bool NombraCarpeta(const std::string& ruta) {
    const std::string base = pl::NombreBase(ruta);
    return base.empty() || base == "." || base == ".." ||
           pl::EstadoDeRuta(ruta).tipo == pl::Tipo::kCarpeta;
}

// Windows drops the read-only mark with the file it replaces: the user set it to keep the file.
void RechazaSoloLectura(const std::string& archivo, const std::string& destino) {
    if (pl::MarcadoSoloLectura(archivo))
        throw ErrorTamaris(err::kAccesoRuta,
                           "No se puede reemplazar el archivo " + destino +
                               ": está marcado como de solo lectura (quite la marca en sus "
                               "propiedades o elija otro nombre)");
}

// The first `largo` bytes of a UTF-8 name, never cutting a character in two.
std::string Recorta(std::string nombre, std::size_t largo) {
    if (nombre.size() > largo) nombre.resize(pl::FinUtf8Completo(nombre.data(), largo));
    return nombre;
}

}  // namespace

ArchivoSeguro::ArchivoSeguro(std::string destino)
    : destino_(std::move(destino)), final_(pl::DestinoDeEnlaces(destino_)) {
    if (NombraCarpeta(destino_) || NombraCarpeta(final_)) {
        throw ErrorTamaris(err::kAccesoRuta, "No se puede crear el archivo " + destino_ +
                                                 ": es el nombre de una carpeta, no de un archivo");
    }
    // Refused before the job is done, not after.
    RechazaSoloLectura(final_, destino_);
    // Leave room for the mark and the six random characters within the 255-byte name limit.
    const std::string base = Recorta(pl::NombreBase(final_), 200);
    // Beside the file a link names: the rename must stay within its file system.
    const std::string carpeta = pl::ConSeparador(pl::Carpeta(final_));
    // The mark tells this program's temporaries from other files of similar name, which the
    // clearing of abandoned temporaries must never take.
    const std::string prefijo = "." + base + ".tamaris-";
    std::string plantilla = carpeta + prefijo + "XXXXXX";
    int error = 0;
    // Each name is registered before the file exists, so that a signal never finds the file
    // unregistered.
    d_ = pl::CreaTemporal(plantilla, 0, &error, [this](const std::string& nombre) {
        OlvidaTemporal(ranura_);
        ranura_ = RegistraTemporal(nombre.c_str());
    });
    if (!d_.Abierto()) {
        OlvidaTemporal(ranura_);
        ranura_ = -1;
        Falla(error, err::kAccesoRuta, "No se puede crear el archivo", destino_);
    }
    temporal_ = plantilla;
    abierto_ = true;
    BorraTemporalesHuerfanos(carpeta, prefijo, temporal_);
    pl::PermisosDeNuevo(d_, final_);
    buffer_.reserve(kBloque + 1024);
}

ArchivoSeguro::~ArchivoSeguro() { Descartar(); }

// Writes what the buffer holds. On failure the bytes not yet written stay in the buffer and
// the line being added is not in it yet, so a retry neither loses nor repeats anything.
void ArchivoSeguro::Vuelca() {
    std::size_t hecho = 0;
    const int e = pl::Escribe(d_, buffer_.data(), buffer_.size(), &hecho);
    if (e != 0) {
        buffer_.erase(0, hecho);
        Falla(e, err::kErrorEscritura, "No se puede escribir el archivo", destino_);
    }
    buffer_.clear();
    // Written data starts going to disk every few megabytes, while the job goes on, so that
    // the flush of Confirmar() finds little left to write. Only a hint.
    pendienteDisco_ += hecho;
    if (pendienteDisco_ >= kTramoDisco) {
        pl::AdelantaADisco(d_, enDisco_, static_cast<long long>(pendienteDisco_));
        enDisco_ += static_cast<long long>(pendienteDisco_);
        pendienteDisco_ = 0;
    }
}

void ArchivoSeguro::EscribeLinea(std::string_view linea) {
    if (!abierto_) {
        throw ErrorTamaris(err::kArchivoIncorrecto, "El archivo " + destino_ + " ya está cerrado");
    }
    if (buffer_.size() >= kBloque) Vuelca();
    AnexarCp1252(buffer_, linea);
    buffer_.append("\r\n", 2);
    ++lineas_;
}

void ArchivoSeguro::EscribeBytes(std::string_view bytes) {
    if (!abierto_) {
        throw ErrorTamaris(err::kArchivoIncorrecto, "El archivo " + destino_ + " ya está cerrado");
    }
    if (buffer_.size() >= kBloque) Vuelca();
    buffer_.append(bytes);
}

void ArchivoSeguro::Completa() {
    if (abierto_) {
        Vuelca();
        // Data on disk before the name: after a crash the destination is either the old file
        // or the complete new one.
        if (const int e = pl::VuelcaADisco(d_); e != 0) {
            Falla(e, err::kErrorEscritura, "No se puede escribir el archivo", destino_);
        }
        abierto_ = false;
    } else if (temporal_.empty()) {
        throw ErrorTamaris(err::kArchivoIncorrecto, "El archivo " + destino_ + " ya está cerrado");
    }
}

void ArchivoSeguro::Confirmar() {
    Completa();
    // The file stays open (and so held) until the rename: without that another run could
    // take the complete file for abandoned. A failed rename may be tried again: the complete
    // temporary file stays until then.
    RechazaSoloLectura(final_, destino_);
    if (const int e = pl::Reemplaza(temporal_, final_); e != 0) {
        Falla(e, err::kAccesoRuta, "No se puede reemplazar el archivo", destino_);
    }
    Termina();
}

void ArchivoSeguro::Termina() {
    temporal_.clear();
    OlvidaTemporal(ranura_);
    ranura_ = -1;
    d_.Cierra();
    // The rename itself lives in the folder; without this it may not survive a crash.
    pl::VuelcaCarpeta(pl::Carpeta(final_));
}

void ConfirmaJuntos(ArchivoSeguro& a, ArchivoSeguro& b) {
    namespace fs = std::filesystem;
    a.Completa();
    b.Completa();
    // Files marked read-only are refused as a single file is (Windows would drop the mark).
    RechazaSoloLectura(a.final_, a.destino_);
    RechazaSoloLectura(b.final_, b.destino_);
    // The first destination's old content is kept under a second name (a link, else a copy)
    // until the second file is in place.
    std::string resguardo;
    if (pl::EstadoDeRuta(a.final_).tipo != pl::Tipo::kNoExiste) {
        resguardo = a.temporal_ + "-anterior";
        pl::Borra(resguardo);
        std::error_code ec;
        fs::create_hard_link(pl::Ruta(a.final_), pl::Ruta(resguardo), ec);
        if (ec) {
            ec.clear();
            fs::copy_file(pl::Ruta(a.final_), pl::Ruta(resguardo),
                          fs::copy_options::overwrite_existing, ec);
        }
        if (ec) {
            pl::Borra(resguardo);
            Falla(ec.value(), err::kAccesoRuta, "No se puede resguardar el archivo", a.destino_);
        }
    }
    const auto sinResguardo = [&] {
        if (!resguardo.empty()) pl::Borra(resguardo);
    };
    if (const int e = pl::Reemplaza(a.temporal_, a.final_); e != 0) {
        sinResguardo();
        Falla(e, err::kAccesoRuta, "No se puede reemplazar el archivo", a.destino_);
    }
    if (const int e = pl::Reemplaza(b.temporal_, b.final_); e != 0) {
        std::error_code ec;
        fs::create_hard_link(pl::Ruta(a.final_), pl::Ruta(a.temporal_), ec);
        if (!resguardo.empty()) {
            // Should the old file not go back in place, its copy stays where it is: no old file
            // is ever lost, and the message says where it waits.
            if (pl::Reemplaza(resguardo, a.final_) != 0) {
                throw ErrorTamaris(NumeroDeErrno(e, err::kAccesoRuta),
                                   "No se puede reemplazar el archivo " + b.destino_ + ": " +
                                       pl::TextoError(e) + ". El archivo anterior de " +
                                       a.destino_ + " no pudo volver a su lugar: quedó en " +
                                       resguardo + ".");
            }
        } else {
            pl::Borra(a.final_);
        }
        sinResguardo();
        Falla(e, err::kAccesoRuta, "No se puede reemplazar el archivo", b.destino_);
    }
    sinResguardo();
    a.Termina();
    b.Termina();
}

void ArchivoSeguro::Descartar() {
    // Removed before it is closed, so that no other run meets it unheld.
    if (!temporal_.empty()) {
        pl::Borra(temporal_);
        temporal_.clear();
    }
    OlvidaTemporal(ranura_);
    ranura_ = -1;
    abierto_ = false;
    d_.Cierra();
    buffer_.clear();
}

void AnexaLinea(const std::string& ruta, std::string_view linea) {
    std::string datos;
    datos.reserve(linea.size() + 2);
    AnexarCp1252(datos, linea);
    datos.append("\r\n", 2);
    std::FILE* f = pl::AbreFlujo(ruta, "ab");
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
    const pl::Descriptor d = pl::AbreLectura(ruta);  // a FIFO must not hang the caller
    if (!d.Abierto()) return false;
    int error = 0;
    const pl::Estado e = pl::EstadoDe(d, &error);
    return error == 0 && e.tipo != pl::Tipo::kCarpeta;
}

namespace {

// Why an open file is not read; empty when it may be.
std::string Problema(const pl::Descriptor& d, const std::string& ruta, std::size_t limite) {
    int error = 0;
    const pl::Estado e = pl::EstadoDe(d, &error);
    if (error != 0) return "No se puede leer el archivo " + ruta + ": " + pl::TextoError(error);
    switch (e.tipo) {
        case pl::Tipo::kCarpeta:
            return ruta + " es una carpeta, no un archivo: no se lee.";
        case pl::Tipo::kFifo:
            return ruta + " no es un archivo común sino una tubería (FIFO): no se lee.";
        case pl::Tipo::kDispositivo:
            return ruta + " no es un archivo común sino un dispositivo: no se lee.";
        case pl::Tipo::kRegular:
            break;
        default:
            return ruta + " no es un archivo común: no se lee.";
    }
    if (e.tamano > limite)
        return ruta + " ocupa " + std::to_string(e.tamano) + " bytes, más de los " +
               std::to_string(limite) + " que puede tener: no se lee.";
    return {};
}

}  // namespace

std::string ProblemaArchivoLeido(const std::string& ruta, std::size_t limite) {
    const pl::Descriptor d = pl::AbreLectura(ruta);
    if (!d.Abierto()) return {};
    return Problema(d, ruta, limite);
}

std::optional<std::string> LeeArchivoAcotado(const std::string& ruta, std::size_t limite) {
    const pl::Descriptor d = pl::AbreLectura(ruta);
    if (!d.Abierto()) return std::nullopt;
    const std::string problema = Problema(d, ruta, limite);
    if (!problema.empty()) throw ErrorTamaris(err::kAccesoRuta, problema);
    std::string bytes;
    char buf[16384];
    // A file that grows while it is read still stops at the limit.
    while (bytes.size() <= limite) {
        const long long n = pl::Lee(d, buf, sizeof buf);
        if (n <= 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    if (bytes.size() > limite) bytes.resize(limite);
    return bytes;
}

}  // namespace tamaris
