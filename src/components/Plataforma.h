#pragma once
// What differs between Windows and POSIX systems, in one place: files and their flushing to
// disk, temporary files, atomic replacement, paths, the program's and the user's names and
// folders, local time, the ending of the process by the user, and network sockets. No other
// file of the program includes a system header.
//
// Paths are UTF-8 on every system; on Windows they reach the wide (UTF-16) calls. Failures are
// reported as errno values on both systems (Windows errors are translated), so that callers
// classify them once.

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tamaris::plataforma {

#ifdef _WIN32
inline constexpr bool kWindows = true;
inline constexpr char kSeparador = '\\';
#else
inline constexpr bool kWindows = false;
inline constexpr char kSeparador = '/';
#endif

// An open file (a descriptor, or a HANDLE on Windows), closed with the object.
class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(std::intptr_t nativo) : h_(nativo) {}
    ~Descriptor() { Cierra(); }
    Descriptor(Descriptor&& o) noexcept : h_(o.h_) { o.h_ = -1; }
    Descriptor& operator=(Descriptor&& o) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    bool Abierto() const { return h_ != -1; }
    std::intptr_t Nativo() const { return h_; }
    // Closes it; the errno of a failed close, 0 otherwise.
    int Cierra();

  private:
    std::intptr_t h_ = -1;
};

enum class Tipo { kNoExiste, kRegular, kCarpeta, kFifo, kDispositivo, kOtro };

struct Estado {
    Tipo tipo = Tipo::kNoExiste;
    unsigned long long tamano = 0;
};

// --- Opening and reading -------------------------------------------------------------------

// Opens for reading without ever waiting (a FIFO does not wait for a writer); folders open too,
// so that EstadoDe can tell them. Not open: `*error` holds why.
Descriptor AbreLectura(const std::string& ruta, int* error = nullptr);
// Opens for writing, creating the file (0644) when absent; `exclusivo`: fails with EEXIST when
// it exists.
Descriptor AbreEscritura(const std::string& ruta, bool exclusivo, int* error = nullptr);
// What the open file is; kNoExiste with `*error` set when it cannot be told.
Estado EstadoDe(const Descriptor& d, int* error = nullptr);
// What the name is (links followed); kNoExiste when missing.
Estado EstadoDeRuta(const std::string& ruta);

// Reads up to `n` bytes; the count, 0 at the end, -1 with `*error` on failure.
long long Lee(const Descriptor& d, char* datos, std::size_t n, int* error = nullptr);
// Reads up to `n` bytes at `desde` without moving the file position.
long long LeeEn(const Descriptor& d, char* datos, std::size_t n, long long desde,
                int* error = nullptr);
// Writes all of it (at the current position, or at `desde`); 0 or the errno of the failure.
// `*hecho` counts what was written before a failure.
int Escribe(const Descriptor& d, const char* datos, std::size_t n, std::size_t* hecho = nullptr);
int EscribeEn(const Descriptor& d, const char* datos, std::size_t n, long long desde);
// Size of the open file, -1 with `*error` on failure.
long long Largo(const Descriptor& d, int* error = nullptr);

// Data of the file on disk; 0 or the errno. Devices that cannot be flushed count as done.
int VuelcaADisco(const Descriptor& d);
// Asks the system to start writing a written range to disk; only a hint.
void AdelantaADisco(const Descriptor& d, long long desde, long long largo);
// Makes a rename in `carpeta` durable, where the system needs it. Only best effort.
void VuelcaCarpeta(const std::string& carpeta);

// A C stream on a UTF-8 path; the mode is always binary ("b" is added when missing).
std::FILE* AbreFlujo(const std::string& ruta, const char* modo);

// --- Temporary files -----------------------------------------------------------------------

// Creates a new file from `plantilla`, whose "XXXXXX" (followed by `largoSufijo` characters)
// becomes random characters; the name made is left in `plantilla`. The file belongs to this
// process alone while open: on POSIX an flock is held on it; on Windows no other program may
// open it. Not open: `*error` holds why.
// `alElegir`, when given, hears each name before the file is created under it, so that the
// name can be registered for removal with no moment in which the file exists unregistered.
Descriptor CreaTemporal(std::string& plantilla, std::size_t largoSufijo = 0, int* error = nullptr,
                        const std::function<void(const std::string&)>& alElegir = {});
// The same, for a file that disappears when closed, however the process ends (scratch data).
Descriptor CreaTemporalAnonimo(std::string& plantilla, std::size_t largoSufijo = 0,
                               int* error = nullptr);
// Whether `ruta` still names the file open on `d`.
bool NombraArchivo(const Descriptor& d, const std::string& ruta);
// Removes `ruta` when it is a regular file that no live process holds (the temporary of a run
// that was killed); leaves it otherwise.
void BorraSiAbandonado(const std::string& ruta);
// Gives a new file the permissions a plain creation would have given it: those of `destino`
// when it exists (its mode, and its group where the user may set it). Nothing to do on Windows.
void PermisosDeNuevo(const Descriptor& d, const std::string& destino);
// Whether two names found in one folder name the same entry: on Windows letter case does not
// count (as the system itself compares names).
bool MismoNombre(std::string_view a, std::string_view b);

// --- Names ---------------------------------------------------------------------------------

