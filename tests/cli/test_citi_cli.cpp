// The "citi" command: exit codes, the path it prints, the exact file over the native SQLite
// backend and over ODBC with the SQLite driver, and an untouched folder when it refuses or
// fails.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "export_citi/LibroIvaPrueba.h"
#include "soporte/Proceso.h"

namespace {

using prueba::CarpetaTemporal;
using prueba::LeeArchivo;

prueba::Salida Cli(const std::vector<std::string>& args) {
    return prueba::Corre(TAMARIS_CLI_EXE, args);
}

std::string Entradas(const std::string& carpeta) {
    std::vector<std::string> nombres;
    for (const auto& e : std::filesystem::directory_iterator(carpeta)) {
        nombres.push_back(e.path().filename().string());
    }
    std::sort(nombres.begin(), nombres.end());
    std::string r;
    for (const auto& n : nombres) r += (r.empty() ? "" : ",") + n;
    return r;
}

class CliCiti : public ::testing::Test {
  protected:
    void SetUp() override {
        prueba::CreaBaseCiti(db);
        std::filesystem::create_directories(dir);
    }
    std::vector<std::string> Args(const std::string& anio, const std::string& mes) const {
        return {"citi", "--db", db, "--anio", anio, "--mes", mes, "--directorio", dir};
    }
    CarpetaTemporal tmp;
    std::string db = tmp / "suite.db";
    std::string dir = tmp / "salida";
};

TEST(CliCitiUso, AyudaYUsoIncorrecto) {
    const auto general = Cli({"--help"});
    EXPECT_NE(general.out.find("citi"), std::string::npos);
    const auto ayuda = Cli({"citi", "--help"});
    EXPECT_EQ(ayuda.codigo, 0);
    for (const char* t : {"--anio", "--mes", "--directorio", "--parametros", "ENE013.TXT"}) {
        EXPECT_NE(ayuda.out.find(t), std::string::npos) << t;
    }

    struct Caso {
        std::vector<std::string> args;
        const char* mensaje;
    };
    const Caso casos[] = {
        {{"citi", "--anio", "2013", "--mes", "1", "--directorio", "/tmp"}, "--db"},
        {{"citi", "--db", "x.db", "--mes", "1", "--directorio", "/tmp"}, "--anio"},
        {{"citi", "--db", "x.db", "--anio", "2013", "--directorio", "/tmp"}, "--mes"},
        {{"citi", "--db", "x.db", "--anio", "2013", "--mes", "1"}, "--directorio"},
        {{"citi", "--db", "x.db", "--anio", "2013", "--mes", "13", "--directorio", "/tmp"},
         "--mes"},
        {{"citi", "--db", "x.db", "--anio", "2013", "--mes", "0", "--directorio", "/tmp"}, "--mes"},
        {{"citi", "--db", "x.db", "--anio", "2013", "--mes", "enero", "--directorio", "/tmp"},
         "--mes"},
        {{"citi", "--db", "x.db", "--conexion", "DSN=x", "--anio", "2013", "--mes", "1",
          "--directorio", "/tmp"},
         "no ambas"},
        {{"citi", "--db", "x.db", "--anio", "2013", "--mes", "1", "--directorio", "/tmp",
          "--archivo", "a"},
         "desconocida"},
    };
    for (const auto& c : casos) {
        const auto r = Cli(c.args);
        EXPECT_EQ(r.codigo, 2) << c.mensaje;
        EXPECT_NE(r.err.find(c.mensaje), std::string::npos) << r.err;
    }
}

TEST_F(CliCiti, EscribeElMesEImprimeLaRuta) {
    const auto r = Cli(Args("2013", "1"));
    ASSERT_EQ(r.codigo, 0) << r.err;
    const std::string destino = dir + prueba_sistema::kBarra + "ENE013.TXT";
    EXPECT_NE(r.out.find("Archivo generado: " + destino + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Comprobantes: 26"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Registros: 39"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Se ha generado satisfactoriamente el archivo en : " + destino),
              std::string::npos);
    EXPECT_EQ(LeeArchivo(destino), prueba::Golden("enero2013.txt"));
    EXPECT_EQ(Entradas(dir), "ENE013.TXT");
}

TEST_F(CliCiti, PorOdbc) {
    const auto r =
        Cli({"citi", "--conexion", prueba_sistema::CadenaSqliteOdbc(db, "NoCreat=1;StepAPI=1;"),
             "--anio", "2013", "--mes", "01", "--directorio", dir});
    ASSERT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(LeeArchivo(dir + prueba_sistema::kBarra + "ENE013.TXT"),
              prueba::Golden("enero2013.txt"));
}

TEST_F(CliCiti, AnioRechazadoNoEscribeNada) {
    for (const char* anio : {"1899", "2051"}) {
        const auto r = Cli(Args(anio, "1"));
        EXPECT_EQ(r.codigo, 2) << anio;
        EXPECT_NE(r.err.find("AVISO AL OPERADOR: Debe informar un AÑO VALIDO!!! "),
                  std::string::npos)
            << r.err;
    }
    const auto r = Cli(Args("", "1"));
    EXPECT_EQ(r.codigo, 2);
    EXPECT_NE(r.err.find("Debe seleccionar el Año del cuatrimestre a informar!!! "),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Entradas(dir), "");
}

TEST_F(CliCiti, MesSinDatos) {
    const auto r = Cli(Args("2013", "3"));
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_NE(r.err.find("NO HAY DATOS PARA LISTAR!!!"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Archivo generado"), std::string::npos);
    EXPECT_EQ(Entradas(dir), "");
}

TEST_F(CliCiti, FalloDejaLaCarpetaComoEstaba) {
    prueba::EjecutaSqlite(db, "UPDATE LIBROIVAVENTAS SET liva_aliciva = 0 WHERE Numero = 104");
    std::ofstream(dir + prueba_sistema::kBarra + "ENE013.TXT", std::ios::binary) << "anterior\r\n";
    const auto r = Cli(Args("2013", "1"));
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("Error 11"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("FC A 104 del 24/01/2013"), std::string::npos) << r.err;
    EXPECT_EQ(LeeArchivo(dir + prueba_sistema::kBarra + "ENE013.TXT"), "anterior\r\n");
    EXPECT_EQ(Entradas(dir), "ENE013.TXT");
}

TEST_F(CliCiti, DirectorioOBaseInexistentes) {
    auto r = Cli(
        {"citi", "--db", db, "--anio", "2013", "--mes", "1", "--directorio", tmp / "no-existe"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("no-existe"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(tmp / "no-existe"));

    r = Cli({"citi", "--db", tmp / "otra.db", "--anio", "2013", "--mes", "1", "--directorio", dir});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_FALSE(std::filesystem::exists(tmp / "otra.db"));
    EXPECT_EQ(Entradas(dir), "");
}

}  // namespace
