// The tree lookup form over a real SQLite file: the generic tree and the family tree, ticking
// six levels down, searching, F5 and accepting.

#include <gtest/gtest.h>

#include "SoporteConsultas.h"
#include "components/Pasos.h"
#include "data/sqlite/DialectoSqlite.h"

namespace tamaris {
namespace {

using prueba::AccesoConsulta;
using prueba::BaseConsultas;
using prueba::VistaArbolGuion;

class FormArbolPrueba : public ::testing::TestWithParam<AccesoConsulta> {
  protected:
    FormArbolPrueba() : base(GetParam()) {
        entorno.ui = &base.puertos.ui();
        entorno.db = &base.db;
        entorno.arbol = &vista;
    }
    Lib_FrmCons3Tree& Carga(const std::string& sql, const std::string& campo = "CODIGO") {
        form = std::make_unique<Lib_FrmCons3Tree>(entorno);
        form->SQL = sql;
        form->CampoDevuelto = campo;
        form->Form_Load();
        return *form;
    }
    // Key of the parent of the node with `clave`; "" for the root.
    std::string Padre(const std::string& clave) const {
        const int i = form->IndiceNodo(clave);
        if (i < 0) return "?";
        const int p = form->Nodos()[static_cast<std::size_t>(i)].Parent;
        return p < 0 ? "" : form->Nodos()[static_cast<std::size_t>(p)].Key;
    }
    bool Marcado(const std::string& clave) const {
        return form->Nodos()[static_cast<std::size_t>(form->IndiceNodo(clave))].Checked;
    }
    void Acepta(const std::string& clave) {
        form->TreeV_NodeClick(form->IndiceNodo(clave));
        form->TreeV_DblClick();
    }

