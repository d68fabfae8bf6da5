// One export at a time, and a cancel that stops it: the perception window's real widgets,
// offscreen, with keys and clicks that arrive while the job runs (the job lets the event loop
// run to repaint its progress window).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "export_perceptions/Form1.h"
#include "gui/BarraKitobar.h"
#include "gui/Trabajo.h"
#include "gui/UiQt.h"
#include "gui/VentanaForm1.h"
#include "soporte/Percepciones.h"

namespace tamaris::gui {
namespace {

using prueba::ArchivoEsperado;
using prueba::LeeArchivo;

QDialog* VentanaDeProgreso() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "VentanaProgreso" && w->isVisible())
            return qobject_cast<QDialog*>(w);
    return nullptr;
}

// Answers every dialog that shows while it lives: the check's findings (file anyway), the
// question "¿Cancelar la generación?" (as `cancelar` says) and the closing messages, which it
// counts.
class Contestador {
  public:
    explicit Contestador(bool cancelar) : cancelar_(cancelar) {
        QObject::connect(&reloj_, &QTimer::timeout, [this] { Contesta(); });
        reloj_.start(20);
    }
    int preguntas = 0;
    QStringList avisos;

  private:
    void Contesta() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible()) continue;
            if (w->objectName() == "DialogoHallazgos") {
                w->findChild<QPushButton*>("GenerarIgual")->click();
            } else if (auto* m = qobject_cast<QMessageBox*>(w)) {
                if (m->text().contains("¿Cancelar la generación?")) {
                    ++preguntas;
                    m->button(cancelar_ ? QMessageBox::Yes : QMessageBox::No)->click();
                } else {
                    avisos << m->text();
                    m->accept();
                }
            }
        }
    }
    bool cancelar_;
    QTimer reloj_;
};

class TrabajoPrueba : public ::testing::Test {
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
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ventana.get()));
        form.SetCampo("FechaDesde", "01/01/2013");
        form.SetCampo("FechaHasta", "31/01/2013");
        form.SetCampo("Cuenta", "112");
        form.SetCampo("Archivo", destino);
        ventana->DesdeFormulario();
        std::ofstream(destino, std::ios::binary) << "anterior\r\n";
    }
    // Files of the destination's folder other than the database and the destination.
    std::vector<std::string> Sobrantes() const {
        std::vector<std::string> v;
        for (const auto& e : std::filesystem::directory_iterator(tmp.ruta())) {
            const std::string n = e.path().filename().string();
            if (n != "suite.db" && n != "perc.txt") v.push_back(n);
        }
        return v;
    }

    prueba::CarpetaTemporal tmp;
    std::string base = tmp / "suite.db";
    std::string destino = tmp / "perc.txt";
    UiQt puertos;
    DB_Dll db{puertos.ui()};
    Form1 form{puertos.ui(), db};
    std::unique_ptr<VentanaForm1> ventana;
};

TEST_F(TrabajoPrueba, DuranteLaGeneracionNadaEmpiezaOtraNiCambiaLosFiltros) {
    Contestador contestador(false);
    bool enCurso = false;
    // Runs at the job's first repaint, as the operator's keys would.
    QTimer::singleShot(0, [&] {
        enCurso = trabajo::EnCurso();
        EXPECT_FALSE(ventana->Barra()->Accion(Kitobar::GRABAR)->isEnabled());
        EXPECT_TRUE(ventana->Barra()->Accion(Kitobar::CANCELAR)->isEnabled());
        EXPECT_FALSE(ventana->Caja(Form1::kArchivo)->isEnabled());
        QTest::keyClick(ventana.get(), Qt::Key_F10);
        QTest::keyClick(ventana->Caja(Form1::kFechaDesde), Qt::Key_F10);
        form.Kitobar1.Presionar(Kitobar::GRABAR);
        QTest::keyClicks(ventana->Caja(Form1::kFechaHasta), "9");
    });
    ventana->Barra()->Accion(Kitobar::GRABAR)->trigger();
    ASSERT_TRUE(enCurso);
    EXPECT_EQ(contestador.avisos.size(), 1) << contestador.avisos.join(" | ").toStdString();
    EXPECT_EQ(LeeArchivo(destino), ArchivoEsperado({0, 1, 7}));
    EXPECT_EQ(ventana->Caja(Form1::kFechaHasta)->text(), "31/01/2013");
    // Afterwards the window is as it was.
    EXPECT_FALSE(trabajo::EnCurso());
    EXPECT_TRUE(ventana->Barra()->Accion(Kitobar::GRABAR)->isEnabled());
    EXPECT_FALSE(ventana->Barra()->Accion(Kitobar::CANCELAR)->isEnabled());
    EXPECT_TRUE(ventana->Caja(Form1::kArchivo)->isEnabled());
}

