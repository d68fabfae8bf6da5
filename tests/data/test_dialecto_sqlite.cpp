// SQL Server statements rewritten for SQLite: each rule, literals left alone, and the rewritten
// statements run for real on a SQLite file.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/sqlite/DialectoSqlite.h"

namespace tamaris {
namespace {

struct Caso {
    std::string entrada;
    std::string esperado;
};

void Verifica(const std::vector<Caso>& casos) {
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.entrada);
        const std::string salida = ReescribeSqlite(c.entrada);
        EXPECT_EQ(salida, c.esperado);
        EXPECT_EQ(ReescribeSqlite(salida), salida) << "a second pass changed it";
    }
}

const std::string kPercepciones =
    "SELECT CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 1' WHEN 'NC' THEN ' 1' END AS C1,  "
    "FECHA AS C2, CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 5' WHEN 'NC' THEN ' 6' END AS C3, "
    "LETRA AS C4, NUMERO AS C5,cabcuit AS C6, liva_impnetograv as C7, '1.5' AS C8,  "
    "LIVA_Ret_IBtos AS C9 From MV_ASIENTOS  WHERE (TC IN ('fc', 'nc', 'nd')) AND "
    "(LIVA_Ret_IBtos <> 0)  AND  (FECHA >='01/01/2013' AND FECHA<='31/01/2013') AND "
    "(CUENTA='112')";

TEST(DialectoSqlite, SugerenciasDeTabla) {
    Verifica({
        {"SELECT * FROM T with(nolock) WHERE A = 1", "SELECT * FROM T WHERE A = 1"},
        {"SELECT * FROM T WITH (NOLOCK) WHERE A = 1", "SELECT * FROM T WHERE A = 1"},
        {"SELECT * FROM T (nolock) WHERE A = 1", "SELECT * FROM T WHERE A = 1"},
        {"SELECT * FROM T  With ( NoLock )  WHERE A = 1", "SELECT * FROM T  WHERE A = 1"},
        {"SELECT * FROM T with(nolock)", "SELECT * FROM T"},
        {"SELECT A FROM T WITH (NOLOCK, ROWLOCK) JOIN U (NOLOCK) ON T.X = U.X",
         "SELECT A FROM T JOIN U ON T.X = U.X"},
        {"SELECT * FROM (SELECT * FROM T with(nolock)) Q", "SELECT * FROM (SELECT * FROM T) Q"},
    });
}

TEST(DialectoSqlite, TopPasaALimit) {
    Verifica({
        {"SELECT TOP 1 * FROM T WHERE A = 1 ORDER BY B",
         "SELECT * FROM T WHERE A = 1 ORDER BY B LIMIT 1"},
        {"SELECT DISTINCT TOP 10 A FROM T;", "SELECT DISTINCT A FROM T LIMIT 10;"},
        {"select top (5) a from t", "select a from t LIMIT 5"},
        {"Select TOP 1 * from Control_Acceso  with(nolock) ",
         "Select * from Control_Acceso LIMIT 1 "},
        {"SELECT TOP 1 * FROM T -- el último\n", "SELECT * FROM T LIMIT 1 -- el último\n"},
        {"SELECT TOP 1 A FROM T; SELECT TOP 2 B FROM U",
         "SELECT A FROM T LIMIT 1; SELECT B FROM U LIMIT 2"},
        // subqueries: the LIMIT goes before their closing parenthesis
        {"SELECT A FROM T WHERE B = (SELECT TOP 1 C FROM U ORDER BY D DESC) AND E = 1",
         "SELECT A FROM T WHERE B = (SELECT C FROM U ORDER BY D DESC LIMIT 1) AND E = 1"},
        {"SELECT TOP 2 A FROM T WHERE B IN (SELECT TOP 1 C FROM U WHERE F IN (1, 2))",
         "SELECT A FROM T WHERE B IN (SELECT C FROM U WHERE F IN (1, 2) LIMIT 1) LIMIT 2"},
        // a column called TOP is not a row count
        {"SELECT TOP FROM T", "SELECT TOP FROM T"},
        // every row, as views write it to carry an ORDER BY; other shares stay as written
        {"SELECT TOP 100 PERCENT A FROM T ORDER BY A", "SELECT A FROM T ORDER BY A"},
        {"SELECT TOP 50 PERCENT A FROM T", "SELECT TOP 50 PERCENT A FROM T"},
    });
}

