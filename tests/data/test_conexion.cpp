// The connection over both backends: states, statements, provider errors, transactions,
// catalogue and command time-out.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "BasesPrueba.h"
#include "data/odbc/MotorOdbc.h"

namespace tamaris {
namespace {

using prueba::Acceso;
using prueba::ErrorDe;
using prueba::PruebaAcceso;

TEST_P(PruebaAcceso, AbreYCierraConSusEstados) {
    EXPECT_EQ(cn.State(), adStateOpen);
    EXPECT_EQ(cn.plataforma(), Plataforma::SQLite);
    EXPECT_EQ(cn.NombreDbms(), "SQLite");
    EXPECT_EQ(cn.ConnectionString(), GetParam().cadena(archivo));

    EXPECT_EQ(ErrorDe([&] { cn.Open(GetParam().cadena(archivo)); }).Numero(),
              err::kConexionAbierta);
    EXPECT_EQ(cn.State(), adStateOpen);

    cn.Close();
    EXPECT_EQ(cn.State(), adStateClosed);
    EXPECT_EQ(ErrorDe([&] { cn.Close(); }).Numero(), err::kConexionCerrada);

    // Open without a string uses the one kept.
    cn.Open("");
    EXPECT_EQ(cn.State(), adStateOpen);
}

TEST_P(PruebaAcceso, ConexionCerradaNoSirveParaOperar) {
    cn.Close();
    const std::vector<std::function<void()>> operaciones = {
        [&] { cn.Execute("DELETE FROM T"); },
        [&] { cn.Consultar("SELECT * FROM T"); },
        [&] { cn.BeginTrans(); },
        [&] { cn.OpenSchema(adSchemaTables); },
    };
    for (const auto& op : operaciones) {
        ErrorBD e = ErrorDe(op);
        EXPECT_EQ(e.Numero(), err::kConexionInvalida);
        EXPECT_STREQ(e.what(),
                     "La conexión no puede usarse para esta operación. Está cerrada o no es válida "
                     "en este contexto.");
    }
    EXPECT_EQ(Cuenta(), 3);
}

TEST_P(PruebaAcceso, ArchivoInexistenteNoSeCrea) {
    Conexion otra;
    const std::string falta = prueba::ArchivoTemporal("falta");
    ErrorBD e = ErrorDe([&] { otra.Open(GetParam().cadena(falta)); });
    EXPECT_EQ(e.Numero(), err::kFalloGenerico);
    EXPECT_FALSE(otra.Errors().empty());
    EXPECT_EQ(otra.State(), adStateClosed);
    EXPECT_FALSE(std::filesystem::exists(falta));
}

TEST_P(PruebaAcceso, ExecuteDevuelveLasFilasAfectadas) {
    EXPECT_EQ(cn.Execute("UPDATE T SET NOTA = 'y' WHERE ID < 3"), 2);
    EXPECT_EQ(cn.Execute("DELETE FROM T WHERE ID = 99"), 0);
    EXPECT_EQ(cn.Execute("INSERT INTO T (ID, NOMBRE) VALUES (4, 'Cóndor')"), 1);
    EXPECT_EQ(Cuenta("NOTA = 'y'"), 2);
    EXPECT_EQ(Cuenta(), 4);
}

struct CasoError {
    const char* sql;
    long numero;
    const char* Acceso::*estado;
};

TEST_P(PruebaAcceso, ErroresDelProveedor) {
    const CasoError casos[] = {
        {"SELECT * FROM NO_EXISTE", err::kTablaInexistente, &Acceso::estadoTablaInexistente},
        {"SELEC * FROM T", err::kErrorComando, &Acceso::estadoSintaxis},
        {"SELECT NO_HAY FROM T", err::kErrorComando, &Acceso::estadoColumna},
        {"INSERT INTO T (ID, NOMBRE) VALUES (5, 'Zorro')", err::kIntegridad,
         &Acceso::estadoIntegridad},
        {"INSERT INTO T (ID, NOMBRE) VALUES (1, 'Otro')", err::kIntegridad,
         &Acceso::estadoIntegridad},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.sql);
        cn.Errors().clear();
        ErrorBD e = ErrorDe([&] { cn.Execute(c.sql); });
        EXPECT_EQ(e.Numero(), c.numero);
        ASSERT_FALSE(e.Registros().empty());
        ASSERT_EQ(cn.Errors().size(), e.Registros().size());
        const ErrorProveedor& r = cn.Errors().front();
        EXPECT_EQ(r.Number, c.numero);
        EXPECT_EQ(r.SQLState, GetParam().*c.estado);
        EXPECT_NE(r.NativeError, 0);
        EXPECT_FALSE(r.Description.empty());
        EXPECT_EQ(std::string(e.what()), r.Description);
    }
    EXPECT_EQ(Cuenta(), 3);
}

TEST_P(PruebaAcceso, LosErroresQuedanHastaElSiguienteFallo) {
    ErrorDe([&] { cn.Execute("SELECT * FROM NO_EXISTE"); });
    ASSERT_FALSE(cn.Errors().empty());
    EXPECT_EQ(cn.Errors().front().Number, err::kTablaInexistente);

    cn.Execute("UPDATE T SET NOTA = NOTA");
    EXPECT_EQ(cn.Errors().front().Number, err::kTablaInexistente);

    // The object's own errors are not the provider's: the collection stays.
    cn.Close();
    ErrorDe([&] { cn.Execute("UPDATE T SET NOTA = NOTA"); });
    EXPECT_EQ(cn.Errors().front().Number, err::kTablaInexistente);
}

TEST_P(PruebaAcceso, TransaccionesConfirmanYDeshacen) {
    cn.BeginTrans();
    cn.Execute("INSERT INTO T (ID, NOMBRE) VALUES (10, 'Deshecha')");
    cn.RollbackTrans();
    EXPECT_EQ(Cuenta(), 3);

    cn.BeginTrans();
    cn.Execute("INSERT INTO T (ID, NOMBRE) VALUES (11, 'Confirmada')");
    cn.CommitTrans();
    EXPECT_EQ(Cuenta("NOMBRE = 'Confirmada'"), 1);

    // Autocommit is back: a plain statement lands at once.
    cn.Execute("INSERT INTO T (ID, NOMBRE) VALUES (12, 'Suelta')");
    EXPECT_EQ(Cuenta("ID = 12"), 1);

    EXPECT_EQ(ErrorDe([&] { cn.CommitTrans(); }).Numero(), err::kFalloGenerico);
}

TEST_P(PruebaAcceso, CerrarConTransaccionAbiertaLaDeshace) {
    cn.BeginTrans();
    cn.Execute("INSERT INTO T (ID, NOMBRE) VALUES (10, 'Pendiente')");
    cn.Close();
    EXPECT_EQ(Cuenta(), 3);
}

std::vector<std::vector<Variant>> Filas(Cursor& c) {
    std::vector<std::vector<Variant>> filas;
    std::vector<Variant> f;
    while (c.Siguiente(f)) filas.push_back(f);
    return filas;
}

int Columna(const Cursor& c, const std::string& nombre) {
    const auto& cols = c.Columnas();
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i].nombre == nombre) return static_cast<int>(i);
    ADD_FAILURE() << "falta la columna " << nombre;
    return 0;
}

