// The command line against a real network server: PostgreSQL through unixODBC and psqlODBC, on
// a throwaway cluster that this program starts once and stops at the end. The files must be
// byte-identical to the ones the same ledger gives on SQLite, whatever the server's date style;
// a server that drops, restarts, stalls or keeps failing must end the job with a message and
// exit 1, leaving the previous file as it was, and never loop.
//
// Under CI=true a cluster that cannot be started is a failure; elsewhere these tests are
// skipped with the reason.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

#include "data/Conexion.h"
#include "data/sqlite/DialectoSqlite.h"
#include "export_arba/LibroArba.h"
#include "export_citi/LibroIvaPrueba.h"
#include "export_libro_iva/LibroDigitalPrueba.h"
#include "soporte/ClusterPostgres.h"
#include "soporte/Percepciones.h"

namespace {

using namespace std::chrono_literals;
using prueba::CarpetaTemporal;
using prueba::LeeArchivo;

std::unique_ptr<prueba::ClusterPostgres> gCluster;
std::string gMotivo;

// Rows of the large ledger the fault tests read.
constexpr int kFilasGrande = 400000;

class EntornoPostgres : public ::testing::Environment {
  public:
    void SetUp() override {
        try {
            gCluster = std::make_unique<prueba::ClusterPostgres>();
            CarpetaTemporal tmp;
            const std::string perc = tmp / "perc.db", citi = tmp / "citi.db";
            prueba::CreaBasePercepciones(perc);
            prueba::CreaBaseCiti(citi);
            for (const char* base : {"perc", "perc_mdy", "lenta", "rota"}) {
                gCluster->CreaBase(base);
                gCluster->CopiaDeSqlite(perc, base);
            }
            gCluster->CreaBase("citi");
            gCluster->CopiaDeSqlite(citi, "citi");
            const std::string arba = tmp / "arba.db";
            prueba::CreaBaseArba(arba);
            gCluster->CreaBase("arba");
            gCluster->CopiaDeSqlite(arba, "arba");
            const std::string libro = tmp / "libro.db";
            prueba::CreaBaseCiti(libro, prueba::LibroIvaMarzo2024());
            gCluster->CreaBase("libro");
            gCluster->CopiaDeSqlite(libro, "libro");
            gCluster->Psql("postgres", "ALTER DATABASE perc_mdy SET datestyle TO 'ISO, MDY';");
            gCluster->Psql("lenta",
                           "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('TIMEOUT', '2');");
            // A statement on MV_ASIENTOS that fails every time it runs (division by zero).
            gCluster->Psql("rota",
                           "ALTER TABLE MV_ASIENTOS RENAME TO MV_ASIENTOS_T; CREATE VIEW "
                           "MV_ASIENTOS AS SELECT * FROM MV_ASIENTOS_T WHERE 1 / (ID - ID) = 0;");
            gCluster->CreaBase("grande");
            gCluster->Psql("grande",
                           "INSERT INTO MV_ASIENTOS (TC, FECHA, LETRA, NUMERO, cabcuit, "
                           "liva_impnetograv, LIVA_Ret_IBtos, CUENTA) SELECT 'FC', timestamp "
                           "'2013-01-01' + (g % 365) * interval '1 day', 'A', g, '30-71234567-1', "
                           "100, 1.5, '112' FROM generate_series(1, " +
                               std::to_string(kFilasGrande) + ") g;");
        } catch (const std::exception& e) {
            gMotivo = e.what();
            gCluster.reset();
        }
    }
    void TearDown() override { gCluster.reset(); }
};

[[maybe_unused]] ::testing::Environment* const kEntorno =
    ::testing::AddGlobalTestEnvironment(new EntornoPostgres);

bool EnCI() {
    const char* v = std::getenv("CI");
    return v && (std::strcmp(v, "true") == 0 || std::strcmp(v, "1") == 0);
}

// The command line, killed after two minutes so that a loop shows as a failure, not a hang.
prueba::Salida Cli(const std::vector<std::string>& args) {
    std::vector<std::string> a = {"-s", "KILL", "120", TAMARIS_CLI_EXE};
    a.insert(a.end(), args.begin(), args.end());
    return prueba::Corre("timeout", a);
}

}  // namespace

