// The ARBA window's real widgets, offscreen, over a real SQLite ledger: the agent's CUIT from the
// configuration, the period typed and picked, GRABAR with the findings shown first and the folder
// answered in the Qt dialog, the totals in the closing message and the file's bytes.

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
#include <filesystem>

#include "Modales.h"
#include "export_arba/FormArba.h"
#include "export_arba/LibroArba.h"
#include "gui/BarraKitobar.h"
#include "gui/UiQt.h"
#include "gui/VentanaArba.h"

namespace tamaris::gui {
namespace {

using prueba::AlAbrirseUnDialogo;

TEST(VentanaArbaPrueba, GrabaElPeriodoConLosHallazgosYLosTotales) {
    prueba::CarpetaTemporal tmp;
    const std::string base = tmp / "suite.db", carpeta = tmp / "salida";
    std::filesystem::create_directories(carpeta);
    // The month, and one more invoice whose perception is not its net by its rate.
    auto filas = prueba::AsientosMarzo2026();
    filas.push_back({"FC", "2026-03-03", "A", "1", "1", "30-71234567-1", "100000.00", "1234.00"});
    prueba::CreaBaseArba(base, filas);
    prueba::EjecutaSqlite(base,
                          "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES "
                          "('CUIT_AGENTE_ARBA', '30-50000123-9');");
    UiQt puertos;
    Sistema sis{puertos.ui()};
    sis.db.OpenLocalADODB("Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" + base + ";", "User ID",
                          "Jet OLEDB:Database Password");
    ASSERT_TRUE(sis.db.gCnn().Abierta());
    sis.db.gOpenFlag = true;
    FormArba form{sis};
    form.Load();
    VentanaArba ventana(form);
    puertos.SetPadre(&ventana);
    ventana.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    EXPECT_EQ(ventana.Cuit()->text(), "30-50000123-9");

    QTest::keyClicks(ventana.Anio(), "2026");
    ventana.Mes()->setCurrentIndex(3);
    EXPECT_EQ(ventana.Mes()->currentText(), "Marzo");

    int hallazgos = 0;
    QString aviso;
    AlAbrirseUnDialogo([&](QDialog* d) {
        auto* carpetas = qobject_cast<QFileDialog*>(d);
        ASSERT_NE(carpetas, nullptr) << d->metaObject()->className();
        carpetas->setDirectory(QString::fromStdString(carpeta));
        AlAbrirseUnDialogo([&](QDialog* revision) {
            ASSERT_EQ(revision->objectName(), "DialogoHallazgos");
            hallazgos = revision->findChild<QTableWidget*>("TablaHallazgos")->rowCount();
            revision->findChild<QPushButton*>("GenerarIgual")->click();
            AlAbrirseUnDialogo([&](QDialog* m) {
                aviso = static_cast<QMessageBox*>(m)->text();
                m->accept();
            });
        });
        d->accept();
    });
    ventana.Barra()->Accion(Kitobar::GRABAR)->trigger();

    EXPECT_EQ(hallazgos, 1);
    const std::string destino = carpeta + "/AR-30500001239-2026030-7-LOTE1.txt";
    EXPECT_TRUE(aviso.startsWith(QString::fromStdString("Se generó el archivo " + destino)))
        << aviso.toStdString();
    EXPECT_TRUE(aviso.contains("Comprobantes: 8")) << aviso.toStdString();
    EXPECT_TRUE(aviso.contains("Notas de crédito (C): 2; monto imponible -620,00"))
        << aviso.toStdString();
    const std::string archivo = prueba::LeeArchivo(destino);
    ASSERT_EQ(archivo.size(), 8u * 73u);
    // The extra invoice is the second record; the others are the month's file.
    EXPECT_EQ(archivo.substr(0, 73) + archivo.substr(146), prueba::GoldenArba("marzo2026.txt"));
    EXPECT_TRUE(ventana.Mensaje()->text().startsWith("Archivo generado: AR-30500001239"))
        << ventana.Mensaje()->text().toStdString();
}

}  // namespace
}  // namespace tamaris::gui
