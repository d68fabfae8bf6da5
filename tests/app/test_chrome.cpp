// The forms' chrome: the icon and toolbar style of PreparaFormulario, and the status bar of
// ActualizaBarraEstado over the CITI form's bar, with the cash registers of a real SQLite file
// read through the native backend and through the SQLite ODBC driver.

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "Ayudas.h"
#include "app/Chrome.h"
#include "app/Inicio.h"
#include "export_citi/FRMSiapCITI.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using prueba::LeeFilas;

// ---- PreparaFormulario ----

// A form that records what the chrome did to it. `barras` are the toolbar controls it has.
class FormularioPrueba : public FormularioChrome {
  public:
    std::string tipo = "Form1";
    bool recursoFalla = false;
    bool archivoFalla = false;
    std::string icono;  // "recurso:NAME" or "archivo:PATH"
    std::map<std::string, double> barras;
    int procesados = 0;

    std::string NombreTipo() const override { return tipo; }
    void IconoDeRecurso(std::string_view nombre) override {
        if (recursoFalla) throw std::runtime_error("sin recurso");
        icono = "recurso:" + std::string(nombre);
    }
    void IconoDeArchivo(const std::string& archivo) override {
        if (archivoFalla) throw std::runtime_error("sin archivo");
        icono = "archivo:" + archivo;
    }
    bool TieneIcono() const override { return !icono.empty(); }
    void EstiloBarra(std::string_view control, double estilo) override {
        const auto it = barras.find(std::string(control));
        if (it == barras.end()) throw ErrorTamaris(730, "no existe " + std::string(control));
        it->second = estilo;
    }
    void ProcesaEventos() override { ++procesados; }
};

class ChromePrepara : public ::testing::Test {
  protected:
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
    FormularioPrueba form;
};

TEST_F(ChromePrepara, IconoDelRecursoYEstiloEnCadaBarra) {
    sis.FlatToolbars = 0;
    form.barras = {{"Kitobar1", 1}, {"Util0011", 1}};
    PreparaFormulario(sis, form);
    EXPECT_EQ(form.icono, "recurso:ICONTAMARIS");
    EXPECT_EQ(form.barras["Kitobar1"], 0);
    EXPECT_EQ(form.barras["Util0011"], 0);
    EXPECT_EQ(form.procesados, 1);
}

TEST_F(ChromePrepara, SinRecursoElIconoSaleDelArchivo) {
    sis.CarpetaAplicacion = "/opt/tamaris/";
    form.recursoFalla = true;
    PreparaFormulario(sis, form);
    EXPECT_EQ(form.icono, "archivo:/opt/tamaris/tamaris.ico");
}

TEST_F(ChromePrepara, FormularioSinBarrasIgualRecibeElIcono) {
    form.recursoFalla = true;
    form.archivoFalla = true;
    PreparaFormulario(sis, form);  // every failing step is skipped
    EXPECT_EQ(form.icono, "");
    form.recursoFalla = false;
    PreparaFormulario(sis, form);
    EXPECT_EQ(form.icono, "recurso:ICONTAMARIS");
    EXPECT_EQ(form.procesados, 2);
}

TEST_F(ChromePrepara, ElMarcoMdiNoCambiaSusBarras) {
    sis.FlatToolbars = 0;
    form.tipo = "frmMdi";
    form.barras = {{"Kitobar1", 1}};
    PreparaFormulario(sis, form);
    EXPECT_EQ(form.icono, "recurso:ICONTAMARIS");
    EXPECT_EQ(form.barras["Kitobar1"], 1);
    EXPECT_EQ(form.procesados, 0);
}

// ---- ActualizaBarraEstado ----

struct Acceso {
    const char* nombre;
    std::string (*cadena)(const std::string& archivo);
};
const Acceso kNativo{"Nativo", [](const std::string& a) { return CadenaArchivoLocal(a); }};
const Acceso kOdbc{"Odbc", [](const std::string& a) {
                       return prueba_sistema::CadenaSqliteOdbc(a, "NoCreat=1;StepAPI=1;");
                   }};
void PrintTo(const Acceso& a, std::ostream* os) { *os << a.nombre; }

class ChromeBarraEstado : public ::testing::TestWithParam<Acceso> {
  protected:
    void SetUp() override {
        prueba::BaseConEsquema(base);
        prueba::EjecutaSqlite(base,
                              "INSERT INTO V_TA_CAJAS (IdCajas, Descripcion) VALUES "
                              "('1', 'Caja principal'), ('2', 'Mostrador');");
    }
    void Abre() {
        sis.db.OpenLocalADODB(GetParam().cadena(base), "User ID", "Jet OLEDB:Database Password");
        sis.db.gOpenFlag = sis.db.gCnn().Abierta();
        ASSERT_TRUE(sis.db.gOpenFlag);
        // What the start-up leaves for a connection to a server.
        sis.db.gServidor = "srv01";
        sis.db.gUsuario = "tamaris";
        sis.db.gDBName = "EMPRESA";
    }
    std::string Texto(std::string_view clave) { return barra.Item(clave)->Text; }
    std::string Ayuda(std::string_view clave) { return barra.Item(clave)->ToolTipText; }
    void NadaMostrado() {
        EXPECT_TRUE(puertos.mensajes.mostrados.empty()) << puertos.mensajes.Ultimo();
        EXPECT_TRUE(puertos.errores.reportados.empty());
    }

    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
    FRMSiapCITI form{sis};
    FRMSiapCITI::BarraEstado& barra = form.sbStatusBar;
};