prueba::ClusterPostgres* prueba::ClusterDelPrograma(std::string& motivo) {
    motivo = gMotivo;
    return gCluster.get();
}

namespace {

class Postgres : public ::testing::Test {
  protected:
    void SetUp() override {
        if (gCluster) return;
        if (EnCI()) FAIL() << "No se pudo iniciar PostgreSQL: " << gMotivo;
        GTEST_SKIP() << "No se pudo iniciar PostgreSQL: " << gMotivo;
    }
    int Cuenta(const std::string& base, const std::string& sql) {
        return std::atoi(gCluster->Psql(base, sql).c_str());
    }
    CarpetaTemporal tmp;
};

// Each rule of the PostgreSQL rewriting: the text it gives, and what the server answers to it
// (under a month-first date style, so that a date left as typed would show).
TEST_F(Postgres, ReescrituraDeSqlServer) {
    struct Caso {
        const char* entrada;
        const char* esperado;
        const char* respuesta;  // psql's unaligned output
    };
    const Caso casos[] = {
        {"SELECT TOP 2 NUMERO FROM dbo.MV_ASIENTOS with(nolock) WHERE TC = 'fc' ORDER BY NUMERO",
         "SELECT NUMERO FROM MV_ASIENTOS WHERE TC = 'fc' ORDER BY NUMERO LIMIT 2", "9\n10\n"},
        {"SELECT TOP 100 PERCENT COUNT(*) FROM MV_ASIENTOS (NOLOCK) WHERE FECHA >= '1/2/2013'",
         "SELECT COUNT(*) FROM MV_ASIENTOS WHERE FECHA >= '2013-02-01'", "2\n"},
        {"SELECT COUNT(*) FROM MV_ASIENTOS WHERE FECHA < #31/01/2013 10:00#",
         "SELECT COUNT(*) FROM MV_ASIENTOS WHERE FECHA < '2013-01-31 10:00:00'", "5\n"},
        {"SELECT ISNULL(NULL, 'x'), LEN('abc'), SUBSTRING('abcdef', 2, 3), CHARINDEX('c', 'abc')",
         "SELECT COALESCE(NULL, 'x'), LENGTH('abc'), SUBSTR('abcdef', 2, 3), STRPOS('abc', 'c')",
         "x|3|bcd|3\n"},
        {"SELECT CONVERT(NVARCHAR, FECHA, 103), CONVERT(INT, '7') + 1, [NUMERO] FROM MV_ASIENTOS "
         "WHERE NUMERO = 5",
         "SELECT to_char(FECHA, 'DD/MM/YYYY'), CAST('7' AS INTEGER) + 1, NUMERO FROM MV_ASIENTOS "
         "WHERE NUMERO = 5",
         "10/01/2013|8|5\n"},
        {"SELECT CONVERT(DATETIME, '05/03/2013', 103) < GETDATE(), N'ñ' = 'Ñ'",
         "SELECT CAST('2013-03-05' AS TIMESTAMP) < LOCALTIMESTAMP, 'ñ' = 'Ñ'", "t|f\n"},
        {"SELECT COUNT(*) FROM MV_ASIENTOS WHERE TC = 'Fc' AND LETRA IN ('a')",
         "SELECT COUNT(*) FROM MV_ASIENTOS WHERE TC = 'Fc' AND LETRA IN ('a')", "4\n"},
    };
    for (const Caso& c : casos) {
        const std::string sql = tamaris::ReescribePostgres(c.entrada);
        EXPECT_EQ(sql, c.esperado);
        EXPECT_EQ(gCluster->Psql("perc_mdy", "SET datestyle TO 'ISO, MDY'; " + sql + ";"),
                  c.respuesta)
            << sql;
    }
}

// Rows come in blocks into bound buffers: every row arrives once, and a text longer than its
// buffer arrives whole, wherever it falls in a block.
TEST_F(Postgres, FilasEnBloquesSinCortarTextos) {
    tamaris::Conexion cn;
    cn.Open(gCluster->Cadena("perc"));
    auto cursor = cn.Consultar(
        "SELECT g, CASE WHEN g % 7 = 0 THEN repeat('Ñ', 3000) ELSE 'x' END || g::text, "
        "CAST(g AS NUMERIC) / 4, NULLIF(g % 2, 0) FROM generate_series(1, 5000) g");
    std::vector<tamaris::Variant> fila;
    long n = 0;
    while (cursor->Siguiente(fila)) {
        ++n;
        ASSERT_EQ(fila[0].Entero(), n);
        const std::string esperado =
            (n % 7 == 0 ? [] {
                std::string r;
                for (int i = 0; i < 3000; ++i) r += "Ñ";
                return r;
            }()
                        : std::string("x")) +
            std::to_string(n);
        ASSERT_EQ(fila[1].Texto(), esperado) << n;
        ASSERT_DOUBLE_EQ(fila[2].Doble(), n / 4.0) << n;
        ASSERT_EQ(fila[3].EsNulo(), n % 2 == 0) << n;
    }
    EXPECT_EQ(n, 5000);
}

TEST_F(Postgres, LosArchivosSonLosMismosQueEnSqlite) {
    const std::string perc = tmp / "perc.db", citi = tmp / "citi.db";
    prueba::CreaBasePercepciones(perc);
    prueba::CreaBaseCiti(citi);
    struct Caso {
        const char* base;  // the same ledger on SQLite (perc.db or citi.db) and on the server
        std::vector<std::string> args;
        std::string archivo;
    };
    const std::string salida = tmp / "salida.txt";
    const std::vector<std::string> exportar = {"exportar", "--archivo", salida};
    auto con = [](std::vector<std::string> a, std::vector<std::string> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Caso casos[] = {
        {"perc", exportar, salida},
        {"perc", con(exportar, {"--desde", "01/01/2013", "--hasta", "31/01/2013"}), salida},
        {"perc", con(exportar, {"--cuenta", "O'BRIEN"}), salida},
        // A server that reads dates month-first must still see 1 to 12 February.
        {"perc_mdy", con(exportar, {"--desde", "01/02/2013", "--hasta", "12/02/2013"}), salida},
        {"perc_mdy", con(exportar, {"--desde", "1/1/2013", "--cuenta", "113"}), salida},
        {"citi",
         {"citi", "--anio", "2013", "--mes", "1", "--directorio", tmp.ruta().string()},
         tmp / "ENE013.TXT"},
    };
    for (const Caso& c : casos) {
        const std::string sqlite = std::string(c.base) == "citi" ? citi : perc;
        const auto local = Cli(con(c.args, {"--db", sqlite}));
        ASSERT_EQ(local.codigo, 0) << local.err;
        const std::string esperado = LeeArchivo(c.archivo);
        std::filesystem::remove(c.archivo);
        const auto servidor = Cli(con(c.args, {"--conexion", gCluster->Cadena(c.base)}));
        ASSERT_EQ(servidor.codigo, 0) << c.base << " " << c.args.back() << ": " << servidor.err;
        EXPECT_FALSE(esperado.empty());
        EXPECT_EQ(LeeArchivo(c.archivo), esperado) << c.base << " " << c.args.back();
    }
    // And the month-first case is February indeed, not 2 January to 2 December.
    Cli({"exportar", "--conexion", gCluster->Cadena("perc_mdy"), "--archivo", salida, "--desde",
         "01/02/2013", "--hasta", "12/02/2013"});
    EXPECT_EQ(LeeArchivo(salida), prueba::ArchivoEsperado({5}));
}

// ARBA's file from the server: the bytes of the golden files, by month and by fortnight (the
// 15th whole, whatever its time of day), and the read-back reconciles it with the server's ledger.
TEST_F(Postgres, ArchivoDeArbaComoEnSqlite) {
    const std::string dir = tmp.ruta().string();
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"", "marzo2026.txt"}, {"1", "marzo2026_q1.txt"}, {"2", "marzo2026_q2.txt"}};
    for (const auto& [quincena, golden] : casos) {
        std::vector<std::string> args = {
            "arba",         "--conexion", gCluster->Cadena("arba"), "--anio", "2026",
            "--mes",        "3",          "--directorio",           dir,      "--cuit-agente",
            "30-50000123-9"};
        if (!quincena.empty()) args.insert(args.end(), {"--quincena", quincena});
        const auto r = Cli(args);
        ASSERT_EQ(r.codigo, 0) << golden << ": " << r.err;
        const std::string archivo =
            tmp / ("AR-30500001239-202603" + (quincena.empty() ? "0" : quincena) + "-7-LOTE1.txt");
        EXPECT_EQ(LeeArchivo(archivo), prueba::GoldenArba(golden)) << golden;
    }
    const auto v =
        Cli({"verificar", "arba", "--archivo", tmp / "AR-30500001239-2026030-7-LOTE1.txt",
             "--conexion", gCluster->Cadena("arba"), "--anio", "2026", "--mes", "3"});
    EXPECT_EQ(v.codigo, 0) << v.out << v.err;
    EXPECT_NE(v.out.find("Conciliado con el libro del período: sin observaciones"),
              std::string::npos)
        << v.out;
}