TEST_P(PruebaAcceso, EsquemaDeTablas) {
    auto c = cn.OpenSchema(adSchemaTables);
    const int nombre = Columna(*c, "TABLE_NAME"), tipo = Columna(*c, "TABLE_TYPE");
    Columna(*c, "TABLE_CATALOG");
    Columna(*c, "TABLE_SCHEMA");
    std::map<std::string, std::string> tablas;
    for (const auto& f : Filas(*c)) tablas[f[nombre].Texto()] = f[tipo].Texto();
    EXPECT_EQ(tablas["T"], "TABLE");
    EXPECT_EQ(tablas["VACIA"], "TABLE");
    EXPECT_EQ(tablas["V_T"], "VIEW");
}

TEST_P(PruebaAcceso, EsquemaDeColumnasSinMirarMayusculas) {
    const Acceso& a = GetParam();
    // The suite passes the database name as catalogue; an SQLite file has none to match.
    auto c = cn.OpenSchema(adSchemaColumns, archivo, "", "t");
    const int tabla = Columna(*c, "TABLE_NAME"), col = Columna(*c, "COLUMN_NAME"),
              orden = Columna(*c, "ORDINAL_POSITION"), tipo = Columna(*c, "DATA_TYPE"),
              nulos = Columna(*c, "IS_NULLABLE");
    auto filas = Filas(*c);
    struct Esperado {
        const char* nombre;
        int tipo;
    };
    const std::vector<Esperado> esperado = {
        {"ID", 3},          {"NOMBRE", a.tipoVarchar}, {"FECHA", 135},
        {"IMPORTE", 131},   {"ACTIVO", a.tipoBit},     {"NOTA", a.tipoTexto},
        {"DIA", a.tipoDate}};
    ASSERT_EQ(filas.size(), esperado.size());
    for (size_t i = 0; i < filas.size(); ++i) {
        SCOPED_TRACE(esperado[i].nombre);
        EXPECT_EQ(filas[i][tabla].Texto(), "T");
        EXPECT_EQ(filas[i][col].Texto(), esperado[i].nombre);
        EXPECT_EQ(filas[i][orden].Entero(), static_cast<int64_t>(i + 1));
        EXPECT_EQ(filas[i][tipo].Entero(), esperado[i].tipo);
        EXPECT_TRUE(filas[i][nulos].tipo() == Variant::Tipo::Booleano);
    }

    auto vacia = cn.OpenSchema(adSchemaColumns, "", "", "NO_EXISTE");
    EXPECT_TRUE(Filas(*vacia).empty());
    EXPECT_EQ(ErrorDe([&] { cn.OpenSchema(12345); }).Numero(), 3251);
}

