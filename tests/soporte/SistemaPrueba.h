#pragma once
// What the tests need from the system, the same on Windows and POSIX: environment variables,
// fresh folders and running a command.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>

#include "components/Plataforma.h"

namespace prueba_sistema {

#ifdef _WIN32
inline constexpr const char* kNulo = "NUL";
#else
inline constexpr const char* kNulo = "/dev/null";
#endif

// Sets (or, with nullptr, removes) an environment variable of this process.
inline void FijaVariable(const char* nombre, const char* valor) {
#ifdef _WIN32
    ::_putenv_s(nombre, valor ? valor : "");
#else
    if (valor)
        ::setenv(nombre, valor, 1);
    else
        ::unsetenv(nombre);
#endif
}

// Sets (or, with nullptr, removes) an environment variable for the life of the object, then
// puts back what was there.
class VariableEntorno {
  public:
    VariableEntorno(const char* nombre, const char* valor) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre)) anterior_ = v;
        Pon(valor);
    }
    ~VariableEntorno() { Pon(anterior_ ? anterior_->c_str() : nullptr); }
    VariableEntorno(const VariableEntorno&) = delete;
    VariableEntorno& operator=(const VariableEntorno&) = delete;
    void Pon(const char* valor) { FijaVariable(nombre_.c_str(), valor); }

  private:
    std::string nombre_;
    std::optional<std::string> anterior_;
};

// A new folder, created empty under the system's temporary folder.
inline std::filesystem::path CarpetaNueva(const std::string& prefijo) {
    static std::mt19937_64 azar{std::random_device{}() ^
                                static_cast<unsigned long>(tamaris::plataforma::IdProceso())};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int i = 0; i < 100; ++i) {
        const std::filesystem::path p = base / (prefijo + std::to_string(azar() % 1000000000));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) return p;
    }
    throw std::runtime_error("no se puede crear una carpeta temporal");
}

// A word of a command line, quoted for the system's shell.
inline std::string Comillas(const std::string& s) {
#ifdef _WIN32
    std::string r = "\"";
    std::size_t barras = 0;
    for (char c : s) {
        if (c == '\\') {
            ++barras;
            continue;
        }
        if (c == '"')
            r.append(barras * 2 + 1, '\\');
        else
            r.append(barras, '\\');
        barras = 0;
        r += c;
    }
    r.append(barras * 2, '\\');
    return r + "\"";
#else
    std::string r = "'";
    for (char c : s) {
        if (c == '\'')
            r += "'\\''";
        else
            r += c;
    }
    return r + "'";
#endif
}

// What a program printed, with the line ends of POSIX: a Windows console program ends its lines
// with CR LF.
inline std::string SinCr(std::string texto) {
#ifdef _WIN32
    std::string r;
    r.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size(); ++i)
        if (!(texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n')) r += texto[i];
    return r;
#else
    return texto;
#endif
}

// Runs a command line through the system's shell; its exit code, -1 when it did not exit.
inline int Ejecuta(const std::string& linea) {
#ifdef _WIN32
    // cmd.exe drops the first and the last quote of the line: give it a pair to drop. The line
    // goes in UTF-16 (as a path's wide form), so names that are not ASCII reach the program.
    // -1 means the command processor itself could not be started (Wine, under load, now and
    // then): that is no answer of the program, so the line is given again, at most twice.
    const std::wstring ancha = tamaris::plataforma::Ruta("\"" + linea + "\"").wstring();
    int codigo = -1;
    for (int intento = 0; intento < 3 && codigo == -1; ++intento)
        codigo = ::_wsystem(ancha.c_str());
    return codigo;
#else
    const int estado = std::system(linea.c_str());
    if (estado == -1 || (estado & 0x7f) != 0) return -1;
    return (estado >> 8) & 0xff;
#endif
}

}  // namespace prueba_sistema

// First line of a test that checks what only POSIX systems have (permissions, FIFOs, signals,
// rlimits): on Windows the test is reported as skipped, with the reason.
#ifdef _WIN32
#define SOLO_POSIX(motivo) GTEST_SKIP() << "solo en sistemas POSIX: " << (motivo)
#else
#define SOLO_POSIX(motivo) static_cast<void>(0)
#endif

namespace prueba_sistema {

// Connection string of the SQLite ODBC driver for a database file. The file goes as the driver
// sees it: under Wine the drivers are the host's, which take host paths.
inline std::string CadenaSqliteOdbc(const std::string& archivo, const std::string& opciones = "") {
    return "DRIVER={SQLite3};Database=" + tamaris::plataforma::RutaAnfitrion(archivo) + ";" +
           opciones;
}

}  // namespace prueba_sistema

namespace prueba_sistema {

// The separator the program puts between a folder and a name.
inline const std::string kBarra(1, tamaris::plataforma::kSeparador);

}  // namespace prueba_sistema

namespace prueba_sistema {

// How many times `buscado` appears in `texto`.
inline std::size_t Veces(const std::string& texto, const std::string& buscado) {
    std::size_t n = 0;
    for (std::size_t p = texto.find(buscado); p != std::string::npos;
         p = texto.find(buscado, p + 1))
        ++n;
    return n;
}

// The two ways the jobs reach a database file in the tests: the program's own SQLite engine
// (the suite's Jet string) and the SQLite ODBC driver.
struct AccesoArchivo {
    const char* nombre;
    std::string (*cadena)(const std::string& archivo);
};
inline const AccesoArchivo kAccesoNativo{
    "Nativo", [](const std::string& archivo) {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + archivo + ";";
    }};
inline const AccesoArchivo kAccesoOdbc{"Odbc", [](const std::string& archivo) {
                                           return CadenaSqliteOdbc(archivo, "NoCreat=1;StepAPI=1;");
                                       }};
inline void PrintTo(const AccesoArchivo& a, std::ostream* os) { *os << a.nombre; }

}  // namespace prueba_sistema
