// The lookup service: how a bare table name becomes a statement (mask file, the table's own
// fields, the optional statement), the row limit, what reaches the form, and what every call
// leaves behind.

#include <gtest/gtest.h>

#include "SoporteConsultas.h"
#include "lookup/Lib_ClsCons3.h"
#include "lookup/Mascaras.h"

namespace tamaris {
namespace {

using prueba::BaseConsultas;
using prueba::ConfiguracionPrueba;
using prueba::VistaArbolGuion;
using prueba::VistaListaGuion;

class ConsultaSearchPrueba : public ::testing::Test {
  protected:
    void SetUp() override {
        EntornoConsulta e;
        e.ui = &base.puertos.ui();
        e.db = &base.db;
        e.lista = &vista;
        e.arbol = &arbol;
        e.configuracion = config.Lector();
        e.carpetaAnchos = base.carpeta.Ruta().string();
        servicio.Prepara(e);
        servicio.gRutaMascaraConsultas = base.carpeta / "consultas.tms";
    }

    // Calls the service with everything passed by reference held here.
    void Busca(const std::string& sql) {
        servicio.ConsultaSearch(sql, campos, clave, campoBusqueda, where, opcional, arbolito);
    }
    void Mascaras(const std::vector<MascaraConsulta>& m) {
        servicio.gUsarMascarasConsultas = true;
        AgregaMascaras(servicio.gRutaMascaraConsultas, m);
    }
    bool HuboMensaje() const { return !base.puertos.mensajes.mostrados.empty(); }

    BaseConsultas base;
    VistaListaGuion vista;
    VistaArbolGuion arbol;
    ConfiguracionPrueba config;
    Lib_ClsCons3 servicio;
    std::vector<std::string> campos;
    std::string clave, campoBusqueda, where, opcional;
    bool arbolito = false;
};

// ---- complete statements ----

TEST_F(ConsultaSearchPrueba, UnaSentenciaConSelectPasaTalCual) {
    for (const std::string sql : {"select Codigo, Descripcion from MA_CUENTAS",
                                  "SeLeCt Codigo FROM MA_CUENTAS WHERE Codigo > '1'"}) {
        Busca(sql);
        EXPECT_EQ(vista.sentencia, sql + " ") << "the form appends one blank when it loads";
        EXPECT_TRUE(vista.ordenarPorLwv) << sql;
    }
    EXPECT_EQ(vista.mostrada, 2);
}

TEST_F(ConsultaSearchPrueba, OrderByEnCualquierCasoApagaElOrdenDeLaLista) {
    for (const std::string sql : {"SELECT Codigo FROM MA_CUENTAS ORDER BY Codigo",
                                  "select Codigo from MA_CUENTAS order by codigo",
                                  "select Codigo from MA_CUENTAS Order By codigo"}) {
        Busca(sql);
        EXPECT_FALSE(vista.ordenarPorLwv) << sql;
        EXPECT_EQ(vista.sentencia, sql + " ");
    }
}

TEST_F(ConsultaSearchPrueba, LaCuentaDelFormularioDePercepciones) {
    vista.guion = [](Lib_FrmCons3& f) {
        f.CmbSearch_Change(0, "Ban");
        int enter = 13;
        f.ListView1_KeyDown(enter, 0);
    };
    EXPECT_EQ(
        servicio.Consulta("SELECT Descripcion,Codigo FROM MA_CUENTAS order by codigo", "CODIGO"),
        "112");
    EXPECT_EQ(servicio.ValorDevuelto, Variant("112"));
    EXPECT_TRUE(servicio.CampoDevuelto.empty());
}

// ---- masks ----

TEST_F(ConsultaSearchPrueba, MascaraConDosColumnasDaLaColumnaDeBusqueda) {
    Mascaras({{"OTRA", "PRODUCTOS", "|DESCRIPCION|CODIGO|", ""},
              {"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|", ""}});
    Busca("  ma_cuentas ");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 DESCRIPCION,CODIGO FROM MA_CUENTAS ORDER BY "
              "DESCRIPCION ");
    EXPECT_EQ(campoBusqueda, "DESCRIPCION") << "written back to the caller";
    EXPECT_FALSE(vista.ordenarPorLwv);
}

TEST_F(ConsultaSearchPrueba, MascaraRespetaLaColumnaDeBusquedaDada) {
    Mascaras({{"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|", ""}});
    campoBusqueda = "CODIGO";
    Busca("MA_CUENTAS");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 DESCRIPCION,CODIGO FROM MA_CUENTAS ORDER BY CODIGO ");
}

TEST_F(ConsultaSearchPrueba, MascaraDeUnaColumnaSinColumnaDeBusquedaAvisaYNoMuestra) {
    Mascaras({{"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|", ""}});
    servicio.ValorDevuelto = Variant("anterior");
    servicio.CampoDevuelto = "CODIGO";
    campos = {"Descripcion"};
    Busca("MA_CUENTAS");
    EXPECT_EQ(vista.mostrada, 0);
    ASSERT_EQ(base.puertos.mensajes.mostrados.size(), 1u);
    const auto& m = base.puertos.mensajes.mostrados[0];
    EXPECT_EQ(m.texto, "Debe configurar la consulta para esta tabla");
    EXPECT_EQ(m.titulo, "Aviso al operador");
    EXPECT_EQ(m.botones, mb::kOk | mb::kInformacion);
    // The call ends at once: nothing of the end of a lookup happens.
    EXPECT_EQ(servicio.ValorDevuelto, Variant("anterior"));
    EXPECT_EQ(servicio.CampoDevuelto, "CODIGO");
    EXPECT_EQ(campos.size(), 1u);
}

TEST_F(ConsultaSearchPrueba, MascaraSinColumnasEsAsterisco) {
    Mascaras({{"CUENTAS", "MA_CUENTAS", "", ""}});
    Busca("MA_CUENTAS");
    EXPECT_EQ(vista.mostrada, 0);
    EXPECT_EQ(base.puertos.mensajes.Ultimo(), "Debe configurar la consulta para esta tabla");

    base.puertos.mensajes.mostrados.clear();
    campoBusqueda = "Codigo";
    Busca("MA_CUENTAS");
    EXPECT_FALSE(HuboMensaje());
    EXPECT_EQ(vista.sentencia, "SELECT TOP 1000 * FROM MA_CUENTAS ORDER BY Codigo ");
}

TEST_F(ConsultaSearchPrueba, FiltroDeLaMascaraYSuReemplazo) {
    // Bytes 0 and 255 (what an unwritten record holds) are not part of the filter.
    Mascaras({{"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|", std::string("Nivel = 1\0", 10)},
              {"PRODUCTOS", "PRODUCTOS", "|DESCRIPCION|CODIGO|", ""}});
    where = "PRECIO > 1";
    Busca("MA_CUENTAS");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 DESCRIPCION,CODIGO FROM MA_CUENTAS WHERE "
              "Nivel = 1 ORDER BY DESCRIPCION ");
    campoBusqueda.clear();
    Busca("PRODUCTOS");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 DESCRIPCION,CODIGO FROM PRODUCTOS WHERE "
              "PRECIO > 1 ORDER BY DESCRIPCION ");
}

