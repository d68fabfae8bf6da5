// Long results are read ahead on a second thread: rows must come in order and complete, a
// failure must surface at its row, and the connection must stay usable meanwhile.

#include <gtest/gtest.h>

#include "data/Conexion.h"
#include "data/Recordset.h"
#include "data/BasesPrueba.h"

namespace tamaris::prueba {
namespace {

class LecturaAnticipada : public ::testing::Test {
protected:
    void SetUp() override {
        archivo = ArchivoTemporal("anticipada");
        // 20,000 rows: well past the point where reading ahead starts, and many batches.
        SqlDirecto(archivo,
                   "CREATE TABLE N(I INTEGER, T VARCHAR(20));"
                   "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000)"
                   " INSERT INTO N SELECT x, 'fila ' || x FROM c;");
        cn.Open(CadenaNativa(archivo));
    }
    void TearDown() override {
        if (cn.Abierta()) cn.Close();
        std::filesystem::remove(archivo);
    }
    std::string archivo;
    Conexion cn;
};

TEST_F(LecturaAnticipada, FilasEnOrdenYCompletas) {
    for (const char* sql : {"SELECT I, T FROM N ORDER BY I", "SELECT I, T FROM N WHERE I > 1000"}) {
        Recordset rs;
        rs.Open(sql, cn, adOpenForwardOnly, adLockReadOnly);
        long esperado = std::string(sql).find("> 1000") != std::string::npos ? 1001 : 1;
        for (; !rs.Eof(); rs.MoveNext(), ++esperado) {
            ASSERT_EQ(rs.Valor(0).Entero(), esperado);
            ASSERT_EQ(rs.Valor(1).Texto(), "fila " + std::to_string(esperado));
        }
        EXPECT_EQ(esperado, 20001);
    }
}

TEST_F(LecturaAnticipada, LaConexionSigueUsableMientrasSeLee) {
    Recordset rs;
    rs.Open("SELECT I FROM N", cn, adOpenForwardOnly, adLockReadOnly);
    long filas = 0, otras = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        if (++filas % 3000 == 0) {
            // Another statement on the same connection while the reader is stepping.
            Recordset otro;
            otro.Open("SELECT count(*) FROM N WHERE I <= 10", cn, adOpenForwardOnly,
                      adLockReadOnly);
            EXPECT_EQ(otro.Valor(0).Entero(), 10);
            ++otras;
        }
    }
    EXPECT_EQ(filas, 20000);
    EXPECT_EQ(otras, 6);
}

TEST_F(LecturaAnticipada, CerrarAMitadNoCuelgaNiPierdeLaConexion) {
    for (int vez = 0; vez < 20; ++vez) {
        Recordset rs;
        rs.Open("SELECT I, T FROM N", cn, adOpenForwardOnly, adLockReadOnly);
        for (int i = 0; i < 1500 + vez * 97; ++i) rs.MoveNext();
        rs.Close();
    }
    EXPECT_EQ(cn.Execute("UPDATE N SET T = 'x' WHERE I = 1"), 1);
}

TEST_F(LecturaAnticipada, UnFalloApareceEnSuFila) {
    // abs() of the smallest integer overflows: the statement fails at that row, after the
    // reader has already queued the rows before it.
    SqlDirecto(archivo, "UPDATE N SET I = -9223372036854775808 WHERE I = 15000");
    Recordset rs;
    rs.Open("SELECT abs(I) FROM N ORDER BY rowid", cn, adOpenForwardOnly, adLockReadOnly);
    long filas = 0;
    try {
        for (; !rs.Eof(); rs.MoveNext()) ++filas;
        FAIL() << "el error no apareció";
    } catch (const ErrorBD&) {
        EXPECT_EQ(filas, 14999);
    }
}

}  // namespace
}  // namespace tamaris::prueba
