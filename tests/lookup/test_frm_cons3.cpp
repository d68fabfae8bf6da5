// The list lookup form driven headless over a real SQLite file, through the native backend and
// through the SQLite ODBC driver: columns and search boxes, incremental and database searches,
// sorting, accepting and cancelling, multi-select and quantities, the missing-article report
// and the stock colours.

#include <gtest/gtest.h>

#include "SoporteConsultas.h"
#include "components/Pasos.h"

namespace tamaris {
namespace {

using prueba::AccesoConsulta;
using prueba::BaseConsultas;
using prueba::Columna;
using prueba::ConfiguracionPrueba;
using prueba::Tecla;
using prueba::TeclaBusqueda;
using prueba::TeclaForm;
using prueba::VistaListaGuion;

constexpr int kEnter = 13, kF5 = 116, kF12 = 123, kAbajo = 40, kAvPag = 34, kArriba = 38;
constexpr int kInsertar = 45, kSuprimir = 46, kShift = 1;

class FormListaPrueba : public ::testing::TestWithParam<AccesoConsulta> {
  protected:
    FormListaPrueba() : base(GetParam()) {
        entorno.ui = &base.puertos.ui();
        entorno.db = &base.db;
        entorno.lista = &vista;
        entorno.configuracion = config.Lector();
        entorno.carpetaAnchos = base.carpeta.Ruta().string();
    }
    void SetUp() override { ASSERT_TRUE(base.db.gCnn().Abierta()); }

