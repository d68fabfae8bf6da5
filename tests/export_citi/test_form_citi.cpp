// The CITI form driven headless: load state, month selection, the job's validation messages,
// the toolbar, the lookup command, the statement and the destination name.

#include <gtest/gtest.h>

#include "app/Sistema.h"
#include "components/Campos.h"
#include "data/PuertosPrueba.h"
#include "export_citi/FRMSiapCITI.h"
#include "soporte/SistemaPrueba.h"

namespace tamaris {
namespace {

using Estado = ResultadoCiti::Estado;

constexpr const char* kSinAnio = "Debe seleccionar el Año del cuatrimestre a informar!!! ";
constexpr const char* kAnioInvalido = "Debe informar un AÑO VALIDO!!! ";

class FormCiti : public ::testing::Test {
  protected:
    void SetUp() override { form.Load(); }

    // Whether the last message was `texto` with the title and icon of the form's warnings.
    void EsperaAviso(const std::string& texto) {
        ASSERT_FALSE(puertos.mensajes.mostrados.empty());
        const auto& m = puertos.mensajes.mostrados.back();
        EXPECT_EQ(m.texto, texto);
        EXPECT_EQ(m.titulo, "AVISO AL OPERADOR");
        EXPECT_EQ(m.botones, mb::kOk | mb::kCritico);
    }

