// Export speed and memory through ODBC drivers.
//
//  1. SQLite ODBC driver: `percepciones-cli exportar --conexion "DRIVER={SQLite3};…"` (the string
//     without StepAPI: the program adds it) against a minimal ODBC program over the same driver
//     and string (with StepAPI=1) that binds every column as text, fetches the rows in blocks and
//     writes them to a file with one buffer.
//  2. PostgreSQL (psqlODBC): `percepciones-cli exportar --conexion "DRIVER={PostgreSQL Unicode};…"`
//     against `psql -c "\copy (QUERY) to FILE"` of the same query, on a throwaway cluster
//     started here (skipped with a note when PostgreSQL is not installed).
// Reports the best wall and CPU (user + system) time of each, the ratios and the peak resident
// memory of the exporter.
//
//   bench_odbc [--filas N] [--repeticiones R] [--carpeta DIR] [--sin-postgresql]
//
// Targets: SQLite ODBC ratio <= 1.3; exporter peak memory < 64 MB on every driver.

#include <fcntl.h>
#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Medicion.h"
#include "data/sqlite/DialectoSqlite.h"
#include "export_perceptions/Form1.h"
#include "soporte/ClusterPostgres.h"

namespace {

using medicion::Corre;
using medicion::Lineas;
using medicion::Medida;
using medicion::Mejor;

int Minimo(const std::string& cadena, const std::string& sql) {
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)cadena.c_str(), SQL_NTS, nullptr, 0,
                                        nullptr, SQL_DRIVER_NOPROMPT)))
        return 3;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    constexpr SQLULEN kFilas = 1000;
    constexpr SQLLEN kAncho = 64;
    SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kFilas), 0);
    SQLULEN leidas = 0;
    SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &leidas, 0);
    if (!SQL_SUCCEEDED(SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS))) return 4;
    SQLSMALLINT n = 0;
    SQLNumResultCols(st, &n);
    std::vector<std::vector<char>> datos(n, std::vector<char>(kFilas * kAncho));
    std::vector<std::vector<SQLLEN>> ind(n, std::vector<SQLLEN>(kFilas));
    for (SQLSMALLINT c = 0; c < n; ++c)
        SQLBindCol(st, c + 1, SQL_C_CHAR, datos[c].data(), kAncho, ind[c].data());
    static char buf[1 << 16];
    std::setvbuf(stdout, buf, _IOFBF, sizeof buf);
    SQLRETURN rc;
    while (SQL_SUCCEEDED(rc = SQLFetch(st))) {
        for (SQLULEN f = 0; f < leidas; ++f) {
            for (SQLSMALLINT c = 0; c < n; ++c) {
                if (c) std::fputc(';', stdout);
                if (ind[c][f] != SQL_NULL_DATA) std::fputs(&datos[c][f * kAncho], stdout);
            }
            std::fputs("\r\n", stdout);
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return rc == SQL_NO_DATA ? 0 : 5;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--minimo") == 0) return Minimo(argv[2], argv[3]);
    const medicion::Opciones op = medicion::LeeOpciones(argc, argv, {"--sin-postgresql"});
    const long filas = op.filas;
    const int repeticiones = op.repeticiones;
    const bool sinPostgres = op.Tiene("--sin-postgresql");
    const std::string& carpeta = op.carpeta;
    const std::string db = medicion::BaseDemo(TAMARIS_CLI_EXE, carpeta, filas);
    const std::string sentencia = tamaris::SentenciaPercepciones("", "", "");
    const std::string archivo = carpeta + "/odbc_bench.txt";
    const std::string volcado = carpeta + "/minimo_bench.txt";

    // 1. SQLite ODBC driver.
    const std::string odbc = "DRIVER={SQLite3};Database=" + db + ";NoCreat=1;";
    Medida exp, min;
    for (int i = 0; i < repeticiones; ++i) {
        Mejor(exp,
              Corre({TAMARIS_CLI_EXE, "exportar", "--conexion", odbc, "--archivo", archivo},
                    "/dev/null"),
              "exportar por ODBC");
        Mejor(min,
              Corre({argv[0], "--minimo", odbc + "StepAPI=1;",
                     tamaris::ReescribeSqlite(sentencia, {}, true)},
                    volcado),
              "el programa ODBC mínimo");
    }
    std::printf(
        "SQLite ODBC, %ld asientos: exportar %.3f s (CPU %.3f s, %.1f MB), mínimo %.3f s "
        "(CPU %.3f s, %.1f MB), razón %.3f (objetivo <= 1.3), razón de CPU %.3f; "
        "líneas %ld / %ld\n",
        filas, exp.segundos, exp.cpu, exp.memoriaKb / 1024.0, min.segundos, min.cpu,
        min.memoriaKb / 1024.0, exp.segundos / min.segundos, exp.cpu / min.cpu, Lineas(archivo),
        Lineas(volcado));
    // Memory whatever the connection string: one that turns streaming off explicitly.
    Medida sinPasos;
    Mejor(sinPasos,
          Corre({TAMARIS_CLI_EXE, "exportar", "--conexion", odbc + "StepAPI=0;", "--archivo",
                 archivo},
                "/dev/null"),
          "exportar por ODBC con StepAPI=0");
    std::printf("SQLite ODBC con StepAPI=0 en la cadena: memoria pico %.1f MB\n",
                sinPasos.memoriaKb / 1024.0);
    bool ok = exp.segundos / min.segundos <= 1.3 && exp.memoriaKb < 64 * 1024 &&
              sinPasos.memoriaKb < 64 * 1024;

    // 2. PostgreSQL.
    if (sinPostgres) {
        std::printf("PostgreSQL no medido (--sin-postgresql)\n");
    } else
        try {
            prueba::ClusterPostgres pg;
            pg.CreaBase("bench");
            const std::string csv = carpeta + "/asientos.csv";
            const std::string columnas =
                "ID, NROASIENTO, FECHA, CUENTA, TC, LETRA, SUCURSAL, NUMERO, cabcuit, CABNOMBRE, "
                "DETALLE, liva_impnetograv, LIVA_ImpIva, LIVA_Ret_IBtos, LIVA_Total, DEBE, HABER, "
                "CONFIDENCIAL";
            Mejor(*std::make_unique<Medida>(),
                  Corre({"sqlite3", "-csv", db, "SELECT " + columnas + " FROM MV_ASIENTOS"}, csv),
                  "sqlite3 -csv");
            Mejor(*std::make_unique<Medida>(),
                  Corre({"sh", "-c",
                         pg.PsqlCmd("bench") + " -c \"\\copy MV_ASIENTOS (" + columnas +
                             ") from '" + csv + "' csv\" -c 'ANALYZE'"},
                        "/dev/null"),
                  "psql \\copy from");
            const std::string consulta = tamaris::ReescribePostgres(sentencia, {}, true);
            Medida expPg, copia;
            for (int i = 0; i < repeticiones; ++i) {
                Mejor(expPg,
                      Corre({TAMARIS_CLI_EXE, "exportar", "--conexion", pg.Cadena("bench"),
                             "--archivo", archivo},
                            "/dev/null"),
                      "exportar por PostgreSQL");
                Mejor(copia,
                      Corre({"sh", "-c",
                             pg.PsqlCmd("bench") + " -c \"\\copy (" + consulta + ") to '" +
                                 volcado + "'\""},
                            "/dev/null"),
                      "psql \\copy to");
            }
            std::printf(
                "PostgreSQL, %ld asientos: exportar %.3f s (%.1f MB), psql \\copy %.3f s, "
                "razón %.3f; líneas %ld / %ld\n",
                filas, expPg.segundos, expPg.memoriaKb / 1024.0, copia.segundos,
                expPg.segundos / copia.segundos, Lineas(archivo), Lineas(volcado));
            Medida sinCursor;
            Mejor(sinCursor,
                  Corre({TAMARIS_CLI_EXE, "exportar", "--conexion",
                         pg.Cadena("bench") + "UseDeclareFetch=0;Fetch=100000000", "--archivo",
                         archivo},
                        "/dev/null"),
                  "exportar por PostgreSQL con UseDeclareFetch=0");
            std::printf("PostgreSQL con UseDeclareFetch=0 en la cadena: memoria pico %.1f MB\n",
                        sinCursor.memoriaKb / 1024.0);
            ok = ok && expPg.memoriaKb < 64 * 1024 && sinCursor.memoriaKb < 64 * 1024;
        } catch (const std::exception& e) {
            std::printf("PostgreSQL no medido: %s\n", e.what());
        }
    std::printf("%s\n", ok ? "OBJETIVOS CUMPLIDOS" : "OBJETIVOS NO CUMPLIDOS");
    return ok ? 0 : 1;
}