// Counting to a thousand million takes minutes: only the time-out can end it in a second.
constexpr const char* kConsultaEterna =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000000) "
    "SELECT count(*) FROM c";

TEST_P(PruebaAcceso, TiempoDeEsperaCortaUnaConsultaLarga) {
    cn.SetCommandTimeout(1);
    EXPECT_EQ(cn.CommandTimeout(), 1);
    auto inicio = std::chrono::steady_clock::now();
    ErrorBD e = ErrorDe([&] {
        Recordset rs;
        rs.Open(kConsultaEterna, cn, adOpenForwardOnly, adLockReadOnly);
    });
    auto segundos =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    EXPECT_EQ(e.Numero(), err::kTiempoAgotado);
    EXPECT_LT(segundos, 5.0);
    ASSERT_FALSE(cn.Errors().empty());
    EXPECT_EQ(cn.Errors().front().SQLState, "HYT00");

    // The connection goes on working, and a statement that fits in the time passes.
    EXPECT_EQ(cn.Execute("UPDATE T SET NOTA = 'sigue' WHERE ID = 1"), 1);
    cn.SetCommandTimeout(0);
    Recordset rs;
    rs.Open(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000) "
        "SELECT count(*) FROM c",
        cn, adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(rs.Valor(0).Entero(), 1000);
}

TEST_P(PruebaAcceso, TiempoDeEsperaTambienEnExecute) {
    cn.SetCommandTimeout(1);
    auto inicio = std::chrono::steady_clock::now();
    ErrorBD e =
        ErrorDe([&] { cn.Execute(std::string("CREATE TABLE CUENTA AS ") + kConsultaEterna); });
    EXPECT_EQ(e.Numero(), err::kTiempoAgotado);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(),
              5.0);
}

TEST_P(PruebaAcceso, TiempoNegativoNoSeAcepta) {
    EXPECT_EQ(ErrorDe([&] { cn.SetCommandTimeout(-1); }).Numero(), 3001);
    EXPECT_EQ(cn.CommandTimeout(), 30);
}

TEST_P(PruebaAcceso, BaseDefectoYAislamientoNoMolestan) {
    cn.SetDefaultDatabase("cualquiera");
    EXPECT_EQ(cn.DefaultDatabase(), "cualquiera");
    cn.SetIsolationLevel(adXactReadUncommitted);
    EXPECT_EQ(cn.IsolationLevel(), adXactReadUncommitted);
    EXPECT_EQ(cn.Execute("UPDATE T SET NOTA = NOTA"), 3);
}

INSTANTIATE_TEST_SUITE_P(Motores, PruebaAcceso, ::testing::Values(prueba::kNativo, prueba::kOdbc),
                         prueba::NombreAcceso);

// ---- what only the native backend does ----

