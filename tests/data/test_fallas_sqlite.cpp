// Damaged and locked SQLite files are reported as what they are, in a bounded time, and never
// as a lost connection (which would be reopened) nor as "not a database".

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "BasesPrueba.h"
#include "data/Conexion.h"

namespace tamaris {
namespace {

// A second program's connection holding a lock on the file until destroyed.
class OtroPrograma {
  public:
    OtroPrograma(const std::string& archivo, const char* inicio) {
        sqlite3_open_v2(archivo.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        EXPECT_EQ(sqlite3_exec(db_, inicio, nullptr, nullptr, nullptr), SQLITE_OK) << inicio;
    }
    ~OtroPrograma() {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }

  private:
    sqlite3* db_ = nullptr;
};

class FallasSqlite : public ::testing::Test {
  protected:
    void SetUp() override {
        // Enough rows for the table to span many pages.
        prueba::SqlDirecto(archivo,
                           "PRAGMA page_size=4096; CREATE TABLE T(ID INTEGER PRIMARY KEY, NOTA "
                           "TEXT); WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                           "WHERE x < 2000) INSERT INTO T SELECT x, printf('%0200d', x) FROM c;");
    }
    void TearDown() override { std::remove(archivo.c_str()); }
    std::string archivo = prueba::ArchivoTemporal("fallas");
};

TEST_F(FallasSqlite, PaginaSobrescritaEsBaseDanada) {
    {
        std::FILE* f = std::fopen(archivo.c_str(), "r+b");
        ASSERT_TRUE(f);
        const std::string basura(3 * 4096, '\x5a');
        std::fseek(f, 4096, SEEK_SET);  // pages 2 to 4: the table's root and first leaves
        std::fwrite(basura.data(), 1, basura.size(), f);
        std::fclose(f);
    }
    Conexion cn;
    cn.Open(prueba::CadenaNativa(archivo));
    for (const char* sql : {"SELECT sum(length(NOTA)) FROM T", "UPDATE T SET NOTA = 'x'"}) {
        SCOPED_TRACE(sql);
        ErrorBD e = prueba::ErrorDe([&] { cn.Execute(sql); });
        EXPECT_EQ(e.Numero(), err::kBaseDanada);
        EXPECT_NE(std::string(e.what()).find("La base de datos está dañada"), std::string::npos)
            << e.what();
        ASSERT_FALSE(cn.Errors().empty());
        EXPECT_FALSE(cn.Errors().front().SQLState.starts_with("08"));
    }
}

TEST_F(FallasSqlite, BloqueoDeOtroProgramaSeInformaComoBloqueo) {
    struct Caso {
        const char* bloqueo;
        bool alAbrir;  // the open itself meets the lock
        const char* sql;
    };
    const Caso casos[] = {
        {"BEGIN EXCLUSIVE", true, ""},
        {"BEGIN IMMEDIATE", false, "INSERT INTO T(NOTA) VALUES('nueva')"},
        {"BEGIN EXCLUSIVE; DELETE FROM T WHERE ID = 1", false, "SELECT count(*) FROM T"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.bloqueo);
        Conexion cn;
        cn.SetCommandTimeout(1);
        if (!c.alAbrir) cn.Open(prueba::CadenaNativa(archivo));
        OtroPrograma otro(archivo, c.bloqueo);
        const auto inicio = std::chrono::steady_clock::now();
        ErrorBD e = prueba::ErrorDe([&] {
            if (c.alAbrir)
                cn.Open(prueba::CadenaNativa(archivo));
            else
                cn.Execute(c.sql);
        });
        // Generous: the time-out is 1 s; this only catches a wait without end.
        EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(20));
        const std::string texto = e.what();
        EXPECT_EQ(e.Numero(), err::kTiempoAgotado);
        EXPECT_NE(texto.find("bloqueada por otro programa"), std::string::npos) << texto;
        EXPECT_EQ(texto.find("no es una base de datos"), std::string::npos) << texto;
    }
    // Readers are not held up by another program's pending write.
    Conexion cn;
    cn.Open(prueba::CadenaNativa(archivo));
    OtroPrograma otro(archivo, "BEGIN IMMEDIATE; DELETE FROM T");
    auto cursor = cn.Consultar("SELECT count(*) FROM T");
    std::vector<Variant> fila;
    ASSERT_TRUE(cursor->Siguiente(fila));
    EXPECT_EQ(fila[0].Entero(), 2000);
}

}  // namespace
}  // namespace tamaris
