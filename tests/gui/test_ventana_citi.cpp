// The CITI Ventas window's real widgets, offscreen, over a real SQLite sales VAT book: the year
// and the month, GRABAR with the folder answered in the Qt dialog, the status bar and chrome.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "Modales.h"
#include "app/Chrome.h"
#include "export_citi/FRMSiapCITI.h"
#include "export_citi/LibroIvaPrueba.h"
#include "gui/BarraKitobar.h"
#include "gui/ChromeQt.h"
#include "gui/UiQt.h"
#include "gui/VentanaCiti.h"

namespace tamaris::gui {
namespace {

using prueba::AlAbrirseUnDialogo;

class VentanaCitiPrueba : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(carpeta);
        prueba::CreaBaseCiti(base);
        sis.db.OpenLocalADODB("Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + base + ";",
                              "User ID", "Jet OLEDB:Database Password");
        ASSERT_TRUE(sis.db.gCnn().Abierta());
        sis.db.gOpenFlag = true;
        sis.CantidadDecimales = "2";
        sis.FlatToolbars = 0;
        form.actualizaBarraEstado = [this](FRMSiapCITI::BarraEstado& b, std::string_view m) {
            ActualizaBarraEstado(sis, b, m);
        };
        form.Load();
        ventana = std::make_unique<VentanaCiti>(form);
        puertos.SetPadre(ventana.get());
        PreparaVentana(sis, *ventana, {{"Kitobar1", &form.Kitobar1}});
        ventana->show();
        // Focus changes, which tell the form its current field, reach only the active window.
        ventana->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(ventana.get()));
    }
    void Escribe(int caja, const QString& texto) {
        QLineEdit* e = ventana->Caja(caja);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, texto);
    }
    // The operator walks the closed month list down to `mes` with the arrow key.
    void BajaHastaElMes(int mes) {
        QComboBox* meses = ventana->Meses();
        meses->setFocus();
        while (meses->currentIndex() < mes) QTest::keyClick(meses, Qt::Key_Down);
    }

    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    std::string carpeta = tmp / "salida";
    UiQt puertos;
    Sistema sis{puertos.ui()};
    FRMSiapCITI form{sis};
    std::unique_ptr<VentanaCiti> ventana;
};

TEST_F(VentanaCitiPrueba, AnioMesYGrabarEscribeElArchivoEnLaCarpetaElegida) {
    Escribe(FRMSiapCITI::kAnio, "2013");
    BajaHastaElMes(1);
    EXPECT_EQ(ventana->Meses()->currentText(), "Enero");
    EXPECT_EQ(ventana->Caja(FRMSiapCITI::kFechaDesde)->text(), "01/01/2013");
    EXPECT_EQ(ventana->Caja(FRMSiapCITI::kFechaHasta)->text(), "31/01/2013");
    EXPECT_EQ(form.cmbCuatrimestre.Tag, "ENE");

    // The check lists the ledger's bad tax identifiers first; the operator goes on.
    QString titulo, aviso;
    int hallazgos = 0;
    AlAbrirseUnDialogo([&](QDialog* revision) {
        ASSERT_EQ(revision->objectName(), "DialogoHallazgos");
        hallazgos = revision->findChild<QTableWidget*>("TablaHallazgos")->rowCount();
        revision->findChild<QPushButton*>("GenerarIgual")->click();
        AlAbrirseUnDialogo([&](QDialog* d) {
            auto* carpetas = qobject_cast<QFileDialog*>(d);
            ASSERT_NE(carpetas, nullptr) << d->metaObject()->className();
            titulo = carpetas->windowTitle();
            carpetas->setDirectory(QString::fromStdString(carpeta));
            AlAbrirseUnDialogo([&](QDialog* m) {
                aviso = static_cast<QMessageBox*>(m)->text();
                m->accept();
            });
            d->accept();  // QFileDialog::accept, reached through QDialog
        });
    });
    ventana->Barra()->Accion(Kitobar::GRABAR)->trigger();

    EXPECT_GT(hallazgos, 0);
    EXPECT_EQ(titulo, "Seleccionar Directorio");
    const std::string destino = carpeta + "/ENE013.TXT";
    // The closing message carries the totals.
    EXPECT_TRUE(aviso.startsWith(QString::fromStdString(
        "Se ha generado satisfactoriamente el archivo en : " + destino + " ")))
        << aviso.toStdString();
    EXPECT_TRUE(aviso.contains("Registros: 39")) << aviso.toStdString();
    EXPECT_EQ(prueba::LeeArchivo(destino), prueba::Golden("enero2013.txt"));
    // A message longer than its panel is shortened; the tip then keeps all of it.
    const QString esperado =
        "Archivo generado: ENE013.TXT (26 comprobantes, 39 registros; total 16.630,28; neto "
        "9.223,93)";
    const QLabel* mensaje = ventana->Panel("MENSAJE");
    EXPECT_TRUE(mensaje->text() == esperado || mensaje->toolTip() == esperado)
        << mensaje->text().toStdString() << " / " << mensaje->toolTip().toStdString();
}