    // A form over `sql`, loaded.
    Lib_FrmCons3& Carga(const std::string& sql) {
        form = std::make_unique<Lib_FrmCons3>(entorno);
        form->SQL = sql;
        form->Form_Load();
        return *form;
    }
    long long Cuenta(const std::string& sql) {
        Recordset rs;
        std::string s = sql;
        base.db.AbrirRecordset(s, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
        return rs.Fields(0).Value().Entero();
    }

    BaseConsultas base;
    VistaListaGuion vista;
    ConfiguracionPrueba config;
    EntornoConsulta entorno;
    std::unique_ptr<Lib_FrmCons3> form;
};

// ---- loading ----

TEST_P(FormListaPrueba, ColumnasYCajasDeBusquedaAlineadas) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    ASSERT_EQ(f.Columnas().size(), 2u);
    ASSERT_EQ(f.CmbSearch().size(), 2u);
    EXPECT_EQ(f.Columnas()[0].Text, "Codigo");
    EXPECT_EQ(f.Columnas()[1].Text, "Descripcion");
    // VARCHAR(20) and VARCHAR(100): 20 and the cap of 60 characters.
    EXPECT_EQ(f.Columnas()[0].Width, 20 * VistaConsulta::kTwipsPorCaracter);
    EXPECT_EQ(f.Columnas()[1].Width, 60 * VistaConsulta::kTwipsPorCaracter);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(f.CmbSearch()[i].Left, f.Columnas()[i].Left);
        EXPECT_EQ(f.CmbSearch()[i].Width, f.Columnas()[i].Width);
        EXPECT_EQ(f.CmbSearch()[i].DataField, f.Columnas()[i].Campo);
        EXPECT_EQ(f.CmbSearch()[i].TabIndex, static_cast<int>(i));
        EXPECT_EQ(f.CmbSearch()[i].ToolTipText, "F5 realiza nueva busqueda");
        EXPECT_TRUE(f.CmbSearch()[i].Visible);
    }
    EXPECT_EQ(f.Columnas()[1].Left, f.Columnas()[0].Width);
    EXPECT_EQ(f.AnchoPanel(), f.Columnas()[0].Width + f.Columnas()[1].Width + 360);
    EXPECT_EQ(f.Filas(), 7);
    EXPECT_EQ(f.FilasLeidas(), 7);
    EXPECT_EQ(Columna(f, 0), (std::vector<std::string>{"1", "11", "111", "112", "113", "2", "21"}));
    EXPECT_EQ(f.Celda(4, 1), "O'Brien Proveedores");
    EXPECT_EQ(f.Seleccionada(), 0) << "the list selects its first row";
    EXPECT_EQ(f.TablaClave(), "MA_CUENTAS");
    EXPECT_EQ(f.Caption, "Consulta...");
    EXPECT_TRUE(base.puertos.errores.reportados.empty());
}

TEST_P(FormListaPrueba, ColumnasNumericasYAnchoExtra) {
    Lib_FrmCons3& f = Carga("SELECT CODIGO, PRECIO FROM PRODUCTOS");
    EXPECT_EQ(f.Celda(0, 1), "10,5") << "sub-items through the value formatting";
    f.ValoresDefault = "@10";
    f.SQL = "SELECT CODIGO FROM PRODUCTOS";
    f.Form_Load();
    EXPECT_EQ(f.Columnas()[0].Width, 20 * VistaConsulta::kTwipsPorCaracter);
}

TEST_P(FormListaPrueba, ClaveDeTabla) {
    const std::pair<std::string, std::string> casos[] = {
        {"SELECT * FROM MA_CUENTAS", "MA_CUENTAS"},
        // The word runs from the blank after "from" to the next blank: two blanks give none.
        {"select codigo from  ma_cuentas where nivel=1", ""},
        {"select codigo From PRODUCTOS order by 1", "PRODUCTOS"},
        {"select 1", ""},
    };
    for (const auto& [sql, clave] : casos) {
        Carga(sql);
        EXPECT_EQ(form->TablaClave(), clave) << sql;
    }
}

TEST_P(FormListaPrueba, SentenciaVaciaNoCarga) {
    Lib_FrmCons3& f = Carga("   ");
    EXPECT_EQ(f.Filas(), 0);
    EXPECT_EQ(f.SQL, "   ");
    EXPECT_TRUE(base.puertos.mensajes.mostrados.empty());
}

TEST_P(FormListaPrueba, SentenciaQueFallaDejaLaListaVaciaYUsable) {
    base.puertos.mensajes.respuestaDefecto = mb::kAbortar;
    Lib_FrmCons3& f = Carga("SELECT * FROM NO_EXISTE");
    EXPECT_EQ(f.Filas(), 0);
    EXPECT_EQ(base.puertos.mensajes.mostrados.size(), 1u) << "reported once, by the data layer";
    EXPECT_TRUE(base.puertos.errores.reportados.empty());
    Tecla(f, kEnter);
    EXPECT_FALSE(f.Visible());
    EXPECT_TRUE(f.ValorDevuelto.EsVacio());
}

TEST_P(FormListaPrueba, ListaSinFilas) {
    Lib_FrmCons3& f = Carga("SELECT Codigo FROM MA_CUENTAS WHERE Codigo = 'x'");
    EXPECT_EQ(f.Filas(), 0);
    EXPECT_EQ(f.Seleccionada(), -1);
    vista.guion = [](Lib_FrmCons3& shown) { Tecla(shown, kEnter); };
    form->CampoDevuelto = "Codigo";
    form->MostrarModal();
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(form->ValorDevuelto.EsVacio()) << "Enter on an empty list only hides the form";
}

TEST_P(FormListaPrueba, FiltroInicialSeleccionaLaFila) {
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT Descripcion, Codigo FROM MA_CUENTAS";
    form->FiltroInicial = " caja ";
    form->Form_Load();
    EXPECT_EQ(form->CmbSearch()[0].Text, " caja ");
    EXPECT_EQ(form->Celda(form->Seleccionada(), 1), "11");
}

TEST_P(FormListaPrueba, UsarUDBCLeeDeLaSegundaConexion) {
    const std::string otra = base.carpeta / "otra.db";
    ::prueba::EjecutaSqlite(otra,
                            "CREATE TABLE SOLO_AQUI (X VARCHAR(5)); "
                            "INSERT INTO SOLO_AQUI VALUES ('segunda');");
    DB_Dll segunda(base.puertos.ui(), &base.db);
    segunda.OpenServerADODB(false, adUseClient, GetParam().cadena(otra), false, false);
    entorno.segunda = &segunda;
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT X FROM SOLO_AQUI";
    form->UsarUDBC = true;
    form->Form_Load();
    EXPECT_EQ(Columna(*form, 0), std::vector<std::string>{"segunda"});
    form->Form_Unload();
    EXPECT_FALSE(form->UsarUDBC);
}

// ---- incremental search ----

TEST_P(FormListaPrueba, BusquedaIncremental) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    f.CmbSearch_Change(1, "CAJA ch");
    EXPECT_EQ(f.Celda(f.Seleccionada(), 0), "111");
    EXPECT_EQ(f.Busqueda(1, "  banco"), 4);
    EXPECT_EQ(f.Busqueda(0, "2"), 6);
    EXPECT_EQ(f.Busqueda(1, "zzz"), 0);
    // A text no row starts with leaves the selection as it was.
    f.CmbSearch_Change(1, "zzz");
    EXPECT_EQ(f.Celda(f.Seleccionada(), 0), "111");
}