TEST(ConexionSqlite, ArchivoQueNoEsBaseDeDatos) {
    const std::string ruta = prueba::ArchivoTemporal("texto");
    std::ofstream(ruta) << "esto no es una base de datos, sino un texto bastante largo para que "
                           "SQLite lea su cabecera y la rechace.............................";
    Conexion cn;
    ErrorBD e = ErrorDe([&] { cn.Open(prueba::CadenaNativa(ruta)); });
    EXPECT_EQ(e.Numero(), err::kFalloGenerico);
    EXPECT_EQ(cn.State(), adStateClosed);
    std::filesystem::remove(ruta);
}

TEST(ConexionSqlite, ArchivoInexistenteSeInformaComoJet) {
    const std::string falta = prueba::ArchivoTemporal("falta_jet");
    for (const std::string& cadena :
         {prueba::CadenaNativa(falta), "Provider=Microsoft.Jet.OLEDB.3.51;Data Source=" + falta,
          "Provider=SQLite;Data Source=" + falta}) {
        SCOPED_TRACE(cadena);
        Conexion cn;
        ErrorBD e = ErrorDe([&] { cn.Open(cadena); });
        EXPECT_EQ(e.Numero(), err::kFalloGenerico);
        ASSERT_EQ(cn.Errors().size(), 1u);
        // 3024 is the state under which the suite's Access code asks for the file again.
        EXPECT_EQ(cn.Errors().front().SQLState, "3024");
        EXPECT_NE(std::string(e.what()).find("No se encontró el archivo de base de datos"),
                  std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(falta));
    }
}

TEST(ConexionSqlite, ScriptsDeVariasSentencias) {
    const std::string archivo = prueba::ArchivoTemporal("script");
    prueba::SqlDirecto(archivo, prueba::kEsquema);
    {
        Conexion cn;
        cn.Open(prueba::CadenaNativa(archivo));
        // Row counts add up; DDL counts nothing.
        EXPECT_EQ(cn.Execute("CREATE TABLE S(X INTEGER);\n"
                             "INSERT INTO S VALUES (1);\nINSERT INTO S VALUES (2);\n"
                             "UPDATE T SET NOTA = 's';  -- fin\n"),
                  5);
        // A query after set-up statements gives its rows; a trailing comment is no statement.
        Recordset rs;
        rs.Open("DELETE FROM S WHERE X = 1; SELECT count(*) FROM S; -- fin", cn, adOpenForwardOnly,
                adLockReadOnly);
        EXPECT_EQ(rs.Valor(0).Entero(), 1);
        rs.Close();
        rs.Open("DELETE FROM S; -- fin", cn, adOpenForwardOnly, adLockReadOnly);
        EXPECT_EQ(rs.State(), adStateClosed);
        EXPECT_EQ(prueba::EnteroDirecto(archivo, "SELECT count(*) FROM S"), 0);
        EXPECT_EQ(ErrorDe([&] { cn.Consultar("  -- nada"); }).Numero(), err::kErrorComando);
    }
    std::filesystem::remove(archivo);
}

TEST(ConexionSqlite, ProveedorDesconocido) {
    Conexion cn;
    ErrorBD e = ErrorDe([&] { cn.Open("Provider=MSDAOSP;Data Source=x"); });
    EXPECT_EQ(e.Numero(), err::kFalloGenerico);
    EXPECT_STREQ(e.what(), "Proveedor no reconocido: MSDAOSP");
    ASSERT_EQ(cn.Errors().size(), 1u);
    EXPECT_EQ(cn.Errors().front().Description, "Proveedor no reconocido: MSDAOSP");
}

