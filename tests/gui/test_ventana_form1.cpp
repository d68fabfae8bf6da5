// The perception window's real widgets, offscreen: typing, the toolbar, the destination dialog.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <fstream>

#include "export_perceptions/Form1.h"
#include "gui/BarraKitobar.h"
#include "gui/UiQt.h"
#include "gui/VentanaForm1.h"
#include "gui/VistaConsultaQt.h"
#include "lookup/Lib_ClsCons3.h"
#include "soporte/Percepciones.h"

namespace tamaris::gui {
namespace {

using prueba::ArchivoEsperado;
using prueba::LeeArchivo;

// Closes the first modal dialog that opens, after `accion` has run on it.
void AlAbrirseUnDialogo(std::function<void(QDialog*)> accion) {
    QTimer::singleShot(50, [accion] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<QDialog*>(w);
            if (d && d->isVisible() && d->objectName() != "VentanaProgreso") {
                accion(d);
                return;
            }
        }
        AlAbrirseUnDialogo(accion);
    });
}

class VentanaForm1Prueba : public ::testing::Test {
  protected:
    void SetUp() override {
        prueba::CreaBasePercepciones(base);
        db.gProveedor = DB_Dll::pJETOLEDB40();
        db.gDBName = base;
        db.OpenLocalADODB("", "User ID", "Jet OLEDB:Database Password");
        ASSERT_TRUE(db.gCnn().Abierta());
        db.gOpenFlag = true;
        form.Load();
        ventana = std::make_unique<VentanaForm1>(form);
        puertos.SetPadre(ventana.get());
        ventana->show();
        // Focus events reach only the active window; the lookup command acts on the field
        // that last got the focus.
        ventana->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(ventana.get()));
    }
    void Escribe(int caja, const QString& texto) {
        QLineEdit* e = ventana->Caja(caja);
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, texto);
    }

    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    UiQt puertos;
    DB_Dll db{puertos.ui()};
    Form1 form{puertos.ui(), db};
    std::unique_ptr<VentanaForm1> ventana;
};

TEST_F(VentanaForm1Prueba, EscribirFiltrosYGrabar) {
    Escribe(Form1::kFechaDesde, "01/01/2013");
    Escribe(Form1::kFechaHasta, "31/01/2013");
    Escribe(Form1::kCuenta, "112");
    Escribe(Form1::kArchivo, QString::fromStdString(tmp / "perc"));
    // Two of the vouchers carry bad tax identifiers: the operator sees them and goes on; the
    // closing message then gives the totals.
    int hallazgos = 0;
    QString aviso;
    AlAbrirseUnDialogo([&](QDialog* revision) {
        ASSERT_EQ(revision->objectName(), "DialogoHallazgos");
        hallazgos = revision->findChild<QTableWidget*>("TablaHallazgos")->rowCount();
        revision->findChild<QPushButton*>("GenerarIgual")->click();
        AlAbrirseUnDialogo([&](QDialog* m) {
            aviso = static_cast<QMessageBox*>(m)->text();
            m->accept();
        });
    });
    ventana->Barra()->Accion(Kitobar::GRABAR)->trigger();
    EXPECT_EQ(hallazgos, 2);
    EXPECT_EQ(LeeArchivo(tmp / "perc.txt"), ArchivoEsperado({0, 1, 7}));
    EXPECT_TRUE(aviso.contains("Total percepción: 37,67")) << aviso.toStdString();
    EXPECT_TRUE(ventana->statusBar()->currentMessage().contains("3 comprobantes"))
        << ventana->statusBar()->currentMessage().toStdString();
}