TEST_P(FormListaPrueba, EscribirEnLaListaSigueEnLaUltimaCaja) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    f.CmbSearch_GotFocus(1);
    EXPECT_EQ(f.CmbSearch()[1].BackColor, CajaBusqueda::kCian);
    TeclaBusqueda(f, 1, kAbajo);
    EXPECT_EQ(f.Foco(), Lib_FrmCons3::kFocoLista);
    EXPECT_EQ(f.Seleccionada(), 1);
    EXPECT_EQ(f.CmbSearch()[1].BackColor, CajaBusqueda::kBlanco);
    TeclaBusqueda(f, 1, kAvPag);
    EXPECT_EQ(f.Seleccionada(), 6);
    TeclaBusqueda(f, 1, kArriba);
    EXPECT_EQ(f.Seleccionada(), 5);
    Tecla(f, 'D');
    EXPECT_EQ(f.Foco(), 1);
    EXPECT_EQ(f.CmbSearch()[1].Text, "D");
    EXPECT_EQ(f.Celda(f.Seleccionada(), 0), "21");
    Tecla(f, 'E');
    Tecla(f, 8);  // backspace
    EXPECT_EQ(f.CmbSearch()[1].Text, "D");
}

// ---- database search (F5) ----

TEST_P(FormListaPrueba, F5ConLikeYUnaComilla) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS");
    f.CfgUsaConsultaLIKE = true;
    f.CmbSearch_Change(1, "'Brien");
    TeclaBusqueda(f, 1, kF5);
    EXPECT_EQ(f.SQL,
              "SELECT Codigo, Descripcion FROM MA_CUENTAS  where Descripcion like '%''Brien%'  ");
    EXPECT_EQ(f.CmbSearch()[1].Text, "");
    EXPECT_EQ(Columna(f, 0), std::vector<std::string>{"113"});
    // A quote that would close the text is only a character of it.
    f.CmbSearch_Change(1, "x' OR '1'='1");
    TeclaBusqueda(f, 1, kF5);
    EXPECT_EQ(f.Filas(), 0);
    EXPECT_EQ(Cuenta("SELECT count(*) FROM MA_CUENTAS"), 7);
}

TEST_P(FormListaPrueba, F5ConWhereYOrderBy) {
    Lib_FrmCons3& f = Carga(
        "SELECT Codigo, Descripcion FROM MA_CUENTAS WHERE Codigo > '1' "
        "ORDER BY Codigo DESC");
    f.CfgUsaConsultaLIKE = true;
    f.CmbSearch_Change(1, "a");
    TeclaBusqueda(f, 1, kF5);
    EXPECT_EQ(f.SQL,
              "SELECT Codigo, Descripcion FROM MA_CUENTAS WHERE Codigo > '1'  and "
              "Descripcion like '%a%' ORDER BY Codigo DESC  ");
    EXPECT_EQ(Columna(f, 0), (std::vector<std::string>{"21", "2", "112", "111", "11"}));
}

