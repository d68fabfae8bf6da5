// The column-width file "CONSULTASLEN.TMS": widths read when a list lookup loads and written
// back, byte for byte, when it unloads with GrabarCfg.

#include <gtest/gtest.h>

#include "SoporteConsultas.h"
#include "lookup/AnchosConsulta.h"

namespace tamaris {
namespace {

using prueba::BaseConsultas;
using prueba::GrabaBytes;
using prueba::LeeBytes;

class AnchosPrueba : public ::testing::Test {
  protected:
    AnchosPrueba() {
        entorno.ui = &base.puertos.ui();
        entorno.db = &base.db;
        entorno.carpetaAnchos = base.carpeta.Ruta().string();
    }
    std::unique_ptr<Lib_FrmCons3> Carga(const std::string& sql, bool grabar = true) {
        auto f = std::make_unique<Lib_FrmCons3>(entorno);
        f->SQL = sql;
        f->GrabarCfg = grabar;
        f->Form_Load();
        return f;
    }

    BaseConsultas base;
    EntornoConsulta entorno;
    std::string archivo = base.carpeta / "CONSULTASLEN.TMS";
};

TEST_F(AnchosPrueba, IdaYVueltaByteAByte) {
    const std::string contenido =
        "\"OTRA\",\"100|200|\"\r\n"
        "\"MA_CUENTAS\",\"1500|2500|\"\r\n";
    GrabaBytes(archivo, contenido);
    auto f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS");
    EXPECT_EQ(f->Columnas()[0].Width, 1500);
    EXPECT_EQ(f->Columnas()[1].Width, 2500);
    EXPECT_EQ(f->CmbSearch()[1].Left, 1500);
    EXPECT_EQ(f->CmbSearch()[1].Width, 2500);
    EXPECT_EQ(f->AnchoPanel(), 4360);
    f->Form_Unload();
    EXPECT_EQ(LeeBytes(archivo), contenido);
    EXPECT_EQ(base.carpeta.Entradas(), "CONSULTASLEN.TMS,suite.db") << "no auxiliary file left";
}

TEST_F(AnchosPrueba, ElRegistroDeLaTablaPasaAlFinal) {
    GrabaBytes(archivo,
               "\"ma_cuentas\",\"1|2|\"\r\n"
               "\"OTRA\",\"100|200|\"\r\n"
               "\"MA_CUENTAS\",\"1500|2500|\"\r\n"
               "\"\xDALTIMA\",\"7|\"\r\n");
    auto f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS");
    // Every record of the table is applied in order: the last one wins.
    EXPECT_EQ(f->Columnas()[0].Width, 1500);
    f->ListView1_ColumnResize(0, 999);
    EXPECT_EQ(f->CmbSearch()[1].Left, 999);
    f->Form_Unload();
    EXPECT_EQ(LeeBytes(archivo),
              "\"OTRA\",\"100|200|\"\r\n"
              "\"\xDALTIMA\",\"7|\"\r\n"
              "\"MA_CUENTAS\",\"999|2500|\"\r\n");
}

TEST_F(AnchosPrueba, SinArchivoSeCreaConUnRegistro) {
    auto f = Carga("SELECT Codigo FROM MA_CUENTAS");
    f->Form_Unload();
    EXPECT_EQ(LeeBytes(archivo), "\"MA_CUENTAS\",\"2100|\"\r\n");
}

TEST_F(AnchosPrueba, SinGrabarCfgNoSeTocaElArchivo) {
    auto f = Carga("SELECT Codigo FROM MA_CUENTAS", false);
    f->ListView1_ColumnResize(0, 10);
    f->Form_Unload();
    EXPECT_FALSE(std::filesystem::exists(archivo));
    EXPECT_FALSE(f->UsarUDBC);
    EXPECT_EQ(f->Filas(), 0) << "unloading clears the rows";
}

TEST_F(AnchosPrueba, MenosAnchosQueColumnas) {
    GrabaBytes(archivo, "\"MA_CUENTAS\",\"1500|\"\r\n");
    auto f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS", false);
    EXPECT_EQ(f->Columnas()[0].Width, 1500);
    EXPECT_EQ(f->Columnas()[1].Width, 60 * VistaConsulta::kTwipsPorCaracter);
    EXPECT_TRUE(base.puertos.errores.reportados.empty());
}

TEST_F(AnchosPrueba, ArticulosDeStockLeenLosDeVtMaArticulos) {
    base.Sql("CREATE VIEW STK_MA_ARTICULOS AS SELECT * FROM V_MA_ARTICULOS;");
    GrabaBytes(archivo, "\"VT_MA_ARTICULOS\",\"1234|\"\r\n");
    auto f = Carga("SELECT IdArticulo FROM Stk_ma_articulos");
    EXPECT_EQ(f->Columnas()[0].Width, 1234);
    f->Form_Unload();
    EXPECT_EQ(LeeBytes(archivo),
              "\"VT_MA_ARTICULOS\",\"1234|\"\r\n"
              "\"Stk_ma_articulos\",\"1234|\"\r\n");
}

TEST_F(AnchosPrueba, SinClaveDeTablaNiSeLeeNiSeGraba) {
    const std::string contenido = "\"\",\"10|\"\r\n";
    GrabaBytes(archivo, contenido);
    auto f = Carga("SELECT Codigo FROM  MA_CUENTAS");
    EXPECT_EQ(f->TablaClave(), "");
    EXPECT_EQ(f->Columnas()[0].Width, 20 * VistaConsulta::kTwipsPorCaracter);
    f->Form_Unload();
    EXPECT_EQ(LeeBytes(archivo), contenido);
}

TEST_F(AnchosPrueba, AnchosConDecimales) {
    GrabaBytes(archivo, "\"MA_CUENTAS\",\"1500,6|99.4|\"\r\n");
    auto f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS", false);
    EXPECT_EQ(f->Columnas()[0].Width, 1501);
    EXPECT_EQ(f->Columnas()[1].Width, 99);
}

TEST(ArchivoAnchos, LecturaTolerante) {
    prueba::CarpetaTemporal carpeta;
    GrabaBytes(carpeta / "a.tms",
               "\"A\",\"1|2|\"\n"
               "\r\n"
               "  B , 3| \r\n"
               "\"C\"\r\n"
               "\"D, con coma\",\"4|\"");
    EXPECT_EQ(LeeArchivoAnchos(carpeta / "a.tms"),
              (std::vector<AnchosGuardados>{
                  {"A", "1|2|"}, {"B", "3|"}, {"C", ""}, {"D, con coma", "4|"}}));
    EXPECT_TRUE(LeeArchivoAnchos(carpeta / "no.tms").empty());
    EXPECT_EQ(LineaAnchos("T", "1|"), "\"T\",\"1|\"");
    EXPECT_EQ(TextoAnchos({1440, 0, 15}), "1440|0|15|");
}

}  // namespace
}  // namespace tamaris
