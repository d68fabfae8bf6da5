// Scripts on a real SQLite file through the connection object: a script that fails after
// beginning its own transaction leaves nothing of it open, and a date-shaped text stored into
// a text column stays as typed while a date column still gets a date.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "BasesPrueba.h"
#include "PuertosPrueba.h"
#include "data/DB_Dll.h"

namespace tamaris {
namespace {

class ScriptsSqlite : public ::testing::Test {
  protected:
    void SetUp() override {
        prueba::SqlDirecto(archivo,
                           "CREATE TABLE T(ID INTEGER PRIMARY KEY, F DATETIME, NOTA VARCHAR(20));"
                           "INSERT INTO T VALUES(1, '2024-01-01', 'uno');");
        db.OpenServerADODB(false, adUseClient, prueba::CadenaNativa(archivo), false, true);
        ASSERT_TRUE(db.gCnn().Abierta());
    }
    void TearDown() override {
        db.gCnn().Close();
        std::remove(archivo.c_str());
    }
    bool Ejecuta(std::string sql) {
        long n = 0;
        return db.EjecutaConsultaSQL(sql, n);
    }
    std::string Texto(const std::string& sql) {
        auto c = db.gCnn().Consultar(sql);
        std::vector<Variant> fila;
        return c->Siguiente(fila) ? fila[0].Texto() : "(nada)";
    }

    std::string archivo = prueba::ArchivoTemporal("scripts");
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

TEST_F(ScriptsSqlite, UnScriptQueFallaDeshaceSuTransaccion) {
    EXPECT_FALSE(
        Ejecuta("BEGIN TRANSACTION; INSERT INTO T(ID, NOTA) VALUES(2, 'dos'); "
                "INSERT INTO T(ID, NOTA) VALUES(1, 'repetida'); "
                "INSERT INTO T(ID, NOTA) VALUES(3, 'tres'); COMMIT TRANSACTION"));
    ASSERT_FALSE(db.gCnn().Errors().empty());
    EXPECT_NE(db.gCnn().Errors().front().Description.find("se deshizo"), std::string::npos);
    // Nothing stays open: a later statement is kept for good, and another program can write.
    EXPECT_TRUE(Ejecuta("INSERT INTO T(ID, NOTA) VALUES(4, 'despues')"));
    EXPECT_NO_THROW(prueba::SqlDirecto(archivo, "UPDATE T SET NOTA = NOTA"));
    db.gCnn().Close();
    EXPECT_EQ(prueba::EnteroDirecto(archivo, "SELECT count(*) FROM T WHERE ID IN (2, 3)"), 0);
    EXPECT_EQ(prueba::EnteroDirecto(archivo, "SELECT count(*) FROM T WHERE ID = 4"), 1);
    db.OpenServerADODB(false, adUseClient, prueba::CadenaNativa(archivo), false, true);
}

TEST_F(ScriptsSqlite, UnTextoConFormaDeFechaQuedaComoSeEscribio) {
    EXPECT_TRUE(Ejecuta("INSERT INTO T (ID, F, NOTA) VALUES (2, '01/02/2024', '01/02/2024')"));
    EXPECT_TRUE(Ejecuta("UPDATE T SET NOTA = '03/04/2024', F = '03/04/2024' WHERE ID = 1"));
    EXPECT_EQ(Texto("SELECT NOTA || ' ' || F FROM T WHERE ID = 2"), "01/02/2024 2024-02-01");
    EXPECT_EQ(Texto("SELECT NOTA || ' ' || F FROM T WHERE ID = 1"), "03/04/2024 2024-04-03");
    // Compared, a typed date is still a date.
    std::string sql = "SELECT ID FROM T WHERE F >= '1/2/2024' AND F < '1/3/2024'";
    EXPECT_EQ(Texto(db.DialectoLocal(sql)), "2");
}

}  // namespace
}  // namespace tamaris