TEST(DialectoSqlite, FechasLiterales) {
    Verifica({
        {"WHERE F >= '1/2/2013' AND F <= '28/02/2013'",
         "WHERE F >= '2013-02-01' AND F <= '2013-02-28'"},
        {"WHERE F = '01/02/2013 10:11:12'", "WHERE F = '2013-02-01 10:11:12'"},
        {"WHERE F <= '28/02/2013 23:59'", "WHERE F <= '2013-02-28 23:59:00'"},
        {"WHERE F = #01/02/2013#", "WHERE F = '2013-02-01'"},
        {"WHERE F = #1/2/2013# ", "WHERE F = '2013-02-01' "},
        // not dates, or dates already in SQLite's form
        {"WHERE F = '31/02/2013'", "WHERE F = '31/02/2013'"},
        {"WHERE F = '2013-02-01'", "WHERE F = '2013-02-01'"},
        {"WHERE F = '01/02/13'", "WHERE F = '01/02/13'"},
        {"WHERE A = 'el 01/02/2013'", "WHERE A = 'el 01/02/2013'"},
        {"SELECT * FROM #TEMPORAL", "SELECT * FROM #TEMPORAL"},
    });
}

TEST(DialectoSqlite, FechasSoloDondeSeEsperaUnaFecha) {
    // Columns whose name starts with F hold dates; without a column list, the first one.
    const EsColumnaFecha esFecha = [](std::string_view, std::string_view columna,
                                      std::size_t posicion) {
        return columna.empty() ? posicion == 0 : columna.starts_with('F');
    };
    const Caso casos[] = {
        {"INSERT INTO T (F, NOTA) VALUES ('01/02/2024', '01/02/2024')",
         "INSERT INTO T (F, NOTA) VALUES ('2024-02-01', '01/02/2024')"},
        {"INSERT INTO [T] VALUES ('01/02/2024', '01/02/2024')",
         "INSERT INTO [T] VALUES ('2024-02-01', '01/02/2024')"},
        {"INSERT INTO T (NOTA, F) VALUES ('01/02/2024', '1/2/2024'), ('2/2/2024', '2/2/2024')",
         "INSERT INTO T (NOTA, F) VALUES ('01/02/2024', '2024-02-01'), ('2/2/2024', "
         "'2024-02-02')"},
        {"UPDATE T SET NOTA = '01/02/2024', F = '01/02/2024' WHERE F > '01/01/2024'",
         "UPDATE T SET NOTA = '01/02/2024', F = '2024-02-01' WHERE F > '2024-01-01'"},
        {"SELECT '01/02/2024' AS X FROM T WHERE F IN ('01/02/2024', '2/2/2024') AND F <> "
         "'3/2/2024' AND G BETWEEN '1/1/2013' AND '15/1/2013' AND NOTA LIKE '01/02/2024'",
         "SELECT '01/02/2024' AS X FROM T WHERE F IN ('2024-02-01', '2024-02-02') AND F <> "
         "'2024-02-03' AND G BETWEEN '2013-01-01' AND '2013-01-15' AND NOTA LIKE '01/02/2024'"},
        {"SELECT CONVERT(DATETIME, '01/02/2024', 103), CONVERT(VARCHAR, '01/02/2024')",
         "SELECT '2024-02-01', CAST('01/02/2024' AS TEXT)"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.entrada);
        EXPECT_EQ(ReescribeSqlite(c.entrada, esFecha), c.esperado);
        // Without the catalogue no stored value is taken for a date.
        EXPECT_EQ(ReescribeSqlite(c.entrada).find("'2024-02-01', '01/02/2024')"),
                  std::string::npos);
    }
}

