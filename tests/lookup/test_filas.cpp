// The row store of the list lookup, and a large lookup streamed into the list.

#include <gtest/gtest.h>

#include "SoporteConsultas.h"
#include "lookup/FilasConsulta.h"

namespace tamaris {
namespace {

TEST(FilasConsulta, CeldasYCambios) {
    FilasConsulta f;
    f.Limpiar(3);
    f.Agregar({"a", "bb", "ccc"});
    f.Agregar({"d"});
    f.Agregar({"e", "f", "g", "sobra"});
    EXPECT_EQ(f.Filas(), 3);
    EXPECT_EQ(f.Celda(0, 2), "ccc");
    EXPECT_EQ(f.Celda(1, 1), "");
    EXPECT_EQ(f.Celda(2, 2), "g");
    EXPECT_EQ(f.Celda(3, 0), "");
    EXPECT_EQ(f.Celda(0, 3), "");
    f.Cambiar(0, 1, "nuevo");
    EXPECT_EQ(f.Celda(0, 1), "nuevo");
    EXPECT_EQ(f.Celda(0, 2), "ccc");
    f.Limpiar(1);
    EXPECT_EQ(f.Filas(), 0);
    EXPECT_EQ(f.Celda(0, 0), "");
}

// A lookup of 200 000 rows is read whole (a complete statement has no row limit) and holds
// little more than its text.
TEST(FilasConsulta, ConsultaGrande) {
    prueba::BaseConsultas base;
    base.Sql(
        "CREATE TABLE GRANDE (CODIGO VARCHAR(10), DESCRIPCION VARCHAR(40));"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
        "INSERT INTO GRANDE SELECT printf('%06d', i), 'Articulo ' || i FROM n;");
    EntornoConsulta e;
    e.ui = &base.puertos.ui();
    e.db = &base.db;
    e.carpetaAnchos = base.carpeta.Ruta().string();
    Lib_FrmCons3 form(e);
    form.SQL = "SELECT CODIGO, DESCRIPCION FROM GRANDE";
    form.Form_Load();
    ASSERT_EQ(form.Filas(), 200000);
    EXPECT_EQ(form.Celda(199999, 0), "200000");
    EXPECT_EQ(form.Celda(199999, 1), "Articulo 200000");
    const std::size_t texto = 200000 * (6 + 15);
    EXPECT_LT(form.BytesFilas(), 2 * texto + 200000 * 2 * 8 * 2);
    form.CmbSearch_Change(1, "articulo 199999");
    EXPECT_EQ(form.Celda(form.Seleccionada(), 0), "199999");
    form.ListView1_ColumnClick(0);
    EXPECT_EQ(form.Celda(0, 0), "200000");
}

}  // namespace
}  // namespace tamaris
