// The command-line contract: exit codes, messages, and the exact perception file, over the
// native SQLite backend and over ODBC with the SQLite driver.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "soporte/Percepciones.h"
#include "soporte/Proceso.h"

namespace {

using prueba::ArchivoEsperado;
using prueba::CarpetaTemporal;
using prueba::LeeArchivo;

prueba::Salida Cli(const std::vector<std::string>& args) {
    return prueba::Corre(TAMARIS_CLI_EXE, args);
}

class CliExportar : public ::testing::Test {
  protected:
    void SetUp() override { prueba::CreaBasePercepciones(db); }
    CarpetaTemporal tmp;
    std::string db = tmp / "suite.db";
    std::string destino = tmp / "perc.txt";
};

TEST(Cli, AyudaYUsoIncorrecto) {
    const auto ayuda = Cli({"--help"});
    EXPECT_EQ(ayuda.codigo, 0);
    EXPECT_NE(ayuda.out.find("exportar"), std::string::npos);
    EXPECT_NE(ayuda.out.find("demo"), std::string::npos);
    EXPECT_EQ(Cli({"exportar", "--help"}).codigo, 0);
    EXPECT_NE(Cli({"exportar", "--help"}).out.find("--cuenta"), std::string::npos);

    struct Caso {
        std::vector<std::string> args;
        const char* mensaje;
    };
    const Caso casos[] = {
        {{}, "Uso"},
        {{"importar"}, "comando desconocido"},
        {{"exportar", "--db", "x.db"}, "--archivo"},
        {{"exportar", "--archivo", "a.txt"}, "--db"},
        {{"exportar", "--db", "x.db", "--conexion", "DSN=x", "--archivo", "a"}, "no ambas"},
        {{"exportar", "--db", "x.db", "--archivo", "a", "--filtro", "1"}, "desconocida"},
        {{"exportar", "--db"}, "falta el valor"},
        {{"demo", "--db", "x.db", "--filas", "cero"}, "--filas"},
        {{"demo"}, "--db"},
    };
    for (const auto& c : casos) {
        const auto r = Cli(c.args);
        EXPECT_EQ(r.codigo, 2) << c.mensaje;
        EXPECT_NE(r.err.find(c.mensaje), std::string::npos) << r.err;
    }
}

TEST_F(CliExportar, EscribeElArchivoExacto) {
    const auto r = Cli({"exportar", "--db", db, "--archivo", destino});
    ASSERT_EQ(r.codigo, 0) << r.err;
    EXPECT_NE(r.out.find("Comprobantes: 6"), std::string::npos) << r.out;
    EXPECT_EQ(LeeArchivo(destino), ArchivoEsperado({0, 1, 2, 5, 6, 7}));
}

TEST_F(CliExportar, Filtros) {
    struct Caso {
        std::vector<std::string> filtros;
        std::vector<int> asientos;
    };
    const Caso casos[] = {
        // The last day counts whole: the voucher of 31/01 10:30 is in.
        {{"--desde", "01/01/2013", "--hasta", "31/01/2013"}, {0, 1, 2, 7}},
        {{"--desde", "1/2/2013"}, {5, 6}},
        {{"--hasta", "31/01/2013"}, {0, 1, 2, 7}},
        {{"--desde", "20/01/2013", "--hasta", "20/01/2013"}, {2}},
        {{"--cuenta", "113"}, {2, 6}},
        {{"--cuenta", "O'BRIEN"}, {5}},
        {{"--desde", "01/01/2013", "--hasta", "28/02/2013", "--cuenta", "112"}, {0, 1, 7}},
    };
    for (const auto& c : casos) {
        std::vector<std::string> args = {"exportar", "--db", db, "--archivo", destino};
        args.insert(args.end(), c.filtros.begin(), c.filtros.end());
        const auto r = Cli(args);
        ASSERT_EQ(r.codigo, 0) << r.err;
        EXPECT_EQ(LeeArchivo(destino), ArchivoEsperado(c.asientos)) << c.filtros.front();
    }
}

TEST_F(CliExportar, AgregaTxtSoloSiFalta) {
    struct Caso {
        const char* dado;
        const char* escrito;
    };
    const Caso casos[] = {{"perc", "perc.txt"}, {"perc.TXT", "perc.TXT"}, {"perctxt", "perctxt"}};
    for (const auto& c : casos) {
        const auto r = Cli({"exportar", "--db", db, "--archivo", tmp / c.dado, "--cuenta", "113"});
        ASSERT_EQ(r.codigo, 0) << r.err;
        EXPECT_TRUE(std::filesystem::exists(tmp / c.escrito)) << c.dado;
    }
}

TEST_F(CliExportar, FechaInvalidaNoTocaNada) {
    prueba::EjecutaSqlite(db, "SELECT 1");
    std::ofstream(destino, std::ios::binary) << "anterior\r\n";
    for (const char* fecha : {"31/02/2013", "2013-01-01", "01/13/2013", "hoy", "1/1/13"}) {
        const auto r = Cli({"exportar", "--db", db, "--archivo", destino, "--desde", fecha});
        EXPECT_EQ(r.codigo, 2) << fecha;
        EXPECT_NE(r.err.find("AVISO AL OPERADOR"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(fecha), std::string::npos) << r.err;
        EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
    }
}

TEST_F(CliExportar, SinComprobantesNoQuedaArchivo) {
    std::ofstream(destino, std::ios::binary) << "anterior\r\n";
    const auto r = Cli({"exportar", "--db", db, "--archivo", destino, "--desde", "01/01/2030"});
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_NE(r.out.find("No hay comprobantes"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(destino));
}

TEST_F(CliExportar, FalloDejaElArchivoAnterior) {
    std::ofstream(destino, std::ios::binary) << "anterior\r\n";
    // A voucher whose tax identifier is null cannot be written: the run is abandoned.
    prueba::EjecutaSqlite(db, "UPDATE MV_ASIENTOS SET cabcuit = NULL WHERE NUMERO = 11");
    const auto r = Cli({"exportar", "--db", db, "--archivo", destino});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("CUIT del comprobante FC B 11"), std::string::npos) << r.err;
    EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
    // No temporary file is left behind.
    int archivos = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.ruta())) {
        (void)e;
        ++archivos;
    }
    EXPECT_EQ(archivos, 2);
}