TEST_F(VentanaForm1Prueba, TeclaDeFuncionGrabaDesdeUnaCaja) {
    Escribe(Form1::kArchivo, QString::fromStdString(tmp / "f10.txt"));
    std::ofstream(tmp / "f10.txt", std::ios::binary) << "anterior\r\n";
    // Cancelling in the check's window keeps the older file as it was.
    AlAbrirseUnDialogo(
        [](QDialog* revision) { revision->findChild<QPushButton*>("Cancelar")->click(); });
    QTest::keyClick(ventana->Caja(Form1::kArchivo), Qt::Key_F10);
    EXPECT_EQ(LeeArchivo(tmp / "f10.txt"), "anterior\r\n");
    EXPECT_TRUE(ventana->statusBar()->currentMessage().contains("cancelada"));
}

TEST_F(VentanaForm1Prueba, LasFechasTomanDiezCaracteresYSoloDigitos) {
    Escribe(Form1::kFechaDesde, "01/a01/20134");
    EXPECT_EQ(ventana->Caja(Form1::kFechaDesde)->text(), "01/01/2013");
    EXPECT_EQ(form.Campo("FechaDesde"), "01/01/2013");
}

TEST_F(VentanaForm1Prueba, CancelarElDestinoVaciaElCampo) {
    Escribe(Form1::kArchivo, "algo.txt");
    AlAbrirseUnDialogo([](QDialog* d) { d->reject(); });
    QTest::mouseClick(ventana->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    EXPECT_EQ(ventana->Caja(Form1::kArchivo)->text(), "");
}

TEST_F(VentanaForm1Prueba, BotonesDeshabilitadosYCerrar) {
    EXPECT_FALSE(ventana->Barra()->Accion(Kitobar::NUEVO)->isEnabled());
    EXPECT_FALSE(ventana->Barra()->Accion(Kitobar::CANCELAR)->isEnabled());
    EXPECT_TRUE(ventana->Barra()->Accion(Kitobar::CONSULTAR)->isEnabled());
    ventana->Barra()->Accion(Kitobar::CERRAR)->trigger();
    EXPECT_TRUE(form.Descargado);
    EXPECT_FALSE(ventana->isVisible());
}

TEST_F(VentanaForm1Prueba, ConsultarCuentaDesdeLaLista) {
    prueba::EjecutaSqlite(base,
                          "INSERT INTO MA_CUENTAS (Codigo, Descripcion) VALUES "
                          "('111','Caja'),('112','Deudores por Ventas'),('113','Documentos')");
    VistaConsultaQt vista(ventana.get(), &puertos);
    EntornoConsulta entorno;
    entorno.ui = &puertos.ui();
    entorno.db = &db;
    entorno.lista = &vista;
    entorno.carpetaAnchos = tmp.ruta().string();
    Lib_ClsCons3 consultas;
    consultas.Prepara(entorno);
    form.consultaCuentas = [&](const std::string& sql, const std::string& campo) {
        return consultas.Consulta(sql, campo);
    };

    Escribe(Form1::kCuenta, "999");
    QTimer::singleShot(50, [&] {
        QDialog* d = vista.Dialogo();
        ASSERT_NE(d, nullptr);
        // The columns are named as Spanish writes them, whatever the table's column names.
        auto* lista = d->findChild<QTreeView*>();
        ASSERT_NE(lista, nullptr);
        EXPECT_EQ(lista->model()->headerData(0, Qt::Horizontal).toString(),
                  QString::fromUtf8("Descripción"));
        EXPECT_EQ(lista->model()->headerData(1, Qt::Horizontal).toString(),
                  QString::fromUtf8("Código"));
        auto* caja = d->findChild<QLineEdit*>("CmbSearch_0");
        ASSERT_NE(caja, nullptr);
        QTest::keyClicks(caja, "deud");
        QTest::keyClick(caja, Qt::Key_Return);
    });
    ventana->Barra()->Accion(Kitobar::CONSULTAR)->trigger();
    EXPECT_EQ(ventana->Caja(Form1::kCuenta)->text(), "112");
    EXPECT_EQ(form.Campo("Cuenta"), "112");
}

}  // namespace
}  // namespace tamaris::gui
