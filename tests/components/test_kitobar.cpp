#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "components/Kitobar.h"
#include "components/Texto.h"

namespace tamaris {
namespace {

int TeclaF(int n) { return 0x70 + n - 1; }

struct Registro {
    std::vector<std::string> claves;
    void Conecta(Kitobar& k) {
        k.ButtonClick = [this](const std::string& clave) { claves.push_back(clave); };
    }
};

TEST(Kitobar, DescripcionesCoherentes) {
    std::set<int> teclas;
    std::set<std::string> claves;
    for (const auto& d : Kitobar::Botones()) {
        EXPECT_TRUE(claves.insert(d.clave).second) << d.clave;
        EXPECT_GE(d.tecla, 0);
        EXPECT_LE(d.tecla, 12);
        if (d.tecla == 0) continue;
        EXPECT_TRUE(teclas.insert(d.tecla).second) << d.clave;
        EXPECT_NE(d.tecla, 1) << "F1 es la ayuda";
        EXPECT_NE(d.tecla, 5) << "F5 es la búsqueda de las consultas";
        // The tool tip names the shortcut.
        EXPECT_TRUE(ContieneSinCaso(d.ayuda, "(F" + std::to_string(d.tecla) + ")")) << d.ayuda;
    }
    EXPECT_STREQ(Kitobar::Botones()[Kitobar::GRABAR].clave, "GRABAR");
    EXPECT_STREQ(Kitobar::Botones()[Kitobar::CONSULTAR].clave, "CONSULTAR");
    EXPECT_STREQ(Kitobar::Botones()[Kitobar::CERRAR].clave, "CERRAR");
}

TEST(Kitobar, PropiedadesDeHabilitacion) {
    Kitobar k;
    for (int b = 0; b < Kitobar::kBotones; ++b) EXPECT_TRUE(k.Habilitado(Kitobar::Boton(b)));
    k.Habilitar(Kitobar::NUEVO, false);
    k.Habilitar(Kitobar::BORRAR, false);
    k.reporteenabled = false;
    EXPECT_FALSE(k.nuevoenabled);
    EXPECT_FALSE(k.borrarenabled);
    EXPECT_FALSE(k.Habilitado(Kitobar::REPORTE));
    EXPECT_TRUE(k.Habilitado(Kitobar::GRABAR));
    k.Habilitar(Kitobar::CONSULTAR, false);
    EXPECT_FALSE(k.consultaenabled);
}

TEST(Kitobar, PresionarDisparaSoloHabilitados) {
    Kitobar k;
    Registro r;
    r.Conecta(k);
    k.Presionar(Kitobar::GRABAR);
    k.grabarenabled = false;
    k.Presionar(Kitobar::GRABAR);
    k.Presionar(Kitobar::CERRAR);
    EXPECT_EQ(r.claves, (std::vector<std::string>{"GRABAR", "CERRAR"}));
}

TEST(Kitobar, SinManejadorNoPasaNada) {
    Kitobar k;
    k.Presionar(Kitobar::GRABAR);
    int tecla = TeclaF(10);
    k.TeclaBarra(tecla);
    EXPECT_EQ(tecla, 0);
}

TEST(Kitobar, TeclaDeFuncionPresionaYSeConsume) {
    Kitobar k;
    Registro r;
    r.Conecta(k);
    for (const auto& d : Kitobar::Botones()) {
        if (d.tecla == 0) continue;
        int tecla = TeclaF(d.tecla);
        k.TeclaBarra(tecla);
        EXPECT_EQ(tecla, 0) << d.clave;
        ASSERT_FALSE(r.claves.empty());
        EXPECT_EQ(r.claves.back(), d.clave);
    }
}

TEST(Kitobar, TeclaDeBotonDeshabilitadoOSinBotonQuedaIgual) {
    Kitobar k;
    Registro r;
    r.Conecta(k);
    k.grabarenabled = false;
    int tecla = TeclaF(Kitobar::Botones()[Kitobar::GRABAR].tecla);
    const int antes = tecla;
    k.TeclaBarra(tecla);
    EXPECT_EQ(tecla, antes);
    for (int otra : {TeclaF(1), TeclaF(5), 13, 27, int('A'), 0x7C}) {
        int t = otra;
        k.TeclaBarra(t);
        EXPECT_EQ(t, otra);
    }
    EXPECT_TRUE(r.claves.empty());
}

TEST(Kitobar, UnManejadorPuedeReemplazarseDuranteElEvento) {
    Kitobar k;
    int llamadas = 0;
    k.ButtonClick = [&](const std::string&) {
        ++llamadas;
        k.ButtonClick = nullptr;
    };
    k.Presionar(Kitobar::CERRAR);
    k.Presionar(Kitobar::CERRAR);
    EXPECT_EQ(llamadas, 1);
}

}  // namespace
}  // namespace tamaris
