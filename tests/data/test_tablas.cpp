// Table lookups and schema helpers of the data-access object, over the native SQLite backend and
// the SQLite ODBC driver with the same test bodies.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "BasesPrueba.h"
#include "PuertosPrueba.h"
#include "data/DB_Dll.h"
#include "data/SentenciasTablas.h"

namespace tamaris {
namespace {

using prueba::Acceso;

// ---- the statements as built ----

struct CasoSentencia {
    const char* nombre;
    std::string obtenida;
    std::string esperada;
};

void Verifica(const std::vector<CasoSentencia>& casos) {
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_EQ(c.obtenida, c.esperada);
    }
}

TEST(SentenciasTablas, DatosTabla) {
    const Regional r;
    Verifica({
        {"texto con trim",
         SentenciaDatosTabla("CLIENTES", " O'BRIEN ", "NOMBRE", Variant(8), "", true, r),
         "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE LTRIM(RTRIM(NOMBRE)) ='O''BRIEN' "},
        {"texto sin trim",
         SentenciaDatosTabla("CLIENTES", " C1", "CODIGO", Variant("8"), "ID > 1", false, r),
         "SELECT TOP 1 * FROM CLIENTES with(nolock)  WHERE CODIGO =' C1'  AND ID > 1"},
        {"fecha", SentenciaDatosTabla("T", " 05/03/2024 ", "ALTA", Variant(7), "", false, r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE ALTA = #05/03/2024# "},
        {"numero con coma",
         SentenciaDatosTabla("T", "1234,5", "SALDO", Variant(5), "ID = 1", false, r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE SALDO = 1234.5 AND ID = 1"},
        {"entero", SentenciaDatosTabla("T", " 7 ", "ID", Variant(3), "", false, r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE ID = 7"},
        {"simple", SentenciaDatosTabla("T", "-2.25", "X", Variant(4), "  ", false, r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE X = -2.25  "},
        {"crudo", SentenciaDatosTabla("T", "A + 1", "X", Variant(11), "", false, r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE X = A + 1"},
        {"sin tipo", SentenciaDatosTabla("T", "1", "X", Variant(), "Y = 2", false, r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE X = 1 AND Y = 2"},
    });
}

TEST(SentenciasTablas, ExisteEnTabla) {
    const Regional r;
    Verifica({
        {"texto", SentenciaExisteEnTabla("T", " O'BRIEN ", "NOMBRE", Variant(8), "", r),
         "SELECT TOP 1  * FROM T with(nolock)  WHERE LTRIM(RTRIM(NOMBRE)) ='O''BRIEN'"},
        {"fecha", SentenciaExisteEnTabla("T", " '2024-01-02' ", "ALTA", Variant(7), "", r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE ALTA = '2024-01-02' "},
        {"numero", SentenciaExisteEnTabla("T", "3,50", "SALDO", Variant(5), "", r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE SALDO = 3.5"},
        {"crudo", SentenciaExisteEnTabla("T", " 1 ", "ID", Variant(20), "", r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE ID =  1 "},
        {"condicion", SentenciaExisteEnTabla("T", "x", "ID", Variant(8), "ID = 1", r),
         "SELECT TOP 1 * FROM T with(nolock)  WHERE ID = 1"},
        {"condicion con where",
         SentenciaExisteEnTabla("T", "x", "ID", Variant(8), " where ID = 1", r),
         "SELECT TOP 1 * FROM T with(nolock)   where ID = 1"},
    });
}

TEST(SentenciasTablas, ExisteEnTablaST) {
    const Regional r;
    Verifica({
        {"texto", SentenciaExisteEnTablaST("T", " O'BRIEN ", "NOMBRE", Variant(8), "", r),
         "SELECT * FROM T with(nolock)   WHERE NOMBRE =' O''BRIEN '"},
        {"fecha", SentenciaExisteEnTablaST("T", " '2024-01-02' ", "ALTA", Variant(7), "", r),
         "SELECT * FROM T with(nolock)   WHERE ALTA = '2024-01-02' "},
        {"numero", SentenciaExisteEnTablaST("T", "10", "ID", Variant(3), "", r),
         "SELECT * FROM T with(nolock)   WHERE ID = 10"},
        {"crudo", SentenciaExisteEnTablaST("T", "ID", "ID", Variant(2), "", r),
         "SELECT * FROM T with(nolock)   WHERE ID = ID"},
        {"condicion", SentenciaExisteEnTablaST("T", "", "", Variant(8), "ID = 1", r),
         "SELECT * FROM T with(nolock)   WHERE ID = 1"},
        {"condicion con where",
         SentenciaExisteEnTablaST("T", "", "", Variant(8), " WHERE ID = 1", r),
         "SELECT * FROM T with(nolock)    WHERE ID = 1"},
    });
}

TEST(SentenciasTablas, Agregados) {
    Verifica({
        {"maximo", SentenciaBuscaMaximo("T", "ID", ""), "SELECT MAX(ID) AS MAYOR FROM T"},
        {"maximo con condicion", SentenciaBuscaMaximo("T", "ID", "  ID < 3 "),
         "SELECT MAX(ID) AS MAYOR FROM T WHERE ID < 3"},
        {"minimo", SentenciaBuscaMinimo("T", "ID", ""),
         "SELECT MIN(ID) AS MENOR FROM T  with(nolock) "},
        {"minimo con condicion", SentenciaBuscaMinimo("T", "ID", " X = 1 "),
         "SELECT MIN(ID) AS MENOR FROM T  with(nolock)  WHERE X = 1"},
        {"ultimo codigo", SentenciaBuscaUltimoCodigo("T", "ID", " "),
         "SELECT MAX(ID) AS MAYOR FROM T"},
        {"ultimo codigo con condicion", SentenciaBuscaUltimoCodigo("T", "ID", " X = 1 "),
         "SELECT MAX(ID) AS MAYOR FROM T WHERE  X = 1 "},
    });
}

TEST(SentenciasTablas, AddField) {
    Verifica({
        {"con nulos", SentenciaAddField("T", "C", "VARCHAR(10)", true, std::nullopt),
         "ALTER TABLE dbo.T ADD C VARCHAR(10) Null "},
        {"sin nulos", SentenciaAddField("T", "C", "INT", false, std::nullopt),
         "ALTER TABLE dbo.T ADD C INT Not Null "},
        {"con valor por defecto", SentenciaAddField(" T ", " C ", "INT", false, "0"),
         "ALTER TABLE dbo. T  ADD  C  INT Not Null  CONSTRAINT DF_T_C DEFAULT (0)"},
        {"texto por defecto", SentenciaAddField("MA_CLI", "ZONA", "VARCHAR(5)", true, "'N'"),
         "ALTER TABLE dbo.MA_CLI ADD ZONA VARCHAR(5) Null  CONSTRAINT DF_MA_CLI_ZONA DEFAULT "
         "('N')"},
    });
}

// ---- the operations on both backends ----

constexpr const char* kEsquemaTablas =
    "CREATE TABLE CLIENTES(ID INTEGER PRIMARY KEY, CODIGO VARCHAR(10) COLLATE NOCASE, "
    "NOMBRE VARCHAR(40), SALDO DECIMAL(15,2), ALTA DATETIME, NOTA TEXT);"
    "INSERT INTO CLIENTES VALUES(1, 'C001', 'O''BRIEN', 12.5, '2024-03-05', NULL);"
    "INSERT INTO CLIENTES VALUES(2, '  C002 ', 'Pérez', 0, '2023-01-31', 'x');"
    "INSERT INTO CLIENTES VALUES(3, 'C003', 'Zorro', -3, NULL, 'y');"
    "CREATE TABLE VACIA(ID INTEGER, CODIGO VARCHAR(10));"
    "CREATE TABLE MA_ARTICULOS(IdArticulo VARCHAR(25), Descripcion VARCHAR(40));"
    // Codes padded on the left sort below those that begin with a zero.
    "INSERT INTO MA_ARTICULOS VALUES('0999', 'Con cero');"
    "INSERT INTO MA_ARTICULOS VALUES(' 555', 'Sin cero');"
    "CREATE VIEW V_MA_ARTICULOS AS SELECT IdArticulo, Descripcion FROM MA_ARTICULOS;";

constexpr int kBotones18 = mb::kAbortarReintentarIgnorar | mb::kCritico;

class Tablas : public ::testing::TestWithParam<Acceso> {
  protected:
    void SetUp() override {
        prueba::SqlDirecto(archivo, kEsquemaTablas);
        db.OpenServerADODB(false, adUseClient, GetParam().cadena(archivo), false, true);
        ASSERT_TRUE(db.gOpenFlag);
        ASSERT_TRUE(db.gCnn().Abierta());
    }
    void TearDown() override {
        if (db.gCnn().Abierta()) db.gCnn().Close();
        std::filesystem::remove(archivo);
    }

    // The definition SQLite keeps for a table: ALTER TABLE … ADD appends the column as written.
    std::string Definicion(const std::string& tabla) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(archivo.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        std::string r;
        const std::string sql = "SELECT sql FROM sqlite_master WHERE name = '" + tabla + "'";
        if (sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            r = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        sqlite3_close(h);
        return r;
    }

    std::string archivo = prueba::ArchivoTemporal(std::string("tablas_") + GetParam().nombre);
    PuertosPrueba puertos;
    DB_Dll db{puertos.ui()};
};

// ---- DatosTabla ----

TEST_P(Tablas, DatosTablaDevuelveLaColumnaPedida) {
    EXPECT_EQ(db.DatosTabla("CLIENTES", "C001", "NOMBRE", "CODIGO", Variant(8), "", false, false),
              "O'BRIEN");
    EXPECT_EQ(db.DatosTabla("CLIENTES", "C003", "saldo", "CODIGO", Variant(8), "", false, false),
              "-3");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, DatosTablaConComillaEnElValor) {
    EXPECT_EQ(
        db.DatosTabla("CLIENTES", "O'BRIEN", "CODIGO", "NOMBRE", Variant(8), "", false, false),
        "C001");
    EXPECT_EQ(
        db.DatosTabla("CLIENTES", " O'BRIEN ", "CODIGO", "NOMBRE", Variant(8), "", true, false),
        "C001");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, DatosTablaSinFilaOColumnaNulaDaVacio) {
    EXPECT_EQ(db.DatosTabla("CLIENTES", "C999", "NOMBRE", "CODIGO", Variant(8), "", false, false),
              "");
    EXPECT_EQ(db.DatosTabla("CLIENTES", "C001", "NOTA", "CODIGO", Variant(8), "", false, false),
              "");
    EXPECT_EQ(db.DatosTabla("VACIA", "1", "CODIGO", "ID", Variant(3), "", false, false), "");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, DatosTablaConUsaTrimEncuentraClavesConBlancos) {
    EXPECT_EQ(db.DatosTabla("CLIENTES", "C002", "NOMBRE", "CODIGO", Variant(8), "", true, false),
              "Pérez");
    EXPECT_EQ(db.DatosTabla("CLIENTES", " C002  ", "NOMBRE", "CODIGO", Variant(8), "", true, false),
              "Pérez");
    EXPECT_EQ(db.DatosTabla("CLIENTES", "C002", "NOMBRE", "CODIGO", Variant(8), "", false, false),
              "");
}

TEST_P(Tablas, DatosTablaPorNumeroFechaYValorCrudo) {
    // Numbers go with a point whatever the workstation writes.
    EXPECT_EQ(db.DatosTabla("CLIENTES", "12,5", "CODIGO", "SALDO", Variant(5), "", false, false),
              "C001");
    EXPECT_EQ(db.DatosTabla("CLIENTES", "12.5", "CODIGO", "SALDO", Variant(4), "", false, false),
              "C001");
    EXPECT_EQ(db.DatosTabla("CLIENTES", " 3 ", "CODIGO", "ID", Variant(3), "", false, false),
              "C003");
    EXPECT_EQ(
        db.DatosTabla("CLIENTES", "05/03/2024", "CODIGO", "ALTA", Variant(7), "", false, false),
        "C001");
    EXPECT_EQ(db.DatosTabla("CLIENTES", "2", "NOMBRE", "ID", Variant(2), "", false, false),
              "Pérez");
    EXPECT_EQ(db.DatosTabla("CLIENTES", "'Zorro'", "ID", "NOMBRE", Variant(), "", false, false),
              "3");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, DatosTablaAgregaLaCondicionConAnd) {
    EXPECT_EQ(db.DatosTabla("CLIENTES", "0", "CODIGO", "SALDO", Variant(5), "ID > 1", false, false),
              "  C002 ");
    EXPECT_EQ(
        db.DatosTabla("CLIENTES", "C001", "NOMBRE", "CODIGO", Variant(8), "ID = 2", false, false),
        "");
    EXPECT_EQ(
        db.DatosTabla("CLIENTES", "C001", "NOMBRE", "CODIGO", Variant(8), "   ", false, false),
        "O'BRIEN");
}

TEST_P(Tablas, DatosTablaFallaConAvisoAlOperador) {
    puertos.mensajes.respuestas = {mb::kReintentar, mb::kAbortar};
    EXPECT_EQ(db.DatosTabla("CLIENTES", "C001", "FALTA", "CODIGO", Variant(8), "", false, false),
              "");
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 2u);
    for (const auto& m : puertos.mensajes.mostrados) {
        EXPECT_EQ(m.botones, kBotones18);
        EXPECT_EQ(m.titulo, "Aviso al Operador");
        EXPECT_NE(m.texto.find("No se encontró el elemento"), std::string::npos) << m.texto;
    }
}

TEST_P(Tablas, DatosTablaIgnoraErrorNoMuestraNada) {
    EXPECT_EQ(db.DatosTabla("CLIENTES", "C001", "FALTA", "CODIGO", Variant(8), "", false, true),
              "");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

// ---- ExisteEnTabla / ExisteEnTablaST ----

TEST_P(Tablas, ExisteEnTablaPorTipo) {
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "C002", "CODIGO"));  // trimmed both sides
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "O'BRIEN", "NOMBRE"));
    EXPECT_FALSE(db.ExisteEnTabla("CLIENTES", "C999", "CODIGO"));
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "-3", "SALDO", nullptr, Variant(5)));
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "12,5", "SALDO", nullptr, Variant(4)));
    EXPECT_FALSE(db.ExisteEnTabla("CLIENTES", "7", "ID", nullptr, Variant(3)));
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "'2023-01-31'", "ALTA", nullptr, Variant(7)));
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "1 + 1", "ID", nullptr, Variant(11)));
    EXPECT_FALSE(db.ExisteEnTabla("VACIA", "1", "ID", nullptr, Variant(3)));
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, ExisteEnTablaConCondicionNoRepiteWhere) {
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "no se usa", "NADA", nullptr, Variant(8),
                                 " WHERE NOMBRE = 'Zorro'"));
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "", "", nullptr, Variant(8), "NOMBRE = 'Zorro'"));
    EXPECT_FALSE(
        db.ExisteEnTabla("CLIENTES", "", "", nullptr, Variant(8), " where NOMBRE = 'Nadie'"));
    EXPECT_TRUE(
        db.ExisteEnTablaST("CLIENTES", "", "", nullptr, Variant(8), " WHERE NOMBRE = 'Zorro'"));
    EXPECT_TRUE(db.ExisteEnTablaST("CLIENTES", "", "", nullptr, Variant(8), "ID = 2"));
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, ExisteEnTablaConRecordsetDelLlamador) {
    Recordset rs;
    EXPECT_TRUE(db.ExisteEnTabla("CLIENTES", "C003", "CODIGO", &rs));
    ASSERT_EQ(rs.State(), adStateOpen);
    EXPECT_EQ(rs.Fields("NOMBRE").Value().Texto(), "Zorro");
    EXPECT_EQ(rs.CursorType, adOpenForwardOnly);
    EXPECT_EQ(rs.LockType, adLockReadOnly);

    // Open again over the same recordset, with the caller's own cursor and lock.
    rs.CursorType = adOpenDynamic;
    rs.LockType = adLockOptimistic;
    EXPECT_FALSE(db.ExisteEnTabla("CLIENTES", "C999", "CODIGO", &rs, Variant(8), "", false));
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.CursorType, adOpenDynamic);
    EXPECT_EQ(rs.LockType, adLockOptimistic);
    rs.Close();
}

TEST_P(Tablas, ExisteEnTablaSTComparaSinRecortar) {
    EXPECT_FALSE(db.ExisteEnTablaST("CLIENTES", "C002", "CODIGO"));
    EXPECT_TRUE(db.ExisteEnTablaST("CLIENTES", "  C002 ", "CODIGO"));
    EXPECT_TRUE(db.ExisteEnTablaST("CLIENTES", "O'BRIEN", "NOMBRE"));
    EXPECT_TRUE(db.ExisteEnTablaST("CLIENTES", " 3 ", "ID", nullptr, Variant(3)));
    EXPECT_FALSE(db.ExisteEnTablaST("VACIA", "x", "CODIGO"));
    Recordset rs;
    EXPECT_TRUE(db.ExisteEnTablaST("CLIENTES", "Pérez", "NOMBRE", &rs));
    EXPECT_EQ(rs.Fields("ID").Value().Entero(), 2);
}

TEST_P(Tablas, ExisteEnTablaFallaConAvisoYAbortarDaFalso) {
    puertos.mensajes.respuestas = {mb::kReintentar, mb::kAbortar};
    EXPECT_FALSE(db.ExisteEnTabla("NO_EXISTE", "x", "CODIGO"));
    ASSERT_EQ(puertos.mensajes.mostrados.size(), 2u);
    EXPECT_EQ(puertos.mensajes.mostrados[0].botones, kBotones18);
    EXPECT_EQ(puertos.mensajes.mostrados[0].titulo, "Aviso al Operador");

    puertos.mensajes.respuestas = {mb::kIgnorar};
    EXPECT_FALSE(db.ExisteEnTablaST("NO_EXISTE", "x", "CODIGO"));
    EXPECT_EQ(puertos.mensajes.mostrados.size(), 3u);
}

// ---- BuscaMaximo / BuscaMinimo / BuscaUltimoCodigo ----

TEST_P(Tablas, BuscaMaximoNumericoYConCondicion) {
    EXPECT_EQ(db.BuscaMaximo("CLIENTES", "ID"), Variant(3.0));
    std::string condicion = "  ID < 3 ";
    EXPECT_EQ(db.BuscaMaximo("CLIENTES", "ID", Variant(3), &condicion), Variant(2.0));
    EXPECT_EQ(condicion, "  ID < 3 ");
    std::string vacia;
    EXPECT_EQ(db.BuscaMaximo("CLIENTES", "SALDO", Variant(5), &vacia), Variant(12.5));
    // A text column gives its numeric value; a code that is not a number gives 0.
    EXPECT_EQ(db.BuscaMaximo("CLIENTES", "CODIGO"), Variant(0.0));
}

TEST_P(Tablas, BuscaMaximoDeTablaVaciaDaCero) {
    const Variant v = db.BuscaMaximo("VACIA", "ID");
    EXPECT_FALSE(v.EsVacio());
    EXPECT_EQ(v, Variant(0.0));
    EXPECT_TRUE(db.BuscaMaximo("VACIA", "ID", Variant(7)).EsVacio());
}

TEST_P(Tablas, BuscaMaximoDeFechaDevuelveElValorLeido) {
    const Variant v = db.BuscaMaximo("CLIENTES", "ALTA", Variant(7));
    EXPECT_FALSE(v.EsVacio());
    EXPECT_NE(v.Texto().find("2024"), std::string::npos) << v.Texto();
}

TEST_P(Tablas, BuscaMaximoDeArticulosExcluyeLosCodigosConCero) {
    std::string condicion;
    EXPECT_EQ(db.BuscaMaximo("V_MA_ARTICULOS", "IdArticulo", Variant(), &condicion),
              Variant(555.0));
    EXPECT_EQ(condicion, " substring(ltrim(idarticulo),1,1)<>'0'");

    std::string dada = "Descripcion <> 'x'";
    EXPECT_EQ(db.BuscaMaximo("v_ma_articulos", "IdArticulo", Variant(8), &dada), Variant(555.0));
    EXPECT_EQ(dada, "Descripcion <> 'x' and substring(ltrim(idarticulo),1,1)<>'0'");

    // Without the caller's variable the retry still happens.
    EXPECT_EQ(db.BuscaMaximo("V_MA_ARTICULOS", "IdArticulo"), Variant(555.0));
    // Another table keeps its maximum.
    EXPECT_EQ(db.BuscaMaximo("MA_ARTICULOS", "IdArticulo"), Variant(999.0));
}

TEST_P(Tablas, BuscaMaximoSinFallosPropiosLosDejaAlLlamador) {
    EXPECT_THROW(db.BuscaMaximo("NO_EXISTE", "ID"), std::exception);
    EXPECT_THROW(db.BuscaMinimo("NO_EXISTE", "ID"), std::exception);
    EXPECT_THROW(db.BuscaUltimoCodigo("NO_EXISTE", "ID", Variant(), ""), std::exception);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, BuscaMinimo) {
    EXPECT_EQ(db.BuscaMinimo("CLIENTES", "SALDO"), Variant(-3.0));
    EXPECT_EQ(db.BuscaMinimo("CLIENTES", "SALDO", Variant(7), " SALDO >= 0 "), Variant(0.0));
    EXPECT_EQ(db.BuscaMinimo("CLIENTES", "ID", Variant(), "NOMBRE = 'Zorro'"), Variant(3.0));
    EXPECT_EQ(db.BuscaMinimo("VACIA", "ID"), Variant(0.0));
}

TEST_P(Tablas, BuscaUltimoCodigo) {
    EXPECT_EQ(db.BuscaUltimoCodigo("CLIENTES", "ID", Variant(7), ""), Variant(3.0));
    EXPECT_EQ(db.BuscaUltimoCodigo("CLIENTES", "ID", Variant(), "ID <> 3"), Variant(2.0));
    EXPECT_EQ(db.BuscaUltimoCodigo("CLIENTES", "ID", Variant(), "  "), Variant(3.0));
    EXPECT_EQ(db.BuscaUltimoCodigo("VACIA", "ID", Variant(), ""), Variant(0.0));
}

// ---- schema ----

TEST_P(Tablas, ExisteTablaDB) {
    EXPECT_TRUE(db.ExisteTablaDB("CLIENTES"));
    EXPECT_TRUE(db.ExisteTablaDB(" clientes "));
    EXPECT_TRUE(db.ExisteTablaDB("V_MA_ARTICULOS"));
    EXPECT_FALSE(db.ExisteTablaDB("NO_EXISTE"));
    EXPECT_FALSE(db.ExisteTablaDB("CLIENTE"));
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, ExisteCampoDBConCualquierCatalogo) {
    for (const std::string& catalogo : {std::string(), archivo, std::string("TAMARIS")}) {
        SCOPED_TRACE(catalogo);
        db.gDBName = catalogo;
        EXPECT_TRUE(db.ExisteCampoDB("CLIENTES", "NOMBRE"));
        EXPECT_TRUE(db.ExisteCampoDB("clientes", " saldo "));
        EXPECT_FALSE(db.ExisteCampoDB("CLIENTES", "NOMBR"));
        EXPECT_FALSE(db.ExisteCampoDB("VACIA", "NOMBRE"));
        EXPECT_FALSE(db.ExisteCampoDB("NO_EXISTE", "ID"));
    }
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, ExisteCampoDBEnOracleSiempreEsVerdadero) {
    db.gProveedor = "OraOLEDB.Oracle.1";
    EXPECT_TRUE(db.ExisteCampoDB("NO_EXISTE", "NADA"));
    EXPECT_TRUE(db.ExisteCampoDB("CLIENTES", "NADA"));

    // Asked of the shared object's provider, not of this one.
    PuertosPrueba otros;
    DB_Dll propio(otros.ui(), &db);
    EXPECT_TRUE(propio.ExisteCampoDB("NO_EXISTE", "NADA"));
}

TEST_P(Tablas, AddFieldConValorPorDefecto) {
    db.AddField("CLIENTES", "ZONA", "VARCHAR(10)", true, "'Norte'");
    EXPECT_TRUE(db.ExisteCampoDB("CLIENTES", "ZONA"));
    // "ALTER TABLE dbo.CLIENTES ADD " + the definition below, "dbo." dropped on SQLite.
    EXPECT_TRUE(
        Definicion("CLIENTES")
            .ends_with(", ZONA VARCHAR(10) Null  CONSTRAINT DF_CLIENTES_ZONA DEFAULT ('Norte'))"))
        << Definicion("CLIENTES");
    EXPECT_EQ(db.DatosTabla("CLIENTES", "2", "ZONA", "ID", Variant(3), "", false, false), "Norte");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_P(Tablas, AddFieldRecortaLosNombresDeLaRestriccion) {
    db.AddField("VACIA ", " CANTIDAD", "INTEGER", false, "0");
    EXPECT_TRUE(db.ExisteCampoDB("VACIA", "CANTIDAD"));
    // SQLite keeps the definition without the blanks around it.
    EXPECT_TRUE(Definicion("VACIA").ends_with(
        ", CANTIDAD INTEGER Not Null  CONSTRAINT DF_VACIA_CANTIDAD DEFAULT (0))"))
        << Definicion("VACIA");
}

TEST_P(Tablas, AddFieldSinValorPorDefecto) {
    db.AddField("VACIA", "NOTA", "TEXT", true);
    EXPECT_TRUE(Definicion("VACIA").ends_with(", NOTA TEXT Null)")) << Definicion("VACIA");
}

TEST_P(Tablas, AddFieldQueElMotorRechazaPasaSinMensaje) {
    // A column that already exists, and a NOT NULL column without default on a table with rows.
    db.AddField("CLIENTES", "NOMBRE", "VARCHAR(40)", true);
    db.AddField("CLIENTES", "OBLIGATORIA", "INTEGER", false);
    EXPECT_FALSE(db.ExisteCampoDB("CLIENTES", "OBLIGATORIA"));
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    EXPECT_TRUE(db.gCnn().Abierta());
}

TEST_P(Tablas, VerCampoDB) {
    // Missing table: nothing is added, nothing is created.
    EXPECT_TRUE(db.VerCampoDB("NO_EXISTE", "ZONA", true, "VARCHAR(10)", true));
    EXPECT_FALSE(db.ExisteTablaDB("NO_EXISTE"));
    EXPECT_EQ(Definicion("NO_EXISTE"), "");

    // Not asked to add.
    EXPECT_TRUE(db.VerCampoDB("CLIENTES", "ZONA", false, "VARCHAR(10)", true));
    EXPECT_FALSE(db.ExisteCampoDB("CLIENTES", "ZONA"));

    EXPECT_TRUE(db.VerCampoDB("CLIENTES", "ZONA", true, "VARCHAR(10)", true, "'Sur'"));
    EXPECT_TRUE(db.ExisteCampoDB("CLIENTES", "ZONA"));
    // Already there: left alone.
    const std::string antes = Definicion("CLIENTES");
    EXPECT_TRUE(db.VerCampoDB("CLIENTES", "zona", true, "INTEGER", false, "1"));
    EXPECT_EQ(Definicion("CLIENTES"), antes);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

INSTANTIATE_TEST_SUITE_P(Motores, Tablas, ::testing::Values(prueba::kNativo, prueba::kOdbc),
                         prueba::NombreAcceso);

}  // namespace
}  // namespace tamaris
