#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "cli/UiConsola.h"

namespace tamaris {
namespace {

struct Consola {
    std::ostringstream salida, errores;
    UiConsola ui{salida, errores};
};

TEST(UiConsola, MensajeInformativoVaALaSalida) {
    Consola c;
    EXPECT_EQ(c.ui.ui().mensajes.Mostrar("Archivo generado", mb::kOk | mb::kInformacion,
                                         "Aviso al operador!!!"),
              mb::kAceptar);
    EXPECT_EQ(c.salida.str(), "Aviso al operador!!!: Archivo generado\n");
    EXPECT_EQ(c.errores.str(), "");
}

TEST(UiConsola, AvisosYPreguntasVanAErroresConLaRespuestaQueDeclina) {
    const struct {
        int botones;
        int respuesta;
    } casos[] = {
        {mb::kOk | mb::kCritico, mb::kAceptar},
        {mb::kOk | mb::kExclamacion, mb::kAceptar},
        {mb::kOkCancelar, mb::kCancelar},
        {mb::kAbortarReintentarIgnorar | mb::kCritico, mb::kAbortar},
        {mb::kSiNoCancelar | mb::kPregunta, mb::kCancelar},
        {mb::kSiNo | mb::kPregunta, mb::kNo},
        {mb::kReintentarCancelar, mb::kCancelar},
    };
    for (const auto& caso : casos) {
        Consola c;
        EXPECT_EQ(c.ui.ui().mensajes.Mostrar("¿Seguro?", caso.botones, "AVISO AL OPERADOR"),
                  caso.respuesta)
            << caso.botones;
        EXPECT_EQ(c.errores.str(), "AVISO AL OPERADOR: ¿Seguro?\n") << caso.botones;
        EXPECT_EQ(c.salida.str(), "") << caso.botones;
    }
}

TEST(UiConsola, MensajeSinTitulo) {
    Consola c;
    c.ui.ui().mensajes.Mostrar("hola", mb::kOk, "");
    EXPECT_EQ(c.salida.str(), "hola\n");
}

TEST(UiConsola, ReporteDeErrorAbandona) {
    Consola c;
    EXPECT_EQ(c.ui.ui().errores.Reportar({76, "No se encuentra la ruta", "x"}, "ActualizarDatos"),
              3);
    EXPECT_EQ(c.ui.ui().errores.Reportar({57, "Error de E/S", "x"}), 3);
    EXPECT_EQ(c.errores.str(),
              "Error 76: No se encuentra la ruta (ActualizarDatos)\nError 57: Error de E/S\n");
    EXPECT_EQ(c.salida.str(), "");
}

TEST(UiConsola, DialogosNoEsperanAlOperador) {
    Consola c;
    Ui ui = c.ui.ui();
    EXPECT_EQ(ui.entrada.Pedir("Clave", "Acceso", "sa"), std::nullopt);
    EXPECT_EQ(ui.fechas.Elegir("01/01/2024"), "");
    ui.archivo.Cancelado = false;
    ui.archivo.ShowOpen();
    EXPECT_TRUE(ui.archivo.Cancelado);
    EXPECT_EQ(ui.carpetas.Elegir("Carpeta"), std::nullopt);
    EXPECT_EQ(c.salida.str() + c.errores.str(), "");
}

TEST(UiConsola, ProgresoApagadoNoEscribeNada) {
    Consola c;
    VentanaProgreso& p = c.ui.ui().progreso;
    p.Abrir("Procesando");
    p.Mensaje("Procesando...", "Espere porfavor...");
    for (long i = 0; i < 5000; ++i) {
        p.Mensaje(" 1");
        p.Avance(i);
    }
    p.Cerrar();
    EXPECT_EQ(c.salida.str() + c.errores.str(), "");
}

TEST(UiConsola, ProgresoVisibleRepintaPocasVecesYLimpiaAlCerrar) {
    std::ostringstream salida, errores;
    UiConsola consola(salida, errores, true);
    auto& p = static_cast<UiConsola::Progreso&>(consola.ui().progreso);
    p.Abrir("Procesando");
    p.Mensaje("Procesando...", "Espere porfavor...");
    EXPECT_EQ(p.Repintados(), 1);
    EXPECT_NE(errores.str().find("Procesando - Procesando... - Espere porfavor..."),
              std::string::npos);
    // Rows arriving faster than five a second do not repaint each time.
    const long antes = p.Repintados();
    const auto inicio = std::chrono::steady_clock::now();
    for (long i = 0; i < 200000; ++i) {
        p.Mensaje(" 1");
        p.Avance(i);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - inicio)
                        .count();
    EXPECT_LE(p.Repintados() - antes, ms / 200 + 1);
    // Once the interval has passed, the next batch of rows shows the count.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    const long trasPausa = p.Repintados();
    for (long i = 0; i < 2048; ++i) p.Avance(1000000 + i);
    EXPECT_GT(p.Repintados(), trasPausa);
    EXPECT_NE(errores.str().find("(100"), std::string::npos);
    p.Cerrar();
    const std::string todo = errores.str();
    EXPECT_EQ(todo.back(), '\r');
    EXPECT_EQ(salida.str(), "");
}

}  // namespace
}  // namespace tamaris
