#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "CarpetaTemporal.h"
#include "components/Estacion.h"

namespace tamaris {
namespace {

// Sets an environment variable for one test and puts the old value back.
class Entorno {
public:
    Entorno(const char* nombre, const std::optional<std::string>& valor) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre)) anterior_ = v;
        if (valor) ::setenv(nombre, valor->c_str(), 1);
        else ::unsetenv(nombre);
    }
    ~Entorno() {
        if (anterior_) ::setenv(nombre_, anterior_->c_str(), 1);
        else ::unsetenv(nombre_);
    }

private:
    const char* nombre_;
    std::optional<std::string> anterior_;
};

TEST(Estacion, NombreEIdentidad) {
    EXPECT_FALSE(Estacion::NombreMaquina().empty());
    char esperado[256] = {};
    ::gethostname(esperado, sizeof esperado - 1);
    EXPECT_EQ(Estacion::NombreMaquina(), esperado);
    EXPECT_FALSE(Estacion::Identidad().empty());
}

TEST(Estacion, ProgramaYSuCarpeta) {
    const std::string carpeta = CarpetaPrograma();
    ASSERT_FALSE(carpeta.empty());
    EXPECT_EQ(carpeta.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(carpeta + NombrePrograma()));
    EXPECT_EQ(NombrePrograma(), "pruebas_components");
}

TEST(Estacion, CarpetaDatosDeTamarisHomeSeCreaYTerminaEnBarra) {
    prueba::CarpetaTemporal dir;
    const std::string home = dir / "datos/tamaris";
    Entorno e("TAMARIS_HOME", home);
    EXPECT_EQ(CarpetaDatos(), home + "/");
    EXPECT_TRUE(std::filesystem::is_directory(home));
    EXPECT_EQ(Estacion::CarpetaDefecto(), home + "/");
}

TEST(Estacion, SinTamarisHomeUsaLaCarpetaDelProgramaOLaDeDatosDelUsuario) {
    prueba::CarpetaTemporal dir;
    Entorno e("TAMARIS_HOME", std::nullopt);
    Entorno x("XDG_DATA_HOME", dir.Ruta().string());
    const std::string programa = CarpetaPrograma();
    if (::access(programa.c_str(), W_OK) == 0) {
        EXPECT_EQ(CarpetaDatos(), programa);
    } else {
        EXPECT_EQ(CarpetaDatos(), dir / "tamaris/");
        EXPECT_TRUE(std::filesystem::is_directory(dir / "tamaris"));
    }
}

}  // namespace
}  // namespace tamaris
