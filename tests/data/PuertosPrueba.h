#pragma once
// Scripted user-interface ports for tests: each port answers from a queue (then from its default)
// and records what the code showed or asked, so a test can check the messages afterwards.
//
//   PuertosPrueba p;
//   p.mensajes.respuestas = {mb::kReintentar, mb::kCancelar};
//   DB_Dll db(p.ui());
//   ...
//   EXPECT_EQ(p.mensajes.mostrados.at(0).titulo, "Aviso al operador!!!");

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/Ui.h"

namespace tamaris {

// Takes the next scripted answer, or the default when the script has run out.
template <class T>
T SiguienteRespuesta(std::deque<T>& respuestas, const T& defecto) {
    if (respuestas.empty()) return defecto;
    T r = std::move(respuestas.front());
    respuestas.pop_front();
    return r;
}

class CajaMensajesPrueba : public CajaMensajes {
  public:
    struct Mostrado {
        std::string texto;
        int botones = 0;
        std::string titulo;
    };
    std::deque<int> respuestas;
    int respuestaDefecto = mb::kAceptar;
    std::vector<Mostrado> mostrados;

    int Mostrar(std::string_view texto, int botones, std::string_view titulo) override {
        mostrados.push_back({std::string(texto), botones, std::string(titulo)});
        return SiguienteRespuesta(respuestas, respuestaDefecto);
    }
    // Text of the last message shown; empty when none was.
    std::string Ultimo() const {
        return mostrados.empty() ? std::string() : mostrados.back().texto;
    }
};

class CajaEntradaPrueba : public CajaEntrada {
  public:
    struct Pedido {
        std::string mensaje, titulo, defecto;
    };
    std::deque<std::optional<std::string>> respuestas;
    std::optional<std::string> respuestaDefecto;  // none: the operator cancels
    std::vector<Pedido> pedidos;

    std::optional<std::string> Pedir(std::string_view mensaje, std::string_view titulo,
                                     std::string_view defecto) override {
        pedidos.push_back({std::string(mensaje), std::string(titulo), std::string(defecto)});
        return SiguienteRespuesta(respuestas, respuestaDefecto);
    }
};

class VentanaProgresoPrueba : public VentanaProgreso {
  public:
    bool abierta = false;
    int aperturas = 0, cierres = 0;
    std::vector<std::string> titulos;
    std::vector<std::array<std::string, 3>> mensajes;  // every Mensaje call, in order
    long avances = 0;                                  // Avance calls
    long ultimoAvance = 0;
    long total = -1;        // the count told, -1 for none
    long cancelaTras = -1;  // the operator cancels once this many rows went by; -1: never

    void Abrir(std::string_view titulo) override {
        abierta = true;
        ++aperturas;
        titulos.emplace_back(titulo);
    }
    void Mensaje(std::string_view linea1, std::string_view linea2,
                 std::string_view linea3) override {
        mensajes.push_back({std::string(linea1), std::string(linea2), std::string(linea3)});
    }
    void Avance(long hechos) override {
        ++avances;
        ultimoAvance = hechos;
    }
    void Total(long t) override { total = t; }
    bool Cancelado() override { return cancelaTras >= 0 && avances >= cancelaTras; }
    void Cerrar() override {
        abierta = false;
        ++cierres;
    }
};

class ReporteErrorPrueba : public ReporteError {
  public:
    struct Reportado {
        ErrorInfo error;
        std::string rutina;
    };
    std::deque<int> respuestas;
    int respuestaDefecto = 0;  // leave the routine
    std::vector<Reportado> reportados;

    int Reportar(const ErrorInfo& error, std::string_view rutina) override {
        reportados.push_back({error, std::string(rutina)});
        return SiguienteRespuesta(respuestas, respuestaDefecto);
    }
};

class SelectorFechaPrueba : public SelectorFecha {
  public:
    std::deque<std::string> respuestas;
    std::string respuestaDefecto;  // empty: no date chosen
    std::vector<std::string> iniciales;

    std::string Elegir(std::string_view inicial) override {
        iniciales.emplace_back(inicial);
        return SiguienteRespuesta(respuestas, respuestaDefecto);
    }
};

class DialogoArchivoPrueba : public DialogoArchivo {
  public:
    struct Mostrado {
        std::string titulo, filtro, carpeta;
    };
    std::deque<std::optional<std::string>> respuestas;  // none: the operator cancels
    std::optional<std::string> respuestaDefecto;
    std::vector<Mostrado> mostrados;

    void ShowOpen() override {
        mostrados.push_back({DialogTitle, Filter, InitDir});
        const std::optional<std::string> r = SiguienteRespuesta(respuestas, respuestaDefecto);
        Cancelado = !r.has_value();
        if (r) FileName = *r;
    }
};

class BuscadorCarpetasPrueba : public BuscadorCarpetas {
  public:
    std::deque<std::optional<std::string>> respuestas;  // none: the operator cancels
    std::optional<std::string> respuestaDefecto;
    std::vector<std::string> titulos;

    std::optional<std::string> Elegir(std::string_view titulo) override {
        titulos.emplace_back(titulo);
        return SiguienteRespuesta(respuestas, respuestaDefecto);
    }
};

// One scripted port of each kind and the Ui that hands them out. The Ui refers to the members,
// so the object stays where it was made.
class PuertosPrueba {
  public:
    CajaMensajesPrueba mensajes;
    CajaEntradaPrueba entrada;
    VentanaProgresoPrueba progreso;
    ReporteErrorPrueba errores;
    SelectorFechaPrueba fechas;
    DialogoArchivoPrueba archivo;
    BuscadorCarpetasPrueba carpetas;

    PuertosPrueba() = default;
    PuertosPrueba(const PuertosPrueba&) = delete;
    PuertosPrueba& operator=(const PuertosPrueba&) = delete;

    Ui& ui() { return ui_; }

  private:
    Ui ui_{mensajes, entrada, progreso, errores, fechas, archivo, carpetas};
};

}  // namespace tamaris