    BaseConsultas base;
    VistaArbolGuion vista;
    EntornoConsulta entorno;
    std::unique_ptr<Lib_FrmCons3Tree> form;
};

TEST_P(FormArbolPrueba, ArbolGenericoPorPrefijos) {
    Lib_FrmCons3Tree& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    ASSERT_EQ(f.Nodos().size(), 8u);
    EXPECT_EQ(f.Nodos()[0].Key, "A");
    EXPECT_EQ(f.Nodos()[0].Text, "Consulta...");
    EXPECT_TRUE(f.Nodos()[0].Expanded);
    EXPECT_EQ(f.Nodos()[1].Text, "1 - Activo");
    EXPECT_EQ(Padre("A1"), "A");
    EXPECT_EQ(Padre("A11"), "A1");
    EXPECT_EQ(Padre("A111"), "A11");
    EXPECT_EQ(Padre("A113"), "A11");
    EXPECT_EQ(Padre("A2"), "A");
    EXPECT_EQ(Padre("A21"), "A2");
    EXPECT_EQ(f.Nodos()[f.IndiceNodo("A11")].Children.size(), 3u);
    EXPECT_TRUE(base.puertos.errores.reportados.empty());
}

TEST_P(FormArbolPrueba, SinFilasSoloLaRaiz) {
    Lib_FrmCons3Tree& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS WHERE 1 = 0");
    ASSERT_EQ(f.Nodos().size(), 1u);
    EXPECT_EQ(f.Nodos()[0].Key, "A");
}

TEST_P(FormArbolPrueba, UnaClaveRepetidaSeInformaYSeSigue) {
    base.Sql(
        "CREATE TABLE DOBLES (C VARCHAR(5), D VARCHAR(5));"
        "INSERT INTO DOBLES VALUES ('1','a'),('1','b'),('12','c');");
    base.puertos.errores.respuestas = {kIgnorar};
    Lib_FrmCons3Tree& f = Carga("SELECT C, D FROM DOBLES ORDER BY C, D");
    ASSERT_EQ(base.puertos.errores.reportados.size(), 1u);
    EXPECT_EQ(base.puertos.errores.reportados[0].rutina, "ArmarTreeVAutomatico");
    EXPECT_EQ(f.Nodos().size(), 3u);
    EXPECT_EQ(Padre("A12"), "A1");
}

TEST_P(FormArbolPrueba, FamiliasColgadasPorSuPariente) {
    Lib_FrmCons3Tree& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS WHERE 1 = 0");
    f.AgregarFamilia("01", "Bebidas", Variant::Null());
    f.AgregarFamilia("0101", "Gaseosas", Variant("01"));
    f.AgregarFamilia("010101", "Colas", Variant("0101"));
    f.AgregarFamilia("02", "Almacen", Variant::Null());
    EXPECT_EQ(Padre("A01"), "A");
    EXPECT_EQ(Padre("A0101"), "A01");
    EXPECT_EQ(Padre("A010101"), "A0101");
    EXPECT_EQ(Padre("A02"), "A");
    EXPECT_EQ(f.Nodos()[f.IndiceNodo("A0101")].Text, "0101 - Gaseosas");
}

TEST_P(FormArbolPrueba, ArbolDeFamilias) {
    base.Sql(
        "INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES "
        "('01','Bebidas'),('0101','Gaseosas'),('010101','Colas'),('02','Almacen');");
    Lib_FrmCons3Tree& f = Carga("SELECT * FROM V_TA_FAMILIAS", "IDFAMILIA");
    EXPECT_EQ(f.SQL, Lib_FrmCons3Tree::SentenciaFamilias());
    ASSERT_EQ(f.Nodos().size(), 5u);
    EXPECT_EQ(Padre("A01"), "A");
    EXPECT_EQ(Padre("A0101"), "A01");
    EXPECT_EQ(Padre("A010101"), "A0101");
    EXPECT_EQ(Padre("A02"), "A");
    Acepta("A0101");
    EXPECT_EQ(f.ValorDevuelto, Variant("0101"));
}

TEST_P(FormArbolPrueba, LaSentenciaDeFamilias) {
    EXPECT_EQ(Lib_FrmCons3Tree::SentenciaFamilias(),
              "SELECT     TOP 100 PERCENT IdFamilia, Descripcion, (SELECT     TOP 1 idfamilia "
              "FROM v_ta_familias a   Where a.IdFamilia < b.IdFamilia And "
              "(Len(LTrim(RTrim(a.IdFamilia))) < Len(LTrim(RTrim(b.IdFamilia))))  ORDER BY "
              "idfamilia DESC) AS [relative] FROM dbo.V_TA_FAMILIAS b ORDER BY IdFamilia");
}

TEST_P(FormArbolPrueba, MarcarBajaSeisNiveles) {
    base.Sql(
        "CREATE TABLE NIVELES (C VARCHAR(10), D VARCHAR(10));"
        "INSERT INTO NIVELES VALUES ('1','n0'),('12','n1'),('123','n2'),('1234','n3'),"
        "('12345','n4'),('123456','n5'),('1234567','n6'),('12345678','n7'),('2','otro');");
    Lib_FrmCons3Tree& f = Carga("SELECT C, D FROM NIVELES ORDER BY C");
    f.CheckBoxes = true;
    f.TreeV_NodeCheck(f.IndiceNodo("A1"), true);
    for (const char* clave : {"A1", "A12", "A123", "A1234", "A12345", "A123456", "A1234567"})
        EXPECT_TRUE(Marcado(clave)) << clave;
    EXPECT_FALSE(Marcado("A12345678")) << "seven levels below";
    EXPECT_FALSE(Marcado("A2"));
    EXPECT_FALSE(Marcado("A"));
    f.TreeV_NodeCheck(f.IndiceNodo("A12"), false);
    EXPECT_TRUE(Marcado("A1"));
    EXPECT_FALSE(Marcado("A1234567"));
}

TEST_P(FormArbolPrueba, BuscarSeleccionaYMuestra) {
    Lib_FrmCons3Tree& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    f.CmbSearch_Change("caja ch");
    ASSERT_GE(f.Seleccionado(), 0);
    EXPECT_EQ(f.Nodos()[f.Seleccionado()].Key, "A111");
    EXPECT_TRUE(f.Nodos()[f.IndiceNodo("A11")].Expanded);
    EXPECT_TRUE(f.Nodos()[f.IndiceNodo("A1")].Expanded);
    f.CmbSearch_Change("21");
    EXPECT_EQ(f.Nodos()[f.Seleccionado()].Key, "A21");
    f.CmbSearch_Change("Consulta");  // the root has no code to match
    EXPECT_EQ(f.Nodos()[f.Seleccionado()].Key, "A21");
}

TEST_P(FormArbolPrueba, F5FiltraPorDescripcion) {
    Lib_FrmCons3Tree& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    f.CmbSearch_Change("caj");
    int f5 = 116;
    f.CmbSearch_KeyDown(f5, 0);
    EXPECT_EQ(f.SQL,
              "SELECT Codigo, Descripcion FROM MA_CUENTAS  where Descripcion like "
              "'%caj%' ORDER BY Codigo");
    EXPECT_EQ(f.CmbSearch, "");
    ASSERT_EQ(f.Nodos().size(), 3u);
    EXPECT_EQ(Padre("A11"), "A");
    EXPECT_EQ(Padre("A111"), "A11");
    f.CmbSearch_Change("O'B");
    f.CmbSearch_KeyDown(f5, 0);
    EXPECT_EQ(f.SQL,
              "SELECT Codigo, Descripcion FROM MA_CUENTAS  where Descripcion like "
              "'%caj%'  and Descripcion like '%O''B%' ORDER BY Codigo");
    EXPECT_EQ(f.Nodos().size(), 1u);
    f.CmdNueva_Click();
    EXPECT_EQ(f.Nodos().size(), 1u) << "the tree is built again from the current statement";
}

TEST_P(FormArbolPrueba, AceptarCodigoDeCuentas) {
    Lib_FrmCons3Tree& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    Acepta("A112");
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(f.ValorDevuelto, Variant("112"));
}

TEST_P(FormArbolPrueba, ElCentroDeCostoVaPrimero) {
    base.Sql("UPDATE TA_CCOSTO SET Codigo = ' 113 ';");
    Lib_FrmCons3Tree& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    Acepta("A113");
    EXPECT_EQ(f.ValorDevuelto, Variant(" 113 "));
}

TEST_P(FormArbolPrueba, CodigoQueNoEstaDevuelveVacio) {
    base.Sql(
        "CREATE TABLE OTROS (C VARCHAR(5), D VARCHAR(5)); INSERT INTO OTROS VALUES ('9','x');");
    Lib_FrmCons3Tree& f = Carga("SELECT C, D FROM OTROS");
    f.ValorDevuelto = Variant("anterior");
    Acepta("A9");
    EXPECT_EQ(f.ValorDevuelto, Variant(""));
}

TEST_P(FormArbolPrueba, PosicionesYOtrasColumnas) {
    base.Sql(
        "CREATE TABLE MA_POSICIONES (IdPosicion VARCHAR(10), Descripcion VARCHAR(20));"
        "INSERT INTO MA_POSICIONES VALUES ('P1','Uno');");
    Lib_FrmCons3Tree& f = Carga("SELECT IdPosicion, Descripcion FROM MA_POSICIONES", "idposicion");
    Acepta("AP1");
    EXPECT_EQ(f.ValorDevuelto, Variant("P1"));
    Lib_FrmCons3Tree& g = Carga("SELECT IdPosicion, Descripcion FROM MA_POSICIONES", "OTRA");
    Acepta("AP1");
    EXPECT_EQ(g.ValorDevuelto, Variant("P1")) << "an unknown column returns the node's code";
}

TEST_P(FormArbolPrueba, SeleccionMultiple) {
    Lib_FrmCons3Tree& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    f.CheckBoxes = true;
    f.TreeV_NodeCheck(f.IndiceNodo("A11"), true);
    f.TreeV_NodeCheck(f.IndiceNodo("A112"), false);
    f.CmdAceptar_Click();
    EXPECT_EQ(f.Valores, (std::vector<Variant>{Variant("11"), Variant("111"), Variant("113")}));
}

TEST_P(FormArbolPrueba, CancelarYCerrar) {
    vista.guion = [](Lib_FrmCons3Tree& f) {
        f.TreeV_NodeClick(1);
        int escape = 27;
        f.Form_KeyDown(escape, 0);
    };
    form = std::make_unique<Lib_FrmCons3Tree>(entorno);
    form->SQL = "SELECT Codigo, Descripcion FROM MA_CUENTAS";
    form->CampoDevuelto = "CODIGO";
    form->ValorDevuelto = Variant("x");
    form->MostrarModal();
    EXPECT_EQ(vista.mostrada, 1);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(form->ValorDevuelto, Variant(""));
    form->Form_Unload();
    EXPECT_TRUE(form->Nodos().empty());
}

INSTANTIATE_TEST_SUITE_P(Accesos, FormArbolPrueba,
                         ::testing::Values(prueba::kNativoConsulta, prueba::kOdbcConsulta),
                         prueba::NombreAccesoConsulta);

}  // namespace
}  // namespace tamaris