    PuertosPrueba puertos;
    Sistema sis{puertos.ui()};
    FRMSiapCITI form{sis};
};

TEST_F(FormCiti, EstadoAlCargar) {
    EXPECT_EQ(form.Caption, "Generar Archivo AFIP C.I.T.I. VENTAS");
    ASSERT_EQ(form.cmbCuatrimestre.ListCount(), 13);
    EXPECT_EQ(form.cmbCuatrimestre.List[0], "(Seleccione un Mes)");
    EXPECT_EQ(form.cmbCuatrimestre.List[1], "Enero");
    EXPECT_EQ(form.cmbCuatrimestre.List[9], "Septiembre");
    EXPECT_EQ(form.cmbCuatrimestre.List[12], "Diciembre");
    EXPECT_EQ(form.cmbCuatrimestre.ListIndex, -1);
    EXPECT_EQ(form.txtfields[FRMSiapCITI::kFechaDesde].DataField, "FECHA_DESDE");
    EXPECT_EQ(form.txtfields[FRMSiapCITI::kFechaHasta].Tag, "FECHA");
    EXPECT_EQ(IndiceCampo("año", form.txtfields), FRMSiapCITI::kAnio);
    EXPECT_FALSE(form.Kitobar1.nuevoenabled);
    EXPECT_FALSE(form.Kitobar1.borrarenabled);
    EXPECT_TRUE(form.Kitobar1.grabarenabled);
    EXPECT_TRUE(form.Kitobar1.consultaenabled);
    EXPECT_TRUE(form.Kitobar1.cerrarenabled);
    for (const char* clave : {"MENSAJE", "SERVER", "USUARIO", "BASEDEDATOS", "CAJA", "VERSION"}) {
        EXPECT_NE(form.sbStatusBar.Item(clave), nullptr) << clave;
    }
    EXPECT_EQ(form.sbStatusBar.Item("server")->Text, "Srv: ");
    EXPECT_EQ(form.sbStatusBar.Item("CAJA")->Text, "1");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_F(FormCiti, LaBarraDeEstadoSeLlenaConLaRutinaDelSistema) {
    std::string recibido = "sin llamar";
    form.actualizaBarraEstado = [&](FRMSiapCITI::BarraEstado& b, std::string_view mensaje) {
        recibido = mensaje;
        b.Item("VERSION")->Text = "V.1.0.0";
    };
    form.Load();
    EXPECT_EQ(recibido, "");
    EXPECT_EQ(form.sbStatusBar.Item("VERSION")->Text, "V.1.0.0");
}

TEST_F(FormCiti, MesesDeUnAnioComun) {
    const char* ultimos[] = {"31", "28", "31", "30", "31", "30",
                             "31", "31", "30", "31", "30", "31"};
    const char* etiquetas[] = {"ENE", "FEB", "MAR", "ABR", "MAY", "JUN",
                               "JUL", "AGO", "SEP", "OCT", "NOV", "DIC"};
    form.SetCampo("AÑO", "2013");
    for (int mes = 1; mes <= 12; ++mes) {
        char mm[3];
        std::snprintf(mm, sizeof mm, "%02d", mes);
        EXPECT_TRUE(form.SeleccionaMes(mes));
        EXPECT_EQ(form.Campo("FECHA_DESDE"), std::string("01/") + mm + "/2013");
        EXPECT_EQ(form.Campo("FECHA_HASTA"), std::string(ultimos[mes - 1]) + "/" + mm + "/2013");
        EXPECT_EQ(form.cmbCuatrimestre.Tag, etiquetas[mes - 1]);
    }
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_F(FormCiti, FebreroBisiesto) {
    form.SetCampo("AÑO", "2012");
    form.SeleccionaMes(2);
    EXPECT_EQ(form.Campo("FECHA_HASTA"), "29/02/2012");
    form.SetCampo("AÑO", "2000");
    form.SeleccionaMes(2);
    EXPECT_EQ(form.Campo("FECHA_HASTA"), "29/02/2000");
    form.SetCampo("AÑO", "1900");
    form.SeleccionaMes(2);
    EXPECT_EQ(form.Campo("FECHA_HASTA"), "28/02/1900");
}

TEST_F(FormCiti, ElegirMesSinAnio) {
    form.SetCampo("FECHA_DESDE", "01/01/2013");
    form.SetCampo("FECHA_HASTA", "31/01/2013");
    EXPECT_FALSE(form.SeleccionaMes(4));
    EsperaAviso(kSinAnio);
    EXPECT_EQ(form.Campo("FECHA_DESDE"), "");
    EXPECT_EQ(form.Campo("FECHA_HASTA"), "");
    form.SetCampo("AÑO", "abc");
    EXPECT_FALSE(form.SeleccionaMes(4));
    EsperaAviso(kSinAnio);
}

TEST_F(FormCiti, LimitesDelAnio) {
    struct Caso {
        const char* anio;
        bool aceptado;
    };
    const Caso casos[] = {{"1899", false}, {"1900", true}, {"2050", true},
                          {"2051", false}, {"-5", false},  {"2013", true}};
    for (const auto& c : casos) {
        puertos.mensajes.mostrados.clear();
        form.SetCampo("AÑO", c.anio);
        EXPECT_EQ(form.SeleccionaMes(1), c.aceptado) << c.anio;
        if (c.aceptado) {
            EXPECT_TRUE(puertos.mensajes.mostrados.empty()) << c.anio;
            EXPECT_EQ(form.Campo("FECHA_DESDE"), std::string("01/01/") + c.anio);
        } else {
            EsperaAviso(kAnioInvalido);
            EXPECT_EQ(form.Campo("FECHA_DESDE"), "");
            EXPECT_EQ(form.Campo("FECHA_HASTA"), "");
        }
    }
}

TEST_F(FormCiti, SinMesVaciaLasFechasYConservaLaEtiqueta) {
    form.SetCampo("AÑO", "2013");
    form.SeleccionaMes(4);
    EXPECT_EQ(form.Campo("FECHA_HASTA"), "30/04/2013");
    EXPECT_FALSE(form.SeleccionaMes(0));
    EXPECT_EQ(form.Campo("FECHA_DESDE"), "");
    EXPECT_EQ(form.Campo("FECHA_HASTA"), "");
    EXPECT_EQ(form.cmbCuatrimestre.Tag, "ABR");
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
}

TEST_F(FormCiti, CambiarElAnioNoRecalculaLasFechas) {
    form.SetCampo("AÑO", "2013");
    form.SeleccionaMes(1);
    form.SetCampo("AÑO", "2014");
    EXPECT_EQ(form.Campo("FECHA_DESDE"), "01/01/2013");
}

TEST_F(FormCiti, ValidacionesDeGrabar) {
    // No month chosen yet.
    form.SetCampo("AÑO", "2013");
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::DatosInvalidos);
    EsperaAviso("Debe seleccionar un cuatrimestre a informar!!! ");

    form.SeleccionaMes(1);
    form.SetCampo("AÑO", "");
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::DatosInvalidos);
    EsperaAviso(kSinAnio);

    form.SetCampo("AÑO", "2051");
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::DatosInvalidos);
    EsperaAviso(kAnioInvalido);

    // A date typed by hand must be a date.
    form.SetCampo("AÑO", "2013");
    form.SetCampo("FECHA_HASTA", "31/02/2013");
    EXPECT_EQ(form.ActualizarDatos().estado, Estado::DatosInvalidos);
    EXPECT_NE(puertos.mensajes.Ultimo().find("31/02/2013"), std::string::npos);

