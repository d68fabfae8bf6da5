#pragma once
// The user-interface ports: the only way the core reaches the operator. The desktop program
// implements them with Qt widgets, the command line with the terminal, tests with scripts.

#include <optional>
#include <string>
#include <string_view>

#include "components/Error.h"

namespace tamaris {

// Message-box buttons and icons, and answers (the standard message-box codes).
namespace mb {
constexpr int kOk = 0, kOkCancelar = 1, kAbortarReintentarIgnorar = 2, kSiNoCancelar = 3, kSiNo = 4,
              kReintentarCancelar = 5;
constexpr int kCritico = 16, kPregunta = 32, kExclamacion = 48, kInformacion = 64;
constexpr int kAceptar = 1, kCancelar = 2, kAbortar = 3, kReintentar = 4, kIgnorar = 5, kSi = 6,
              kNo = 7;
inline int Botones(int codigo) { return codigo & 7; }
}  // namespace mb

class CajaMensajes {
  public:
    virtual ~CajaMensajes() = default;
    // Shows `texto` with the buttons and icon of `botones`; returns the answer code.
    virtual int Mostrar(std::string_view texto, int botones, std::string_view titulo) = 0;
};

class CajaEntrada {
  public:
    virtual ~CajaEntrada() = default;
    // Asks for a text; nullopt when the operator cancels.
    virtual std::optional<std::string> Pedir(std::string_view mensaje, std::string_view titulo,
                                             std::string_view defecto = {}) = 0;
};

class VentanaProgreso {
  public:
    virtual ~VentanaProgreso() = default;
    virtual void Abrir(std::string_view titulo) = 0;
    virtual void Mensaje(std::string_view linea1, std::string_view linea2 = {},
                         std::string_view linea3 = {}) = 0;
    // Told of every row a long job handles; the front end decides how often to repaint.
    virtual void Avance(long /*hechos*/) {}
    // How many rows the job expects, when it could count them before starting.
    virtual void Total(long /*total*/) {}
    // Whether the operator asked to stop the job; it is asked once per row.
    virtual bool Cancelado() { return false; }
    virtual void Cerrar() = 0;
};

class ReporteError {
  public:
    virtual ~ReporteError() = default;
    // Shows the error; returns 4 (retry), 5 (go on with the next step) or another value (leave).
    virtual int Reportar(const ErrorInfo& error, std::string_view rutina = {}) = 0;
};

class SelectorFecha {
  public:
    virtual ~SelectorFecha() = default;
    // A date text (DD/MM/YYYY) chosen by the operator; empty when none.
    virtual std::string Elegir(std::string_view inicial = {}) = 0;
};

class DialogoArchivo {
  public:
    virtual ~DialogoArchivo() = default;
    std::string DialogTitle, Filter, InitDir, FileName;
    bool CancelError = false;
    bool Cancelado = false;
    // Shows the open dialog; sets FileName, or Cancelado when the operator cancels.
    virtual void ShowOpen() = 0;
    // The dialog that names a file to write (its button says so); the open dialog where there
    // is no other.
    virtual void ShowSave() { ShowOpen(); }
};

class BuscadorCarpetas {
  public:
    virtual ~BuscadorCarpetas() = default;
    // A folder chosen by the operator; nullopt when cancelled.
    virtual std::optional<std::string> Elegir(std::string_view titulo) = 0;
};

// The ports one program run uses, handed to the forms and the data-access object.
struct Ui {
    CajaMensajes& mensajes;
    CajaEntrada& entrada;
    VentanaProgreso& progreso;
    ReporteError& errores;
    SelectorFecha& fechas;
    DialogoArchivo& archivo;
    BuscadorCarpetas& carpetas;
};

}  // namespace tamaris