TEST(DialectoSqlite, Funciones) {
    Verifica({
        {"SELECT LEN(A), ISNULL(B, 0), SUBSTRING(C, 1, 2) FROM T",
         "SELECT LENGTH(A), IFNULL(B, 0), SUBSTR(C, 1, 2) FROM T"},
        {"select len (a), isnull(b,'') from t", "select LENGTH (a), IFNULL(b,'') from t"},
        {"SELECT GETDATE()", "SELECT datetime('now','localtime')"},
        {"SELECT getdate ( ) AS HOY", "SELECT datetime('now','localtime') AS HOY"},
        {"SELECT CHARINDEX('-', CUIT) FROM T", "SELECT INSTR(CUIT, '-') FROM T"},
        {"SELECT CHARINDEX(SUBSTRING(A, 1, 2), ISNULL(B, '')) FROM T",
         "SELECT INSTR(IFNULL(B, ''), SUBSTR(A, 1, 2)) FROM T"},
        {"SELECT CONVERT(INT, CODIGO) FROM T", "SELECT CAST(CODIGO AS INTEGER) FROM T"},
        {"SELECT CONVERT(NVARCHAR, FECHA, 103) FROM T",
         "SELECT strftime('%d/%m/%Y', FECHA) FROM T"},
        {"SELECT CONVERT(VARCHAR(10), FECHA, 103) FROM T",
         "SELECT strftime('%d/%m/%Y', FECHA) FROM T"},
        {"SELECT CONVERT(NVARCHAR, NUMERO) FROM T", "SELECT CAST(NUMERO AS TEXT) FROM T"},
        {"SELECT convert(varchar(20), LEN(A)) FROM T", "SELECT CAST(LENGTH(A) AS TEXT) FROM T"},
        // a member of a qualified name is not the built-in function
        {"SELECT U.LEN(A) FROM T", "SELECT U.LEN(A) FROM T"},
        // a column with a function's name
        {"SELECT LEN FROM T", "SELECT LEN FROM T"},
    });
}

TEST(DialectoSqlite, PropietarioYNocount) {
    Verifica({
        {"SELECT * FROM dbo.MA_CUENTAS INNER JOIN [dbo].MV_ASIENTOS ON dbo.MA_CUENTAS.CODIGO = X",
         "SELECT * FROM MA_CUENTAS INNER JOIN MV_ASIENTOS ON MA_CUENTAS.CODIGO = X"},
        {"ALTER TABLE dbo.T ADD C INT", "ALTER TABLE T ADD C INT"},
        {"SET NOCOUNT ON", ""},
        {"SET NOCOUNT ON; SELECT 1", " SELECT 1"},
        {"set nocount off\nSELECT 1", "\nSELECT 1"},
        {"SET DATEFORMAT dmy", "SET DATEFORMAT dmy"},
    });
}

TEST(DialectoSqlite, LoQueQuedaComoEsta) {
    Verifica({
        {"SELECT A + ' ' + B FROM T", "SELECT A + ' ' + B FROM T"},
        {"SELECT * FROM T WHERE A IS NULL", "SELECT * FROM T WHERE A IS NULL"},
        {"SELECT 'LEN(x) with(nolock) TOP 1 dbo.x ISNULL(' FROM T",
         "SELECT 'LEN(x) with(nolock) TOP 1 dbo.x ISNULL(' FROM T"},
        {"SELECT 'O''BRIEN (nolock)' AS N FROM T", "SELECT 'O''BRIEN (nolock)' AS N FROM T"},
        {"SELECT [LEN](A), \"ISNULL\"(B) FROM T", "SELECT [LEN](A), \"ISNULL\"(B) FROM T"},
        {"SELECT 1 -- LEN(x) with(nolock) '01/02/2013'\n",
         "SELECT 1 -- LEN(x) with(nolock) '01/02/2013'\n"},
        {"SELECT /* TOP 5 dbo.T */ A FROM T", "SELECT /* TOP 5 dbo.T */ A FROM T"},
        {"SELECT N'HOLA' FROM T", "SELECT 'HOLA' FROM T"},
        {"", ""},
        {"SELECT 'sin cerrar", "SELECT 'sin cerrar"},
    });
}