TEST_P(FormListaPrueba, F5DesdeElPrincipioConAsterisco) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    f.CmbSearch_Change(1, "C*ch");
    TeclaBusqueda(f, 1, kF5);
    EXPECT_EQ(f.SQL,
              "SELECT Codigo, Descripcion FROM MA_CUENTAS  where Descripcion like "
              "'C%ch%' ORDER BY Codigo  ");
    EXPECT_EQ(Columna(f, 0), std::vector<std::string>{"111"});
    // From the start of the column: "aja" is inside "Caja" but not at its start.
    f.CmbSearch_Change(1, "aja");
    TeclaBusqueda(f, 1, kF5);
    EXPECT_EQ(f.Filas(), 0);
}

TEST_P(FormListaPrueba, F5ConGroupByYPrefijoDeArticulos) {
    Lib_FrmCons3& f = Carga(
        "SELECT v_ma_articulos.Descripcion, count(*) AS N FROM "
        "V_MA_ARTICULOS GROUP BY v_ma_articulos.Descripcion ORDER BY 1");
    f.CfgUsaConsultaLIKE = true;
    f.CmbSearch_Change(0, "Sin");
    TeclaBusqueda(f, 0, kF5);
    EXPECT_EQ(f.SQL,
              "SELECT v_ma_articulos.Descripcion, count(*) AS N FROM V_MA_ARTICULOS  "
              "where v_ma_articulos.Descripcion like '%Sin%' GROUP BY "
              "v_ma_articulos.Descripcion ORDER BY 1  ");
    EXPECT_EQ(Columna(f, 0),
              (std::vector<std::string>{"Sin punto con stock", "Sin punto sin stock"}));
}

TEST_P(FormListaPrueba, NuevaBusquedaVuelveALaPrimeraSentencia) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS");
    f.CmbSearch_Change(0, "2");
    TeclaBusqueda(f, 0, kF5);
    EXPECT_EQ(f.Filas(), 2);
    f.CmbSearch_Change(0, "21");
    TeclaBusqueda(f, 0, kF5);
    EXPECT_EQ(f.Filas(), 1);
    f.CmdNueva_Click();
    EXPECT_EQ(f.SQL, "SELECT Codigo, Descripcion FROM MA_CUENTAS  ");
    EXPECT_EQ(f.Filas(), 7);
    EXPECT_EQ(f.Foco(), 0);
}

// ---- sorting ----

TEST_P(FormListaPrueba, ElOrdenAlternaConCadaClic) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS WHERE Codigo < '12'");
    EXPECT_FALSE(f.Ordenada());
    f.ListView1_ColumnClick(1);
    EXPECT_TRUE(f.Descendente());
    EXPECT_EQ(f.ClaveOrden(), 1);
    EXPECT_EQ(Columna(f, 1), (std::vector<std::string>{"O'Brien Proveedores", "Caja chica", "caja",
                                                       "Banco Nacion", "Activo"}));
    f.ListView1_ColumnClick(1);
    EXPECT_FALSE(f.Descendente());
    EXPECT_EQ(Columna(f, 1), (std::vector<std::string>{"Activo", "Banco Nacion", "caja",
                                                       "Caja chica", "O'Brien Proveedores"}));
    // Whichever column is clicked, the order toggles.
    f.ListView1_ColumnClick(0);
    EXPECT_TRUE(f.Descendente());
    EXPECT_EQ(Columna(f, 0), (std::vector<std::string>{"113", "112", "111", "11", "1"}));
}