// Puts `origen` in the place of `destino`, replacing it if it exists, in one step; 0 or errno.
int Reemplaza(const std::string& origen, const std::string& destino);
// Gives `origen` the name `destino` only when nothing has that name; 0, EEXIST or errno.
int NombraSiLibre(const std::string& origen, const std::string& destino);
// Removes the file; 0 or errno.
int Borra(const std::string& ruta);
// Where writing to `ruta` lands: the file its symbolic links finally name (`ruta` itself when it
// is no link). Replacing that file keeps the link a link.
std::string DestinoDeEnlaces(const std::string& ruta);
// Whether the file carries the Windows read-only mark, which a replacement would silently drop;
// false elsewhere, where replacing a file depends on its folder alone.
bool MarcadoSoloLectura(const std::string& ruta);
// Creates the folder and the ones above it; true when it exists afterwards.
bool CreaCarpetas(const std::string& ruta);
// Whether the program may create files in the folder.
bool CarpetaEscribible(const std::string& carpeta);
// Whether the folder is where the system installs programs (/usr/bin, /usr/local/bin, /opt/…;
// Program Files on Windows): a program there keeps its data in the user's folder, even when
// it runs with the rights to write beside itself.
bool CarpetaDeProgramasDelSistema(const std::string& carpeta);
// The names in the folder (without "." and "..").
std::vector<std::string> NombresEn(const std::string& carpeta);

// --- Paths ---------------------------------------------------------------------------------

inline bool EsSeparador(char c) { return c == '/' || (kWindows && c == '\\'); }
// Position of the last separator, npos when none.
std::size_t UltimoSeparador(std::string_view ruta);
// The folder of a path ("." when it has none); the name after the last separator.
std::string Carpeta(const std::string& ruta);
std::string NombreBase(const std::string& ruta);
// The path with a separator at the end (the system's own when it has none yet).
std::string ConSeparador(std::string ruta);
// Whether the path starts at a root ("/x", "C:\x", "\\servidor\x").
bool EsAbsoluta(std::string_view ruta);
// The absolute form of a path, with the system's own separators (for messages).
std::string RutaAbsoluta(const std::string& ruta);
// Under Wine, the host's own (Unix) path of a Windows path, as the host's ODBC drivers, which
// Wine hands the calls to, need it; the path itself anywhere else.
std::string RutaAnfitrion(const std::string& ruta);
// A UTF-8 path as std::filesystem takes it, and back.
std::filesystem::path Ruta(const std::string& utf8);
std::string Texto(const std::filesystem::path& ruta);

// --- The program, the user and the time ----------------------------------------------------

std::string RutaEjecutable();
std::string NombreEquipo();
std::string NombreUsuario();
// The user's own folder for program data: %APPDATA%\Tamaris on Windows; $XDG_DATA_HOME/tamaris
// or ~/.local/share/tamaris elsewhere. Not created here.
std::string CarpetaDatosUsuario();
// The system's folder for temporary files (TEMP, TMPDIR, …), without a final separator.
std::string CarpetaTemporales();
// An environment variable as UTF-8; empty when unset.
std::string Variable(const char* nombre);
long IdProceso();
// Local time, safe from any thread.
std::tm HoraLocal(std::time_t t);
// Text of an errno value, in Spanish for the common ones (see TextosSistema.h). On Windows
// EBUSY stands for a file that another program holds open, and says so.
std::string TextoError(int error);

// --- The command line and the console ------------------------------------------------------

// The program's arguments, without its own name, as UTF-8. On Windows they come from the wide
// command line: `argv` holds them in the ANSI code page, which cannot spell every name and is
// not UTF-8.
std::vector<std::string> ArgumentosPrograma(int argc, char** argv);
// Makes std::cout and std::cerr, which carry UTF-8, show right on a Windows console whatever its
// code page (the text goes through the console's wide call); redirected to a file or a pipe they
// stay UTF-8 bytes. Nothing to do elsewhere.
void PreparaConsola();
// How many of the first `n` bytes of `texto` end on a whole UTF-8 character: what can be shown
// now, the rest waiting for the bytes that complete it.
std::size_t FinUtf8Completo(const char* texto, std::size_t n);

// --- The end of the process ----------------------------------------------------------------

// Makes `limpieza` run when the user or the system ends the program: SIGINT, SIGTERM and SIGHUP
// on POSIX; Ctrl+C, Ctrl+Break and the closing of the console window on Windows. `limpieza`
// must be safe in a signal handler. The process then ends as the signal would have ended it
// (exit code 130, 143 or 129; on Windows 130 for Ctrl+C and Ctrl+Break, 129 for the closing);
// a handler installed before keeps running. A signal ignored when this runs stays ignored.
void AlTerminarPorSenal(void (*limpieza)());
// Removes a file from within a signal handler or console event.
void BorraEnSenal(const char* ruta);

// --- Network -------------------------------------------------------------------------------

// The network sockets (IPv4 and IPv6) the process holds, in ascending order; empty where the
// system does not tell.
std::vector<std::intptr_t> SocketsDeRed();
// Shuts a socket down in both directions, so that a read blocked on it returns.
void CortaSocket(std::intptr_t socket);

}  // namespace tamaris::plataforma
