// The same jobs over every route to a database: the program's own SQLite engine, the SQLite
// ODBC driver and PostgreSQL through psqlODBC (the throwaway cluster of this program). What
// the suite writes in SQL Server's dialect must do the same on each: script batches, the
// access log, and comparisons of codes stored with trailing blanks.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/Configuracion.h"
#include "app/Sistema.h"
#include "data/PuertosPrueba.h"
#include "data/Scripts.h"
#include "soporte/BaseDePrueba.h"
#include "soporte/ClusterPostgres.h"
#include "soporte/SistemaPrueba.h"

namespace {

using prueba::CarpetaTemporal;
using prueba::LeeArchivo;

// A database with the suite's schema on one route: its connection string, SQL run on it
// without the program, and the database's name on the cluster.
struct Ruta {
    const char* nombre;
    bool servidor;  // PostgreSQL, else a SQLite file
    std::string (*cadena)(const std::string& archivo);
};

const Ruta kRutas[] = {
    {"SQLite nativo", false, prueba_sistema::kAccesoNativo.cadena},
    {"SQLite por ODBC", false, prueba_sistema::kAccesoOdbc.cadena},
    {"PostgreSQL", true, nullptr},
};

class Rutas : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string motivo;
        cluster = prueba::ClusterDelPrograma(motivo);
        if (cluster) return;
        const char* ci = std::getenv("CI");
        if (ci && (std::strcmp(ci, "true") == 0 || std::strcmp(ci, "1") == 0))
            FAIL() << "No se pudo iniciar PostgreSQL: " << motivo;
        GTEST_SKIP() << "No se pudo iniciar PostgreSQL: " << motivo;
    }

    // A fresh database of the suite on `ruta` (the SQLite file copied to the server for
    // PostgreSQL); returns its connection string.
    std::string Base(const Ruta& ruta, const std::string& archivo) {
        if (!ruta.servidor) return ruta.cadena(archivo);
        static int creadas = 0;  // every test of the program shares the cluster
        const std::string base = "rutas_" + std::to_string(++creadas);
        cluster->CreaBase(base);
        cluster->CopiaDeSqlite(archivo, base);
        basePg = base;
        return cluster->Cadena(base);
    }
    // SQL on the database of `ruta` without the program; the first column of the first row.
    std::string Valor(const Ruta& ruta, const std::string& archivo, const std::string& sql) {
        if (ruta.servidor) {
            std::string r = cluster->Psql(basePg, sql + ";");
            return r.substr(0, r.find('\n'));
        }
        sqlite3* db = nullptr;
        sqlite3_open_v2(archivo.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        std::string r = "(error)";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            r = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return r;
    }
    void Sql(const Ruta& ruta, const std::string& archivo, const std::string& sql) {
        if (ruta.servidor)
            cluster->Psql(basePg, sql + ";");
        else
            prueba::EjecutaSqlite(archivo, sql);
    }

    prueba::ClusterPostgres* cluster = nullptr;
    // A path of the test's folder that no other case uses.
    std::string Nuevo(const std::string& nombre) {
        return tmp / (nombre + std::to_string(++usados));
    }
    int usados = 0;
    std::string basePg;
    CarpetaTemporal tmp;
};

// A job started on each route: the shared connection open on a fresh database, the error log
// in a folder of the test's own.
struct Trabajo {
    explicit Trabajo(const std::string& cadena, const std::string& carpeta)
        : temp("TEMP", carpeta.c_str()), tmpDir("TMP", carpeta.c_str()) {
        sis.db.OpenServerADODB(false, tamaris::adUseClient, cadena, false, true);
        sis.db.gUsuario = "ana";
    }
    prueba_sistema::VariableEntorno temp, tmpDir;
    tamaris::PuertosPrueba puertos;
    tamaris::Sistema sis{puertos.ui()};
};

// A batch of several lines is one transaction: all its rows, or none when a line fails.
TEST_F(Rutas, LotesDeVariasLineas) {
    for (const Ruta& ruta : kRutas) {
        SCOPED_TRACE(ruta.nombre);
        const std::string archivo = Nuevo("lotes") + ".db";
        prueba::CreaBaseConEsquema(archivo);
        Trabajo t(Base(ruta, archivo), tmp.ruta().string());
        ASSERT_TRUE(t.sis.db.gCnn().Abierta());
        struct Caso {
            std::vector<std::string> lineas;
            bool falla;
            const char* filas;  // TA_MENU rows afterwards
        };
        const Caso casos[] = {
            {{"INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('M1', 'a', 'uno')", "",
              "INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('M2', 'b', 'dos')"},
             false,
             "2"},
            {{"INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('M3', 'c', 'tres')",
              "INSERT INTO TA_MENU (Clave, Proceso, Nombre) VALUES ('M1', 'a', 'repetida')"},
             true,
             "2"},
        };
        for (const Caso& c : casos) {
            bool fallo = false;
            long numero = -1;
            std::string lote, texto;
            tamaris::GActualizarDatoScript(t.sis, c.lineas, fallo, numero, false, false, lote,
                                           texto, false);
            EXPECT_EQ(fallo, c.falla) << texto;
            EXPECT_EQ(Valor(ruta, archivo, "SELECT count(*) FROM TA_MENU"), c.filas);
        }
        // Nothing stays open after the failed batch: another program can still write.
        Sql(ruta, archivo, "UPDATE TA_MENU SET Nombre = Nombre");
        EXPECT_TRUE(t.puertos.mensajes.mostrados.empty()) << t.puertos.mensajes.Ultimo();
    }
}