// The Libro de IVA Digital pair made from the server is the one made from SQLite, and its
// read-back reconciles it with the server's ledger.
TEST_F(Postgres, ElLibroDeIvaDigitalEsElMismoQueEnSqlite) {
    const std::string dir = tmp.ruta().string();
    const auto r = Cli({"libro-iva", "--conexion", gCluster->Cadena("libro"), "--anio", "2024",
                        "--mes", "3", "--directorio", dir});
    ASSERT_EQ(r.codigo, 0) << r.err;
    const std::string cbte = tmp / "LIBRO_IVA_DIGITAL_VENTAS_CBTE_202403.txt";
    const std::string alic = tmp / "LIBRO_IVA_DIGITAL_VENTAS_ALICUOTAS_202403.txt";
    EXPECT_EQ(LeeArchivo(cbte), prueba::GoldenLibro("marzo2024_cbte.txt"));
    EXPECT_EQ(LeeArchivo(alic), prueba::GoldenLibro("marzo2024_alicuotas.txt"));
    const auto v = Cli({"verificar", "libro-iva", "--comprobantes", cbte, "--alicuotas", alic,
                        "--conexion", gCluster->Cadena("libro"), "--anio", "2024", "--mes", "3"});
    // Only the two faults the ledger itself carries; no voucher missing, extra or different.
    EXPECT_NE(v.out.find("Conciliado con el libro del período: 2 observaciones"), std::string::npos)
        << v.out << v.err;
}

