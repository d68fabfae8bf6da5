// Script execution and database provisioning of the global module: the transaction batch over
// both backends, the creation script and the login statements.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "BasesPrueba.h"
#include "PuertosPrueba.h"
#include "app/Sistema.h"
#include "components/CarpetaTemporal.h"
#include "components/Estacion.h"
#include "components/Texto.h"
#include "data/DB_Dll.h"
#include "data/Errores.h"
#include "data/Scripts.h"
#include "soporte/BaseDePrueba.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using prueba::CarpetaTemporal;
using prueba::LeeBytes;

using EntornoFijado = prueba_sistema::VariableEntorno;

constexpr const char* kTablasScript =
    "CREATE TABLE PADRE(ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10) UNIQUE, "
    "CANT INTEGER CHECK (CANT >= 0));"
    "INSERT INTO PADRE VALUES(1, 'A', 0);";

struct FilaAux {
    std::string proceso, error, descripcion, sql;
};

std::vector<FilaAux> FilasAux(const std::string& archivo) {
    std::vector<FilaAux> filas;
    sqlite3* h = nullptr;
    sqlite3_open_v2(archivo.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT Proceso, Error, Descripcion, SQL FROM AUX_ERR ORDER BY ID",
                           -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            auto t = [&](int c) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                return std::string(p ? p : "(null)");
            };
            filas.push_back({t(0), t(1), t(2), t(3)});
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return filas;
}

// The out arguments of one run.
struct Resultado {
    bool fallo = false;
    long numero = -1;
    std::string lote = "sin tocar", texto = "sin tocar";
};

// What each backend reports: the native backend gives SQLite's extended result codes, the ODBC
// driver the primary code (19 for every constraint) with the message text.
struct Codigos {
    long clavePrimaria, unica, check, sinTabla;
};

Codigos CodigosDe(const prueba::Acceso& a) {
    if (std::string_view(a.nombre) == prueba::kNativo.nombre) return {1555, 2067, 275, 1};
    return {19, 19, 19, 1};
}

class Lote : public ::testing::TestWithParam<prueba::Acceso> {
  protected:
    void SetUp() override {
        ::prueba::CreaBaseConEsquema(base);
        prueba::SqlDirecto(base, kTablasScript);
        sis.db.OpenServerADODB(false, adUseClient, GetParam().cadena(base), false, true);
        ASSERT_TRUE(sis.db.gCnn().Abierta());
    }

    Resultado Corre(const std::vector<std::string>& lineas, bool duplicado, bool restriccion,
                    bool mensaje) {
        Resultado r;
        GActualizarDatoScript(sis, lineas, r.fallo, r.numero, duplicado, restriccion, r.lote,
                              r.texto, mensaje);
        return r;
    }
    long long Cuenta(const std::string& condicion = "1=1") {
        return prueba::EnteroDirecto(base, "SELECT count(*) FROM PADRE WHERE " + condicion);
    }
    // Another connection can write only when this one holds no transaction open.
    void SinTransaccionAbierta() {
        EXPECT_NO_THROW(prueba::SqlDirecto(base, "UPDATE PADRE SET CANT = CANT WHERE ID = 1"));
    }

    const Codigos codigos = CodigosDe(GetParam());
    CarpetaTemporal tmp;
    std::string home = tmp / "home";
    std::string base = tmp / "suite.db";
    EntornoFijado envHome{"TAMARIS_HOME", home.c_str()};
    EntornoFijado envTemp{"TEMP", nullptr};
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
};

TEST_P(Lote, LineasEnBlancoNoEnvianNada) {
    Resultado r;
    r.fallo = true;
    r.numero = 77;
    GActualizarDatoScript(sis, std::vector<std::string>{"", "   ", "\t"}, r.fallo, r.numero, false,
                          false, r.lote, r.texto, true);
    EXPECT_FALSE(r.fallo);
    EXPECT_EQ(r.numero, 77);
    EXPECT_EQ(r.lote, "sin tocar");
    EXPECT_EQ(r.texto, "sin tocar");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    EXPECT_TRUE(FilasAux(base).empty());
    SinTransaccionAbierta();
}

TEST_P(Lote, LoteCorrectoSeConfirma) {
    const Resultado r =
        Corre({"  ", "INSERT INTO PADRE VALUES(2, 'B', 1)", ""}, false, false, true);
    EXPECT_FALSE(r.fallo);
    EXPECT_EQ(r.numero, 0);
    EXPECT_EQ(r.lote, "BEGIN TRANSACTION \r\r\rINSERT INTO PADRE VALUES(2, 'B', 1)\r");
    EXPECT_EQ(r.texto, "sin tocar");
    EXPECT_EQ(Cuenta("ID = 2"), 1);
    EXPECT_TRUE(FilasAux(base).empty());
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    SinTransaccionAbierta();
}