// Every start leaves its row in Control_Acceso; one that cannot be written leaves its line in
// the error log instead, and the start goes on without a word.
TEST_F(Rutas, RegistroDeAcceso) {
    for (const Ruta& ruta : kRutas) {
        for (const bool roto : {false, true}) {
            SCOPED_TRACE(std::string(ruta.nombre) + (roto ? " sin columna Tarea" : ""));
            const std::string archivo = Nuevo("acceso") + ".db";
            prueba::CreaBaseConEsquema(archivo);
            const std::string cadena = Base(ruta, archivo);
            if (roto) Sql(ruta, archivo, "ALTER TABLE Control_Acceso RENAME COLUMN Tarea TO Otra");
            const std::string carpeta = Nuevo("log");
            std::filesystem::create_directories(carpeta);
            Trabajo t(cadena, carpeta);
            ASSERT_TRUE(t.sis.db.gCnn().Abierta());
            tamaris::RegistraAcceso(t.sis, "");
            EXPECT_EQ(Valor(ruta, archivo, "SELECT count(*) FROM Control_Acceso"),
                      roto ? "0" : "1");
            const std::string log = LeeArchivo(carpeta + "/TMERR.LOG");
            // The log is in Windows-1252: the words without accents.
            EXPECT_EQ(log.find("el acceso en Control_Acceso") != std::string::npos, roto) << log;
            EXPECT_TRUE(t.puertos.mensajes.mostrados.empty()) << t.puertos.mensajes.Ultimo();
        }
    }
}

// SQL Server ignores trailing blanks when it compares texts, so a voucher whose TC was stored
// as 'FC ' is filed there; the same ledger files the same vouchers on every route.
TEST_F(Rutas, CodigosConBlancosAlFinal) {
    const std::vector<prueba::Asiento> asientos = {
        {"FC ", "2013-01-05", "A ", "1", "30-71234567-1", "100", "1.5", "112"},
        {"fc", "2013-01-06", "A", "2", "30-71234567-1", "200", "3", "112 "},
        {"NC  ", "2013-01-07", "B", "3", "30-71234567-1", "-100", "-1.5", "113"},
        {"ND", "2013-01-08", "C", "4", "30-71234567-1", "50", "0.75", "112"},
        {"RC ", "2013-01-09", "A", "5", "30-71234567-1", "10", "0.15", "112"},
    };
    struct Caso {
        std::vector<std::string> filtros;
        int lineas;
    };
    const Caso casos[] = {{{}, 4}, {{"--cuenta", "112"}, 3}};
    for (const Caso& caso : casos) {
        std::string esperado;
        for (const Ruta& ruta : kRutas) {
            SCOPED_TRACE(std::string(ruta.nombre) + " " + std::to_string(caso.lineas));
            const std::string archivo = Nuevo("libro") + ".db";
            prueba::CreaBaseConEsquema(archivo);
            prueba::InsertaAsientos(archivo, asientos);
            const std::string cadena = Base(ruta, archivo);
            const std::string salida = tmp / "percepciones.txt";
            std::vector<std::string> args = {"-s",       "KILL",       "120",  TAMARIS_CLI_EXE,
                                             "exportar", "--conexion", cadena, "--archivo",
                                             salida};
            args.insert(args.end(), caso.filtros.begin(), caso.filtros.end());
            const prueba::Salida r = prueba::Corre("timeout", args);
            ASSERT_EQ(r.codigo, 0) << r.err;
            const std::string texto = LeeArchivo(salida);
            EXPECT_EQ(prueba_sistema::Veces(texto, "\r\n"), static_cast<std::size_t>(caso.lineas))
                << texto;
            if (esperado.empty()) esperado = texto;
            EXPECT_EQ(texto, esperado);
        }
    }
}

// A refused password and a server without free connections end the command line with what
// failed, once, and without the question the desktop asks.
TEST_F(Rutas, ConexionRechazada) {
    cluster->Psql("postgres",
                  "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'clave') "
                  "THEN CREATE ROLE clave LOGIN PASSWORD 'buena'; CREATE ROLE lleno LOGIN "
                  "CONNECTION LIMIT 0; END IF; END $$;");
    cluster->ExigeClave("clave");
    const std::string base =
        "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(cluster->Puerto()) +
        ";Database=postgres;";
    struct Caso {
        const char* nombre;
        std::string cadena;
        const char* mensaje;
    };
    const Caso casos[] = {
        {"clave equivocada", base + "Uid=clave;Pwd=mala;", "rechazó el usuario o la contraseña"},
        {"sin conexiones libres", base + "Uid=lleno;Pwd=x;", "no admite más conexiones"},
        {"servidor ausente",
         "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=postgres;Uid=a;Pwd=b;",
         "No se pudo conectar con el servidor"},
    };
    const std::string salida = tmp / "perc.txt";
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const prueba::Salida r =
            prueba::Corre("timeout", {"-s", "KILL", "120", TAMARIS_CLI_EXE, "exportar",
                                      "--conexion", c.cadena, "--archivo", salida});
        EXPECT_EQ(r.codigo, 1) << r.err;
        const std::string todo = r.out + r.err;
        EXPECT_EQ(prueba_sistema::Veces(todo, c.mensaje), 1u) << todo;
        EXPECT_EQ(todo.find("Se perdió la conexión"), std::string::npos) << todo;
        EXPECT_EQ(todo.find("Desea Intentarlo"), std::string::npos) << todo;
        EXPECT_EQ(todo.find("mala"), std::string::npos) << todo;
    }
}

}  // namespace
