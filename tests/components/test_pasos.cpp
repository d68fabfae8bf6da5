#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/Error.h"
#include "components/Pasos.h"

namespace tamaris {
namespace {

// A handler that answers from a script and keeps what it was shown.
struct Guion {
    std::vector<int> respuestas;
    std::vector<ErrorInfo> vistos;
    std::size_t siguiente = 0;
    TrataFallo Manejador() {
        return [this](const ErrorInfo& e) {
            vistos.push_back(e);
            return siguiente < respuestas.size() ? respuestas[siguiente++] : 0;
        };
    }
};

TEST(EjecutaPasos, SinFallosCorreTodosEnOrden) {
    std::string orden;
    Guion g;
    EXPECT_TRUE(EjecutaPasos({[&] { orden += "a"; }, [&] { orden += "b"; }}, g.Manejador()));
    EXPECT_EQ(orden, "ab");
    EXPECT_TRUE(g.vistos.empty());
}

TEST(EjecutaPasos, CuatroReintentaElPasoQueFallo) {
    std::string orden;
    int intentos = 0;
    Guion g{{kReintentar, kReintentar}};
    EXPECT_TRUE(EjecutaPasos({[&] { orden += "a"; },
                              [&] {
                                  ++intentos;
                                  if (intentos < 3) throw ErrorTamaris(57, "falla de escritura");
                                  orden += "b";
                              },
                              [&] { orden += "c"; }},
                             g.Manejador()));
    EXPECT_EQ(orden, "abc");
    EXPECT_EQ(intentos, 3);
    ASSERT_EQ(g.vistos.size(), 2u);
    EXPECT_EQ(g.vistos[0].Numero, 57);
    EXPECT_EQ(g.vistos[0].Descripcion, "falla de escritura");
}

TEST(EjecutaPasos, CincoSigueConElProximoPaso) {
    std::string orden;
    Guion g{{kIgnorar}};
    EXPECT_TRUE(EjecutaPasos({[&] { orden += "a"; },
                              [&] {
                                  throw ErrorTamaris(13, "tipo");
                                  orden += "b";
                              },
                              [&] { orden += "c"; }},
                             g.Manejador()));
    EXPECT_EQ(orden, "ac");
}

TEST(EjecutaPasos, OtraRespuestaAbandonaLaRutina) {
    for (int respuesta : {0, 1, 2, 3, 6, 7, -1}) {
        std::string orden;
        Guion g{{respuesta}};
        EXPECT_FALSE(EjecutaPasos({[&] { orden += "a"; },
                                   [&] { throw std::runtime_error("abandono"); },
                                   [&] { orden += "c"; }},
                                  g.Manejador()))
            << respuesta;
        EXPECT_EQ(orden, "a") << respuesta;
    }
}

TEST(EjecutaPaso, ExcepcionesComunesSeVuelvenErrores) {
    Guion g{{kIgnorar, kIgnorar}};
    EXPECT_TRUE(EjecutaPaso([] { throw std::runtime_error("algo"); }, g.Manejador()));
    EXPECT_TRUE(EjecutaPaso([] { throw std::bad_alloc(); }, g.Manejador()));
    ASSERT_EQ(g.vistos.size(), 2u);
    EXPECT_EQ(g.vistos[0].Numero, err::kFalloGenerico);
    EXPECT_EQ(g.vistos[0].Descripcion, "algo");
    EXPECT_EQ(g.vistos[1].Numero, 7);
}

TEST(EjecutaPasos, IgnoraFallosSaltaCadaPasoFallido) {
    int corridos = 0;
    EXPECT_TRUE(EjecutaPasos({[] { throw ErrorTamaris(5, "x"); }, [&] { ++corridos; },
                              [] { throw ErrorTamaris(6, "y"); }, [&] { ++corridos; }},
                             IgnoraFallos));
    EXPECT_EQ(corridos, 2);
}

TEST(ErrorTamaris, LlevaNumeroDescripcionYOrigen) {
    const ErrorTamaris e(76, "No se encuentra la ruta", "Form1");
    const ErrorInfo i = InfoDeExcepcion(e);
    EXPECT_EQ(i.Numero, 76);
    EXPECT_EQ(i.Descripcion, "No se encuentra la ruta");
    EXPECT_EQ(i.Origen, "Form1");
}

}  // namespace
}  // namespace tamaris