// Another session holds an exclusive lock on MV_ASIENTOS, so that the export's query waits on
// the server for as long as the test wants. Released (the session ended) on destruction.
class Bloqueo {
  public:
    explicit Bloqueo(const std::string& base) : base_(base) {
        std::system(("PGAPPNAME=bloqueo " + gCluster->PsqlCmd(base) +
                     " -c 'BEGIN; LOCK TABLE MV_ASIENTOS IN ACCESS EXCLUSIVE MODE; SELECT "
                     "pg_sleep(300);' >/dev/null 2>&1 &")
                        .c_str());
        for (int i = 0; i < 200 && !Tomado(); ++i) std::this_thread::sleep_for(50ms);
    }
    ~Bloqueo() {
        try {
            gCluster->Psql(base_,
                           "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                           "application_name = 'bloqueo';");
        } catch (const std::exception&) {
        }
    }
    bool Tomado() const {
        return gCluster->Psql(base_,
                              "SELECT count(*) FROM pg_locks l JOIN pg_stat_activity a "
                              "USING (pid) WHERE a.application_name = 'bloqueo' AND "
                              "l.mode = 'AccessExclusiveLock' AND l.granted;") == "1\n";
    }

  private:
    std::string base_;
};

// Runs the export of `base` in the background and calls `accion` for every backend of the
// program found in the state `estado` (a condition on pg_stat_activity), until the program ends.
struct Corrida {
    prueba::Salida salida;
    int acciones = 0;
    std::chrono::steady_clock::duration duracion{};
};

constexpr const char* kEsperaBloqueo = "wait_event_type = 'Lock'";
// Between two blocks of rows: psqlODBC reads the result through a cursor, FETCH by FETCH.
constexpr const char* kLeyendoFilas = "query ILIKE 'fetch%'";

template <class F>
Corrida ExportaBloqueado(const std::string& base, const std::string& destino, F accion,
                         const std::string& estado = kEsperaBloqueo) {
    Corrida c;
    std::atomic<bool> termino{false};
    std::vector<std::string> vistos;
    const auto inicio = std::chrono::steady_clock::now();
    std::thread t([&] {
        c.salida = Cli({"exportar", "--conexion", gCluster->Cadena(base), "--archivo", destino});
        termino = true;
    });
    while (!termino) {
        std::string pid;
        try {
            pid = gCluster->Psql(base, "SELECT pid FROM pg_stat_activity WHERE datname = '" + base +
                                           "' AND " + estado +
                                           " ORDER BY backend_start DESC LIMIT 1;");
        } catch (const std::exception&) {
        }
        pid = pid.substr(0, pid.find('\n'));
        // A session just terminated may still show for a moment: each one is acted on once.
        if (!pid.empty() && std::find(vistos.begin(), vistos.end(), pid) == vistos.end()) {
            vistos.push_back(pid);
            accion(pid);
            ++c.acciones;
        }
        std::this_thread::sleep_for(20ms);
    }
    t.join();
    c.duracion = std::chrono::steady_clock::now() - inicio;
    return c;
}

TEST_F(Postgres, CaidasDelServidorTerminanConMensajeYSinTocarElArchivo) {
    const std::string destino = tmp / "perc.txt";
    struct Caso {
        const char* nombre;
        bool reinicia;  // stop the whole server (started again afterwards), else kill the backend
        const char* cuando;  // waiting for its query (held by a lock), or reading its rows
        int sesiones;        // sessions lost: the query is sent again once after a reconnect
    };
    const Caso casos[] = {{"sesion terminada", false, kEsperaBloqueo, 2},
                          {"sesion terminada leyendo filas", false, kLeyendoFilas, 1},
                          {"servidor reiniciado", true, kEsperaBloqueo, 1}};
    for (const Caso& caso : casos) {
        std::ofstream(destino, std::ios::binary) << "anterior\r\n";
        Corrida c;
        {
            std::optional<Bloqueo> b;
            if (caso.cuando == kEsperaBloqueo) {
                b.emplace("grande");
                ASSERT_TRUE(b->Tomado());
            }
            c = ExportaBloqueado(
                "grande", destino,
                [&](const std::string& pid) {
                    if (caso.reinicia)
                        gCluster->Detener();
                    else
                        gCluster->Psql("grande", "SELECT pg_terminate_backend(" + pid + ");");
                },
                caso.cuando);
            if (caso.reinicia) gCluster->Iniciar();
        }
        EXPECT_EQ(c.salida.codigo, 1) << caso.nombre << ": " << c.salida.err;
        EXPECT_NE(c.salida.err.find("Se perdió la conexión"), std::string::npos) << caso.nombre;
        EXPECT_EQ(LeeArchivo(destino), "anterior\r\n") << caso.nombre;
        // The lost connection is mended once at most: the statement is not sent again and again.
        EXPECT_EQ(c.acciones, caso.sesiones) << caso.nombre;
    }
}

TEST_F(Postgres, UnServidorQueNoRespondeTerminaAlVencerElTiempoDeEspera) {
    const std::string destino = tmp / "perc.txt";
    struct Caso {
        const char* nombre;
        bool detiene;  // SIGSTOP the backend: it no longer answers, not even a cancel
    };
    for (const Caso caso : {Caso{"consulta bloqueada", false}, Caso{"proceso detenido", true}}) {
        std::ofstream(destino, std::ios::binary) << "anterior\r\n";
        std::string detenido;
        Corrida c;
        {
            Bloqueo b("lenta");  // TA_CONFIGURACION sets a time-out of 2 seconds
            ASSERT_TRUE(b.Tomado());
            c = ExportaBloqueado("lenta", destino, [&](const std::string& pid) {
                if (caso.detiene && detenido.empty()) {
                    detenido = pid;
                    ::kill(std::atoi(pid.c_str()), SIGSTOP);
                }
            });
            if (!detenido.empty()) ::kill(std::atoi(detenido.c_str()), SIGCONT);
        }
        EXPECT_EQ(c.salida.codigo, 1) << caso.nombre << ": " << c.salida.err;
        EXPECT_NE(c.salida.err.find("Se agotó el tiempo de espera"), std::string::npos)
            << caso.nombre << ": " << c.salida.err;
        EXPECT_EQ(LeeArchivo(destino), "anterior\r\n") << caso.nombre;
        EXPECT_LT(c.duracion, 15s) << caso.nombre << c.salida.err;
    }
}

TEST_F(Postgres, UnErrorPersistenteSeInformaUnaVez) {
    const std::string destino = tmp / "perc.txt";
    std::ofstream(destino, std::ios::binary) << "anterior\r\n";
    const auto inicio = std::chrono::steady_clock::now();
    const auto r = Cli({"exportar", "--conexion", gCluster->Cadena("rota"), "--archivo", destino});
    EXPECT_EQ(r.codigo, 1) << r.err;
    EXPECT_NE(r.err.find("division"), std::string::npos) << r.err;
    EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - inicio, 60s);
}