TEST(DialectoSqlite, YaEscritoParaSqliteNoCambia) {
    for (const std::string s : {
             "SELECT * FROM T WHERE A = 1 ORDER BY B LIMIT 1",
             "SELECT LENGTH(A), IFNULL(B, 0), SUBSTR(C, 1, 2), INSTR(C, '-') FROM T",
             "SELECT strftime('%d/%m/%Y', FECHA), CAST(A AS INTEGER) FROM T",
             "SELECT datetime('now','localtime')",
             "SELECT * FROM T WHERE F BETWEEN '2013-01-01' AND '2013-01-31 23:59:59'",
             "INSERT INTO T (A, B) VALUES ('x', NULL); SELECT last_insert_rowid();",
             "WITH Q AS (SELECT 1 AS A) SELECT A FROM Q",
         }) {
        SCOPED_TRACE(s);
        EXPECT_EQ(ReescribeSqlite(s), s);
    }
}

TEST(DialectoSqlite, SentenciaDePercepciones) {
    const std::string esperado =
        "SELECT CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 1' WHEN 'NC' THEN ' 1' END AS C1,  "
        "FECHA AS C2, CASE  TC WHEN 'FC' THEN ' 1' WHEN 'ND' THEN ' 5' WHEN 'NC' THEN ' 6' END AS "
        "C3, LETRA AS C4, NUMERO AS C5,cabcuit AS C6, liva_impnetograv as C7, '1.5' AS C8,  "
        "LIVA_Ret_IBtos AS C9 From MV_ASIENTOS  WHERE (TC IN ('fc', 'nc', 'nd')) AND "
        "(LIVA_Ret_IBtos <> 0)  AND  (FECHA >='2013-01-01' AND FECHA<='2013-01-31') AND "
        "(CUENTA='112')";
    EXPECT_EQ(ReescribeSqlite(kPercepciones), esperado);
}

// ---- the rewritten statements on a real SQLite file ----

class BaseSqlite {
  public:
    explicit BaseSqlite(const std::filesystem::path& archivo) {
        if (sqlite3_open(archivo.string().c_str(), &db_) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }
    ~BaseSqlite() { sqlite3_close(db_); }
    BaseSqlite(const BaseSqlite&) = delete;
    BaseSqlite& operator=(const BaseSqlite&) = delete;

    // Runs every statement of `sql`; the rows of the last one that returned rows, as text.
    std::vector<std::vector<std::string>> Ejecuta(const std::string& sql) {
        std::vector<std::vector<std::string>> filas;
        const char* resto = sql.c_str();
        while (resto && *resto) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db_, resto, -1, &st, &resto) != SQLITE_OK)
                throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " en: " + sql);
            if (!st) continue;  // blanks or an empty statement
            std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guarda(st, sqlite3_finalize);
            std::vector<std::vector<std::string>> estas;
            int rc;
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
                std::vector<std::string> fila;
                for (int i = 0; i < sqlite3_column_count(st); ++i) {
                    const auto* t = sqlite3_column_text(st, i);
                    fila.emplace_back(t ? reinterpret_cast<const char*>(t) : "<null>");
                }
                estas.push_back(std::move(fila));
            }
            if (rc != SQLITE_DONE)
                throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " en: " + sql);
            if (sqlite3_column_count(st) > 0) filas = std::move(estas);
        }
        return filas;
    }

  private:
    sqlite3* db_ = nullptr;
};

class DialectoSqliteReal : public ::testing::Test {
  protected:
    void SetUp() override {
        archivo_ =
            std::filesystem::temp_directory_path() /
            ("dialecto_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db");
        std::filesystem::remove(archivo_);
        base_ = std::make_unique<BaseSqlite>(archivo_);
        // Text columns compare without regard to case, as on the suite's SQL Server.
        base_->Ejecuta(
            "CREATE TABLE MV_ASIENTOS (TC TEXT COLLATE NOCASE, FECHA TEXT, LETRA TEXT, "
            "NUMERO TEXT, cabcuit TEXT, liva_impnetograv REAL, LIVA_Ret_IBtos REAL, "
            "CUENTA TEXT COLLATE NOCASE);"
            "INSERT INTO MV_ASIENTOS VALUES "
            "('FC', '2013-01-05', 'A', '000100000001', '30-12345678-9', 1000.5, 15.01, '112'),"
            "('NC', '2013-01-31', 'A', '000100000002', '30-12345678-9', -200, -3, '112'),"
            "('ND', '2013-02-01', 'A', '000100000003', '30-12345678-9', 100, 1.5, '112'),"
            "('FC', '2013-01-10', 'B', '000100000004', '20-11111111-1', 500, 0, '112'),"
            "('fc', '2013-01-15', 'A', '000100000005', '20-11111111-1', 300, 4.5, '113'),"
            "('RC', '2013-01-15', NULL, '000100000006', '20-11111111-1', 10, 1, '112');");
    }
    void TearDown() override {
        base_.reset();
        std::filesystem::remove(archivo_);
    }
    std::vector<std::vector<std::string>> Consulta(const std::string& sqlServer) {
        return base_->Ejecuta(ReescribeSqlite(sqlServer));
    }