TEST_P(FormListaPrueba, LaSeleccionSigueALaFilaAlOrdenar) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS");
    f.CmbSearch_Change(1, "Deudas");
    f.ListView1_ColumnClick(0);
    EXPECT_EQ(f.Celda(f.Seleccionada(), 1), "Deudas");
}

TEST_P(FormListaPrueba, OrdenarPorLaListaAlCargar) {
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT Descripcion FROM MA_CUENTAS WHERE Codigo < '12'";
    form->OrdenarPorLwv = true;
    form->Form_Load();
    EXPECT_EQ(Columna(*form, 0), (std::vector<std::string>{"Activo", "Banco Nacion", "caja",
                                                           "Caja chica", "O'Brien Proveedores"}));
    EXPECT_FALSE(form->Descendente());
}

// ---- accepting and cancelling ----

TEST_P(FormListaPrueba, AceptarUnaFila) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    f.CampoDevuelto = "CODIGO";
    f.CmpsDevueltos = {"descripcion", "Codigo"};
    f.CmbSearch_Change(0, "112");
    f.ListView1_DblClick();
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(f.ValorDevuelto, Variant("112"));
    EXPECT_EQ(f.Valores, (std::vector<Variant>{Variant("Banco Nacion"), Variant("112")}));
}

TEST_P(FormListaPrueba, CancelarVaciaElValor) {
    Lib_FrmCons3& f = Carga("SELECT Codigo FROM MA_CUENTAS");
    f.CampoDevuelto = "Codigo";
    f.CmpsDevueltos = {"Codigo"};
    f.CmdAceptar_Click();
    EXPECT_EQ(f.ValorDevuelto, Variant("1"));
    f.CmdCancelar_Click();
    EXPECT_EQ(f.ValorDevuelto, Variant(""));
    EXPECT_TRUE(f.Valores.empty());
    EXPECT_TRUE(f.CmpsDevueltos.empty());
    int escape = 27;
    f.ValorDevuelto = Variant("x");
    f.Form_KeyDown(escape, 0);
    EXPECT_EQ(f.ValorDevuelto, Variant(""));
}

TEST_P(FormListaPrueba, ColumnaInexistenteSeInforma) {
    Lib_FrmCons3& f = Carga("SELECT Codigo FROM MA_CUENTAS");
    f.CampoDevuelto = "NO_HAY";
    base.puertos.errores.respuestas = {kIgnorar};
    f.CmdAceptar_Click();
    ASSERT_EQ(base.puertos.errores.reportados.size(), 1u);
    EXPECT_EQ(base.puertos.errores.reportados[0].rutina, "HScroll1_Change");
    EXPECT_FALSE(f.Visible());
}

TEST_P(FormListaPrueba, MostrarModalYCerrarLaVentana) {
    vista.guion = [](Lib_FrmCons3& f) {
        EXPECT_TRUE(f.Visible());
        f.CmbSearch_Change(0, "2");
    };
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT Codigo FROM MA_CUENTAS";
    form->CampoDevuelto = "Codigo";
    form->MostrarModal();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(form->ValorDevuelto, Variant("")) << "closing the window cancels";
    EXPECT_EQ(vista.avisos.back(), AvisoConsulta::Oculta);
}

// ---- multi-select and quantities ----

TEST_P(FormListaPrueba, SeleccionMultiple) {
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo";
    form->CheckBoxes = true;
    form->CampoDevuelto = "Codigo";
    form->ValoresDefault = "111;2;";
    form->Form_Load();
    Lib_FrmCons3& f = *form;
    // "111" and "2" are in the defaults, and so are "1" and "11", which they contain.
    EXPECT_EQ((std::vector<bool>{f.Marcada(0), f.Marcada(1), f.Marcada(2), f.Marcada(3),
                                 f.Marcada(4), f.Marcada(5), f.Marcada(6)}),
              (std::vector<bool>{true, true, true, false, false, true, false}));
    f.ListView1_ItemCheck(0, false);
    f.ListView1_ItemCheck(6, true);
    Tecla(f, 32);  // space: the list ticks the row itself
    EXPECT_EQ(f.CmbSearch()[0].Text, "");
    f.CampoDevuelto = "Descripcion";
    Tecla(f, kEnter);
    EXPECT_EQ(f.Valores, (std::vector<Variant>{Variant("caja"), Variant("Caja chica"),
                                               Variant("Pasivo"), Variant("Deudas")}));
    EXPECT_TRUE(f.ValorDevuelto.EsVacio());
}