TEST_F(TrabajoPrueba, CancelarPreguntaYDejaElArchivoAnterior) {
    struct Caso {
        const char* nombre;
        std::function<void(VentanaForm1&)> pide;
        bool si;
    };
    const Caso casos[] = {
        {"Esc en la ventana de progreso, no",
         [](VentanaForm1&) { QTest::keyClick(VentanaDeProgreso(), Qt::Key_Escape); }, false},
        {"Esc en la ventana de progreso, sí",
         [](VentanaForm1&) { QTest::keyClick(VentanaDeProgreso(), Qt::Key_Escape); }, true},
        {"cerrar la ventana de progreso", [](VentanaForm1&) { VentanaDeProgreso()->close(); },
         true},
        {"su botón Cancelar",
         [](VentanaForm1&) { VentanaDeProgreso()->findChild<QPushButton*>("Cancelar")->click(); },
         true},
        {"Cancelar de la barra",
         [](VentanaForm1& v) { v.Barra()->Accion(Kitobar::CANCELAR)->trigger(); }, true},
        {"cerrar la ventana del formulario", [](VentanaForm1& v) { v.close(); }, true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        std::ofstream(destino, std::ios::binary | std::ios::trunc) << "anterior\r\n";
        Contestador contestador(c.si);
        QTimer::singleShot(0, [&] {
            ASSERT_NE(VentanaDeProgreso(), nullptr);
            c.pide(*ventana);
        });
        ventana->Barra()->Accion(Kitobar::GRABAR)->trigger();
        EXPECT_EQ(contestador.preguntas, 1);
        EXPECT_TRUE(ventana->isVisible());
        EXPECT_EQ(VentanaDeProgreso(), nullptr);
        EXPECT_TRUE(Sobrantes().empty()) << Sobrantes().front();
        using Estado = ResultadoExportacion::Estado;
        if (c.si) {
            EXPECT_EQ(form.UltimoResultado().estado, Estado::Cancelado);
            EXPECT_EQ(LeeArchivo(destino), "anterior\r\n");
            EXPECT_TRUE(contestador.avisos.isEmpty());
            EXPECT_TRUE(ventana->statusBar()->currentMessage().contains("cancelada"));
        } else {
            EXPECT_EQ(form.UltimoResultado().estado, Estado::Completo);
            EXPECT_EQ(LeeArchivo(destino), ArchivoEsperado({0, 1, 7}));
        }
    }
}

TEST(VentanaProgresoQt, DiceCuantosComprobantesVaDeCuantos) {
    struct Caso {
        long total;  // -1: not counted
        long hechos;
        const char* texto;
    };
    const Caso casos[] = {
        {-1, 1234, "Comprobantes procesados: 1.234"},
        {2000, 500, "Comprobantes procesados: 500 de 2.000 (25 %)"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.texto);
        QWidget padre;
        UiQt puertos(&padre);
        VentanaProgreso& p = puertos.progreso();
        if (c.total >= 0) p.Total(c.total);
        p.Abrir("Procesando");
        QTest::qWait(120);  // repaints are at most ten a second
        p.Avance(c.hechos);
        EXPECT_EQ(puertos.progreso().TextoAvance(), QString::fromUtf8(c.texto));
        p.Cerrar();
    }
}

}  // namespace
}  // namespace tamaris::gui