TEST_P(Lote, VariasSentenciasEnUnaTransaccion) {
    Resultado r =
        Corre({"INSERT INTO PADRE VALUES(2, 'B', 1);", "  ", "INSERT INTO PADRE VALUES(3, 'C', 2)"},
              false, false, true);
    EXPECT_FALSE(r.fallo);
    EXPECT_EQ(r.numero, 0);
    EXPECT_EQ(r.lote,
              "BEGIN TRANSACTION \r\r\rINSERT INTO PADRE VALUES(2, 'B', 1);\rINSERT INTO PADRE "
              "VALUES(3, 'C', 2)\r");
    EXPECT_EQ(Cuenta(), 3);
    SinTransaccionAbierta();

    // A failing statement undoes the ones before it: nothing of the batch stays.
    r = Corre({"INSERT INTO PADRE VALUES(5, 'E', 0);", "UPDATE PADRE SET CANT = 9;",
               "INSERT INTO PADRE VALUES(1, 'Z', 0);", "INSERT INTO PADRE VALUES(6, 'F', 0);"},
              true, false, true);
    EXPECT_TRUE(r.fallo);
    EXPECT_EQ(r.numero, codigos.clavePrimaria);
    EXPECT_EQ(Cuenta(), 3);
    EXPECT_EQ(Cuenta("ID IN (5, 6) OR CANT = 9"), 0);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    SinTransaccionAbierta();
}

TEST_P(Lote, ClaveDuplicadaSilenciosa) {
    const Resultado r = Corre({"INSERT INTO PADRE VALUES(1, 'Z', 0)"}, true, false, true);
    EXPECT_TRUE(r.fallo);
    EXPECT_EQ(r.numero, codigos.clavePrimaria);
    // Only the description, without the number.
    EXPECT_NE(r.texto.find("UNIQUE constraint failed: PADRE.ID"), std::string::npos) << r.texto;
    EXPECT_EQ(r.texto.find(" : "), std::string::npos) << r.texto;
    EXPECT_FALSE(r.texto.ends_with("\r\n"));
    EXPECT_EQ(Cuenta(), 1);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    SinTransaccionAbierta();

    // The failure is recorded, with the collected text emptied.
    const auto filas = FilasAux(base);
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0].proceso, NombrePrograma());
    EXPECT_EQ(filas[0].error, std::to_string(r.numero));
    EXPECT_EQ(filas[0].descripcion, std::string(250, ' '));
    EXPECT_EQ(filas[0].sql, r.lote);
    EXPECT_EQ(filas[0].sql, "BEGIN TRANSACTION \r\r\rINSERT INTO PADRE VALUES(1, 'Z', 0)\r");
}

TEST_P(Lote, ClaveDuplicadaSinIgnorarSeMuestra) {
    const Resultado r = Corre({"INSERT INTO PADRE VALUES(6, 'A', 0)"}, false, true, true);
    EXPECT_TRUE(r.fallo);
    EXPECT_EQ(r.numero, codigos.unica);
    ASSERT_TRUE(r.texto.starts_with(std::to_string(r.numero) + " : ")) << r.texto;
    EXPECT_NE(r.texto.find("UNIQUE constraint failed: PADRE.CODIGO"), std::string::npos);
    EXPECT_EQ(r.texto.find("\r\n"), r.texto.size() - 2) << "una sola línea";
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_EQ(puertos.mensajes.mostrados[0].texto, r.texto);
    EXPECT_EQ(puertos.mensajes.mostrados[0].botones, mb::kCritico);
    EXPECT_EQ(puertos.mensajes.mostrados[0].titulo, "Aviso al Operador!");
    const auto filas = FilasAux(base);
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0].descripcion, LimitaAncho(r.texto, 250));
    EXPECT_EQ(Cuenta(), 1);
    SinTransaccionAbierta();
}

