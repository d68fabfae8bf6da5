#include <gtest/gtest.h>

#include "CarpetaTemporal.h"
#include "components/Error.h"
#include "components/Ini.h"

namespace tamaris {
namespace {

using prueba::CarpetaTemporal;
using prueba::GrabaBytes;
using prueba::LeeBytes;

const std::string kIni =
    "; configuración de la estación\r\n"
    "[PUESTO1]\r\n"
    "FlatToolbars = 1 \r\n"
    "Server=SRV\\SQL\r\n"
    "\r\n"
    "[Puesto2]\r\n"
    "server=OTRO\r\n"
    "Usuario=\"  con blancos  \"\r\n"
    "Vacia=\r\n";

TEST(LeeIni, SeccionYClaveSinCasoValorRecortado) {
    CarpetaTemporal dir;
    const std::string ini = dir / "QX000pr.INI";
    GrabaBytes(ini, kIni);
    EXPECT_EQ(LeeIni(ini, "puesto1", "flattoolbars", "0"), "1");
    EXPECT_EQ(LeeIni(ini, "PUESTO1", "SERVER", ""), "SRV\\SQL");
    EXPECT_EQ(LeeIni(ini, "Puesto2", "Server", ""), "OTRO");
    EXPECT_EQ(LeeIni(ini, "Puesto2", "Usuario", ""), "  con blancos  ");
    EXPECT_EQ(LeeIni(ini, "Puesto2", "Vacia", "def"), "");
}

TEST(LeeIni, FaltaArchivoSeccionOClaveDaElDefecto) {
    CarpetaTemporal dir;
    const std::string ini = dir / "QX000pr.INI";
    EXPECT_EQ(LeeIni(ini, "PUESTO1", "Server", "defecto"), "defecto");
    GrabaBytes(ini, kIni);
    EXPECT_EQ(LeeIni(ini, "PUESTO9", "Server", "defecto"), "defecto");
    EXPECT_EQ(LeeIni(ini, "PUESTO1", "Usuario", "defecto"), "defecto");
}

TEST(LeeIni, ArchivoEnCp1252OUtf8ConLf) {
    CarpetaTemporal dir;
    const std::string ansi = dir / "ansi.ini";
    GrabaBytes(ansi, "[Se\xF1" "al]\nClave=Peque\xF1" "o\n");
    EXPECT_EQ(LeeIni(ansi, "SEÑAL", "clave", ""), "Pequeño");
    const std::string utf8 = dir / "utf8.ini";
    GrabaBytes(utf8, "\xEF\xBB\xBF[Señal]\nClave=Pequeño\n");
    EXPECT_EQ(LeeIni(utf8, "señal", "CLAVE", ""), "Pequeño");
}

TEST(GrabaIni, ReemplazaAgregaYCreaConservandoElResto) {
    CarpetaTemporal dir;
    const std::string ini = dir / "QX000pr.INI";
    GrabaBytes(ini, kIni);
    GrabaIni(ini, "puesto1", "SERVER", "NUEVO");
    GrabaIni(ini, "PUESTO1", "Base", "TAMARIS");
    GrabaIni(ini, "PUESTO3", "Caja", "2");
    EXPECT_EQ(LeeBytes(ini),
              "; configuración de la estación\r\n"
              "[PUESTO1]\r\n"
              "FlatToolbars = 1 \r\n"
              "SERVER=NUEVO\r\n"
              "Base=TAMARIS\r\n"
              "\r\n"
              "[Puesto2]\r\n"
              "server=OTRO\r\n"
              "Usuario=\"  con blancos  \"\r\n"
              "Vacia=\r\n"
              "\r\n"
              "[PUESTO3]\r\n"
              "Caja=2\r\n");
    EXPECT_EQ(LeeIni(ini, "Puesto2", "server", ""), "OTRO");
}

TEST(GrabaIni, ArchivoNuevoEnCp1252) {
    CarpetaTemporal dir;
    const std::string ini = dir / "nuevo.ini";
    GrabaIni(ini, "Puesto", "Nombre", "Peña");
    EXPECT_EQ(LeeBytes(ini), "[Puesto]\r\nNombre=Pe\xF1" "a\r\n");
    EXPECT_EQ(LeeIni(ini, "puesto", "nombre", ""), "Peña");
}

TEST(GrabaIni, ArchivoConLfSigueConLf) {
    CarpetaTemporal dir;
    const std::string ini = dir / "lf.ini";
    GrabaBytes(ini, "[A]\nx=1\n");
    GrabaIni(ini, "A", "y", "2");
    EXPECT_EQ(LeeBytes(ini), "[A]\nx=1\ny=2\n");
}

TEST(GrabaIni, CarpetaInexistenteEsError) {
    CarpetaTemporal dir;
    EXPECT_THROW(GrabaIni(dir / "no/hay/x.ini", "A", "b", "c"), ErrorTamaris);
}

TEST(Encripta, IdaYVueltaConTextoImprimible) {
    for (const char* t : {"", "clave", "Contraseña ñandú €", "=;[]\"'\\", " con blancos ",
                          "\x01\x7F", "una clave bastante más larga que la llave del esquema"}) {
        const std::string guardado = Encripta(t);
        for (char c : guardado) {
            EXPECT_TRUE(c >= 0x21 && c <= 0x7E) << t;
        }
        EXPECT_EQ(Desencripta(guardado), t);
    }
}

TEST(Encripta, NoDejaElTextoALaVista) {
    const std::string guardado = Encripta("secreto");
    EXPECT_EQ(guardado.find("secreto"), std::string::npos);
    EXPECT_NE(Encripta("aaaa").substr(1, 2), Encripta("aaaa").substr(3, 2));
}

TEST(Desencripta, TextoEnClaroSeLeeComoEsta) {
    EXPECT_EQ(Desencripta("sa"), "sa");
    EXPECT_EQ(Desencripta("CAFE"), "CAFE");
    EXPECT_EQ(Desencripta("~XYZW"), "~XYZW");
}

TEST(Encripta, SobreviveAlArchivoIni) {
    CarpetaTemporal dir;
    const std::string ini = dir / "QX000pr.INI";
    GrabaIni(ini, "PUESTO1", "Password", Encripta(" clave;con=signos "));
    EXPECT_EQ(Desencripta(LeeIni(ini, "PUESTO1", "Password", "")), " clave;con=signos ");
}

}  // namespace
}  // namespace tamaris