TEST_F(VentanaCitiPrueba, ElegirMesSinAnioAvisaYDejaLasFechasVacias) {
    Escribe(FRMSiapCITI::kFechaDesde, "01/01/2013");
    QString aviso, titulo;
    AlAbrirseUnDialogo([&](QDialog* d) {
        aviso = static_cast<QMessageBox*>(d)->text();
        titulo = d->windowTitle();
        d->accept();
    });
    BajaHastaElMes(0);
    EXPECT_EQ(aviso, "Debe seleccionar el Año del cuatrimestre a informar!!! ");
    EXPECT_EQ(titulo, "AVISO AL OPERADOR");
    EXPECT_EQ(ventana->Caja(FRMSiapCITI::kFechaDesde)->text(), "");
    EXPECT_EQ(ventana->Meses()->count(), 13);
}

TEST_F(VentanaCitiPrueba, BarraDeEstadoYAspecto) {
    EXPECT_EQ(ventana->windowTitle(), "Generar Archivo AFIP C.I.T.I. VENTAS");
    EXPECT_EQ(ventana->Panel("SERVER")->text().toStdString(), "Srv: " + sis.db.gServidor);
    EXPECT_EQ(ventana->Panel("CAJA")->text(), "1 CAJA 0001");
    EXPECT_EQ(ventana->Panel("CAJA")->toolTip(), "1 CAJA 0001");
    EXPECT_EQ(ventana->Panel("VERSION")->text(), "V.1.0.0");
    EXPECT_EQ(ventana->Panel("BASEDEDATOS")->toolTip().toStdString(), "Db: " + sis.db.gDBName);
    // The chrome: the suite's icon, and icons without text for a workstation whose
    // FlatToolbars is 0.
    EXPECT_TRUE(ventana->testAttribute(Qt::WA_SetWindowIcon));
    EXPECT_EQ(ventana->Barra()->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_FALSE(ventana->Barra()->Accion(Kitobar::NUEVO)->isEnabled());
    EXPECT_TRUE(ventana->Barra()->Accion(Kitobar::GRABAR)->isEnabled());
}

TEST_F(VentanaCitiPrueba, ConsultarEnElAnioLoVaciaYCerrarDescargaElFormulario) {
    Escribe(FRMSiapCITI::kAnio, "2013");
    ASSERT_EQ(form.CampoActual, FRMSiapCITI::kAnio);
    QTest::keyClick(ventana->Caja(FRMSiapCITI::kAnio), Qt::Key_F8);
    EXPECT_EQ(ventana->Caja(FRMSiapCITI::kAnio)->text(), "");
    ventana->Barra()->Accion(Kitobar::CERRAR)->trigger();
    EXPECT_TRUE(form.Descargado);
    EXPECT_FALSE(ventana->isVisible());
}

}  // namespace
}  // namespace tamaris::gui