// A driver that keeps one result open per connection (SQL Server over TDS): a statement sent
// while a recordset is still being read goes to another connection, as ADO does. The SQLite
// driver is told to behave so; a temporary table, which lives in one connection only, shows
// where each statement ran.
TEST(ConexionOdbc, UnaSentenciaPorConexionUsaOtraMientrasSeLee) {
    prueba::VariableEntorno una("TAMARIS_ODBC_UNA_SENTENCIA", "1");
    const std::string archivo = prueba::ArchivoTemporal("una_sentencia");
    prueba::SqlDirecto(archivo, prueba::kEsquema);
    {
        Conexion cn;
        cn.Open(prueba::CadenaOdbc(archivo));
        Recordset leyendo;
        leyendo.Open("SELECT ID FROM T ORDER BY ID", cn, adOpenForwardOnly, adLockReadOnly);
        EXPECT_EQ(leyendo.Valor(0).Entero(), 1);

        cn.Execute("CREATE TEMP TABLE AUX(X INTEGER)");
        cn.Execute("INSERT INTO AUX VALUES (7)");  // the helper connection is free again
        Recordset otro;
        otro.Open("SELECT count(*) FROM T", cn, adOpenForwardOnly, adLockReadOnly);
        EXPECT_EQ(otro.Valor(0).Entero(), 3);
        otro.Close();

        leyendo.MoveNext();
        EXPECT_EQ(leyendo.Valor(0).Entero(), 2);
        leyendo.MoveNext();
        leyendo.MoveNext();
        EXPECT_TRUE(leyendo.Eof());

        // Nothing is being read now: the main connection, which has no AUX, takes it.
        EXPECT_EQ(ErrorDe([&] { cn.Execute("SELECT * FROM AUX"); }).Numero(),
                  err::kTablaInexistente);

        // Inside a transaction everything stays on the main connection.
        leyendo.Close();
        leyendo.Open("SELECT ID FROM T", cn, adOpenForwardOnly, adLockReadOnly);
        cn.BeginTrans();
        EXPECT_EQ(cn.Execute("UPDATE T SET NOTA = 'tx' WHERE ID = 3"), 1);
        cn.RollbackTrans();
        leyendo.Close();
        EXPECT_EQ(prueba::EnteroDirecto(archivo, "SELECT count(*) FROM T WHERE NOTA = 'tx'"), 0);
    }
    std::filesystem::remove(archivo);
}

TEST(ConexionOdbc, ControladorInexistenteDaLosRegistrosDelAdministrador) {
    Conexion cn;
    ErrorBD e = ErrorDe([&] { cn.Open("DRIVER={Controlador Que No Existe};Database=x;"); });
    EXPECT_EQ(e.Numero(), err::kFalloGenerico);
    // The driver manager's own records: state and text of why the driver did not load.
    ASSERT_FALSE(cn.Errors().empty());
    EXPECT_EQ(cn.Errors().front().SQLState.size(), 5u);
    EXPECT_NE(cn.Errors().front().Description.find("Controlador Que No Existe"), std::string::npos);
    EXPECT_EQ(cn.State(), adStateClosed);
}

// Whatever the connection string says, the drivers that would read a whole result into memory
// are told to stream it.
TEST(CadenaDeLectura, ReemplazaLoQueLeeTodoElResultado) {
    EXPECT_EQ(CadenaDeLectura("DRIVER={SQLite3};Database=a.db;StepAPI=0;", "{SQLite3}"),
              "DRIVER={SQLite3};Database=a.db;StepAPI=1;");
    EXPECT_EQ(CadenaDeLectura("Driver={SQLite3}; stepapi = 0 ;Database={a;b.db}", "{SQLite3}"),
              "Driver={SQLite3};Database={a;b.db};StepAPI=1;");
    EXPECT_EQ(CadenaDeLectura("DRIVER={SQLite3};Database=a.db", "{SQLite3}"),
              "DRIVER={SQLite3};Database=a.db;StepAPI=1;");
    EXPECT_EQ(CadenaDeLectura("DRIVER={SQLite3};Database=a.db;StepAPI=1", "{SQLite3}"),
              "DRIVER={SQLite3};Database=a.db;StepAPI=1");
    EXPECT_EQ(CadenaDeLectura("DRIVER={PostgreSQL Unicode};Server=h;UseDeclareFetch=0;Fetch=100",
                              "{PostgreSQL Unicode}"),
              "DRIVER={PostgreSQL Unicode};Server=h;UseDeclareFetch=1;Fetch=2000;");
    EXPECT_EQ(CadenaDeLectura("DRIVER={PostgreSQL Unicode};UseDeclareFetch=1;Fetch=10000000",
                              "{PostgreSQL Unicode}"),
              "DRIVER={PostgreSQL Unicode};UseDeclareFetch=1;Fetch=2000;");
    EXPECT_EQ(CadenaDeLectura("DRIVER={PostgreSQL Unicode};UseDeclareFetch=1;Fetch=500",
                              "{PostgreSQL Unicode}"),
              "DRIVER={PostgreSQL Unicode};UseDeclareFetch=1;Fetch=500");
    EXPECT_EQ(CadenaDeLectura("DSN=ventas;UID=u", "libtdsodbc.so"), "DSN=ventas;UID=u");
}

}  // namespace
}  // namespace tamaris