TEST_F(CliExportar, BaseInexistenteNoSeCrea) {
    const std::string falta = tmp / "no_existe.db";
    const auto r = Cli({"exportar", "--db", falta, "--archivo", destino});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("no_existe.db"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(falta));
}

TEST_F(CliExportar, CarpetaDestinoInexistente) {
    const auto r = Cli({"exportar", "--db", db, "--archivo", tmp / "no/hay/carpeta/perc.txt"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_FALSE(r.err.empty());
}

TEST_F(CliExportar, TablaFaltanteEsUnError) {
    prueba::EjecutaSqlite(db, "DROP TABLE MV_ASIENTOS");
    std::ofstream(destino, std::ios::binary) << "anterior\r\n";
    const auto r = Cli({"exportar", "--db", db, "--archivo", destino});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("MV_ASIENTOS"), std::string::npos) << r.err;
    EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
}

// The same file through every way of naming the database.
TEST_F(CliExportar, MismasLineasPorCadaConexion) {
    const std::string esperado = ArchivoEsperado({0, 1, 2, 7});
    const std::vector<std::string> cadenas = {
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + db + ";",
        "Provider=SQLite;Data Source=" + db + ";",
        prueba_sistema::CadenaSqliteOdbc(db),
    };
    for (const auto& cadena : cadenas) {
        const auto r = Cli({"exportar", "--conexion", cadena, "--archivo", destino, "--desde",
                            "01/01/2013", "--hasta", "31/01/2013"});
        ASSERT_EQ(r.codigo, 0) << cadena << "\n" << r.err;
        EXPECT_EQ(LeeArchivo(destino), esperado) << cadena;
    }
}

TEST(CliDemo, CreaYExporta) {
    CarpetaTemporal tmp;
    const auto d = Cli({"demo", "--db", tmp / "demo.db", "--filas", "3000"});
    ASSERT_EQ(d.codigo, 0) << d.err;
    const auto pos = d.out.find("Asientos: 3000 (");
    ASSERT_NE(pos, std::string::npos) << d.out;
    const long exportables = std::stol(d.out.substr(pos + 16));

    const auto e = Cli({"exportar", "--db", tmp / "demo.db", "--archivo", tmp / "p.txt"});
    ASSERT_EQ(e.codigo, 0) << e.err;
    EXPECT_NE(e.out.find("Comprobantes: " + std::to_string(exportables)), std::string::npos)
        << e.out;
    const std::string archivo = LeeArchivo(tmp / "p.txt");
    ASSERT_EQ(archivo.size(), static_cast<size_t>(exportables) * 75);
    for (std::size_t i = 0; i < archivo.size(); i += 75) {
        ASSERT_EQ(archivo.substr(i + 73, 2), "\r\n") << "línea " << i / 75;
        const std::string linea = archivo.substr(i, 73);
        ASSERT_EQ(linea.find('\r'), std::string::npos);
        ASSERT_EQ(linea.substr(53, 5), "1.5  ");
        ASSERT_EQ(linea.find('-'), std::string::npos) << linea;
        const std::string c3 = linea.substr(12, 2);
        ASSERT_TRUE(c3 == " 1" || c3 == " 5" || c3 == " 6") << linea;
    }
}

// Folders and files named with ñ, á, ó reach every command intact (on Windows the command line is
// read in UTF-16: its ANSI form cannot spell every name, and is not UTF-8).
TEST(CliDemo, NombresConEnesYAcentos) {
    namespace pl = tamaris::plataforma;
    using prueba_sistema::kBarra;
    CarpetaTemporal tmp;
    const std::string carpeta = tmp.ruta().string() + kBarra + "Año 2025 José";
    const std::string db = carpeta + kBarra + "demo ñ.db",
                      perc = carpeta + kBarra + "percepción ñ.txt",
                      citi = carpeta + kBarra + "citi ó";
    ASSERT_TRUE(pl::CreaCarpetas(citi));
    const std::vector<std::string> ordenes[] = {
        {"demo", "--db", db, "--filas", "300"},
        {"exportar", "--db", db, "--archivo", perc},
        {"citi", "--db", db, "--anio", "2013", "--mes", "1", "--directorio", citi},
        {"verificar", "percepciones", "--archivo", perc, "--db", db},
    };
    for (const auto& orden : ordenes) {
        const auto r = Cli(orden);
        EXPECT_EQ(r.codigo, 0) << orden.front() << ": " << r.err;
    }
    EXPECT_EQ(pl::EstadoDeRuta(db).tipo, pl::Tipo::kRegular);
    EXPECT_GT(pl::EstadoDeRuta(perc).tamano, 0u);
    EXPECT_EQ(pl::NombresEn(citi).size(), 1u);
}

}  // namespace