TEST_P(Lote, UnicoSilenciosoComoDuplicado) {
    const Resultado r = Corre({"INSERT INTO PADRE VALUES(7, 'A', 0)"}, true, false, true);
    EXPECT_TRUE(r.fallo);
    EXPECT_EQ(r.numero, codigos.unica);
    EXPECT_NE(r.texto.find("UNIQUE constraint failed: PADRE.CODIGO"), std::string::npos);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Lote, ConflictoDeRestriccion) {
    const std::vector<std::string> lineas = {"INSERT INTO PADRE VALUES(8, 'H', -1)"};
    Resultado r = Corre(lineas, false, true, true);
    EXPECT_TRUE(r.fallo);
    EXPECT_EQ(r.numero, codigos.check);
    EXPECT_NE(r.texto.find("CHECK constraint failed"), std::string::npos) << r.texto;
    EXPECT_EQ(r.texto.find(" : "), std::string::npos) << r.texto;
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());

    // Silencing duplicates says nothing about constraints.
    r = Corre(lineas, true, false, true);
    EXPECT_TRUE(r.fallo);
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_TRUE(r.texto.starts_with(std::to_string(r.numero) + " : ")) << r.texto;
    EXPECT_EQ(Cuenta("ID = 8"), 0);
    EXPECT_EQ(FilasAux(base).size(), 2u);
    SinTransaccionAbierta();
}

TEST_P(Lote, SentenciaInvalidaSinMensajeCuandoNoSePide) {
    const Resultado r = Corre({"INSERT INTO NO_EXISTE VALUES(1)"}, true, true, false);
    EXPECT_TRUE(r.fallo);
    EXPECT_EQ(r.numero, codigos.sinTabla);
    EXPECT_NE(r.texto.find("no such table"), std::string::npos) << r.texto;
    EXPECT_TRUE(r.texto.starts_with(std::to_string(r.numero) + " : "));
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    SinTransaccionAbierta();

    // The connection goes on working.
    const Resultado bien = Corre({"INSERT INTO PADRE VALUES(9, 'I', 0)"}, false, false, true);
    EXPECT_FALSE(bien.fallo);
    EXPECT_EQ(Cuenta("ID = 9"), 1);
}

TEST_P(Lote, UnErrorAnteriorNoHaceFallarElLote) {
    try {
        sis.db.gCnn().Execute("SELECT * FROM NO_EXISTE");
    } catch (const std::exception&) {
    }
    ASSERT_FALSE(sis.db.gCnn().Errors().empty());
    const Resultado r = Corre({"INSERT INTO PADRE VALUES(10, 'J', 0)"}, false, false, true);
    EXPECT_FALSE(r.fallo);
    EXPECT_EQ(r.numero, 0);
    EXPECT_EQ(Cuenta("ID = 10"), 1);
}

TEST_P(Lote, ConexionCerradaFalla) {
    sis.db.gCnn().Close();
    const Resultado r = Corre({"INSERT INTO PADRE VALUES(11, 'K', 0)"}, false, false, true);
    EXPECT_TRUE(r.fallo);
    EXPECT_EQ(r.numero, err::kConexionInvalida);
    EXPECT_EQ(Cuenta("ID = 11"), 0);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

INSTANTIATE_TEST_SUITE_P(Motores, Lote, ::testing::Values(prueba::kNativo, prueba::kOdbc),
                         prueba::NombreAcceso);

TEST(TextoErroresLote, UnaLineaPorErrorMenosElUltimo) {
    const ErrorProveedor a{1, "Clave duplicada", "23000", 2627, "x"};
    const ErrorProveedor b{1, "Conflicto", "23000", 547, "x"};
    const ErrorProveedor c{1, "Se terminó la instrucción.", "01000", 3621, "x"};
    EXPECT_EQ(TextoErroresLote(std::vector<ErrorProveedor>{}), "");
    EXPECT_EQ(TextoErroresLote(std::vector{a}), "2627 : Clave duplicada\r\n");
    EXPECT_EQ(TextoErroresLote(std::vector{a, c}), "2627 : Clave duplicada\r\n");
    EXPECT_EQ(TextoErroresLote(std::vector{a, b, c}),
              "2627 : Clave duplicada\r\n547 : Conflicto\r\n");
}

// ---- provisioning ----

class Aprovisiona : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(home);
        std::filesystem::create_directories(temporal);
        ::prueba::CreaBaseConEsquema(base);
        sis.db.OpenServerADODB(false, adUseClient, prueba::CadenaNativa(base), false, true);
        ASSERT_TRUE(sis.db.gCnn().Abierta());
        sis.db.gUsuario = "operador";
        sis.db.gDBName = "SUITE";
    }
    void ConCompleto() {
        prueba::GrabaBytes(home + prueba_sistema::kBarra + "completotme.sql", "-- completo\r\n");
    }
    void SinCambios() {
        EXPECT_TRUE(sis.db.gCnn().Abierta());
        EXPECT_EQ(sis.db.gUsuario, "operador");
        EXPECT_EQ(sis.db.gDBName, "SUITE");
        EXPECT_FALSE(std::filesystem::exists(home + prueba_sistema::kBarra + "TMERR.LOG"));
    }

    CarpetaTemporal tmp;
    std::string home = tmp / "home";
    std::string temporal = tmp / "temporal";
    std::string base = tmp / "suite.db";
    EntornoFijado envHome{"TAMARIS_HOME", home.c_str()};
    EntornoFijado envTemp{"TEMP", temporal.c_str()};
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
};

