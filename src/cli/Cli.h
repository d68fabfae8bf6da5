#pragma once
// The command-line program: one command per file, output through the streams it is given so
// that tests can capture it.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/Exportacion.h"

namespace tamaris::cli {

constexpr int kExitoCli = 0;
constexpr int kFalloCli = 1;
constexpr int kUsoIncorrecto = 2;
constexpr int kHallazgosCli = 3;  // the check found vouchers or lines that would be filed wrong

struct Salidas {
    std::ostream& out;
    std::ostream& err;
};

// Options as "--name value" pairs and bare flags. Unknown or repeated options are errors.
class Opciones {
  public:
    // `conValor` lists the options that take a value; `banderas` those that don't.
    Opciones(const std::vector<std::string>& args, const std::vector<std::string>& conValor,
             const std::vector<std::string>& banderas = {});
    bool Tiene(const std::string& nombre) const;
    std::string Valor(const std::string& nombre, const std::string& defecto = {}) const;
    const std::string& ErrorUso() const { return error_; }  // empty when the line was fine

  private:
    std::vector<std::pair<std::string, std::string>> valores_;
    std::string error_;
};

class Comando {
  public:
    virtual ~Comando() = default;
    virtual std::string Nombre() const = 0;
    virtual std::string Uso() const = 0;    // one-line synopsis
    virtual std::string Ayuda() const = 0;  // detailed help
    virtual int Ejecutar(const std::vector<std::string>& args, Salidas& s) = 0;
};

std::unique_ptr<Comando> ComandoDemo();
std::unique_ptr<Comando> ComandoExportar();
std::unique_ptr<Comando> ComandoCiti();
std::unique_ptr<Comando> ComandoLibroIva();
std::unique_ptr<Comando> ComandoVerificar();
std::unique_ptr<Comando> ComandoArba();

// Prints one line per finding (prefixed with `prefijo`), then how many were not listed.
void ImprimeHallazgos(std::ostream& os, const Hallazgos& h, std::string_view prefijo = {});

// What a check-only run (--revisar) prints: the findings and a count; returns the exit code.
int InformaRevisado(Salidas& s, const Hallazgos& h, long revisados);
// What a run the check stopped (--estricto) prints; returns the exit code.
int InformaDescartado(Salidas& s, const Hallazgos& h, std::string_view archivo);

// Runs the program with its arguments (without the program name); returns the exit code.
int EjecutaCli(const std::vector<std::string>& args, Salidas& s);

}  // namespace tamaris::cli
