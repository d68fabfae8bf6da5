// The suite's configuration rows (read from the main and the statistics database, written to
// the statistics one), the loader and the access log, on real SQLite files.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "Ayudas.h"
#include "app/Configuracion.h"
#include "app/Inicio.h"
#include "components/Estacion.h"
#include "components/Texto.h"

namespace tamaris {
namespace {

using prueba::Cuenta;
using prueba::LeeFilas;

void AbreLocal(DB_Dll& db, const std::string& archivo) {
    db.gProveedor = "SQLite";
    db.OpenLocalADODB(CadenaArchivoLocal(archivo), "User ID", "Jet OLEDB:Database Password");
    db.gOpenFlag = db.gCnn().Abierta();
    ASSERT_TRUE(db.gOpenFlag);
}

class Configuracion : public ::testing::Test {
  protected:
    void SetUp() override {
        prueba::BaseConEsquema(base);
        prueba::BaseConEsquema(estadisticas);
        AbreLocal(sis.db, base);
        AbreLocal(sis.estadisticas, estadisticas);
    }

    void NadaMostrado() {
        EXPECT_TRUE(puertos.mensajes.mostrados.empty()) << puertos.mensajes.Ultimo();
        EXPECT_TRUE(puertos.errores.reportados.empty());
    }

    prueba::CarpetaTemporal tmp;
    std::string hogar = tmp / "hogar";
    prueba::VariableEntorno home{"TAMARIS_HOME", hogar.c_str()};
    std::string base = tmp / "suite.db";
    std::string estadisticas = tmp / "TM_ESTADISTICAS.db";
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
};

TEST_F(Configuracion, LecturaDeClaves) {
    prueba::EjecutaSqlite(base,
                          "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, ValorAux) VALUES "
                          "('CANTIDADDECIMALES', '2', 'aux'), ('NULO', NULL, NULL), "
                          "('VACIO', '', ''), ('THEME2', '', '');");
    struct Caso {
        std::string clave, valor, aux;
    };
    const Caso casos[] = {
        {"CantidadDecimales", "2", "aux"},
        {"  cantidaddecimales  ", "2", "aux"},  // the key is trimmed
        {"NO_EXISTE", " ", ""},                 // a missing key reads as a single blank
        {"NULO", "", ""},
        {"VACIO", "", ""},
        {"THEME", "1", ""},  // a blank "THEME" reads "1"
        {"theme", "1", ""},
        {"THEME2", "", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.clave);
        std::string aux = "antes";
        EXPECT_EQ(LeerConfiguracion(sis, c.clave, aux), c.valor);
        EXPECT_EQ(aux, c.aux);
    }
    prueba::EjecutaSqlite(base,
                          "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('THEME', '3')");
    EXPECT_EQ(LeerConfiguracion(sis, "THEME"), "3");
    NadaMostrado();
}

TEST_F(Configuracion, ClavesDeFechaSeLeenEnMayusculas) {
    // A table that tells keys apart by case shows which statement ran.
    prueba::EjecutaSqlite(base,
                          "CREATE TABLE CFG_CASO (CLAVE TEXT, VALOR TEXT, valoraux TEXT);"
                          "INSERT INTO CFG_CASO VALUES ('[FECHA DESDE]', 'mayusculas', NULL),"
                          " ('[fecha desde]', 'minusculas', NULL), ('clave', 'tal cual', NULL),"
                          " ('CLAVE', 'otra', NULL);");
    sis.TablaConfiguracion = "CFG_CASO";
    EXPECT_EQ(LeerConfiguracion(sis, "[fecha desde]"), "mayusculas");
    EXPECT_EQ(LeerConfiguracion(sis, "clave"), "tal cual");
    sis.TablaConfiguracion = "  ";
    EXPECT_EQ(LeerConfiguracion(sis, "clave"), " ");
    EXPECT_EQ(sis.TablaConfiguracion, "TA_CONFIGURACION");
}

TEST_F(Configuracion, SinConexionNoSeLeeNada) {
    sis.db.gOpenFlag = false;
    std::string aux = "antes";
    EXPECT_EQ(LeerConfiguracion(sis, "THEME", aux), "");
    EXPECT_EQ(aux, "antes");
    sis.estadisticas.gOpenFlag = false;
    EXPECT_EQ(LeerConfiguracionEstadisticas(sis, "TimeOut"), "");
}

TEST_F(Configuracion, ValorConDefectoParaLasConsultas) {
    prueba::EjecutaSqlite(
        base, "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('TOPCONSART', '50')");
    EXPECT_EQ(ValorConfiguracion(sis, "TopConsArt", "1000"), "50");
    EXPECT_EQ(ValorConfiguracion(sis, "NoEsta", "1000"), "1000");
    EXPECT_EQ(ValorConfiguracion(sis, "NoEsta", ""), "");
    const auto lector = LectorConfiguracion(sis);
    EXPECT_EQ(lector("TOPCONSART", ""), "50");
}

TEST_F(Configuracion, GrabaYLeeEnEstadisticas) {
    GrabaConfiguracion(sis, "TimeOut", Variant(0), "", false, "BaseDeDatos", true);
    auto filas = LeeFilas(estadisticas,
                          "SELECT CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio FROM "
                          "TA_CONFIGURACION");
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0], (std::vector<std::string>{"TIMEOUT", "0", "NULL", "BaseDeDatos", "0"}));
    EXPECT_EQ(LeerConfiguracionEstadisticas(sis, "timeout"), "0");
    // Nothing went to the main database.
    EXPECT_EQ(Cuenta(base, "TA_CONFIGURACION"), 0);