TEST_P(FormListaPrueba, SeleccionMultipleSinCampoUsaLaPrimeraColumna) {
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT Descripcion, Codigo FROM MA_CUENTAS ORDER BY Codigo";
    form->CheckBoxes = true;
    form->Form_Load();
    form->ListView1_ItemCheck(6, true);
    form->CmdAceptar_Click();
    EXPECT_EQ(form->CampoDevuelto, "Descripcion");
    EXPECT_EQ(form->Valores, std::vector<Variant>{Variant("Deudas")});
}

TEST_P(FormListaPrueba, Cantidades) {
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT Codigo, Descripcion, 0 AS [**Cantidad**] FROM PRODUCTOS ORDER BY Codigo";
    form->UsaCantidades = true;
    form->CampoDevuelto = "Codigo";
    form->Form_Load();
    Lib_FrmCons3& f = *form;
    ASSERT_EQ(f.IndiceColumna("**cantidad**"), 3);
    EXPECT_EQ(f.Celda(0, 2), "0");
    Tecla(f, kInsertar);
    Tecla(f, kInsertar);
    EXPECT_EQ(f.Celda(0, 2), "2,0");
    Tecla(f, kSuprimir);
    EXPECT_EQ(f.Celda(0, 2), "1,0");
    base.puertos.entrada.respuestas = {std::string("2,5"), std::nullopt};
    f.ListView1_ItemClick(1);
    Tecla(f, kInsertar, kShift);
    ASSERT_EQ(base.puertos.entrada.pedidos.size(), 1u);
    EXPECT_EQ(base.puertos.entrada.pedidos[0].mensaje, "Ingrese la Cantidad del Articulo...");
    EXPECT_EQ(base.puertos.entrada.pedidos[0].titulo, "Carga de Datos");
    EXPECT_EQ(base.puertos.entrada.pedidos[0].defecto, "0");
    EXPECT_EQ(f.Celda(1, 2), "2,50");
    Tecla(f, kInsertar, kShift);  // cancelled: the quantity stays
    EXPECT_EQ(base.puertos.entrada.pedidos[1].defecto, "2,5");
    EXPECT_EQ(f.Celda(1, 2), "2,50");
    Tecla(f, kEnter);
    EXPECT_EQ(f.ValorDevuelto, Variant("P2"));
    EXPECT_EQ(f.Cantidades, std::vector<Variant>{Variant(2.5)});
}

TEST_P(FormListaPrueba, CantidadesDeLosMarcados) {
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT Codigo, 1 AS [**Cantidad**] FROM PRODUCTOS ORDER BY Codigo";
    form->UsaCantidades = true;
    form->CheckBoxes = true;
    form->CampoDevuelto = "Codigo";
    form->Form_Load();
    form->ListView1_ItemClick(1);
    Tecla(*form, kInsertar);
    form->ListView1_ItemCheck(0, true);
    form->ListView1_ItemCheck(1, true);
    form->CmdAceptar_Click();
    EXPECT_EQ(form->Valores, (std::vector<Variant>{Variant("P1"), Variant("P2")}));
    EXPECT_EQ(form->Cantidades, (std::vector<Variant>{Variant(1.0), Variant(2.0)}));
}

// ---- articles: the missing-article report, price captions and stock colours ----