TEST_F(ConsultaSearchPrueba, FiltrosPorDefectoDeClientesProveedoresYArticulos) {
    Mascaras({{"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|", ""},
              {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|", ""},
              {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|", ""}});
    const std::pair<std::string, std::string> casos[] = {
        {"v_ma_articulos",
         "SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM V_MA_ARTICULOS WHERE "
         "SUSPENDIDO = 0 ORDER BY DESCRIPCION "},
        {"VT_CLIENTES",
         "SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_CLIENTES WHERE "
         "Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL "},
        {"VT_PROVEEDORES",
         "SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES WHERE "
         "Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL "},
    };
    for (const auto& [tabla, sentencia] : casos) {
        campoBusqueda.clear();
        Busca(tabla);
        EXPECT_EQ(vista.sentencia, sentencia);
    }
    // Only a blank filter is replaced.
    campoBusqueda.clear();
    where = "Dada_De_Baja = 1";
    Busca("VT_CLIENTES");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 RAZON_SOCIAL,CODIGO FROM VT_CLIENTES WHERE "
              "Dada_De_Baja = 1 ORDER BY RAZON_SOCIAL ");
}

TEST_F(ConsultaSearchPrueba, SinRegistroOMascarasApagadasSeArmaDeLaTabla) {
    Mascaras({{"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|", ""}});
    Busca("PRODUCTOS");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 PRECIO,DESCRIPCION,CODIGO FROM PRODUCTOS ORDER "
              "BY DESCRIPCION ");
    servicio.gUsarMascarasConsultas = false;
    campoBusqueda.clear();
    Busca("MA_CUENTAS");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 CONFIDENCIAL,Nivel,Imputable,Descripcion,Codigo "
              "FROM MA_CUENTAS ORDER BY Descripcion ");
}

// ---- building from the table ----

TEST_F(ConsultaSearchPrueba, ColumnasEnOrdenInversoYBusquedaPorDescripcion) {
    Busca("PRODUCTOS");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 PRECIO,DESCRIPCION,CODIGO FROM PRODUCTOS ORDER BY DESCRIPCION ");
    EXPECT_EQ(campoBusqueda, "DESCRIPCION");
    EXPECT_FALSE(vista.ordenarPorLwv);
}

TEST_F(ConsultaSearchPrueba, SinColumnaDescriptivaBuscaPorLaPrimera) {
    base.Sql(
        "CREATE TABLE NUMEROS (ID INTEGER, NUMERO INTEGER, VALOR INTEGER, "
        "FECHAHORA_GRABACION DATETIME);");
    campoBusqueda = "OTRA";  // building from the table always derives it
    Busca("NUMEROS");
    EXPECT_EQ(vista.sentencia, "SELECT TOP 1000 VALOR,NUMERO FROM NUMEROS ORDER BY NUMERO ");
    EXPECT_EQ(campoBusqueda, "NUMERO");
}

TEST_F(ConsultaSearchPrueba, LaUltimaColumnaDescriptivaGana) {
    base.Sql(
        "CREATE TABLE GENTE (CODIGO INTEGER, NOMBRE VARCHAR(10), DETALLE VARCHAR(10), "
        "EDAD INTEGER);");
    Busca("GENTE");
    EXPECT_EQ(vista.sentencia,
              "SELECT TOP 1000 EDAD,DETALLE,NOMBRE,CODIGO FROM GENTE ORDER BY DETALLE ");
}

TEST_F(ConsultaSearchPrueba, SoloCamposDeControlDaAsteriscoYOrdenVacio) {
    Busca("SOLO_CONTROL");
    EXPECT_EQ(vista.sentencia, "SELECT TOP 1000  *  FROM SOLO_CONTROL ORDER BY  ");
    EXPECT_EQ(campoBusqueda, "");
}

TEST_F(ConsultaSearchPrueba, LaSentenciaOpcionalReemplazaLaArmada) {
    opcional = "SELECT Codigo FROM MA_CUENTAS WHERE Nivel = 1";
    Busca("MA_CUENTAS");
    EXPECT_EQ(vista.sentencia, opcional + " ");
    EXPECT_TRUE(vista.ordenarPorLwv);
}

TEST_F(ConsultaSearchPrueba, UnaTablaInexistenteNoCortaLaLlamada) {
    base.puertos.mensajes.respuestaDefecto = mb::kAbortar;
    servicio.CampoDevuelto = "CODIGO";
    Busca("NO_EXISTE");
    EXPECT_EQ(vista.mostrada, 1);
    EXPECT_EQ(vista.sentencia, "SELECT TOP 1000  *  FROM NO_EXISTE ORDER BY  ");
    EXPECT_TRUE(servicio.CampoDevuelto.empty());
    EXPECT_EQ(servicio.ValorDevuelto, Variant(""));
}

// ---- row limit ----

TEST_F(ConsultaSearchPrueba, LimiteDeFilasDeLaConfiguracion) {
    const std::pair<std::string, std::string> casos[] = {
        {"50", "50"}, {"", "1000"}, {"0", "1000"}, {"abc", "1000"}, {" 20 ", "20"}};
    for (const auto& [valor, limite] : casos) {
        config.Pon("TopConsArt", valor);
        campoBusqueda.clear();
        Busca("PRODUCTOS");
        EXPECT_EQ(vista.sentencia, "SELECT TOP " + limite +
                                       " PRECIO,DESCRIPCION,CODIGO FROM PRODUCTOS ORDER BY "
                                       "DESCRIPCION ")
            << valor;
    }
}

TEST_F(ConsultaSearchPrueba, ElLimiteSeAplicaALasFilas) {
    config.Pon("TopConsArt", "1");
    Busca("PRODUCTOS");
    EXPECT_EQ(vista.sentencia.substr(0, 14), "SELECT TOP 1 P");
    vista.guion = [](Lib_FrmCons3& f) { EXPECT_EQ(f.Filas(), 1); };
    campoBusqueda.clear();
    Busca("PRODUCTOS");
}

// ---- what reaches the form and what is left afterwards ----

TEST_F(ConsultaSearchPrueba, ElFormularioRecibeLasPropiedades) {
    servicio.CampoDevuelto = "Codigo";
    servicio.Checks = true;
    servicio.UsaCantidades = true;
    servicio.gConnString = "cadena";
    clave = "Ca";
    campoBusqueda = "Descripcion";
    campos = {"Descripcion"};
    vista.guion = [](Lib_FrmCons3& f) {
        EXPECT_EQ(f.CampoDevuelto, "Codigo");
        EXPECT_TRUE(f.CheckBoxes);
        EXPECT_TRUE(f.UsaCantidades);
        EXPECT_EQ(f.gConnString, "cadena");
        EXPECT_EQ(f.FiltroInicial, "Ca");
        EXPECT_EQ(f.CampoBusqueda, "Descripcion");
        EXPECT_EQ(f.CmpsDevueltos, std::vector<std::string>{"Descripcion"});
        EXPECT_EQ(f.CmbSearch()[0].Text, "Ca");
        f.CmdCancelar_Click();
    };
    Busca("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    EXPECT_EQ(vista.mostrada, 1);
}

TEST_F(ConsultaSearchPrueba, AlCancelarQuedanLimpiosChecksYCampoDevuelto) {
    servicio.CampoDevuelto = "CODIGO";
    servicio.Checks = true;
    servicio.ValorDevuelto = Variant("anterior");
    campos = {"Descripcion"};
    vista.guion = [](Lib_FrmCons3& f) { f.CmdCancelar_Click(); };
    Busca("SELECT Codigo, Descripcion FROM MA_CUENTAS");
    EXPECT_FALSE(servicio.Checks);
    EXPECT_TRUE(servicio.CampoDevuelto.empty());
    EXPECT_TRUE(campos.empty());
    EXPECT_EQ(servicio.ValorDevuelto, Variant(""));
    EXPECT_TRUE(servicio.Valores.empty());
}

TEST_F(ConsultaSearchPrueba, AlAceptarVuelvenValorYValores) {
    servicio.CampoDevuelto = "CODIGO";
    campos = {"Descripcion", "Codigo"};
    vista.guion = [](Lib_FrmCons3& f) {
        f.CmbSearch_Change(1, "deu");
        f.CmdAceptar_Click();
    };
    Busca("SELECT Codigo, Descripcion FROM MA_CUENTAS");
    EXPECT_EQ(servicio.ValorDevuelto, Variant("21"));
    EXPECT_EQ(servicio.Valores, (std::vector<Variant>{Variant("Deudas"), Variant("21")}));
    EXPECT_TRUE(campos.empty());
    EXPECT_TRUE(servicio.CampoDevuelto.empty());
    EXPECT_FALSE(servicio.Checks);
}

TEST_F(ConsultaSearchPrueba, SeleccionMultipleDevuelveLosMarcados) {
    servicio.CampoDevuelto = "Codigo";
    servicio.Checks = true;
    vista.guion = [](Lib_FrmCons3& f) {
        f.ListView1_ItemCheck(1, true);
        f.ListView1_ItemCheck(3, true);
        f.CmdAceptar_Click();
    };
    Busca("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    EXPECT_EQ(servicio.Valores, (std::vector<Variant>{Variant("11"), Variant("112")}));
    EXPECT_FALSE(servicio.Checks);
    // The next call asks for the single mode again.
    vista.guion = [](Lib_FrmCons3& f) {
        EXPECT_FALSE(f.CheckBoxes);
        f.CmdCancelar_Click();
    };
    Busca("SELECT Codigo FROM MA_CUENTAS");
}

TEST_F(ConsultaSearchPrueba, CadaLlamadaUsaUnFormularioNuevo) {
    vista.guion = [](Lib_FrmCons3& f) {
        EXPECT_TRUE(f.Valores.empty());
        EXPECT_TRUE(f.ValorDevuelto.EsVacio());
        f.CmbSearch_Change(0, "2");
        f.CmdAceptar_Click();
    };
    servicio.CampoDevuelto = "Codigo";
    Busca("SELECT Codigo FROM MA_CUENTAS");
    EXPECT_EQ(servicio.ValorDevuelto, Variant("2"));
    servicio.CampoDevuelto = "Codigo";
    Busca("SELECT Codigo FROM MA_CUENTAS");
}

TEST_F(ConsultaSearchPrueba, ElArbolDevuelveSuValor) {
    servicio.CampoDevuelto = "CODIGO";
    arbolito = true;
    arbol.guion = [](Lib_FrmCons3Tree& f) {
        f.TreeV_NodeClick(f.IndiceNodo("A112"));
        f.CmdAceptar_Click();
    };
    Busca("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    EXPECT_EQ(arbol.mostrada, 1);
    EXPECT_EQ(vista.mostrada, 0);
    EXPECT_EQ(arbol.sentencia, "SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo");
    EXPECT_EQ(arbol.campoDevuelto, "CODIGO");
    EXPECT_EQ(servicio.ValorDevuelto, Variant("112"));
    EXPECT_TRUE(servicio.CampoDevuelto.empty());
}

TEST_F(ConsultaSearchPrueba, SinPrepararNoHaceNada) {
    Lib_ClsCons3 nuevo;
    nuevo.CampoDevuelto = "CODIGO";
    nuevo.ValorDevuelto = Variant("x");
    nuevo.ConsultaSearch("MA_CUENTAS", campos, clave, campoBusqueda, where, opcional, arbolito);
    EXPECT_EQ(nuevo.ValorDevuelto, Variant("x"));
    EXPECT_EQ(vista.mostrada, 0);
}

}  // namespace
}  // namespace tamaris