TEST_F(Postgres, ElLibroGrandeSeExportaCompleto) {
    const std::string destino = tmp / "perc.txt";
    const auto r =
        Cli({"exportar", "--conexion", gCluster->Cadena("grande"), "--archivo", destino});
    ASSERT_EQ(r.codigo, 0) << r.err;
    EXPECT_NE(r.out.find("Comprobantes: " + std::to_string(kFilasGrande)), std::string::npos)
        << r.out;
}

// scripts/demo_postgresql.sh as the README has a database owner who is no superuser run it:
// twice on the same database, without a word on the error output, leaving the demo ledger that
// exports as it does from SQLite; a user who may not create citext is told what a superuser
// must run once.
TEST_F(Postgres, ElScriptDeDemostracionLoCorreElDuenoDeLaBaseUnaYOtraVez) {
    const std::string demo = tmp / "demo.db";
    ASSERT_EQ(Cli({"demo", "--db", demo, "--filas", "400"}).codigo, 0);
    for (const char* sql :
         {"CREATE ROLE demo_dueno LOGIN;", "CREATE ROLE demo_ajeno LOGIN;",
          "CREATE DATABASE demo_propia OWNER demo_dueno;", "CREATE DATABASE demo_ajena;"})
        gCluster->Psql("postgres", sql);
    gCluster->Psql("demo_ajena", "GRANT CREATE ON SCHEMA public TO demo_ajeno;");
    const auto carga = [&](const std::string& base, const std::string& usuario) {
        return prueba::Corre(
            "bash", {std::string(TAMARIS_TEST_DIR) + "/../scripts/demo_postgresql.sh", demo,
                     "host=127.0.0.1 port=" + std::to_string(gCluster->Puerto()) +
                         " dbname=" + base + " user=" + usuario});
    };
    const std::string desdeSqlite = tmp / "sqlite.txt";
    ASSERT_EQ(Cli({"exportar", "--db", demo, "--archivo", desdeSqlite}).codigo, 0);
    for (int vez = 1; vez <= 2; ++vez) {
        SCOPED_TRACE("vez " + std::to_string(vez));
        const auto r = carga("demo_propia", "demo_dueno");
        EXPECT_EQ(r.codigo, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(Cuenta("demo_propia", "SELECT count(*) FROM MV_ASIENTOS"), 400);
        const std::string desdePostgres = tmp / "postgres.txt";
        const auto e = Cli({"exportar", "--conexion", gCluster->Cadena("demo_propia"), "--archivo",
                            desdePostgres});
        ASSERT_EQ(e.codigo, 0) << e.err;
        EXPECT_EQ(LeeArchivo(desdePostgres), LeeArchivo(desdeSqlite));
    }

    auto r = carga("demo_ajena", "demo_ajeno");
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.err.find("CREATE EXTENSION citext"), std::string::npos) << r.err;
    gCluster->Psql("demo_ajena", "CREATE EXTENSION citext;");
    r = carga("demo_ajena", "demo_ajeno");
    EXPECT_EQ(r.codigo, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

}  // namespace