    std::filesystem::path archivo_;
    std::unique_ptr<BaseSqlite> base_;
};

using Filas = std::vector<std::vector<std::string>>;

TEST_F(DialectoSqliteReal, SentenciaDePercepcionesConFechasYCuenta) {
    const Filas filas = Consulta(kPercepciones);
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0], (std::vector<std::string>{" 1", "2013-01-05", " 1", "A", "000100000001",
                                                  "30-12345678-9", "1000.5", "1.5", "15.01"}));
    EXPECT_EQ(filas[1], (std::vector<std::string>{" 1", "2013-01-31", " 6", "A", "000100000002",
                                                  "30-12345678-9", "-200.0", "1.5", "-3.0"}));
}

TEST_F(DialectoSqliteReal, TopConNolock) {
    EXPECT_EQ(Consulta("SELECT TOP 1 NUMERO FROM MV_ASIENTOS with(nolock) WHERE CUENTA = '112' "
                       "ORDER BY NUMERO DESC"),
              (Filas{{"000100000006"}}));
    EXPECT_EQ(Consulta("Select TOP 1 * from MV_ASIENTOS  with(nolock) ").size(), 1u);
    EXPECT_EQ(Consulta("SELECT NUMERO FROM MV_ASIENTOS WHERE NUMERO = (SELECT TOP 1 NUMERO FROM "
                       "MV_ASIENTOS (NOLOCK) WHERE LIVA_Ret_IBtos > 2 ORDER BY NUMERO DESC)"),
              (Filas{{"000100000005"}}));
}

TEST_F(DialectoSqliteReal, FuncionesDeTexto) {
    EXPECT_EQ(Consulta("SELECT CHARINDEX('-', cabcuit), LEN(cabcuit), SUBSTRING(cabcuit, 4, 8) "
                       "FROM MV_ASIENTOS WHERE NUMERO = '000100000001'"),
              (Filas{{"3", "13", "12345678"}}));
    EXPECT_EQ(Consulta("SELECT ISNULL(LETRA, 'X') FROM dbo.MV_ASIENTOS WHERE NUMERO = "
                       "'000100000006'"),
              (Filas{{"X"}}));
    EXPECT_EQ(Consulta("SELECT CONVERT(NVARCHAR, FECHA, 103), CONVERT(INT, NUMERO), "
                       "CONVERT(NVARCHAR, liva_impnetograv) FROM MV_ASIENTOS WHERE NUMERO = "
                       "'000100000001'"),
              (Filas{{"05/01/2013", "100000001", "1000.5"}}));
}

TEST_F(DialectoSqliteReal, FechasYFechaDelDia) {
    EXPECT_EQ(Consulta("SELECT COUNT(*) FROM MV_ASIENTOS WHERE FECHA = #05/01/2013#"),
              (Filas{{"1"}}));
    EXPECT_EQ(Consulta("SELECT COUNT(*) FROM MV_ASIENTOS WHERE FECHA BETWEEN '1/1/2013' AND "
                       "'15/1/2013'"),
              (Filas{{"4"}}));
    const Filas hoy = Consulta("SET NOCOUNT ON; SELECT GETDATE()");
    ASSERT_EQ(hoy.size(), 1u);
    EXPECT_EQ(hoy[0][0].size(), 19u);  // YYYY-MM-DD HH:MM:SS
}

}  // namespace
}  // namespace tamaris
