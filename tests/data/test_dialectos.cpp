// The dialect factory: each platform gets its own dialect, a value that names none is refused,
// and a connection open on a real SQLite file carries the SQLite one over either backend.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BasesPrueba.h"
#include "data/dialectos/Dialecto.h"
#include "data/sqlite/DialectoSqlite.h"

namespace tamaris {
namespace {

using prueba::PruebaAcceso;

struct CasoDialecto {
    Plataforma plataforma;
    std::string fecha;  // 1 February 2024 as the platform reads it whatever its settings
};

TEST(Dialectos, CadaPlataformaTieneElSuyo) {
    const std::vector<CasoDialecto> casos{
        {Plataforma::SqlServer, "'20240201'"},
        {Plataforma::Oracle, "'2024-02-01'"},
        {Plataforma::SQLite, "'2024-02-01'"},
        {Plataforma::PostgreSQL, "'2024-02-01'"},
    };
    for (const CasoDialecto& c : casos) {
        const std::unique_ptr<Dialecto> d = CreaDialecto(c.plataforma);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->plataforma(), c.plataforma);
        EXPECT_EQ(d->LiteralFecha(Fecha{2024, 2, 1}), c.fecha);
    }
}

TEST(Dialectos, PlataformaDesconocidaRechazada) {
    try {
        CreaDialecto(static_cast<Plataforma>(99));
        ADD_FAILURE() << "se creó un dialecto para una plataforma desconocida";
    } catch (const ErrorTamaris& e) {
        EXPECT_EQ(e.Numero(), err::kArgumentoInvalido);
    }
}

// A column compared with text literals is compared without its trailing blanks, as SQL Server
// compares; assignments, dates and other comparisons stay as written.
TEST(Dialectos, ComparacionesSinBlancosFinales) {
    struct Caso {
        const char* entrada;
        const char* sqlite;
        const char* postgres;
    };
    const Caso casos[] = {
        {"SELECT CASE  TC WHEN 'FC' THEN ' 1' END FROM T WHERE (TC IN ('fc', 'nc'))",
         "SELECT CASE  RTRIM(TC) COLLATE NOCASE WHEN 'FC' THEN ' 1' END FROM T WHERE "
         "(RTRIM(TC) COLLATE NOCASE IN ('fc', 'nc'))",
         "SELECT CASE  RTRIM(CAST(TC AS TEXT))::citext WHEN 'FC' THEN ' 1' END FROM T WHERE "
         "(RTRIM(CAST(TC AS TEXT))::citext IN ('fc', 'nc'))"},
        // The literal's own trailing blanks do not count either.
        {"SELECT 1 FROM T WHERE (CUENTA='112 ') AND T.LETRA <> 'A' AND X NOT IN ('b  ')",
         "SELECT 1 FROM T WHERE (RTRIM(CUENTA) COLLATE NOCASE='112') AND RTRIM(T.LETRA) COLLATE "
         "NOCASE <> 'A' AND RTRIM(X) COLLATE NOCASE NOT IN ('b')",
         "SELECT 1 FROM T WHERE (RTRIM(CAST(CUENTA AS TEXT))::citext='112') AND "
         "RTRIM(CAST(T.LETRA AS TEXT))::citext <> 'A' AND RTRIM(CAST(X AS TEXT))::citext NOT IN "
         "('b')"},
        // Left alone: an assignment, a date, a number, a list with something else than texts.
        {"UPDATE T SET TC = 'FC' WHERE N = 5 AND F >= '2013-01-01' AND C IN ('a', 1)",
         "UPDATE T SET TC = 'FC' WHERE N = 5 AND F >= '2013-01-01' AND C IN ('a', 1)",
         "UPDATE T SET TC = 'FC' WHERE N = 5 AND F >= '2013-01-01' AND C IN ('a', 1)"},
        {"SELECT 1 FROM T WHERE F = '2013-01-01' AND G <= 'x'",
         "SELECT 1 FROM T WHERE F = '2013-01-01' AND G <= 'x'",
         "SELECT 1 FROM T WHERE F = '2013-01-01' AND G <= 'x'"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.entrada);
        EXPECT_EQ(ReescribeSqlite(c.entrada, {}, true), c.sqlite);
        EXPECT_EQ(ReescribePostgres(c.entrada, {}, true), c.postgres);
        EXPECT_EQ(CreaDialecto(Plataforma::SQLite)->Reescribe(c.entrada, {}), c.sqlite);
        EXPECT_EQ(CreaDialecto(Plataforma::PostgreSQL)->Reescribe(c.entrada, {}), c.postgres);
    }
}

TEST_P(PruebaAcceso, LaConexionAbiertaLlevaElDialectoDeSuPlataforma) {
    EXPECT_EQ(cn.dialecto().plataforma(), Plataforma::SQLite);
}

}  // namespace
}  // namespace tamaris
