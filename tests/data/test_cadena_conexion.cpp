// Connection strings: how they are read, and where each one leads.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "BasesPrueba.h"
#include "data/Conexion.h"

namespace tamaris {
namespace {

using prueba::VariableEntorno;

TEST(CadenaConexion, LeeClavesYValores) {
    struct Caso {
        std::string texto;
        std::vector<std::pair<std::string, std::string>> pares;
    };
    const std::vector<Caso> casos = {
        {"Provider=SQLOLEDB;Server=srv;Database =BD;UId=sa;Pwd=x;",
         {{"Provider", "SQLOLEDB"},
          {"Server", "srv"},
          {"Database", "BD"},
          {"UId", "sa"},
          {"Pwd", "x"}}},
        {"  Data Source = C:\\dir\\a.mdb ; User Id=admin",
         {{"Data Source", "C:\\dir\\a.mdb"}, {"User Id", "admin"}}},
        {"DRIVER={SQL Server};PWD={a;b}}c};X=1",
         {{"DRIVER", "SQL Server"}, {"PWD", "a;b}c"}, {"X", "1"}}},
        {"Password=\"con ; punto\";Extended Properties='a=1;b=''2'''",
         {{"Password", "con ; punto"}, {"Extended Properties", "a=1;b='2'"}}},
        {"Pwd=a=b;;sin igual;=huérfano;Vacio=", {{"Pwd", "a=b"}, {"Vacio", ""}}},
        {"", {}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto);
        EXPECT_EQ(CadenaConexion(c.texto).Pares(), c.pares);
    }
}

TEST(CadenaConexion, ValorPorVariasClavesSinMirarMayusculas) {
    CadenaConexion c(
        "PROVIDER=x; database = Ventas ;Initial Catalog=Otra;pwd= clave con blancos ;");
    EXPECT_EQ(c.Valor({"Database"}), "Ventas");
    EXPECT_EQ(c.Valor({"Initial Catalog", "Database"}), "Otra");
    EXPECT_EQ(c.Valor({"Falta", "DATABASE"}), "Ventas");
    EXPECT_EQ(c.Valor({"PWD"}), "clave con blancos");
    EXPECT_EQ(c.Valor({"Falta"}), "");
    EXPECT_TRUE(c.Tiene("provider"));
    EXPECT_FALSE(c.Tiene("Server"));
    // The first occurrence of a key counts.
    EXPECT_EQ(CadenaConexion("A=1;a=2").Valor({"A"}), "1");
}

struct CasoDestino {
    std::string cadena;
    Destino::Tipo tipo;
    Plataforma plataforma;
    std::string odbc;     // for ODBC destinations
    std::string archivo;  // for SQLite
};

void Verifica(const std::vector<CasoDestino>& casos) {
    for (const auto& c : casos) {
        SCOPED_TRACE(c.cadena);
        Destino d = ResuelveCadena(c.cadena);
        EXPECT_EQ(d.tipo, c.tipo);
        EXPECT_EQ(d.plataforma, c.plataforma);
        EXPECT_EQ(d.odbc, c.odbc);
        EXPECT_EQ(d.sqliteArchivo, c.archivo);
    }
}

constexpr const char* kTds = "TDS_Version=7.4;ClientCharset=UTF-8;";

TEST(ResuelveCadena, SqlServerPorFreeTds) {
    VariableEntorno v("TAMARIS_ODBC_SQLSERVER", nullptr);
    const std::string base = "DRIVER={FreeTDS};";
    Verifica({
        {"PROVIDER=SQLOLEDB;Server=srv01;Database =Tamaris;UId=sa;Pwd=secreto;",
         Destino::Tipo::Odbc, Plataforma::SqlServer,
         base + "SERVER=srv01;DATABASE=Tamaris;UID=sa;PWD=secreto;" + kTds, ""},
        // Port and instance stay in SERVER, where FreeTDS reads them.
        {"Provider=SQLOLEDB;Server=10.0.0.5,1433;Database =T;UId=u;Pwd=p;", Destino::Tipo::Odbc,
         Plataforma::SqlServer, base + "SERVER=10.0.0.5,1433;DATABASE=T;UID=u;PWD=p;" + kTds, ""},
        {"Provider=SQLOLEDB;Server=srv\\SQLEXPRESS;Database =T;UId=u;Pwd=p;", Destino::Tipo::Odbc,
         Plataforma::SqlServer, base + "SERVER=srv\\SQLEXPRESS;DATABASE=T;UID=u;PWD=p;" + kTds, ""},
        // Names only Windows knows become the workstation's own.
        {"Provider=SQLOLEDB;Server=(local)\\SQL2019;Database =T;UId=u;Pwd=p;", Destino::Tipo::Odbc,
         Plataforma::SqlServer, base + "SERVER=localhost\\SQL2019;DATABASE=T;UID=u;PWD=p;" + kTds,
         ""},
        {"Provider=SQLOLEDB;Server=tcp:.,1500;Database =T;UId=u;Pwd=p;", Destino::Tipo::Odbc,
         Plataforma::SqlServer, base + "SERVER=localhost,1500;DATABASE=T;UID=u;PWD=p;" + kTds, ""},
        // Other spellings of the keys, and a password that must be braced.
        {"Provider=SQLNCLI11;Data Source=srv;Initial Catalog=T;User ID=u;Password=a;b}c;",
         Destino::Tipo::Odbc, Plataforma::SqlServer,
         base + "SERVER=srv;DATABASE=T;UID=u;PWD=a;" + kTds, ""},
        {"Provider=SQLOLEDB;Server=srv;Database =T;UId=u;Pwd={a;b}}c};", Destino::Tipo::Odbc,
         Plataforma::SqlServer, base + "SERVER=srv;DATABASE=T;UID=u;PWD={a;b}}c};" + kTds, ""},
        // What the suite appends (gExtended) that means nothing to ODBC is left out.
        {"PROVIDER=SQLOLEDB;Server=srv;Database =T;UId=u;Pwd=;Persist Security Info=False",
         Destino::Tipo::Odbc, Plataforma::SqlServer,
         base + "SERVER=srv;DATABASE=T;UID=u;PWD=;" + kTds, ""},
        {"Provider=SQLOLEDB;Server=srv;Integrated Security=SSPI;", Destino::Tipo::Odbc,
         Plataforma::SqlServer, base + "SERVER=srv;Trusted_Connection=Yes;" + kTds, ""},
    });
}

TEST(ResuelveCadena, SqlServerConOtroControlador) {
    VariableEntorno v("TAMARIS_ODBC_SQLSERVER", "ODBC Driver 18 for SQL Server");
    Verifica({
        {"PROVIDER=SQLOLEDB;Server=srv,1433;Database =T;UId=u;Pwd=p;", Destino::Tipo::Odbc,
         Plataforma::SqlServer,
         "DRIVER={ODBC Driver 18 for SQL Server};SERVER=srv,1433;DATABASE=T;UID=u;PWD=p;", ""},
        // Its own "tcp:" prefix is understood by that driver.
        {"PROVIDER=SQLOLEDB;Server=tcp:srv;Database =T;UId=u;Pwd=p;", Destino::Tipo::Odbc,
         Plataforma::SqlServer,
         "DRIVER={ODBC Driver 18 for SQL Server};SERVER=tcp:srv;DATABASE=T;UID=u;PWD=p;", ""},
    });
}

TEST(ResuelveCadena, Oracle) {
    VariableEntorno v("TAMARIS_ODBC_ORACLE", nullptr);
    Verifica({
        {"Provider=OraOLEDB.Oracle.1;Data Source=TAMA;User Id=ventas;Password=clave;",
         Destino::Tipo::Odbc, Plataforma::Oracle, "DRIVER={Oracle};DBQ=TAMA;UID=ventas;PWD=clave;",
         ""},
        {"Provider=MSDAORA;Data Source=//h:1521/XE;User Id=v;Password=c;", Destino::Tipo::Odbc,
         Plataforma::Oracle, "DRIVER={Oracle};DBQ=//h:1521/XE;UID=v;PWD=c;", ""},
    });
    VariableEntorno w("TAMARIS_ODBC_ORACLE", "Oracle 21 ODBC driver");
    Verifica(
        {{"Provider=OraOLEDB.Oracle.1;Data Source=TAMA;User Id=v;Password=c;", Destino::Tipo::Odbc,
          Plataforma::Oracle, "DRIVER={Oracle 21 ODBC driver};DBQ=TAMA;UID=v;PWD=c;", ""}});
}

TEST(ResuelveCadena, ArchivosJetYSqlite) {
    Verifica({
        {"PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source =/datos/emp.db;UserId=admin;Password=;",
         Destino::Tipo::SQLite, Plataforma::SQLite, "", "/datos/emp.db"},
        {"Provider=Microsoft.Jet.OLEDB.3.51;Data Source=\"/datos/con blanco.db\"",
         Destino::Tipo::SQLite, Plataforma::SQLite, "", "/datos/con blanco.db"},
        {"Provider=SQLite;Data Source=rel/a.db", Destino::Tipo::SQLite, Plataforma::SQLite, "",
         "rel/a.db"},
        {"provider=microsoft.jet.oledb.4.0;data source=x.mdb", Destino::Tipo::SQLite,
         Plataforma::SQLite, "", "x.mdb"},
    });
}

TEST(ResuelveCadena, OdbcTalCual) {
    Verifica({
        {"DRIVER={SQLite3};Database=/tmp/a.db;", Destino::Tipo::Odbc, Plataforma::SQLite,
         "DRIVER={SQLite3};Database=/tmp/a.db;", ""},
        {"DSN=Tamaris;UID=u;PWD=p", Destino::Tipo::Odbc, Plataforma::SqlServer,
         "DSN=Tamaris;UID=u;PWD=p", ""},
        {"Driver={Oracle in OraClient19};DBQ=X;", Destino::Tipo::Odbc, Plataforma::Oracle,
         "Driver={Oracle in OraClient19};DBQ=X;", ""},
        // The OLE DB provider for ODBC only wraps the ODBC string.
        {"Provider=MSDASQL.1;DSN=Tamaris;UID=u;", Destino::Tipo::Odbc, Plataforma::SqlServer,
         "DSN=Tamaris;UID=u;", ""},
    });
}

TEST(ResuelveCadena, LoQueNoSeReconoce) {
    struct Caso {
        std::string cadena;
        std::string mensaje;
    };
    const std::vector<Caso> casos = {
        {"Provider=MSDAOSP;Data Source=x", "Proveedor no reconocido: MSDAOSP"},
        {"Server=srv;Database=x", "Proveedor no reconocido: (ninguno)"},
        {"", "Proveedor no reconocido: (ninguno)"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;User Id=admin",
         "La cadena de conexión no indica el archivo de base de datos (Data Source)."},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.cadena);
        try {
            ResuelveCadena(c.cadena);
            ADD_FAILURE() << "no falló";
        } catch (const ErrorBD& e) {
            EXPECT_EQ(e.Numero(), err::kFalloGenerico);
            EXPECT_EQ(e.what(), c.mensaje);
            ASSERT_EQ(e.Registros().size(), 1u);
        }
    }
}

// What the driver reports once connected settles the platform; before that the provider and
// the driver named in the string point to it; nothing names an unknown product SQL Server.
TEST(DecidePlataforma, DeLoQueInformaElControladorOLaCadena) {
    struct Caso {
        const char* dbms;
        const char* cadena;
        std::optional<Plataforma> esperada;
    };
    const Caso casos[] = {
        {"Microsoft SQL Server", "DSN=Tamaris;", Plataforma::SqlServer},
        {"Oracle", "DSN=x;", Plataforma::Oracle},
        {"SQLite", "DRIVER={SQLite3};Database=a.db;", Plataforma::SQLite},
        {"PostgreSQL", "DRIVER={PostgreSQL Unicode};", Plataforma::PostgreSQL},
        // The product wins over what the string suggested.
        {"PostgreSQL", "DRIVER={FreeTDS};", Plataforma::PostgreSQL},
        {"MySQL", "DRIVER={MySQL ODBC 8.0 Unicode Driver};", std::nullopt},
        {"MySQL", "PROVIDER=SQLOLEDB;Server=s;", std::nullopt},
        {"", "PROVIDER=SQLOLEDB;Server=s;", Plataforma::SqlServer},
        {"", "Provider=MSOLEDBSQL;Server=s;", Plataforma::SqlServer},
        {"", "Provider=OraOLEDB.Oracle.1;Data Source=X;", Plataforma::Oracle},
        {"", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.db", Plataforma::SQLite},
        {"", "Provider=SQLite;Data Source=x.db", Plataforma::SQLite},
        {"", "DRIVER={psqlODBC};", Plataforma::PostgreSQL},
        {"", "DRIVER={ODBC Driver 18 for SQL Server};", Plataforma::SqlServer},
        {"", "DRIVER={FreeTDS};", Plataforma::SqlServer},
        {"", "DRIVER={MySQL ODBC 8.0 Unicode Driver};", std::nullopt},
        {"", "DSN=Tamaris;", std::nullopt},
        {"", "cualquier cosa", std::nullopt},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.dbms) + " | " + c.cadena);
        EXPECT_EQ(DecidePlataforma(c.dbms, c.cadena), c.esperada);
    }
    try {
        RechazaPlataforma("MySQL", "DRIVER={MySQL ODBC 8.0 Unicode Driver};");
    } catch (const ErrorBD& e) {
        EXPECT_EQ(std::string(e.what()),
                  "La conexión lleva a una base de datos con la que el programa no trabaja "
                  "(MySQL). Use SQL Server, Oracle, PostgreSQL o un archivo SQLite.");
        ASSERT_EQ(e.Registros().size(), 1u);
        EXPECT_EQ(e.Registros().front().SQLState, "HYC00");
    }
}

TEST(Conexion, PlataformaAntesDeAbrirSaleDeLaCadena) {
    Conexion cn;
    EXPECT_EQ(cn.State(), adStateClosed);
    cn.SetConnectionString("Provider=OraOLEDB.Oracle.1;Data Source=X;User Id=a;Password=b;");
    EXPECT_EQ(cn.plataforma(), Plataforma::Oracle);
    cn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.db");
    EXPECT_EQ(cn.plataforma(), Plataforma::SQLite);
    cn.SetConnectionString("cualquier cosa");
    EXPECT_EQ(cn.plataforma(), Plataforma::SqlServer);
    EXPECT_EQ(cn.NombreDbms(), "");
}

}  // namespace
}  // namespace tamaris
