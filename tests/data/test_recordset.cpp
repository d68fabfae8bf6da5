// Recordsets over both backends: BOF/EOF, fields, values and their types, streaming, inserts.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "BasesPrueba.h"

namespace tamaris {
namespace {

using prueba::ErrorDe;

class RecordsetAcceso : public prueba::PruebaAcceso {};

TEST_P(RecordsetAcceso, ResultadoVacioTieneBofYEof) {
    Recordset rs;
    rs.Open("SELECT * FROM VACIA", cn, adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_TRUE(rs.BOF());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.FieldCount(), 2);
    EXPECT_EQ(ErrorDe([&] { rs.MoveNext(); }).Numero(), 3021);
    EXPECT_EQ(ErrorDe([&] { rs.Fields("ID").Value(); }).Numero(), 3021);
    rs.Close();
    EXPECT_EQ(rs.State(), adStateClosed);
}

TEST_P(RecordsetAcceso, RecorreLasFilasHastaEof) {
    Recordset rs;
    rs.Open("SELECT ID FROM T ORDER BY ID", cn, adOpenForwardOnly, adLockReadOnly);
    EXPECT_FALSE(rs.BOF());
    std::vector<int64_t> ids;
    while (!rs.Eof()) {
        EXPECT_FALSE(rs.BOF());
        ids.push_back(rs.Fields("ID").Value().Entero());
        rs.MoveNext();
    }
    EXPECT_EQ(ids, (std::vector<int64_t>{1, 2, 3}));
    EXPECT_TRUE(rs.Eof());
    EXPECT_FALSE(rs.BOF());
    EXPECT_EQ(ErrorDe([&] { rs.MoveNext(); }).Numero(), 3021);
    EXPECT_EQ(ErrorDe([&] { rs.Fields(0).Value(); }).Numero(), 3021);
}

TEST_P(RecordsetAcceso, CamposPorNombreSinMirarMayusculas) {
    Recordset rs;
    rs.Open("SELECT ID, NOMBRE AS Nombre FROM T WHERE ID = 1", cn, adOpenForwardOnly,
            adLockReadOnly);
    EXPECT_EQ(rs.IndiceCampo("nombre"), 1);
    EXPECT_EQ(rs.IndiceCampo("NOMBRE"), 1);
    EXPECT_EQ(rs.IndiceCampo("id"), 0);
    EXPECT_EQ(rs.IndiceCampo("falta"), -1);
    EXPECT_EQ(rs.Fields("nOmBrE").Name(), "Nombre");
    EXPECT_EQ(rs.Fields("NOMBRE").Value().Texto(), "Ñandú Pérez");
    EXPECT_EQ(rs.Valor(1).Texto(), "Ñandú Pérez");

    ErrorBD e = ErrorDe([&] { rs.Fields("FALTA"); });
    EXPECT_EQ(e.Numero(), 3265);
    EXPECT_EQ(std::string(e.what()).rfind("No se encontró el elemento en la colección", 0), 0u);
    EXPECT_EQ(ErrorDe([&] { rs.Fields(2); }).Numero(), 3265);
    EXPECT_EQ(ErrorDe([&] { rs.Fields(-1); }).Numero(), 3265);
}

TEST_P(RecordsetAcceso, TiposYValores) {
    const prueba::Acceso& a = GetParam();
    Recordset rs;
    rs.Open("SELECT ID, NOMBRE, FECHA, IMPORTE, ACTIVO, NOTA, DIA FROM T ORDER BY ID", cn,
            adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(rs.Fields("ID").Type(), 3);
    EXPECT_EQ(rs.Fields("NOMBRE").Type(), a.tipoVarchar);
    EXPECT_EQ(rs.Fields("NOMBRE").DefinedSize(), 30);
    EXPECT_EQ(rs.Fields("FECHA").Type(), 135);
    EXPECT_EQ(rs.Fields("IMPORTE").Type(), 131);
    EXPECT_EQ(rs.Fields("ACTIVO").Type(), a.tipoBit);
    EXPECT_EQ(rs.Fields("NOTA").Type(), a.tipoTexto);
    EXPECT_EQ(rs.Fields("DIA").Type(), a.tipoDate);

    // Row 1: every kind of value.
    EXPECT_EQ(rs.Valor(0), Variant(1));
    EXPECT_EQ(rs.Valor(1), Variant("Ñandú Pérez"));
    EXPECT_EQ(rs.Valor(2), Variant(Fecha{2024, 3, 5, 10, 20, 30}));
    EXPECT_EQ(rs.Valor(3), Variant(12.5));
    EXPECT_EQ(rs.Valor(4), Variant(true));
    EXPECT_EQ(rs.Valor(5), Variant("ácido"));
    EXPECT_EQ(rs.Valor(6), Variant(Fecha{2024, 1, 2}));

    // Row 2: an amount without decimals is still an amount; a date at midnight; nulls.
    rs.MoveNext();
    EXPECT_EQ(rs.Valor(2), Variant(Fecha{2023, 12, 31}));
    EXPECT_EQ(rs.Valor(3), Variant(100.0));
    EXPECT_EQ(rs.Valor(4), Variant(false));
    EXPECT_TRUE(rs.Valor(5).EsNulo());

    // Row 3: nulls in typed columns.
    rs.MoveNext();
    EXPECT_EQ(rs.Valor(1), Variant("Águila"));
    EXPECT_TRUE(rs.Valor(2).EsNulo());
    EXPECT_TRUE(rs.Valor(3).EsNulo());
    EXPECT_TRUE(rs.Valor(4).EsNulo());
    EXPECT_TRUE(rs.Fields("DIA").Value().EsNulo());
}

TEST_P(RecordsetAcceso, ExpresionesSinTipoDeclarado) {
    Recordset rs;
    rs.Open("SELECT count(*) AS N, 1.5 AS D, 'texto' AS S FROM T", cn, adOpenForwardOnly,
            adLockReadOnly);
    EXPECT_EQ(rs.Valor(0).Entero(), 3);
    EXPECT_EQ(rs.Valor(1), GetParam().expresionesComoTexto ? Variant("1.5") : Variant(1.5));
    EXPECT_EQ(rs.Valor(1).Doble(), 1.5);
    EXPECT_EQ(rs.Valor(2), Variant("texto"));
}

TEST_P(RecordsetAcceso, TextoLargoYConAcentosIdaYVuelta) {
    std::string largo;
    for (int i = 0; i < 5000; ++i) largo += "Ñañé ";
    cn.Execute("INSERT INTO T (ID, NOMBRE, NOTA) VALUES (20, 'Ñoño güeñ', '" + largo + "')");
    Recordset rs;
    rs.Open("SELECT NOMBRE, NOTA FROM T WHERE ID = 20", cn, adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(rs.Valor(0).Texto(), "Ñoño güeñ");
    EXPECT_EQ(rs.Valor(1).Texto(), largo);
    rs.Close();
    // Case folding of the column's NOCASE collation reaches plain letters.
    rs.Open("SELECT ID FROM T WHERE NOMBRE = 'ZORRO'", cn, adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(rs.Valor(0).Entero(), 2);
}

TEST_P(RecordsetAcceso, AbrirAbiertoYCerrarCerrado) {
    Recordset rs;
    EXPECT_EQ(ErrorDe([&] { rs.Close(); }).Numero(), err::kConexionCerrada);
    rs.Open("SELECT * FROM T", cn, adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(ErrorDe([&] {
                  rs.Open("SELECT * FROM T", cn, adOpenForwardOnly, adLockReadOnly);
              }).Numero(),
              err::kConexionAbierta);
    rs.Close();
    EXPECT_EQ(ErrorDe([&] { rs.Close(); }).Numero(), err::kConexionCerrada);
    EXPECT_EQ(ErrorDe([&] { rs.MoveNext(); }).Numero(), err::kConexionCerrada);
    // A recordset is reusable after closing.
    rs.Open("SELECT * FROM VACIA", cn, adOpenForwardOnly, adLockReadOnly);
    EXPECT_TRUE(rs.Eof());
}

TEST_P(RecordsetAcceso, ConsultaQueFallaDejaElRecordsetCerrado) {
    Recordset rs;
    ErrorBD e =
        ErrorDe([&] { rs.Open("SELECT * FROM NO_EXISTE", cn, adOpenForwardOnly, adLockReadOnly); });
    EXPECT_EQ(e.Numero(), err::kTablaInexistente);
    EXPECT_EQ(rs.State(), adStateClosed);
    ASSERT_FALSE(cn.Errors().empty());
    EXPECT_EQ(cn.Errors().front().Number, err::kTablaInexistente);
}

TEST_P(RecordsetAcceso, SentenciaSinFilasDejaElRecordsetCerrado) {
    Recordset rs;
    rs.Open("UPDATE T SET NOTA = 'z' WHERE ID = 1", cn, adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_EQ(Cuenta("NOTA = 'z'"), 1);
}

TEST_P(RecordsetAcceso, LasFilasLleganSinLeerElResultadoEntero) {
    // A hundred million rows: reading them all first would take minutes and gigabytes.
    auto inicio = std::chrono::steady_clock::now();
    Recordset rs;
    rs.Open(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000000) "
        "SELECT x, 'fila ' || x AS texto FROM c",
        cn, adOpenForwardOnly, adLockReadOnly);
    int64_t suma = 0;
    for (int i = 0; i < 100000 && !rs.Eof(); ++i) {
        suma += rs.Valor(0).Entero();
        rs.MoveNext();
    }
    EXPECT_EQ(suma, int64_t{100000} * 100001 / 2);
    EXPECT_EQ(rs.Valor(1).Texto(), "fila 100001");
    rs.Close();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(),
              10.0);
}

TEST_P(RecordsetAcceso, AddNewYUpdateInsertanLaFila) {
    Recordset rs;
    rs.Open("SELECT * FROM [T] WHERE 1 = 0", cn, adOpenDynamic, adLockOptimistic);
    EXPECT_EQ(rs.EditMode(), adEditNone);
    rs.AddNew();
    EXPECT_EQ(rs.EditMode(), adEditAdd);
    rs.Fields("id").SetValue(Variant(30));
    rs.Fields("NOMBRE").SetValue(Variant("O'Higgins Ñuñoa"));
    rs.Fields("FECHA").SetValue(Variant(Fecha{2024, 2, 29, 8, 5, 9}));
    rs.Fields("IMPORTE").SetValue(Variant(1234.56));
    rs.Fields("ACTIVO").SetValue(Variant(true));
    rs.Fields("NOTA").SetValue(Variant::Null());
    EXPECT_EQ(rs.Fields("NOMBRE").Value().Texto(), "O'Higgins Ñuñoa");
    rs.Update();
    EXPECT_EQ(rs.EditMode(), adEditNone);
    rs.Close();

    rs.Open("SELECT NOMBRE, FECHA, IMPORTE, ACTIVO, NOTA, DIA FROM T WHERE ID = 30", cn,
            adOpenForwardOnly, adLockReadOnly);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Valor(0), Variant("O'Higgins Ñuñoa"));
    EXPECT_EQ(rs.Valor(1), Variant(Fecha{2024, 2, 29, 8, 5, 9}));
    EXPECT_EQ(rs.Valor(2), Variant(1234.56));
    EXPECT_EQ(rs.Valor(3), Variant(true));
    EXPECT_TRUE(rs.Valor(4).EsNulo());
    EXPECT_TRUE(rs.Valor(5).EsNulo());
}

TEST_P(RecordsetAcceso, AddNewSeguidoDeOtroGuardaElPrimero) {
    Recordset rs;
    rs.Open("select * from VACIA where 1 = 0", cn, adOpenKeyset, adLockOptimistic);
    rs.AddNew();
    rs.Fields("ID").SetValue(Variant(1));
    rs.AddNew();
    rs.Fields("ID").SetValue(Variant(2));
    rs.Fields("DESCRIPCION").SetValue(Variant("dos"));
    rs.Update();
    rs.Close();
    EXPECT_EQ(prueba::EnteroDirecto(archivo, "SELECT count(*) FROM VACIA"), 2);
    EXPECT_EQ(
        prueba::EnteroDirecto(archivo, "SELECT count(*) FROM VACIA WHERE DESCRIPCION IS NULL"), 1);
}

TEST_P(RecordsetAcceso, AddNewEnSoloLecturaNoEsCompatible) {
    Recordset rs;
    rs.Open("SELECT * FROM T", cn, adOpenForwardOnly, adLockReadOnly);
    ErrorBD e = ErrorDe([&] { rs.AddNew(); });
    EXPECT_EQ(e.Numero(), 3251);
    EXPECT_STREQ(e.what(), "La operación solicitada no es compatible con el proveedor.");
    EXPECT_EQ(ErrorDe([&] { rs.Fields("ID").SetValue(Variant(1)); }).Numero(),
              err::kEdicionEnCurso);
}

TEST_P(RecordsetAcceso, CancelUpdateDescartaLaFila) {
    Recordset rs;
    rs.Open("SELECT * FROM T WHERE 1 = 0", cn, adOpenDynamic, adLockOptimistic);
    rs.AddNew();
    rs.Fields("ID").SetValue(Variant(40));
    // Closing with a row pending is not allowed; cancelling it first is.
    EXPECT_EQ(ErrorDe([&] { rs.Close(); }).Numero(), err::kEdicionEnCurso);
    rs.CancelUpdate();
    EXPECT_EQ(rs.EditMode(), adEditNone);
    rs.Close();
    EXPECT_EQ(Cuenta(), 3);
}

TEST_P(RecordsetAcceso, UpdateQueFallaDejaLaFilaPendiente) {
    Recordset rs;
    rs.Open("SELECT * FROM T WHERE 1 = 0", cn, adOpenDynamic, adLockOptimistic);
    rs.AddNew();
    rs.Fields("ID").SetValue(Variant(50));
    rs.Fields("NOMBRE").SetValue(Variant("Zorro"));
    EXPECT_EQ(ErrorDe([&] { rs.Update(); }).Numero(), err::kIntegridad);
    EXPECT_EQ(rs.EditMode(), adEditAdd);
    ASSERT_FALSE(cn.Errors().empty());
    EXPECT_EQ(cn.Errors().front().Number, err::kIntegridad);
    rs.Fields("NOMBRE").SetValue(Variant("Zorrino"));
    rs.Update();
    rs.Close();
    EXPECT_EQ(Cuenta("NOMBRE = 'Zorrino'"), 1);
}

TEST_P(RecordsetAcceso, EsquemaComoRecordset) {
    Recordset rs;
    rs.OpenCursor(cn.OpenSchema(adSchemaTables), &cn);
    bool hallada = false;
    for (; !rs.Eof(); rs.MoveNext())
        hallada = hallada || rs.Fields("table_name").Value().Texto() == "VACIA";
    EXPECT_TRUE(hallada);
}

INSTANTIATE_TEST_SUITE_P(Motores, RecordsetAcceso,
                         ::testing::Values(prueba::kNativo, prueba::kOdbc), prueba::NombreAcceso);

TEST(RecordsetSinAbrir, EstadoInicial) {
    Recordset rs;
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_TRUE(rs.BOF());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.FieldCount(), 0);
    EXPECT_EQ(ErrorDe([&] { rs.Fields("X"); }).Numero(), 3265);
    EXPECT_EQ(ErrorDe([&] { rs.AddNew(); }).Numero(), err::kConexionCerrada);
}

}  // namespace
}  // namespace tamaris
