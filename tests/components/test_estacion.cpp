#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "CarpetaTemporal.h"
#include "components/Estacion.h"
#include "components/Plataforma.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

// Sets an environment variable for one test and puts the old value back.
struct Entorno : prueba_sistema::VariableEntorno {
    Entorno(const char* nombre, const std::optional<std::string>& valor)
        : VariableEntorno(nombre, valor ? valor->c_str() : nullptr) {}
};

namespace pl = plataforma;

TEST(Estacion, NombreEIdentidad) {
    EXPECT_FALSE(Estacion::NombreMaquina().empty());
    EXPECT_FALSE(Estacion::Identidad().empty());
#ifndef _WIN32
    char esperado[256] = {};
    ::gethostname(esperado, sizeof esperado - 1);
    EXPECT_EQ(Estacion::NombreMaquina(), esperado);
#endif
}

TEST(Estacion, ProgramaYSuCarpeta) {
    const std::string carpeta = CarpetaPrograma();
    ASSERT_FALSE(carpeta.empty());
    EXPECT_TRUE(pl::EsSeparador(carpeta.back()));
    EXPECT_TRUE(std::filesystem::exists(carpeta + NombrePrograma() + (pl::kWindows ? ".exe" : "")));
    EXPECT_EQ(NombrePrograma(), "pruebas_components");
}

TEST(Estacion, CarpetaDatosDeTamarisHomeSeCreaYTerminaEnBarra) {
    prueba::CarpetaTemporal dir;
    const std::string home = dir / "datos/tamaris";
    Entorno e("TAMARIS_HOME", home);
    EXPECT_EQ(CarpetaDatos(), home + pl::kSeparador);
    EXPECT_TRUE(std::filesystem::is_directory(home));
    EXPECT_EQ(Estacion::CarpetaDefecto(), home + pl::kSeparador);
}

TEST(Estacion, SinTamarisHomeUsaLaCarpetaDelProgramaOLaDeDatosDelUsuario) {
    prueba::CarpetaTemporal dir;
    Entorno e("TAMARIS_HOME", std::nullopt);
    Entorno x(pl::kWindows ? "APPDATA" : "XDG_DATA_HOME", dir.Ruta().string());
    const std::string programa = CarpetaPrograma();
    if (pl::CarpetaEscribible(programa)) {
        EXPECT_EQ(CarpetaDatos(), programa);
    } else {
        const std::string propia = pl::kWindows ? "Tamaris" : "tamaris";
        EXPECT_EQ(CarpetaDatos(), pl::ConSeparador(dir / propia));
        EXPECT_TRUE(std::filesystem::is_directory(dir / propia));
    }
}

// Where an installed program keeps its files: never beside a binary under a system folder, even
// when run as root (which may write there); a build or unpacked folder keeps them as before.
TEST(Estacion, CarpetaDatosSegunDondeEstaElPrograma) {
    SOLO_POSIX("carpetas de programas de un sistema POSIX");
    prueba::CarpetaTemporal dir;
    const std::string xdg = dir / "xdg";
    const std::string usuario = pl::ConSeparador(xdg + "/tamaris");
    const std::string compilacion = pl::ConSeparador(dir / "build/src/cli");
    std::filesystem::create_directories(compilacion);
    const std::string home = pl::ConSeparador(dir / "home");
    struct Caso {
        std::string programa;
        std::optional<std::string> tamarisHome;
        std::string esperada;
    };
    const Caso casos[] = {
        {"/usr/bin/", std::nullopt, usuario},         {"/usr/local/bin/", std::nullopt, usuario},
        {"/opt/tamaris/bin/", std::nullopt, usuario}, {"/usr/bin/", home, home},
        {compilacion, std::nullopt, compilacion},     {compilacion, home, home},
        {dir / "no/existe/", std::nullopt, usuario},
    };
    Entorno x("XDG_DATA_HOME", xdg);
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.programa + (c.tamarisHome ? " con TAMARIS_HOME" : ""));
        Entorno h("TAMARIS_HOME", c.tamarisHome);
        EXPECT_EQ(CarpetaDatosDe(c.programa), c.esperada);
    }
    EXPECT_TRUE(std::filesystem::is_directory(usuario));
    EXPECT_FALSE(std::filesystem::exists("/usr/bin/tamaris"));
}

// Paths as operators type them: Windows takes both separators and drive letters.
TEST(Plataforma, CarpetaYNombreDeUnaRuta) {
    struct Caso {
        std::string ruta, carpetaPosix, nombrePosix, carpetaWindows, nombreWindows;
    };
    const Caso casos[] = {
        {"/ruta/archivo.txt", "/ruta", "archivo.txt", "/ruta", "archivo.txt"},
        {"archivo.txt", ".", "archivo.txt", ".", "archivo.txt"},
        {"/archivo.txt", "/", "archivo.txt", "/", "archivo.txt"},
        {"Z:\\ruta\\archivo.txt", ".", "Z:\\ruta\\archivo.txt", "Z:\\ruta", "archivo.txt"},
        {"C:\\archivo.txt", ".", "C:\\archivo.txt", "C:\\", "archivo.txt"},
        {"Z:\\ruta/sub\\archivo.txt", "Z:\\ruta", "sub\\archivo.txt", "Z:\\ruta/sub",
         "archivo.txt"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(pl::Carpeta(c.ruta), pl::kWindows ? c.carpetaWindows : c.carpetaPosix) << c.ruta;
        EXPECT_EQ(pl::NombreBase(c.ruta), pl::kWindows ? c.nombreWindows : c.nombrePosix) << c.ruta;
    }
}

}  // namespace
}  // namespace tamaris
