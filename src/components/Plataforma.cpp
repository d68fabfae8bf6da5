#include "components/Plataforma.h"

#ifdef _WIN32
#include <windows.h>  // with shellapi.h (CommandLineToArgvW)
#else
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <random>
#include <streambuf>
#include <system_error>

#include "components/TextosSistema.h"

namespace tamaris::plataforma {

namespace {

void Guarda(int* destino, int valor) {
    if (destino) *destino = valor;
}

// Six characters for a temporary name: letters and digits, hard to guess.
void Aleatorios(std::string& plantilla, std::size_t largoSufijo) {
    static std::mutex m;
    static std::mt19937_64 generador = [] {
        std::random_device azar;
        std::seed_seq semilla{azar(), azar(), static_cast<unsigned>(std::time(nullptr)),
                              static_cast<unsigned>(IdProceso())};
        return std::mt19937_64(semilla);
    }();
    static constexpr char kLetras[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::size_t fin = plantilla.size() - largoSufijo;
    std::lock_guard<std::mutex> l(m);
    for (std::size_t i = fin - 6; i < fin; ++i)
        plantilla[i] = kLetras[generador() % (sizeof kLetras - 1)];
}

}  // namespace

Descriptor& Descriptor::operator=(Descriptor&& o) noexcept {
    if (this != &o) {
        Cierra();
        h_ = o.h_;
        o.h_ = -1;
    }
    return *this;
}

// --- Paths, common to both systems ---------------------------------------------------------

std::size_t UltimoSeparador(std::string_view ruta) {
    for (std::size_t i = ruta.size(); i-- > 0;)
        if (EsSeparador(ruta[i])) return i;
    return std::string_view::npos;
}

std::string Carpeta(const std::string& ruta) {
    const std::size_t barra = UltimoSeparador(ruta);
    if (barra == std::string::npos) return ".";
    if (barra == 0) return ruta.substr(0, 1);
    // "C:\archivo" lives in "C:\", not in "C:".
    if (kWindows && barra == 2 && ruta[1] == ':') return ruta.substr(0, 3);
    return ruta.substr(0, barra);
}

std::string NombreBase(const std::string& ruta) {
    const std::size_t barra = UltimoSeparador(ruta);
    return barra == std::string::npos ? ruta : ruta.substr(barra + 1);
}

std::string ConSeparador(std::string ruta) {
    if (!ruta.empty() && !EsSeparador(ruta.back())) ruta.push_back(kSeparador);
    return ruta;
}

bool EsAbsoluta(std::string_view ruta) {
    if (ruta.empty()) return false;
    if (EsSeparador(ruta[0])) return true;
    return kWindows && ruta.size() >= 3 && ruta[1] == ':' && EsSeparador(ruta[2]);
}

bool CreaCarpetas(const std::string& ruta) {
    std::error_code ec;
    const std::filesystem::path p = Ruta(ruta);
    std::filesystem::create_directories(p, ec);
    return std::filesystem::is_directory(p, ec);
}

std::string RutaAbsoluta(const std::string& ruta) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(Ruta(ruta), ec);
    if (ec) return ruta;
    return Texto(p.make_preferred());
}

std::size_t FinUtf8Completo(const char* texto, std::size_t n) {
    // The last character begins at most three bytes before the end.
    for (std::size_t atras = 1; atras <= 4 && atras <= n; ++atras) {
        const auto c = static_cast<unsigned char>(texto[n - atras]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t largo = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return largo > atras ? n - atras : n;
    }
    return n;  // not UTF-8: shown as it is
}

#ifdef _WIN32

// --- Windows -------------------------------------------------------------------------------

namespace {

std::wstring Ancho(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring r(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), r.data(), n);
    return r;
}

std::string Utf8(std::wstring_view ancho) {
    if (ancho.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, ancho.data(), static_cast<int>(ancho.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, ancho.data(), static_cast<int>(ancho.size()), r.data(), n,
                          nullptr, nullptr);
    return r;
}

int ErrnoDe(DWORD e) {
    switch (e) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_NETWORK_ACCESS_DENIED:
            return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_INVALID_HANDLE:
            return EBADF;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_BROKEN_PIPE:
            return EPIPE;
        default:
            return EIO;
    }
}

int UltimoError() { return ErrnoDe(::GetLastError()); }

// Past MAX_PATH (less the 12 characters CreateDirectoryW keeps for a file name) the wide calls
// take a path only in its "\\?\" form, which admits no relative part, no "/" and no "..": the
// full path is made first. A destination near the limit has a temporary 16 characters longer.
constexpr std::size_t kLargoSinPrefijo = MAX_PATH - 12;

std::wstring RutaAncha(std::string_view utf8) {
    std::wstring w = Ancho(utf8);
    if (w.size() < kLargoSinPrefijo || w.starts_with(L"\\\\?\\") || w.starts_with(L"\\\\.\\"))
        return w;
    DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return w;
    std::wstring completa(n, L'\0');
    n = ::GetFullPathNameW(w.c_str(), n, completa.data(), nullptr);
    if (n == 0 || n >= completa.size()) return w;
    completa.resize(n);
    if (completa.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + completa.substr(2);
    return L"\\\\?\\" + completa;
}

// Whether another program holds the file open without letting it be replaced: what a failed
// replacement reports only as "access denied".
bool AbiertoPorOtro(const std::wstring& ruta) {
    const HANDLE h =
        ::CreateFileW(ruta.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(h);
    return false;
}

HANDLE H(const Descriptor& d) { return reinterpret_cast<HANDLE>(d.Nativo()); }

Descriptor DeManija(HANDLE h, int* error) {
    if (h == INVALID_HANDLE_VALUE) {
        // errno too, as the C library's own open would leave it.
        errno = UltimoError();
        Guarda(error, errno);
        return {};
    }
    return Descriptor(reinterpret_cast<std::intptr_t>(h));
}

// Moves the file pointer and tells where it was, so that positional calls leave it as found.
long long Posicion(HANDLE h) {
    LARGE_INTEGER cero{}, actual{};
    return ::SetFilePointerEx(h, cero, &actual, FILE_CURRENT) ? actual.QuadPart : -1;
}

void Vuelve(HANDLE h, long long pos) {
    if (pos < 0) return;
    LARGE_INTEGER p{};
    p.QuadPart = pos;
    ::SetFilePointerEx(h, p, nullptr, FILE_BEGIN);
}

OVERLAPPED En(long long desde) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(desde & 0xFFFFFFFF);
    o.OffsetHigh = static_cast<DWORD>(static_cast<unsigned long long>(desde) >> 32);
    return o;
}

Descriptor CreaConNombre(std::string& plantilla, std::size_t largoSufijo, DWORD atributos,
                         int* error, const std::function<void(const std::string&)>& alElegir) {
    for (int intento = 0; intento < 100; ++intento) {
        Aleatorios(plantilla, largoSufijo);
        if (alElegir) alElegir(plantilla);
        // Shared for deletion only: the clearing of a signal may remove it, but no other
        // process can open it, which is how runs tell a live temporary from an abandoned one.
        const HANDLE h = ::CreateFileW(RutaAncha(plantilla).c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_DELETE, nullptr, CREATE_NEW, atributos, nullptr);
        if (h != INVALID_HANDLE_VALUE) return Descriptor(reinterpret_cast<std::intptr_t>(h));
        const DWORD e = ::GetLastError();
        if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) {
            Guarda(error, ErrnoDe(e));
            return {};
        }
    }
    Guarda(error, EEXIST);
    return {};
}

void (*gLimpieza)() = nullptr;

BOOL WINAPI EventoConsola(DWORD evento) {
    if (gLimpieza) gLimpieza();
    const UINT codigo = evento == CTRL_C_EVENT || evento == CTRL_BREAK_EVENT ? 130 : 129;
    ::TerminateProcess(::GetCurrentProcess(), codigo);
    return TRUE;
}

}  // namespace

int Descriptor::Cierra() {
    if (h_ == -1) return 0;
    const BOOL ok = ::CloseHandle(reinterpret_cast<HANDLE>(h_));
    h_ = -1;
    return ok ? 0 : UltimoError();
}

Descriptor AbreLectura(const std::string& ruta, int* error) {
    return DeManija(::CreateFileW(RutaAncha(ruta).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                    error);
}

Descriptor AbreEscritura(const std::string& ruta, bool exclusivo, int* error) {
    return DeManija(
        ::CreateFileW(RutaAncha(ruta).c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      exclusivo ? CREATE_NEW : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
        error);
}

Estado EstadoDe(const Descriptor& d, int* error) {
    Estado e;
    switch (::GetFileType(H(d))) {
        case FILE_TYPE_PIPE:
            e.tipo = Tipo::kFifo;
            return e;
        case FILE_TYPE_CHAR:
            e.tipo = Tipo::kDispositivo;
            return e;
        case FILE_TYPE_DISK:
            break;
        default:
            if (::GetLastError() != NO_ERROR) {
                Guarda(error, UltimoError());
                return e;
            }
            e.tipo = Tipo::kOtro;
            return e;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(H(d), &info)) {
        Guarda(error, UltimoError());
        return e;
    }
    e.tipo = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Tipo::kCarpeta : Tipo::kRegular;
    e.tamano = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return e;
}

Estado EstadoDeRuta(const std::string& ruta) {
    Estado e;
    WIN32_FILE_ATTRIBUTE_DATA datos{};
    if (ruta.empty() ||
        !::GetFileAttributesExW(RutaAncha(ruta).c_str(), GetFileExInfoStandard, &datos))
        return e;
    e.tipo = (datos.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Tipo::kCarpeta : Tipo::kRegular;
    e.tamano = (static_cast<unsigned long long>(datos.nFileSizeHigh) << 32) | datos.nFileSizeLow;
    return e;
}

long long Lee(const Descriptor& d, char* datos, std::size_t n, int* error) {
    DWORD leidos = 0;
    const DWORD pedido = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
    if (!::ReadFile(H(d), datos, pedido, &leidos, nullptr)) {
        if (::GetLastError() == ERROR_BROKEN_PIPE || ::GetLastError() == ERROR_HANDLE_EOF) return 0;
        Guarda(error, UltimoError());
        return -1;
    }
    return leidos;
}

long long LeeEn(const Descriptor& d, char* datos, std::size_t n, long long desde, int* error) {
    const long long antes = Posicion(H(d));
    OVERLAPPED o = En(desde);
    DWORD leidos = 0;
    const DWORD pedido = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
    const BOOL ok = ::ReadFile(H(d), datos, pedido, &leidos, &o);
    const DWORD e = ok ? NO_ERROR : ::GetLastError();
    Vuelve(H(d), antes);
    if (!ok) {
        if (e == ERROR_HANDLE_EOF) return 0;
        Guarda(error, ErrnoDe(e));
        return -1;
    }
    return leidos;
}

int Escribe(const Descriptor& d, const char* datos, std::size_t n, std::size_t* hecho) {
    std::size_t total = 0;
    int resultado = 0;
    while (total < n) {
        DWORD escritos = 0;
        const DWORD pedido = static_cast<DWORD>(std::min<std::size_t>(n - total, 1u << 30));
        if (!::WriteFile(H(d), datos + total, pedido, &escritos, nullptr)) {
            resultado = UltimoError();
            break;
        }
        total += escritos;
    }
    if (hecho) *hecho = total;
    return resultado;
}

int EscribeEn(const Descriptor& d, const char* datos, std::size_t n, long long desde) {
    const long long antes = Posicion(H(d));
    std::size_t total = 0;
    int resultado = 0;
    while (total < n) {
        OVERLAPPED o = En(desde + static_cast<long long>(total));
        DWORD escritos = 0;
        const DWORD pedido = static_cast<DWORD>(std::min<std::size_t>(n - total, 1u << 30));
        if (!::WriteFile(H(d), datos + total, pedido, &escritos, &o)) {
            resultado = UltimoError();
            break;
        }
        total += escritos;
    }
    Vuelve(H(d), antes);
    return resultado;
}

long long Largo(const Descriptor& d, int* error) {
    LARGE_INTEGER t{};
    if (!::GetFileSizeEx(H(d), &t)) {
        Guarda(error, UltimoError());
        return -1;
    }
    return t.QuadPart;
}

int VuelcaADisco(const Descriptor& d) {
    if (::FlushFileBuffers(H(d))) return 0;
    const DWORD e = ::GetLastError();
    // Consoles and pipes have nothing to flush.
    if (e == ERROR_INVALID_HANDLE || e == ERROR_INVALID_FUNCTION) return 0;
    return ErrnoDe(e);
}

void AdelantaADisco(const Descriptor&, long long, long long) {}

// MoveFileExW with MOVEFILE_WRITE_THROUGH already waits for the rename to reach the disk.
void VuelcaCarpeta(const std::string&) {}

std::FILE* AbreFlujo(const std::string& ruta, const char* modo) {
    std::string m = modo;
    if (m.find('b') == std::string::npos) m.push_back('b');
    return ::_wfopen(RutaAncha(ruta).c_str(), Ancho(m).c_str());
}

Descriptor CreaTemporal(std::string& plantilla, std::size_t largoSufijo, int* error,
                        const std::function<void(const std::string&)>& alElegir) {
    return CreaConNombre(plantilla, largoSufijo, FILE_ATTRIBUTE_NORMAL, error, alElegir);
}

Descriptor CreaTemporalAnonimo(std::string& plantilla, std::size_t largoSufijo, int* error) {
    return CreaConNombre(plantilla, largoSufijo,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, error, {});
}

// Nobody else can open a live temporary, so its name cannot have been taken from it.
bool NombraArchivo(const Descriptor& d, const std::string&) { return d.Abierto(); }

void BorraSiAbandonado(const std::string& ruta) {
    // Opening without sharing fails while the run that writes it is alive; the last close of
    // a file opened for deletion on close removes it.
    const HANDLE h =
        ::CreateFileW(RutaAncha(ruta).c_str(), DELETE | GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
}

void PermisosDeNuevo(const Descriptor&, const std::string&) {}

int Reemplaza(const std::string& origen, const std::string& destino) {
    const std::wstring nuevo = RutaAncha(destino);
    if (::MoveFileExW(RutaAncha(origen).c_str(), nuevo.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    const DWORD e = ::GetLastError();
    if (e == ERROR_ACCESS_DENIED && AbiertoPorOtro(nuevo)) return EBUSY;
    return ErrnoDe(e);
}

int NombraSiLibre(const std::string& origen, const std::string& destino) {
    if (::MoveFileExW(RutaAncha(origen).c_str(), RutaAncha(destino).c_str(),
                      MOVEFILE_WRITE_THROUGH))
        return 0;
    return UltimoError();
}

std::string DestinoDeEnlaces(const std::string& ruta) {
    // Only symbolic links: other reparse points (junctions, cloud files) are the file itself.
    WIN32_FIND_DATAW datos{};
    const HANDLE busqueda = ::FindFirstFileW(RutaAncha(ruta).c_str(), &datos);
    if (busqueda == INVALID_HANDLE_VALUE) return ruta;
    ::FindClose(busqueda);
    if (!(datos.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        datos.dwReserved0 != IO_REPARSE_TAG_SYMLINK)
        return ruta;
    // Opened through the link, the file tells its own final name.
    const HANDLE h = ::CreateFileW(RutaAncha(ruta).c_str(), 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ruta;
    std::wstring nombre(32768, L'\0');
    const DWORD n = ::GetFinalPathNameByHandleW(h, nombre.data(), static_cast<DWORD>(nombre.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    ::CloseHandle(h);
    if (n == 0 || n >= nombre.size()) return ruta;
    nombre.resize(n);
    if (nombre.starts_with(L"\\\\?\\UNC\\"))
        nombre = L"\\\\" + nombre.substr(8);
    else if (nombre.starts_with(L"\\\\?\\"))
        nombre.erase(0, 4);
    return Utf8(nombre);
}

bool MarcadoSoloLectura(const std::string& ruta) {
    const DWORD atributos = ::GetFileAttributesW(RutaAncha(ruta).c_str());
    return atributos != INVALID_FILE_ATTRIBUTES && !(atributos & FILE_ATTRIBUTE_DIRECTORY) &&
           (atributos & FILE_ATTRIBUTE_READONLY);
}

bool MismoNombre(std::string_view a, std::string_view b) {
    const std::wstring x = Ancho(a), y = Ancho(b);
    return ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                  static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

// The system's own listing: std::filesystem does not take the \\?\ form of a long path.
std::vector<std::string> NombresEn(const std::string& carpeta) {
    std::vector<std::string> r;
    WIN32_FIND_DATAW datos{};
    const HANDLE h = ::FindFirstFileExW(RutaAncha(ConSeparador(carpeta) + "*").c_str(),
                                        FindExInfoBasic, &datos, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return r;
    do {
        const std::wstring_view nombre = datos.cFileName;
        if (nombre != L"." && nombre != L"..") r.push_back(Utf8(nombre));
    } while (::FindNextFileW(h, &datos));
    ::FindClose(h);
    return r;
}

int Borra(const std::string& ruta) {
    return ::DeleteFileW(RutaAncha(ruta).c_str()) ? 0 : UltimoError();
}

bool CarpetaEscribible(const std::string& carpeta) {
    // Permissions on Windows are lists that only the system can judge: try it.
    std::string prueba = ConSeparador(carpeta) + ".tamaris-XXXXXX";
    Descriptor d = CreaTemporalAnonimo(prueba, 0, nullptr);
    return d.Abierto();
}

bool CarpetaDeProgramasDelSistema(const std::string& carpeta) {
    // Windows compares names without case and takes either separator.
    const auto comparable = [](std::string r) {
        r = ConSeparador(std::move(r));
        for (char& ch : r)
            ch = ch == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return r;
    };
    const std::string c = comparable(carpeta);
    for (const char* v : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        const std::string base = Variable(v);
        if (!base.empty() && c.rfind(comparable(base), 0) == 0) return true;
    }
    return false;
}

std::filesystem::path Ruta(const std::string& utf8) { return std::filesystem::path(Ancho(utf8)); }

std::string Texto(const std::filesystem::path& ruta) { return Utf8(ruta.native()); }

std::string RutaAnfitrion(const std::string& ruta) {
    using Convierte = char*(__cdecl*)(const wchar_t*);
    static const Convierte convierte = reinterpret_cast<Convierte>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convierte) return ruta;
    char* unix = convierte(Ancho(ruta).c_str());
    if (!unix) return ruta;
    std::string r = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return r;
}

std::string RutaEjecutable() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return Utf8(std::wstring_view(buf.data(), n));
        buf.resize(buf.size() * 2);
    }
}

std::string NombreEquipo() {
    wchar_t buf[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = MAX_COMPUTERNAME_LENGTH + 1;
    if (::GetComputerNameW(buf, &n) && n > 0) return Utf8(std::wstring_view(buf, n));
    const std::string h = Variable("COMPUTERNAME");
    return h.empty() ? "localhost" : h;
}

std::string NombreUsuario() {
    wchar_t buf[257] = {};
    DWORD n = 257;
    if (::GetUserNameW(buf, &n) && n > 1) return Utf8(std::wstring_view(buf, n - 1));
    return Variable("USERNAME");
}

std::string CarpetaDatosUsuario() {
    std::string base = Variable("APPDATA");
    if (base.empty()) {
        const std::string perfil = Variable("USERPROFILE");
        base = perfil.empty() ? CarpetaTemporales() : perfil + "\\AppData\\Roaming";
    }
    return ConSeparador(base) + "Tamaris";
}

std::string CarpetaTemporales() {
    wchar_t buf[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
    std::string r = n > 0 && n <= MAX_PATH ? Utf8(std::wstring_view(buf, n)) : std::string(".");
    while (r.size() > 3 && EsSeparador(r.back())) r.pop_back();
    return r;
}

std::string Variable(const char* nombre) {
    const wchar_t* v = ::_wgetenv(Ancho(nombre).c_str());
    return v ? Utf8(v) : std::string();
}

long IdProceso() { return static_cast<long>(::GetCurrentProcessId()); }

std::tm HoraLocal(std::time_t t) {
    std::tm r{};
    ::localtime_s(&r, &t);
    return r;
}

void AlTerminarPorSenal(void (*limpieza)()) {
    gLimpieza = limpieza;
    ::SetConsoleCtrlHandler(&EventoConsola, TRUE);
}

void BorraEnSenal(const char* ruta) {
    // No allocation here: the path is converted on the stack.
    wchar_t ancho[4096];
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, ruta, -1, ancho, 4096);
    if (n <= 0) return;
    if (static_cast<std::size_t>(n) <= kLargoSinPrefijo) {
        ::DeleteFileW(ancho);
        return;
    }
    wchar_t largo[4096 + 8] = L"\\\\?\\";
    const DWORD m = ::GetFullPathNameW(ancho, 4096, largo + 4, nullptr);
    if (m == 0 || m >= 4096) return;
    if (largo[4] == L'\\' && largo[5] == L'\\') {  // \\servidor\carpeta: \\?\UNC\servidor\carpeta
        std::memmove(largo + 8, largo + 6, (m - 1) * sizeof(wchar_t));
        std::memcpy(largo + 4, L"UNC\\", 4 * sizeof(wchar_t));
    }
    ::DeleteFileW(largo);
}

std::string TextoError(int error) {
    if (error == EBUSY) return "otro programa lo tiene abierto; ciérrelo y vuelva a intentarlo";
    return TextoSistema(error);
}

std::vector<std::string> ArgumentosPrograma(int argc, char** argv) {
    int n = 0;
    LPWSTR* anchos = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (!anchos) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> r;
    for (int i = 1; i < n; ++i) r.push_back(Utf8(anchos[i]));
    ::LocalFree(anchos);
    return r;
}

namespace {

// A console shows text through its code page, which is never UTF-8 unless the user changed
// it ("percepciÃ³n" in cmd.exe); its wide call shows any text. Bytes wait in the buffer until a
// whole character can go.
class SalidaConsola : public std::streambuf {
  public:
    explicit SalidaConsola(HANDLE h) : h_(h) { setp(buf_, buf_ + sizeof buf_); }

  protected:
    int_type overflow(int_type c) override {
        if (!Vacia()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return Vacia() ? 0 : -1; }

  private:
    bool Vacia() {
        const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
        const std::size_t listo = FinUtf8Completo(buf_, n);
        const std::wstring ancho = Ancho(std::string_view(buf_, listo));
        bool ok = true;
        for (std::size_t hecho = 0; hecho < ancho.size();) {
            DWORD escritos = 0;
            if (!::WriteConsoleW(h_, ancho.data() + hecho, static_cast<DWORD>(ancho.size() - hecho),
                                 &escritos, nullptr) ||
                escritos == 0) {
                ok = false;
                break;
            }
            hecho += escritos;
        }
        std::memmove(buf_, buf_ + listo, n - listo);
        setp(buf_, buf_ + sizeof buf_);
        pbump(static_cast<int>(n - listo));
        return ok;
    }

    HANDLE h_;
    char buf_[4096];
};

}  // namespace

void PreparaConsola() {
    static SalidaConsola* salida = nullptr;
    static SalidaConsola* error = nullptr;
    DWORD modo = 0;
    if (const HANDLE h = ::GetStdHandle(STD_OUTPUT_HANDLE); !salida && ::GetConsoleMode(h, &modo)) {
        salida = new SalidaConsola(h);  // lives as long as the stream
        std::cout.rdbuf(salida);
    }
    if (const HANDLE h = ::GetStdHandle(STD_ERROR_HANDLE); !error && ::GetConsoleMode(h, &modo)) {
        error = new SalidaConsola(h);
        std::cerr.rdbuf(error);
    }
}

// Under Windows the drivers' sockets are not the process's to list; statements that stall
// are then cancelled through the driver.
std::vector<std::intptr_t> SocketsDeRed() { return {}; }

void CortaSocket(std::intptr_t) {}

#else

// --- POSIX ---------------------------------------------------------------------------------

namespace {

int F(const Descriptor& d) { return static_cast<int>(d.Nativo()); }

Descriptor DeFd(int fd, int* error) {
    if (fd < 0) {
        Guarda(error, errno);
        return {};
    }
    return Descriptor(fd);
}

bool MismoArchivo(int fd, const std::string& ruta) {
    struct stat abierto, nombrado;
    return ::fstat(fd, &abierto) == 0 && ::lstat(ruta.c_str(), &nombrado) == 0 &&
           abierto.st_dev == nombrado.st_dev && abierto.st_ino == nombrado.st_ino;
}

Tipo TipoDe(mode_t modo) {
    if (S_ISREG(modo)) return Tipo::kRegular;
    if (S_ISDIR(modo)) return Tipo::kCarpeta;
    if (S_ISFIFO(modo)) return Tipo::kFifo;
    if (S_ISCHR(modo) || S_ISBLK(modo)) return Tipo::kDispositivo;
    return Tipo::kOtro;
}

void (*gLimpieza)() = nullptr;
constexpr int kSenales[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevias[3];

void Manejador(int senal, siginfo_t* info, void* contexto) {
    const int guardado = errno;
    if (gLimpieza) gLimpieza();
    int i = 0;
    while (kSenales[i] != senal) ++i;
    const struct sigaction& previa = gPrevias[i];
    if (previa.sa_flags & SA_SIGINFO) {
        previa.sa_sigaction(senal, info, contexto);
    } else if (previa.sa_handler == SIG_DFL) {
        ::_exit(128 + senal);
    } else if (previa.sa_handler != SIG_IGN) {
        previa.sa_handler(senal);
    }
    errno = guardado;
}

}  // namespace

int Descriptor::Cierra() {
    if (h_ == -1) return 0;
    const int r = ::close(static_cast<int>(h_));
    h_ = -1;
    return r == 0 ? 0 : errno;
}

Descriptor AbreLectura(const std::string& ruta, int* error) {
    return DeFd(::open(ruta.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), error);
}

Descriptor AbreEscritura(const std::string& ruta, bool exclusivo, int* error) {
    const int banderas = O_RDWR | O_CREAT | O_CLOEXEC | (exclusivo ? O_EXCL : 0);
    return DeFd(::open(ruta.c_str(), banderas, 0644), error);
}

Estado EstadoDe(const Descriptor& d, int* error) {
    Estado e;
    struct stat st;
    if (::fstat(F(d), &st) != 0) {
        Guarda(error, errno);
        return e;
    }
    e.tipo = TipoDe(st.st_mode);
    e.tamano = static_cast<unsigned long long>(st.st_size);
    return e;
}

Estado EstadoDeRuta(const std::string& ruta) {
    Estado e;
    struct stat st;
    if (ruta.empty() || ::stat(ruta.c_str(), &st) != 0) return e;
    e.tipo = TipoDe(st.st_mode);
    e.tamano = static_cast<unsigned long long>(st.st_size);
    return e;
}

long long Lee(const Descriptor& d, char* datos, std::size_t n, int* error) {
    for (;;) {
        const ssize_t r = ::read(F(d), datos, n);
        if (r >= 0) return r;
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;  // an empty FIFO opened without waiting
        Guarda(error, errno);
        return -1;
    }
}

long long LeeEn(const Descriptor& d, char* datos, std::size_t n, long long desde, int* error) {
    for (;;) {
        const ssize_t r = ::pread(F(d), datos, n, static_cast<off_t>(desde));
        if (r >= 0) return r;
        if (errno == EINTR) continue;
        Guarda(error, errno);
        return -1;
    }
}

int Escribe(const Descriptor& d, const char* datos, std::size_t n, std::size_t* hecho) {
    std::size_t total = 0;
    int resultado = 0;
    while (total < n) {
        const ssize_t r = ::write(F(d), datos + total, n - total);
        if (r < 0) {
            if (errno == EINTR) continue;
            resultado = errno;
            break;
        }
        total += static_cast<std::size_t>(r);
    }
    if (hecho) *hecho = total;
    return resultado;
}

int EscribeEn(const Descriptor& d, const char* datos, std::size_t n, long long desde) {
    std::size_t total = 0;
    while (total < n) {
        const ssize_t r = ::pwrite(F(d), datos + total, n - total,
                                   static_cast<off_t>(desde) + static_cast<off_t>(total));
        if (r < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        total += static_cast<std::size_t>(r);
    }
    return 0;
}

long long Largo(const Descriptor& d, int* error) {
    struct stat st;
    if (::fstat(F(d), &st) != 0) {
        Guarda(error, errno);
        return -1;
    }
    return st.st_size;
}

int VuelcaADisco(const Descriptor& d) {
    if (::fsync(F(d)) == 0 || errno == EINVAL) return 0;
    return errno;
}

void AdelantaADisco(const Descriptor& d, long long desde, long long largo) {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(F(d), static_cast<off_t>(desde), static_cast<off_t>(largo),
                      SYNC_FILE_RANGE_WRITE);
#else
    (void)d, (void)desde, (void)largo;
#endif
}

void VuelcaCarpeta(const std::string& carpeta) {
    const int dir = ::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

std::FILE* AbreFlujo(const std::string& ruta, const char* modo) {
    std::string m = modo;
    if (m.find('b') == std::string::npos) m.push_back('b');
    return std::fopen(ruta.c_str(), m.c_str());
}

Descriptor CreaTemporal(std::string& plantilla, std::size_t largoSufijo, int* error,
                        const std::function<void(const std::string&)>& alElegir) {
    for (int intento = 0; intento < 100; ++intento) {
        Aleatorios(plantilla, largoSufijo);
        if (alElegir) alElegir(plantilla);
        const int fd = ::open(plantilla.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            Guarda(error, errno);
            return {};
        }
        // A run that cleared the name away before the lock was taken leaves it pointing
        // elsewhere: start again.
        if (::flock(fd, LOCK_EX) == 0 && MismoArchivo(fd, plantilla)) return Descriptor(fd);
        ::close(fd);
    }
    Guarda(error, EEXIST);
    return {};
}

Descriptor CreaTemporalAnonimo(std::string& plantilla, std::size_t largoSufijo, int* error) {
    const int fd = ::mkostemps(plantilla.data(), static_cast<int>(largoSufijo), O_CLOEXEC);
    if (fd < 0) {
        Guarda(error, errno);
        return {};
    }
    ::unlink(plantilla.c_str());
    return Descriptor(fd);
}

bool NombraArchivo(const Descriptor& d, const std::string& ruta) {
    return MismoArchivo(F(d), ruta);
}

void BorraSiAbandonado(const std::string& ruta) {
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    // A live writer holds the lock from creation to removal.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        MismoArchivo(fd, ruta))
        ::unlink(ruta.c_str());
    ::close(fd);
}

void PermisosDeNuevo(const Descriptor& d, const std::string& destino) {
    struct stat st;
    mode_t modo;
    if (::stat(destino.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        modo = st.st_mode & 07777;
        // Before the mode: a change of group clears the set-id bits. Only a group the user
        // belongs to may be given (EPERM otherwise): the file then has the user's.
        if (st.st_gid != ::getegid()) {
            const int r = ::fchown(F(d), static_cast<uid_t>(-1), st.st_gid);
            static_cast<void>(r);
        }
    } else {
        const mode_t mascara = ::umask(022);
        ::umask(mascara);
        modo = 0666 & ~mascara;
    }
    ::fchmod(F(d), modo);
}

int Reemplaza(const std::string& origen, const std::string& destino) {
    return std::rename(origen.c_str(), destino.c_str()) == 0 ? 0 : errno;
}

int NombraSiLibre(const std::string& origen, const std::string& destino) {
    // A hard link puts the file in place only when no file has that name yet.
    if (::link(origen.c_str(), destino.c_str()) != 0) return errno;
    ::unlink(origen.c_str());
    return 0;
}

int Borra(const std::string& ruta) { return ::unlink(ruta.c_str()) == 0 ? 0 : errno; }

std::string DestinoDeEnlaces(const std::string& ruta) {
    std::string actual = ruta;
    // As many links as the system itself follows (ELOOP past that).
    for (int i = 0; i < 40; ++i) {
        struct stat st;
        if (::lstat(actual.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return actual;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(actual.c_str(), buf.data(), buf.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buf.size()) return actual;
        const std::string destino(buf.data(), static_cast<std::size_t>(n));
        // A relative link counts from the folder that holds it.
        actual = destino.front() == '/' ? destino : ConSeparador(Carpeta(actual)) + destino;
    }
    return actual;
}

bool MarcadoSoloLectura(const std::string&) { return false; }

bool MismoNombre(std::string_view a, std::string_view b) { return a == b; }

std::vector<std::string> NombresEn(const std::string& carpeta) {
    std::vector<std::string> r;
    std::error_code ec;
    for (std::filesystem::directory_iterator i(carpeta, ec), fin; !ec && i != fin; i.increment(ec))
        r.push_back(i->path().filename().string());
    return r;
}

bool CarpetaEscribible(const std::string& carpeta) { return ::access(carpeta.c_str(), W_OK) == 0; }

bool CarpetaDeProgramasDelSistema(const std::string& carpeta) {
    // The folders package managers install programs into, as the executable's real path names
    // them (/bin is /usr/bin on a merged /usr); anything else is a build or unpacked folder.
    const std::string c = ConSeparador(carpeta);
    const auto bajo = [&](const std::string& raiz) { return c.rfind(raiz, 0) == 0; };
    for (const char* raiz : {"/", "/usr/", "/usr/local/"})
        for (const char* sub : {"bin/", "sbin/", "lib/", "libexec/", "games/"})
            if (bajo(std::string(raiz) + sub)) return true;
    return bajo("/opt/") || bajo("/snap/");
}

std::filesystem::path Ruta(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string Texto(const std::filesystem::path& ruta) { return ruta.string(); }

std::string RutaAnfitrion(const std::string& ruta) { return ruta; }

std::string RutaEjecutable() {
    std::vector<char> buf(PATH_MAX);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<std::size_t>(n));
        buf.resize(buf.size() * 2);
    }
}

std::string NombreEquipo() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) == 0 && buf[0] != '\0') return buf;
    const std::string h = Variable("HOSTNAME");
    return h.empty() ? "localhost" : h;
}

std::string NombreUsuario() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && pw->pw_name[0])
        return pw->pw_name;
    // Containers often run with a user id that has no entry in the password database.
    std::string u = Variable("USER");
    if (u.empty()) u = Variable("LOGNAME");
    return u;
}

std::string CarpetaDatosUsuario() {
    const std::string xdg = Variable("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') return ConSeparador(xdg) + "tamaris";
    std::string home = Variable("HOME");
    if (home.empty()) {
        if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) home = pw->pw_dir;
    }
    return ConSeparador(home.empty() ? std::string("/tmp") : home) + ".local/share/tamaris";
}

std::string CarpetaTemporales() {
    std::string r = Variable("TMPDIR");
    if (r.empty()) r = "/tmp";
    while (r.size() > 1 && r.back() == '/') r.pop_back();
    return r;
}

std::string Variable(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? std::string(v) : std::string();
}

long IdProceso() { return static_cast<long>(::getpid()); }

std::tm HoraLocal(std::time_t t) {
    std::tm r{};
    ::localtime_r(&t, &r);
    return r;
}

void AlTerminarPorSenal(void (*limpieza)()) {
    gLimpieza = limpieza;
    for (int i = 0; i < 3; ++i) {
        struct sigaction previa {};
        ::sigaction(kSenales[i], nullptr, &previa);
        gPrevias[i] = previa;
        // Whoever started us with the signal ignored (nohup) meant it.
        if (!(previa.sa_flags & SA_SIGINFO) && previa.sa_handler == SIG_IGN) continue;
        struct sigaction nueva {};
        nueva.sa_sigaction = &Manejador;
        nueva.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&nueva.sa_mask);
        ::sigaction(kSenales[i], &nueva, nullptr);
    }
}

void BorraEnSenal(const char* ruta) { ::unlink(ruta); }

std::string TextoError(int error) { return TextoSistema(error); }

std::vector<std::string> ArgumentosPrograma(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PreparaConsola() {}

std::vector<std::intptr_t> SocketsDeRed() {
    std::vector<std::intptr_t> r;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = -1;
        const std::string n = e.path().filename().string();
        if (std::from_chars(n.data(), n.data() + n.size(), fd).ec != std::errc()) continue;
        struct stat st {};
        sockaddr_storage dir{};
        socklen_t largo = sizeof dir;
        if (::fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode) ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&dir), &largo) != 0)
            continue;
        if (dir.ss_family == AF_INET || dir.ss_family == AF_INET6) r.push_back(fd);
    }
    std::sort(r.begin(), r.end());
    return r;
}

void CortaSocket(std::intptr_t socket) { ::shutdown(static_cast<int>(socket), SHUT_RDWR); }

#endif

}  // namespace tamaris::plataforma
