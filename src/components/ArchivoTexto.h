#pragma once
// Text files as the suite writes them: Windows-1252, lines ended by CR LF.

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "components/Plataforma.h"

namespace tamaris {

// Writes a new file in full and puts it in place only when told the file is complete: the
// lines go, buffered, to a temporary file beside the destination; Confirmar() flushes it to
// disk and renames it over the destination. Destroyed (or Descartar()) without Confirmar(), it
// removes the temporary file and leaves the destination exactly as it was. The temporary is
// registered for removal when the user ends the program (InstalaLimpiezaTemporales) and belongs
// to this run alone while it exists (an flock; on Windows, no sharing); creating a writer removes
// the temporaries of the same destination that no live writer holds (left by a run that was
// killed). A symbolic link as destination stays a link: the file it names is the one replaced,
// keeping its permissions. A name that is a folder ("dir/", ".") and, on Windows, a file marked
// read-only are refused.
class ArchivoSeguro {
  public:
    explicit ArchivoSeguro(std::string destino);
    ~ArchivoSeguro();
    ArchivoSeguro(const ArchivoSeguro&) = delete;
    ArchivoSeguro& operator=(const ArchivoSeguro&) = delete;

    // Appends `linea` (UTF-8) converted to Windows-1252 and CR LF. Throws ErrorTamaris on a
    // write failure (disk full: 61; other: 57).
    void EscribeLinea(std::string_view linea);
    // Appends bytes exactly as given (already Windows-1252, with their own line ends).
    void EscribeBytes(std::string_view bytes);
    void Confirmar();
    void Descartar();
    // Flushes everything written to disk and takes no more lines; Confirmar() then only puts
    // the file in place. Nothing to do when already complete.
    void Completa();

    const std::string& Destino() const { return destino_; }
    const std::string& Temporal() const { return temporal_; }
    long Lineas() const { return lineas_; }

  private:
    friend void ConfirmaJuntos(ArchivoSeguro& primero, ArchivoSeguro& segundo);
    void Vuelca();
    void Termina();        // after the rename: the temporary is the destination now
    std::string destino_;  // as the user gave it, for messages
    std::string final_;    // the file it names, through its symbolic links
    std::string temporal_;
    plataforma::Descriptor d_;  // open from creation until the file is in place
    bool abierto_ = false;      // lines may still be written
    std::string buffer_;
    long lineas_ = 0;
    long long enDisco_ = 0;           // offset up to which writing to disk was requested
    std::size_t pendienteDisco_ = 0;  // bytes written since
    int ranura_ = -1;                 // in the table of temporaries removed on a signal
};

// Puts two files that go together in place, both or neither: both are completed first, then
// the first replaces its destination and the second its own. When the second cannot, the first
// destination gets back what it held (or disappears when it did not exist) and the new first
// file its temporary name, so that the pair can be tried again; then throws. Only a run killed
// between the two renames can leave the new first file beside the old second one.
void ConfirmaJuntos(ArchivoSeguro& primero, ArchivoSeguro& segundo);

// Appends one line (UTF-8 converted to Windows-1252, CR LF) to a file, creating it when
// absent: open, write, close, as the suite's logs are written. Throws ErrorTamaris on failure.
void AnexaLinea(const std::string& ruta, std::string_view linea);

// True when the file can be opened for reading. Never throws.
bool ExisteArchivo(const std::string& ruta);

// Largest settings file (INI, lookup masks, column widths) the program reads.
constexpr std::size_t kLimiteArchivoLeido = 1024 * 1024;

// Empty when `ruta` is missing or a regular file of at most `limite` bytes; otherwise the
// message (Spanish) that says why it will not be read: a folder, a FIFO, a device such as
// /dev/zero (also through a link), or a file too large. Never blocks, never throws.
std::string ProblemaArchivoLeido(const std::string& ruta, std::size_t limite = kLimiteArchivoLeido);

// The whole content of a settings file; nullopt when it cannot be opened (missing). A name that
// is not a regular file of at most `limite` bytes is not read: ErrorTamaris (kAccesoRuta) with
// the message of ProblemaArchivoLeido. A FIFO never makes it wait.
std::optional<std::string> LeeArchivoAcotado(const std::string& ruta,
                                             std::size_t limite = kLimiteArchivoLeido);

}  // namespace tamaris
