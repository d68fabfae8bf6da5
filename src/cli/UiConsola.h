#pragma once
// The user-interface ports for the command line. The command line never waits for the
// operator: every question gets the answer that stops or cancels, messages and errors are
// printed, and progress is shown only when asked for (an interactive terminal).

#include <chrono>
#include <ostream>
#include <string>

#include "components/Ui.h"

namespace tamaris {

class UiConsola {
  public:
    // `salida` takes informational messages; `errores` takes warnings, questions, error
    // reports and, when `mostrarProgreso`, the progress line.
    UiConsola(std::ostream& salida, std::ostream& errores, bool mostrarProgreso = false);
    UiConsola(const UiConsola&) = delete;
    UiConsola& operator=(const UiConsola&) = delete;

    Ui ui();

    class Mensajes : public CajaMensajes {
      public:
        Mensajes(std::ostream& salida, std::ostream& errores)
            : salida_(salida), errores_(errores) {}
        // Prints "titulo: texto"; answers OK, or the choice that declines (Cancel, Abort, No).
        int Mostrar(std::string_view texto, int botones, std::string_view titulo) override;

      private:
        std::ostream& salida_;
        std::ostream& errores_;
    };

    class Entrada : public CajaEntrada {
      public:
        std::optional<std::string> Pedir(std::string_view, std::string_view,
                                         std::string_view) override {
            return std::nullopt;
        }
    };

    // One progress line on `errores`, rewritten in place at most about five times a second.
    class Progreso : public VentanaProgreso {
      public:
        Progreso(std::ostream& errores, bool mostrar) : errores_(errores), mostrar_(mostrar) {}
        void Abrir(std::string_view titulo) override;
        void Mensaje(std::string_view linea1, std::string_view linea2 = {},
                     std::string_view linea3 = {}) override;
        void Avance(long hechos) override;
        void Total(long total) override { total_ = total; }
        void Cerrar() override;

        long Repintados() const { return repintados_; }

      private:
        bool Toca();
        void Pinta();

        std::ostream& errores_;
        bool mostrar_;
        bool abierta_ = false;
        std::string titulo_, linea1_, linea2_, linea3_, renglon_;
        long hechos_ = -1;
        long total_ = -1;  // the rows the job counted first, when it did
        unsigned long llamadas_ = 0;
        std::size_t anchoPrevio_ = 0;
        long repintados_ = 0;
        std::chrono::steady_clock::time_point ultimo_{};
    };

    class Errores : public ReporteError {
      public:
        explicit Errores(std::ostream& errores) : errores_(errores) {}
        // Prints "Error <n>: <description> (<rutina>)" and answers 3: leave the routine.
        int Reportar(const ErrorInfo& error, std::string_view rutina = {}) override;

      private:
        std::ostream& errores_;
    };

    class Fechas : public SelectorFecha {
      public:
        std::string Elegir(std::string_view) override { return {}; }
    };

    class Archivo : public DialogoArchivo {
      public:
        void ShowOpen() override { Cancelado = true; }
    };

    class Carpetas : public BuscadorCarpetas {
      public:
        std::optional<std::string> Elegir(std::string_view) override { return std::nullopt; }
    };

  private:
    Mensajes mensajes_;
    Entrada entrada_;
    Progreso progreso_;
    Errores errores_;
    Fechas fechas_;
    Archivo archivo_;
    Carpetas carpetas_;
};

}  // namespace tamaris