TEST_P(FormListaPrueba, F12InformaUnFaltante) {
    Lib_FrmCons3& f =
        Carga("SELECT IdArticulo, Descripcion FROM V_MA_ARTICULOS ORDER BY IdArticulo");
    f.CmbSearch_Change(0, "A7");
    base.puertos.mensajes.respuestas = {mb::kNo, mb::kSi};
    TeclaForm(f, kF12);
    EXPECT_EQ(Cuenta("SELECT count(*) FROM V_MV_FALTANTES"), 0);
    TeclaForm(f, kF12);
    ASSERT_EQ(base.puertos.mensajes.mostrados.size(), 2u);
    const auto& m = base.puertos.mensajes.mostrados[1];
    EXPECT_EQ(m.texto,
              "Desea informar el articulo A7 Clavo D'Angelo\r\ncomo un faltante de stock?");
    EXPECT_EQ(m.titulo, "Atención!");
    EXPECT_EQ(m.botones, mb::kSiNo | mb::kPregunta);
    EXPECT_EQ(Cuenta("SELECT count(*) FROM V_MV_FALTANTES WHERE IdArticulo = 'A7' AND "
                     "Descripcion = 'Clavo D''Angelo' AND Usuario = 'OPERADOR' AND "
                     "FechaHora IS NOT NULL AND FechaHora >= '2020-01-01'"),
              1);
}

TEST_P(FormListaPrueba, F12SoloEnArticulos) {
    Lib_FrmCons3& f = Carga("SELECT Codigo, Descripcion FROM MA_CUENTAS");
    TeclaForm(f, kF12);
    EXPECT_TRUE(base.puertos.mensajes.mostrados.empty());
}

TEST_P(FormListaPrueba, NombresDeLasClasesDePrecio) {
    config.Pon("NOM_PCLASE1", "Lista Mayorista");
    Lib_FrmCons3& f = Carga("SELECT IdArticulo, PRECIO1 FROM V_MA_ARTICULOS");
    EXPECT_EQ(f.Columnas()[1].Text, "Lista Mayorista");
    EXPECT_EQ(f.Columnas()[1].Campo, "PRECIO1");
    config.valores.clear();
    Carga("SELECT IdArticulo, PRECIO1 FROM V_MA_ARTICULOS");
    EXPECT_EQ(form->Columnas()[1].Text, "PRECIO1") << "a class without a name keeps the field's";
}

TEST_P(FormListaPrueba, ColoresDeStock) {
    form = std::make_unique<Lib_FrmCons3>(entorno);
    form->SQL = "SELECT IdArticulo, PUNTOPEDIDO, Stock FROM V_MA_ARTICULOS ORDER BY IdArticulo";
    form->MuestraStock = "si";
    form->StkNivel1 = Variant(1);
    form->StkNivel2 = Variant(2);
    form->StkNivel3 = Variant(3);
    form->StkNivel4 = Variant(4);
    form->Form_Load();
    std::vector<Variant> colores;
    for (int i = 0; i < form->Filas(); ++i) colores.push_back(form->ColorFila(i));
    EXPECT_EQ(colores, (std::vector<Variant>{Variant(1), Variant(2), Variant(3), Variant(4),
                                             Variant(4), Variant(4), Variant(1)}));

    form->MuestraStock = "";
    form->Form_Load();
    EXPECT_TRUE(form->ColorFila(0).EsVacio());
    form->MuestraStock = "SI";
    form->StkNivel1 = Variant("  ");
    form->Form_Load();
    EXPECT_TRUE(form->ColorFila(0).EsVacio()) << "a blank colour leaves the row as it is";
    EXPECT_EQ(form->ColorFila(1), Variant(2));
}

INSTANTIATE_TEST_SUITE_P(Accesos, FormListaPrueba,
                         ::testing::Values(prueba::kNativoConsulta, prueba::kOdbcConsulta),
                         prueba::NombreAccesoConsulta);

}  // namespace
}  // namespace tamaris