    // Writing it again replaces the row (the key is looked up as given; case does not matter).
    GrabaConfiguracion(sis, "timeout", Variant("  120 "), " extra ", true, "Red", true);
    filas = LeeFilas(estadisticas,
                     "SELECT CLAVE, VALOR, ValorAux, Grupo, PoliticaNegocio FROM TA_CONFIGURACION");
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0], (std::vector<std::string>{"TIMEOUT", "120", "extra", "Red", "1"}));
    std::string aux;
    EXPECT_EQ(LeerConfiguracionEstadisticas(sis, "TimeOut", aux), "120");
    EXPECT_EQ(aux, "extra");

    // An empty auxiliary value leaves the stored one; the value keeps its blanks when asked.
    GrabaConfiguracion(sis, "TIMEOUT", Variant(" 90 "), "", false, "Red", false);
    filas = LeeFilas(estadisticas, "SELECT VALOR, ValorAux FROM TA_CONFIGURACION");
    EXPECT_EQ(filas, (prueba::Filas{{" 90 ", "extra"}}));

    // A new key is stored trimmed and upper-case.
    GrabaConfiguracion(sis, " nueva clave ", Variant("x"), "", false, "General", true);
    EXPECT_EQ(
        LeeFilas(estadisticas, "SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'NUEVA CLAVE'"),
        (prueba::Filas{{"x"}}));

    // A quote in a value is kept.
    GrabaConfiguracion(sis, "Nombre", Variant("O'Brien"), "", false, "General", true);
    GrabaConfiguracion(sis, "Nombre", Variant("D'Alessandro"), "", false, "General", true);
    EXPECT_EQ(LeerConfiguracionEstadisticas(sis, "NOMBRE"), "D'Alessandro");
    NadaMostrado();
}

TEST_F(Configuracion, GrabarSinEstadisticasNoHaceNada) {
    sis.estadisticas.gOpenFlag = false;
    GrabaConfiguracion(sis, "TimeOut", Variant(0), "", false, "BaseDeDatos", true);
    EXPECT_EQ(Cuenta(estadisticas, "TA_CONFIGURACION"), 0);
    NadaMostrado();
}

TEST_F(Configuracion, GrabarSinTablaNoDetieneNada) {
    prueba::EjecutaSqlite(estadisticas, "DROP TABLE TA_CONFIGURACION");
    puertos.mensajes.respuestaDefecto = mb::kAbortar;
    GrabaConfiguracion(sis, "TimeOut", Variant(0), "", false, "BaseDeDatos", true);
    EXPECT_TRUE(sis.estadisticas.gCnn().Abierta());
}

TEST_F(Configuracion, CargaLosValoresQueElProgramaConsulta) {
    prueba::EjecutaSqlite(base,
                          "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                          "('CANTIDADDECIMALES', '4'), ('CANTIDADDECIMALESVENTAS', '2'), "
                          "('SS_CONFIDENCIALIDAD', 'SI')");
    CargaConfiguracion(sis, hogar);
    EXPECT_EQ(sis.TablaConfiguracion, "ta_configuracion");
    EXPECT_EQ(sis.CantidadDecimales, "4");
    EXPECT_EQ(sis.Confidencialidad, "SI");
    EXPECT_TRUE(sis.db.Confidencialidad);

    prueba::EjecutaSqlite(
        base, "UPDATE TA_CONFIGURACION SET VALOR = 'NO' WHERE CLAVE = 'SS_CONFIDENCIALIDAD'");
    CargaConfiguracion(sis, hogar);
    EXPECT_FALSE(sis.db.Confidencialidad);
    NadaMostrado();
}

TEST_F(Configuracion, CargaSinTablaConservaLosValores) {
    prueba::EjecutaSqlite(base, "DROP TABLE TA_CONFIGURACION");
    sis.CantidadDecimales = "2";
    sis.db.Confidencialidad = true;
    CargaConfiguracion(sis, hogar);
    EXPECT_EQ(sis.TablaConfiguracion, "ta_configuracion");
    EXPECT_EQ(sis.CantidadDecimales, "2");
    EXPECT_TRUE(sis.db.Confidencialidad);
    NadaMostrado();
}