// ---- start-up: every command starts the system as the desktop program does ----

#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>

namespace {

std::vector<std::vector<std::string>> FilasSqlite(const std::string& archivo,
                                                  const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<std::vector<std::string>> filas;
    if (sqlite3_open_v2(archivo.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                std::vector<std::string> fila;
                for (int i = 0; i < sqlite3_column_count(st); ++i) {
                    const unsigned char* t = sqlite3_column_text(st, i);
                    fila.emplace_back(t ? reinterpret_cast<const char*>(t) : "NULL");
                }
                filas.push_back(std::move(fila));
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return filas;
}

TEST(CliInicio, AyudaYOpcionesDeConexion) {
    const auto ayuda = Cli({"exportar", "--help"});
    EXPECT_NE(ayuda.out.find("--parametros"), std::string::npos);
    struct Caso {
        std::vector<std::string> args;
        const char* mensaje;
    };
    const Caso casos[] = {
        {{"exportar", "--archivo", "a.txt"}, "--parametros"},
        {{"exportar", "--db", "x.db", "--parametros", "@server=s;", "--archivo", "a"}, "no ambas"},
        {{"exportar", "--conexion", "DSN=x", "--parametros", "@server=s;", "--archivo", "a"},
         "no ambas"},
        {{"exportar", "--db", "x.db", "--conexion", "DSN=x", "--parametros", "@server=s;",
          "--archivo", "a"},
         "solo una"},
        {{"exportar", "--parametros"}, "falta el valor"},
    };
    for (const auto& c : casos) {
        const auto r = Cli(c.args);
        EXPECT_EQ(r.codigo, 2) << c.mensaje;
        EXPECT_NE(r.err.find(c.mensaje), std::string::npos) << r.err;
    }
}

TEST_F(CliExportar, ParametrosSinServidorFallaSinEsperar) {
    const auto inicio = std::chrono::steady_clock::now();
    const auto r = Cli({"exportar", "--archivo", destino, "--parametros",
                        "@server=; @dbname= TAMARIS; @usuario= ana; @Password= s3cr3t0; "
                        "@ParametroAdicional=; @Caja=1;orva@"});
    const auto segundos =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - inicio)
            .count();
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("Faltan datos de conexión"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("@Server"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("@Usuario)"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("s3cr3t0"), std::string::npos) << r.err;
    EXPECT_LT(segundos, 10);
    EXPECT_FALSE(std::filesystem::exists(destino));

    const auto sinNada = Cli({"exportar", "--archivo", destino, "--parametros", "@Caja=1;"});
    EXPECT_EQ(sinNada.codigo, 1);
    EXPECT_NE(sinNada.err.find("el servidor (@Server) y el usuario (@Usuario)"), std::string::npos)
        << sinNada.err;
}

TEST_F(CliExportar, ParametrosConServidorInalcanzable) {
    // No driver answers for the server: the open fails and the program ends.
    prueba_sistema::VariableEntorno driver("TAMARIS_ODBC_SQLSERVER", "SinDriverDePrueba");
    const auto r = Cli({"exportar", "--archivo", destino, "--parametros",
                        "@server=srv01; @dbname= TAMARIS; @usuario= ana; @Password= s3cr3t0; "
                        "@ParametroAdicional=; @Caja=1;orva@"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("No se pudo abrir la conexión"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("s3cr3t0"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("s3cr3t0"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(destino));
}

TEST_F(CliExportar, ConDbElInicioRegistraElAcceso) {
    const auto r = Cli({"exportar", "--db", db, "--archivo", destino});
    ASSERT_EQ(r.codigo, 0) << r.err;
    auto filas = FilasSqlite(db, "SELECT Formulario, Tarea, Usuario FROM Control_Acceso");
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0][0], "PERCEPCIONES-CLI");

    // Each start is one more row, whichever way the database is named.
    ASSERT_EQ(
        Cli({"exportar", "--conexion", prueba_sistema::CadenaSqliteOdbc(db), "--archivo", destino})
            .codigo,
        0);
    EXPECT_EQ(FilasSqlite(db, "SELECT count(*) FROM Control_Acceso").at(0).at(0), "2");
}

TEST_F(CliExportar, SinTablasOpcionalesIgualExporta) {
    prueba::EjecutaSqlite(db,
                          "DROP TABLE Control_Acceso; DROP TABLE TA_CONFIGURACION; "
                          "DROP TABLE AUX_ERR;");
    const auto r = Cli({"exportar", "--db", db, "--archivo", destino});
    ASSERT_EQ(r.codigo, 0) << r.err;
    // No error: only the check's warnings about the fixture's two bad tax identifiers.
    std::istringstream err(r.err);
    for (std::string linea; std::getline(err, linea);)
        EXPECT_EQ(linea.rfind("Aviso: ", 0), 0u) << linea;
    EXPECT_EQ(LeeArchivo(destino), ArchivoEsperado({0, 1, 2, 5, 6, 7}));
}

TEST_F(CliExportar, CadenaLocalConArchivoInexistente) {
    const std::string falta = tmp / "no_existe.db";
    const auto r = Cli({"exportar", "--conexion", "Provider=SQLite;Data Source=" + falta + ";",
                        "--archivo", destino});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("No existe la base de datos"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(falta));
}

}  // namespace