    EXPECT_EQ(form.UltimoResultado().estado, Estado::DatosInvalidos);
    EXPECT_TRUE(puertos.carpetas.titulos.empty());
    EXPECT_EQ(puertos.progreso.aperturas, 0);
}

TEST_F(FormCiti, Botones) {
    for (const char* clave : {"NUEVO", "BORRAR", "OTRA"}) form.Kitobar1_ButtonClick(clave);
    EXPECT_EQ(form.UltimoResultado().estado, Estado::NoEjecutado);
    EXPECT_TRUE(puertos.mensajes.mostrados.empty());
    form.Kitobar1_ButtonClick("Grabar");
    EXPECT_EQ(form.UltimoResultado().estado, Estado::DatosInvalidos);
    // F10 is GRABAR's key.
    puertos.mensajes.mostrados.clear();
    int tecla = 0x70 + 9;
    form.Form_KeyDown(tecla);
    EXPECT_EQ(tecla, 0);
    EXPECT_EQ(puertos.mensajes.mostrados.size(), 1u);
    bool descargado = false;
    form.alDescargar = [&] { descargado = true; };
    form.Kitobar1_ButtonClick("cerrar");
    EXPECT_TRUE(descargado);
    EXPECT_TRUE(form.Descargado);
}

TEST_F(FormCiti, Consultar) {
    // Before any box had the focus it acts on the period start.
    puertos.fechas.respuestas = {" 15/01/2013 ", ""};
    form.Kitobar1_ButtonClick("CONSULTAR");
    EXPECT_EQ(form.Campo("FECHA_DESDE"), "15/01/2013");
    EXPECT_EQ(form.Campo("FECHA_HASTA"), "");
    form.CmdConsultar();  // no date chosen: the box is emptied
    EXPECT_EQ(form.Campo("FECHA_DESDE"), "");
    EXPECT_EQ(puertos.fechas.iniciales.size(), 2u);

    form.SetCampo("AÑO", "2013");
    form.txtfields_GotFocus(FRMSiapCITI::kAnio);
    form.CmdConsultar();
    EXPECT_EQ(form.Campo("AÑO"), "");
    EXPECT_EQ(puertos.fechas.iniciales.size(), 2u);
}

TEST_F(FormCiti, LasFechasAceptanDiezCaracteres) {
    form.txtfields[FRMSiapCITI::kFechaDesde].Text = "01/01/2013";
    EXPECT_EQ(form.txtfields_KeyPress(FRMSiapCITI::kFechaDesde, '1'), 0);
    form.txtfields[FRMSiapCITI::kFechaDesde].Text = "01/01/201";
    EXPECT_EQ(form.txtfields_KeyPress(FRMSiapCITI::kFechaDesde, '3'), '3');
    EXPECT_EQ(form.txtfields_KeyPress(FRMSiapCITI::kFechaHasta, 'x'), 0);
}

TEST_F(FormCiti, CarpetaElegida) {
    puertos.carpetas.respuestas = {std::string("/tmp/salida"), std::nullopt, std::string("")};
    EXPECT_EQ(form.BrowseForDirectory(), "/tmp/salida");
    EXPECT_EQ(form.BrowseForDirectory(), "");
    EXPECT_EQ(form.BrowseForDirectory(), "");
    EXPECT_EQ(puertos.carpetas.titulos.at(0), "Seleccionar Directorio");
}

TEST(FormCitiTextos, Sentencia) {
    EXPECT_EQ(SentenciaCiti("'20130101'", "'20130201'"),
              "SELECT * FROM LIBROIVAVENTAS WHERE FECHA >= '20130101' AND FECHA < "
              "'20130201' AND abs(LIVA_TOTAL)>0.01 order by fecha");
}

TEST(FormCitiTextos, NombreDelArchivo) {
    EXPECT_EQ(FRMSiapCITI::NombreArchivo("/x", "ENE", "31/01/2013"),
              "/x" + prueba_sistema::kBarra + "ENE013.TXT");
    EXPECT_EQ(FRMSiapCITI::NombreArchivo("/x/", "FEB", "28/02/2013"), "/x/FEB013.TXT");
    EXPECT_EQ(FRMSiapCITI::NombreArchivo("/x", "DIC", "31/12/1999"),
              "/x" + prueba_sistema::kBarra + "DIC999.TXT");
    // Characters from the eighth on, without "-" and "/".
    EXPECT_EQ(FRMSiapCITI::NombreArchivo("/x", "ENE", "31/1/2013"),
              "/x" + prueba_sistema::kBarra + "ENE13.TXT");
    EXPECT_EQ(FRMSiapCITI::NombreArchivo("/x", "ENE", "31-01-20-13"),
              "/x" + prueba_sistema::kBarra + "ENE013.TXT");
}

}  // namespace
}  // namespace tamaris