TEST_F(Configuracion, RegistraElAcceso) {
    sis.db.gUsuario = " Ana ";
    RegistraAcceso(sis, "");
    EXPECT_EQ(sis.UsuarioLogeado, " Ana ");
    const auto filas = LeeFilas(
        base,
        "SELECT Maquina, Usuario, Formulario, Tarea, Ingreso, NombreUsuario FROM Control_Acceso");
    ASSERT_EQ(filas.size(), 1u);
    const auto& f = filas[0];
    EXPECT_EQ(f[0], Mayusculas(Trim(Estacion::NombreMaquina())));
    EXPECT_EQ(f[1], "ANA");
    EXPECT_EQ(f[2], Mayusculas(NombrePrograma()));
    EXPECT_EQ(f[3], "");
    EXPECT_TRUE(std::regex_match(f[4], std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d)"))) << f[4];
    EXPECT_EQ(f[5], " Ana ");

    RegistraAcceso(sis, " Form1 ");
    EXPECT_EQ(LeeFilas(base, "SELECT Formulario FROM Control_Acceso ORDER BY ID").at(1).at(0),
              "FORM1");
    NadaMostrado();
}

TEST_F(Configuracion, TareaDelUsuario) {
    // The statement compares the user with a blank after it, which SQL Server ignores.
    prueba::EjecutaSqlite(base,
                          "INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES "
                          "('M1', 'otro.exe', 'Otra tarea'), ('M2', 'pruebas_app.exe', "
                          "'Percepciones IIBB');"
                          "INSERT INTO TA_TAREAS (USUARIO, TAREA) VALUES ('ana ', 'M1'), "
                          "('ana ', 'M2');");
    sis.db.gUsuario = "ana";
    sis.UsuarioLogeado = "ana";
    EXPECT_EQ(TareaDeAcceso(sis, NombrePrograma()), "Percepciones IIBB");
    RegistraAcceso(sis, "");
    EXPECT_EQ(LeeFilas(base, "SELECT Tarea FROM Control_Acceso").at(0).at(0), "PERCEPCIONES IIBB");

    // Without a task: the program's name for the database's own login and the supervisor.
    sis.db.gUsuario = sis.UsuarioLogeado = "pepe";
    EXPECT_EQ(TareaDeAcceso(sis, NombrePrograma()), "");
    sis.db.gDBName = "PEPE";
    EXPECT_EQ(TareaDeAcceso(sis, NombrePrograma()), NombrePrograma());
    sis.db.gDBName = "otra";
    sis.db.gUsuario = "Supervisor Tamaris MC";
    EXPECT_EQ(TareaDeAcceso(sis, NombrePrograma()), NombrePrograma());
    NadaMostrado();
}

TEST_F(Configuracion, ConLaBaseBloqueadaElAccesoSeOmiteSinDetenerElInicio) {
    prueba::VariableEntorno temp{"TEMP", hogar.c_str()}, tmpDir{"TMP", hogar.c_str()};
    std::filesystem::create_directories(hogar);
    sis.db.gUsuario = "ana";
    sis.db.gCnn().SetCommandTimeout(300);
    sqlite3* otro = nullptr;  // another program, in the middle of writing
    sqlite3_open_v2(base.c_str(), &otro, SQLITE_OPEN_READWRITE, nullptr);
    ASSERT_EQ(sqlite3_exec(otro, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const auto inicio = std::chrono::steady_clock::now();
    RegistraAcceso(sis, "");
    // Generous: the wait is a few seconds; this only catches the 300 s of the command time-out.
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(60));
    sqlite3_exec(otro, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(otro);

    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 0);
    EXPECT_EQ(sis.db.gCnn().CommandTimeout(), 300);
    const std::string log = prueba::LeeArchivo(hogar + "/TMERR.LOG");
    EXPECT_NE(log.find("RegistraAcceso"), std::string::npos) << log;
    EXPECT_NE(log.find("bloqueada por otro programa"), std::string::npos) << log;
    NadaMostrado();
    // Unlocked, the next start is logged again.
    RegistraAcceso(sis, "");
    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 1);
}

TEST_F(Configuracion, SinTablasDeAccesoNoSeRegistraNada) {
    prueba::EjecutaSqlite(base, "DROP TABLE TA_TAREAS; DROP TABLE TA_MENU;");
    sis.db.gUsuario = "ana";
    RegistraAcceso(sis, "");
    EXPECT_EQ(Cuenta(base, "Control_Acceso"), 1);

    prueba::EjecutaSqlite(base, "DROP TABLE Control_Acceso; DROP TABLE AUX_ERR;");
    RegistraAcceso(sis, "");
    NadaMostrado();
    EXPECT_EQ(LeeFilas(base, "SELECT count(*) FROM sqlite_master WHERE name = 'Control_Acceso'")
                  .at(0)
                  .at(0),
              "0");
}

}  // namespace
}  // namespace tamaris
