#pragma once
// A run-time error as the suite's routines see it: number, description and source.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tamaris {

// Error numbers that the routines test.
namespace err {
constexpr long kFalloGenerico = static_cast<long>(static_cast<int32_t>(0x80004005u));
constexpr long kErrorComando = static_cast<long>(static_cast<int32_t>(0x80040E14u));
constexpr long kTablaInexistente = static_cast<long>(static_cast<int32_t>(0x80040E37u));
constexpr long kIntegridad = static_cast<long>(static_cast<int32_t>(0x80040E2Fu));
constexpr long kTiempoAgotado = static_cast<long>(static_cast<int32_t>(0x80040E31u));
// A database file whose pages do not hold what they should: reopening cannot mend it.
constexpr long kBaseDanada = static_cast<long>(static_cast<int32_t>(0x8004044Du));
// A table that this same connection is still using (another statement reads it).
constexpr long kBaseBloqueada = static_cast<long>(static_cast<int32_t>(0x8004044Eu));
constexpr long kConexionCerrada = 3704;   // operation not allowed when the object is closed
constexpr long kConexionAbierta = 3705;   // operation not allowed when the object is open
constexpr long kConexionInvalida = 3709;  // the connection cannot be used
constexpr long kEdicionEnCurso = 3219;    // operation not allowed in this context
constexpr long kArgumentoInvalido = 5;
constexpr long kArchivoNoEncontrado = 53;
constexpr long kPermisoDenegado = 70;
constexpr long kRutaNoEncontrada = 76;
constexpr long kErrorEscritura = 57;     // device I/O error
constexpr long kDesbordamiento = 6;      // overflow
constexpr long kArchivoIncorrecto = 52;  // bad file name or number (file already closed)
constexpr long kDiscoLleno = 61;
constexpr long kAccesoRuta = 75;     // path/file access error
constexpr long kCancelado = 32755;   // common dialog cancelled
constexpr long kFechaInvalida = 13;  // type mismatch
}  // namespace err

struct ErrorInfo {
    long Numero = 0;
    std::string Descripcion;
    std::string Origen;
};

class ErrorTamaris : public std::runtime_error {
  public:
    ErrorTamaris(long numero, const std::string& descripcion, std::string origen = "percepciones")
        : std::runtime_error(descripcion), numero_(numero), origen_(std::move(origen)) {}
    long Numero() const { return numero_; }
    const std::string& Origen() const { return origen_; }
    ErrorInfo Info() const { return {numero_, what(), origen_}; }

  private:
    long numero_;
    std::string origen_;
};

// The error that an arbitrary exception stands for.
ErrorInfo InfoDeExcepcion(const std::exception& e);

}  // namespace tamaris