std::string ScriptEsperado() {
    return "Create Database BASE1 COLLATE Latin1_General_CI_AI \r\r\n"
           "GO\r\r\n"
           "USE BASE1\r\r\n"
           "EXEC  sp_addlogin N'BASE1', 'BASE1', 'BASE1'\r\r\n"
           "EXEC sp_addsrvrolemember N'BASE1', sysadmin\r\r\n"
           "EXEC sp_addsrvrolemember N'BASE1', securityadmin\r\r\n"
           "EXEC sp_addsrvrolemember N'BASE1', serveradmin\r\r\n"
           "EXEC sp_addsrvrolemember N'BASE1',  setupadmin\r\r\n"
           "EXEC sp_addsrvrolemember N'BASE1', processadmin\r\r\n"
           "EXEC sp_addsrvrolemember N'BASE1', diskadmin\r\r\n"
           "EXEC sp_addsrvrolemember N'BASE1', dbcreator\r\r\n"
           "EXEC sp_grantdbaccess @loginame = 'BASE1' , @name_in_db ='BASE1'\r\r\n"
           "EXEC sp_addrolemember N'db_accessadmin', N'BASE1'\r\r\n"
           "EXEC sp_addrolemember N'db_backupoperator', N'BASE1'\r\r\n"
           "EXEC sp_addrolemember N'db_datareader', N'BASE1'\r\r\n"
           "EXEC sp_addrolemember N'db_datawriter', N'BASE1'\r\r\n"
           "EXEC sp_addrolemember N'db_ddladmin', N'BASE1'\r\r\n"
           "EXEC sp_addrolemember N'db_owner', N'BASE1'\r\r\n"
           "EXEC sp_addrolemember N'db_securityadmin', N'BASE1'\r\r\n";
}

TEST_F(Aprovisiona, CreaBaseDatosEscribeElScript) {
    ConCompleto();
    prueba::GrabaBytes(temporal + prueba_sistema::kBarra + "CDB7.SQL",
                       "anterior, más largo que nada\r\n");
    EXPECT_EQ(RutaScriptCreacion(), temporal + prueba_sistema::kBarra + "CDB7.SQL");
    EXPECT_TRUE(CreaBaseDatos(sis, "tcp/SRV01:1433", "no", "usados", "  BASE1 "));
    EXPECT_EQ(LeeBytes(temporal + prueba_sistema::kBarra + "CDB7.SQL"), ScriptEsperado());
    EXPECT_EQ(tmp.Entradas(), "home,suite.db,temporal");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    // A database file has no logins: the connection stays as it was.
    SinCambios();
}

TEST_F(Aprovisiona, CreaBaseDatosSinTempUsaLaCarpetaPorDefecto) {
    ConCompleto();
    envTemp.Pon("  ");
    EXPECT_EQ(RutaScriptCreacion(), home + prueba_sistema::kBarra + "CDB7.SQL");
    EXPECT_TRUE(CreaBaseDatos(sis, "SRV01", "", "", "BASE1"));
    EXPECT_EQ(LeeBytes(home + prueba_sistema::kBarra + "CDB7.SQL"), ScriptEsperado());
    EXPECT_FALSE(std::filesystem::exists(temporal + prueba_sistema::kBarra + "CDB7.SQL"));
}

TEST_F(Aprovisiona, CreaBaseDatosSinCompletoPideElArchivo) {
    EXPECT_FALSE(CreaBaseDatos(sis, "SRV01", "", "", "BASE1"));
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 1u);
    EXPECT_EQ(puertos.mensajes.mostrados[0].texto,
              "No se encuentra el archivo " + home + prueba_sistema::kBarra +
                  "completotme.sql, Por favor, ingrese la ruta donde se encuentra! ");
    EXPECT_EQ(puertos.mensajes.mostrados[0].botones, mb::kOk);
    EXPECT_FALSE(std::filesystem::exists(temporal + prueba_sistema::kBarra + "CDB7.SQL"));
    SinCambios();
}