TEST_P(ChromeBarraEstado, PrimeraLlamadaLlenaTodosLosPaneles) {
    Abre();
    barra.Item("MENSAJE")->ToolTipText = "ayuda del mensaje";
    ActualizaBarraEstado(sis, barra, "Listo", VersionPrograma{2, 5, 17});
    EXPECT_EQ(Texto("MENSAJE"), "Listo");
    EXPECT_EQ(Ayuda("MENSAJE"), "ayuda del mensaje");
    EXPECT_EQ(Texto("SERVER"), "Srv: srv01");
    EXPECT_EQ(Texto("USUARIO"), "Uid: tamaris");
    EXPECT_EQ(Texto("BASEDEDATOS"), "Db: EMPRESA");
    EXPECT_EQ(Texto("CAJA"), "1 Caja principal");
    EXPECT_EQ(Texto("VERSION"), "V.2.5.17");
    for (const char* clave : {"SERVER", "USUARIO", "BASEDEDATOS", "CAJA"})
        EXPECT_EQ(Ayuda(clave), Texto(clave)) << clave;
    EXPECT_EQ(Ayuda("VERSION"), "");
    NadaMostrado();
}

TEST_P(ChromeBarraEstado, LaSegundaLlamadaSoloCambiaElMensaje) {
    Abre();
    ActualizaBarraEstado(sis, barra, "");
    const auto antes = barra.Panels;
    sis.db.gServidor = "otro";
    sis.Caja = "2";
    ActualizaBarraEstado(sis, barra, "Archivo generado");
    EXPECT_EQ(Texto("MENSAJE"), "Archivo generado");
    for (size_t i = 1; i < antes.size(); ++i) {
        EXPECT_EQ(barra.Panels[i].Text, antes[i].Text) << antes[i].Key;
        EXPECT_EQ(barra.Panels[i].ToolTipText, antes[i].ToolTipText) << antes[i].Key;
    }
    EXPECT_EQ(Texto("VERSION"), "V.1.0.0");
}

TEST_P(ChromeBarraEstado, CajaInexistenteSeAgregaUnaSolaVez) {
    Abre();
    sis.Caja = "7";
    ActualizaBarraEstado(sis, barra, "");
    EXPECT_EQ(Texto("CAJA"), "7 CAJA 0007");
    FRMSiapCITI otro(sis);
    ActualizaBarraEstado(sis, otro.sbStatusBar, "");
    EXPECT_EQ(otro.sbStatusBar.Item("CAJA")->Text, "7 CAJA 0007");
    EXPECT_EQ(LeeFilas(base, "SELECT IdCajas, Descripcion FROM V_TA_CAJAS WHERE IdCajas = '7'"),
              (prueba::Filas{{"7", "CAJA 0007"}}));
    NadaMostrado();
}

TEST_P(ChromeBarraEstado, CajaVaciaEsLaUno) {
    Abre();
    sis.Caja = "";
    ActualizaBarraEstado(sis, barra, "");
    EXPECT_EQ(sis.Caja, "1");
    EXPECT_EQ(Texto("CAJA"), "1 Caja principal");
}

INSTANTIATE_TEST_SUITE_P(Accesos, ChromeBarraEstado, ::testing::Values(kNativo, kOdbc),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST(ChromeBarraSinBase, SinConexionMuestraLoQueSabeYNoAvisa) {
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
    sis.db.gServidor = "srv01";
    FRMSiapCITI form(sis);
    ActualizaBarraEstado(sis, form.sbStatusBar, "hola");
    EXPECT_EQ(form.sbStatusBar.Item("SERVER")->Text, "Srv: srv01");
    EXPECT_EQ(form.sbStatusBar.Item("CAJA")->Text, "1 ");
    EXPECT_EQ(form.sbStatusBar.Item("VERSION")->Text, "V.1.0.0");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST(ChromeBarraSinBase, UnPanelQueFaltaNoImpideLosDemas) {
    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
    sis.db.gDBName = "EMPRESA";
    FRMSiapCITI::BarraEstado barra;
    for (const char* clave : {"SERVER", "BASEDEDATOS", "VERSION"})
        barra.Panels.push_back({clave, "", ""});
    ActualizaBarraEstado(sis, barra, "sin panel de mensaje");
    EXPECT_EQ(barra.Item("SERVER")->Text, "Srv: ");
    EXPECT_EQ(barra.Item("VERSION")->Text, "V.1.0.0");
    EXPECT_EQ(barra.Item("BASEDEDATOS")->Text, "Db: EMPRESA");
    EXPECT_EQ(barra.Item("BASEDEDATOS")->ToolTipText, "Db: EMPRESA");
}

TEST(ChromeBarraSinBase, DescripcionDeCajaNueva) {
    EXPECT_EQ(DescripcionCajaNueva("7"), "CAJA 0007");
    EXPECT_EQ(DescripcionCajaNueva(" 12 "), "CAJA 0012");
    EXPECT_EQ(DescripcionCajaNueva("A1"), "CAJA A1");
}

}  // namespace
}  // namespace tamaris