TEST_F(Aprovisiona, CreaUsuarioBaseNoHaceNadaEnUnArchivo) {
    ConCompleto();
    CreaUsuarioBase(sis, "TM_ESTADISTICAS", "TM_ESTADISTICAS", "RB_CONSTELACION");
    CreaUsuarioBase(sis, "TM_ESTADISTICAS", "TM_ESTADISTICAS", "RB_CONSTELACION",
                    &sis.estadisticas);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    EXPECT_FALSE(std::filesystem::exists(temporal + prueba_sistema::kBarra + "CDB7.SQL"));
    EXPECT_FALSE(std::filesystem::exists(home + prueba_sistema::kBarra + "CDB7.SQL"));
    EXPECT_FALSE(sis.estadisticas.gCnn().Abierta());
    EXPECT_EQ(prueba::EnteroDirecto(base, "SELECT count(*) FROM AUX_ERR"), 0);
    SinCambios();
}

TEST(SentenciasUsuario, SqlServer) {
    EXPECT_EQ(SentenciaLoginSqlServer("TM_ESTADISTICAS", "TM_ESTADISTICAS", "RB_CONSTELACION"),
              "EXEC  sp_addlogin N'TM_ESTADISTICAS', 'RB_CONSTELACION', "
              "'TM_ESTADISTICAS','Spanish'");
    // A quote in a value cannot end its literal.
    EXPECT_EQ(SentenciaLoginSqlServer("B", "O'BRIEN", "x'y"),
              "EXEC  sp_addlogin N'O''BRIEN', 'x''y', 'B','Spanish'");
    EXPECT_EQ(
        SentenciasRolesSqlServer("L"),
        (std::vector<std::string>{
            " EXEC sp_addsrvrolemember N'L', sysadmin EXEC sp_addsrvrolemember N'L', securityadmin"
            " EXEC sp_addsrvrolemember N'L', serveradmin EXEC sp_addsrvrolemember N'L',  "
            "setupadmin EXEC sp_addsrvrolemember N'L', processadmin EXEC sp_addsrvrolemember "
            "N'L', diskadmin EXEC sp_addsrvrolemember N'L', dbcreator",
            " EXEC sp_grantdbaccess @loginame = 'L' , @name_in_db ='L'",
            " EXEC sp_addrolemember N'db_accessadmin', N'L' EXEC sp_addrolemember "
            "N'db_backupoperator', N'L' EXEC sp_addrolemember N'db_datareader', N'L' EXEC "
            "sp_addrolemember N'db_datawriter', N'L' EXEC sp_addrolemember N'db_ddladmin', N'L' "
            "EXEC sp_addrolemember N'db_owner', N'L' EXEC sp_addrolemember N'db_securityadmin', "
            "N'L'"}));
}

TEST(SentenciasUsuario, Oracle) {
    const std::string s = ScriptUsuarioOracle("TM", "clave");
    ASSERT_TRUE(s.ends_with("\r\n"));
    std::vector<std::string> lineas;
    std::size_t desde = 0;
    for (std::size_t p; (p = s.find("\r\n", desde)) != std::string::npos; desde = p + 2)
        lineas.push_back(s.substr(desde, p - desde));
    ASSERT_EQ(lineas.size(), 5u + 33u + 2u + 35u);
    EXPECT_EQ(lineas[0], "CREATE USER TM IDENTIFIED BY \"clave\"");
    EXPECT_EQ(lineas[1], " DEFAULT TABLESPACE USERS");
    EXPECT_EQ(lineas[2], " TEMPORARY TABLESPACE TEMP");
    EXPECT_EQ(lineas[3], " PROFILE Default");
    EXPECT_EQ(lineas[4], " ACCOUNT UNLOCK");
    EXPECT_EQ(lineas[5], " GRANT DBA TO TM WITH ADMIN OPTION");
    EXPECT_EQ(lineas[8], " GRANT \"CONNECT\" TO TM WITH ADMIN OPTION");
    EXPECT_EQ(lineas[10], " GRANT \"RESOURCE\" TO TM WITH ADMIN OPTION");
    EXPECT_EQ(lineas[37], " GRANT GATHER_SYSTEM_STATISTICS TO TM WITH ADMIN OPTION");
    EXPECT_EQ(lineas[38], " ALTER USER TM DEFAULT ROLE DBA,\"CONNECT\"");
    EXPECT_EQ(lineas[39], " GRANT UNLIMITED TABLESPACE TO TM WITH ADMIN OPTION");
    EXPECT_EQ(lineas[40], " GRANT EXECUTE ON CTXSYS.CTX_VALIDATE TO TM WITH GRANT OPTION");
    EXPECT_EQ(lineas[43], " GRANT EXECUTE ON EXFSYS.EXF$EXPCORRCHKOCI TO TM WITH GRANT OPTION");
    EXPECT_EQ(lineas.back(), " GRANT EXECUTE ON XDB.XDB_DATASTORE_PROC TO TM WITH GRANT OPTION");
}

}  // namespace
}  // namespace tamaris
