// The lookup dialogs' real widgets, offscreen, over a real SQLite file (natively and through the
// SQLite ODBC driver): the account lookup of the perception form through the lookup service,
// sorting, the saved column widths, the database search and the tree lookup.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <functional>

#include "components/ArchivoTexto.h"
#include "gui/VistaArbolQt.h"
#include "gui/VistaConsultaQt.h"
#include "lookup/AnchosConsulta.h"
#include "lookup/Lib_ClsCons3.h"
#include "lookup/SoporteConsultas.h"

namespace tamaris::gui {
namespace {

using prueba::AccesoConsulta;
using prueba::BaseConsultas;

constexpr const char* kSentenciaCuentas =
    "SELECT Descripcion,Codigo FROM MA_CUENTAS order by codigo";

// Runs `accion` on the dialog of `vista` once it is on screen. A dialog still up ten seconds
// later is cancelled, so a failing test ends instead of hanging.
template <class Vista, class Dialogo>
void CuandoSeMuestre(Vista& vista, std::function<void(Dialogo&)> accion) {
    QTimer::singleShot(10, [&vista, accion] {
        Dialogo* d = vista.Dialogo();
        if (!d || !d->isVisible()) {
            CuandoSeMuestre<Vista, Dialogo>(vista, accion);
            return;
        }
        QPointer<Dialogo> vigilado(d);
        QTimer::singleShot(10000, [vigilado] {
            if (vigilado && vigilado->isVisible()) {
                ADD_FAILURE() << "the lookup was left open";
                vigilado->reject();
            }
        });
        accion(*d);
    });
}

void CuandoSeMuestreLista(VistaConsultaQt& v, std::function<void(DialogoConsulta&)> a) {
    CuandoSeMuestre<VistaConsultaQt, DialogoConsulta>(v, std::move(a));
}

// The text of the list's current row in `columna`.
QString FilaActual(DialogoConsulta& d, int columna) {
    const QModelIndex actual = d.Lista()->currentIndex();
    if (!actual.isValid()) return {};
    return d.Lista()->model()->index(actual.row(), columna).data().toString();
}

class ConsultaQtPrueba : public ::testing::TestWithParam<AccesoConsulta> {
protected:
    ConsultaQtPrueba() : base(GetParam()) {
        entorno.ui = &base.puertos.ui();
        entorno.db = &base.db;
        entorno.lista = &vista;
        entorno.arbol = &arbol;
        entorno.carpetaAnchos = base.carpeta.Ruta().string();
        servicio.Prepara(entorno);
    }
    void SetUp() override { ASSERT_TRUE(base.db.gCnn().Abierta()); }

    // The perception form's account lookup.
    std::string ConsultaCuentas() { return servicio.Consulta(kSentenciaCuentas, "CODIGO"); }

    BaseConsultas base;
    VistaConsultaQt vista;
    VistaArbolQt arbol;
    EntornoConsulta entorno;
    Lib_ClsCons3 servicio;
};

TEST_P(ConsultaQtPrueba, EscribirSeleccionaYEnterDevuelveElCodigo) {
    QString vista0, seleccionada;
    bool cian = false;
    CuandoSeMuestreLista(vista, [&](DialogoConsulta& d) {
        ASSERT_EQ(d.Cajas(), 2);
        QLineEdit* caja = d.findChild<QLineEdit*>("CmbSearch_0");
        ASSERT_NE(caja, nullptr);
        vista0 = FilaActual(d, 0);
        cian = caja->palette().color(QPalette::Base) == QColor(Qt::cyan);
        QTest::keyClicks(caja, "ban");
        seleccionada = FilaActual(d, 0);
        QTest::keyClick(caja, Qt::Key_Return);
    });
    EXPECT_EQ(ConsultaCuentas(), "112");
    EXPECT_EQ(servicio.ValorDevuelto.Texto(), "112");
    EXPECT_EQ(vista0, "Activo") << "the list starts on its first row";
    EXPECT_EQ(seleccionada, "Banco Nacion");
    EXPECT_TRUE(cian) << "the focused search box is cyan";
    EXPECT_EQ(vista.Dialogo(), nullptr);
    EXPECT_TRUE(servicio.CampoDevuelto.empty());
}

TEST_P(ConsultaQtPrueba, EscapeNoDevuelveNada) {
    servicio.ValorDevuelto = Variant("previo");
    CuandoSeMuestreLista(vista, [](DialogoConsulta& d) {
        QTest::keyClicks(d.Caja(0), "Caja");
        QTest::keyClick(d.Lista(), Qt::Key_Escape);
    });
    EXPECT_EQ(ConsultaCuentas(), "");
    EXPECT_EQ(servicio.ValorDevuelto.Texto(), "");
}

TEST_P(ConsultaQtPrueba, ClicEnLaCabeceraAlternaElOrden) {
    struct Paso {
        bool descendente;
        Qt::SortOrder flecha;
        QString primera;
    };
    std::vector<Paso> pasos;
    CuandoSeMuestreLista(vista, [&](DialogoConsulta& d) {
        QHeaderView* cabecera = d.Lista()->header();
        const QPoint centro(cabecera->sectionViewportPosition(1) + cabecera->sectionSize(1) / 2,
                            cabecera->height() / 2);
        for (int i = 0; i < 2; ++i) {
            QTest::mouseClick(cabecera->viewport(), Qt::LeftButton, {}, centro);
            pasos.push_back({d.Form().Descendente(), cabecera->sortIndicatorOrder(),
                             d.Lista()->model()->index(0, 1).data().toString()});
        }
        EXPECT_TRUE(cabecera->isSortIndicatorShown());
        EXPECT_EQ(cabecera->sortIndicatorSection(), 1);
        // The selected row follows its account through the sorting.
        EXPECT_EQ(FilaActual(d, 1), "1");
        QTest::mouseClick(d.findChild<QPushButton*>("CmdCancelar"), Qt::LeftButton);
    });
    ConsultaCuentas();
    ASSERT_EQ(pasos.size(), 2u);
    EXPECT_TRUE(pasos[0].descendente);
    EXPECT_EQ(pasos[0].flecha, Qt::DescendingOrder);
    EXPECT_EQ(pasos[0].primera, "21");
    EXPECT_FALSE(pasos[1].descendente);
    EXPECT_EQ(pasos[1].flecha, Qt::AscendingOrder);
    EXPECT_EQ(pasos[1].primera, "1");
}

TEST_P(ConsultaQtPrueba, F5BuscaEnLaBaseYLasTeclasDeFuncionNoSeEscriben) {
    std::vector<QString> filas;
    QString cajaTrasF5, cajaTrasF1, cajaTrasLetra;
    std::vector<int> anchosAntes, anchosDespues;
    CuandoSeMuestreLista(vista, [&](DialogoConsulta& d) {
        QLineEdit* caja = d.Caja(0);
        QHeaderView* cabecera = d.Lista()->header();
        for (int i = 0; i < 2; ++i) anchosAntes.push_back(cabecera->sectionSize(i));
        QTest::keyClicks(caja, "caj");
        QTest::keyClick(caja, Qt::Key_F5);
        cajaTrasF5 = caja->text();
        for (int i = 0; i < 2; ++i) anchosDespues.push_back(cabecera->sectionSize(i));
        for (int f = 0; f < d.Lista()->model()->rowCount(); ++f)
            filas.push_back(d.Lista()->model()->index(f, 0).data().toString());
        // On the list, function keys are the form's; letters go on in the last search box.
        d.Lista()->setFocus();
        QTest::keyClick(d.Lista(), Qt::Key_F1);
        cajaTrasF1 = caja->text();
        QTest::keyClicks(d.Lista(), "caja c");
        cajaTrasLetra = caja->text();
        QTest::keyClick(caja, Qt::Key_Return);
    });
    EXPECT_EQ(ConsultaCuentas(), "111");
    EXPECT_EQ(filas, (std::vector<QString>{"caja", "Caja chica"}));
    EXPECT_EQ(cajaTrasF5, "");
    EXPECT_EQ(anchosDespues, anchosAntes) << "the reload keeps the columns' widths";
    EXPECT_EQ(cajaTrasF1, "");
    EXPECT_EQ(cajaTrasLetra, "caja c");
}

TEST_P(ConsultaQtPrueba, EnUnaListaGrandeEnterNoPierdeLoRecienEscrito) {
    // Enough rows for the search to wait for a pause in the typing.
    base.Sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 6000) "
             "INSERT INTO MA_CUENTAS (Codigo, Descripcion) "
             "SELECT 'G' || printf('%05d', i), 'Grande ' || i FROM n;");
    int filas = 0;
    CuandoSeMuestreLista(vista, [&](DialogoConsulta& d) {
        filas = d.Lista()->model()->rowCount();
        QTest::keyClicks(d.Caja(0), "grande 4321");
        QTest::keyClick(d.Caja(0), Qt::Key_Return);
    });
    EXPECT_EQ(ConsultaCuentas(), "G04321");
    EXPECT_GT(filas, DialogoConsulta::kFilasSinDemora);
}

TEST_P(ConsultaQtPrueba, F12EnArticulosPreguntaPorElFaltante) {
    base.puertos.mensajes.respuestas = {mb::kSi};
    CuandoSeMuestreLista(vista, [](DialogoConsulta& d) {
        QTest::keyClicks(d.Caja(1), "bajo");
        QTest::keyClick(d.Caja(1), Qt::Key_F12);
        QTest::keyClick(d.Lista(), Qt::Key_Escape);
        EXPECT_EQ(d.Caja(1)->text(), "bajo");
    });
    servicio.Consulta("SELECT IdArticulo, Descripcion FROM V_MA_ARTICULOS", "IdArticulo");
    ASSERT_EQ(base.puertos.mensajes.mostrados.size(), 1u);
    EXPECT_EQ(base.puertos.mensajes.mostrados[0].titulo, "Atención!");
    EXPECT_NE(base.puertos.mensajes.mostrados[0].texto.find("A3 Bajo el punto"), std::string::npos);
    Recordset rs;
    std::string sql = "SELECT IdArticulo FROM V_MV_FALTANTES";
    base.db.AbrirRecordset(sql, rs, nullptr, adOpenForwardOnly, adLockReadOnly, -1, true);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Valor(0).Texto(), "A3");
}

TEST_P(ConsultaQtPrueba, ElAnchoDeUnaColumnaSeGuardaYLaCajaLoSigue) {
    Lib_FrmCons3 form(entorno);
    form.SQL = kSentenciaCuentas;
    form.GrabarCfg = true;
    int antes = 0, despues = 0, cajaX = -1, columnaX = -2, cajaAncho = 0;
    CuandoSeMuestreLista(vista, [&](DialogoConsulta& d) {
        QHeaderView* cabecera = d.Lista()->header();
        antes = cabecera->sectionSize(0);
        // The operator drags the edge between the two columns 40 pixels to the left.
        const int borde = cabecera->sectionViewportPosition(0) + antes - 1;
        const int y = cabecera->height() / 2;
        QTest::mousePress(cabecera->viewport(), Qt::LeftButton, {}, QPoint(borde, y));
        QTest::mouseMove(cabecera->viewport(), QPoint(borde - 20, y));
        QTest::mouseMove(cabecera->viewport(), QPoint(borde - 40, y));
        QTest::mouseRelease(cabecera->viewport(), Qt::LeftButton, {}, QPoint(borde - 40, y));
        despues = cabecera->sectionSize(0);
        QLineEdit* segunda = d.Caja(1);
        cajaX = segunda->mapTo(&d, QPoint(0, 0)).x();
        columnaX =
            d.Lista()->viewport()->mapTo(&d, QPoint(cabecera->sectionViewportPosition(1), 0)).x();
        cajaAncho = d.Caja(0)->width();
        QTest::keyClick(d.Caja(0), Qt::Key_Escape);
    });
    form.MostrarModal();
    form.Form_Unload();

    EXPECT_EQ(despues, antes - 40);
    EXPECT_EQ(cajaX, columnaX) << "the second box stands over its column";
    EXPECT_EQ(cajaAncho, despues);
    EXPECT_EQ(form.Columnas()[0].Width, TwipsDePixeles(despues));
    const auto registros = LeeArchivoAnchos(base.carpeta / std::string(kArchivoAnchos));
    ASSERT_EQ(registros.size(), 1u);
    EXPECT_EQ(registros[0].tabla, "MA_CUENTAS");
    EXPECT_EQ(registros[0].anchos, TextoAnchos({form.Columnas()[0].Width,
                                                form.Columnas()[1].Width}));
}

TEST_P(ConsultaQtPrueba, MarcarVariasFilasConEspacio) {
    servicio.Checks = true;
    CuandoSeMuestreLista(vista, [](DialogoConsulta& d) {
        QTreeView* lista = d.Lista();
        lista->setFocus();
        for (int fila : {1, 3}) {
            lista->setCurrentIndex(lista->model()->index(fila, 0));
            QTest::keyClick(lista, Qt::Key_Space);
        }
        EXPECT_EQ(lista->model()->index(3, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        QTest::mouseClick(d.findChild<QPushButton*>("CmdAceptar"), Qt::LeftButton);
    });
    ConsultaCuentas();
    ASSERT_EQ(servicio.Valores.size(), 2u);
    EXPECT_EQ(servicio.Valores[0].Texto(), "11");
    EXPECT_EQ(servicio.Valores[1].Texto(), "112");
    EXPECT_FALSE(servicio.Checks);
}

TEST_P(ConsultaQtPrueba, ArbolMarcarUnNodoMarcaSusHijosYAceptar) {
    Lib_FrmCons3Tree form(entorno);
    form.SQL = "SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo";
    form.CampoDevuelto = "CODIGO";
    form.CheckBoxes = true;
    std::vector<Qt::CheckState> hijos;
    CuandoSeMuestre<VistaArbolQt, DialogoArbol>(arbol, [&](DialogoArbol& d) {
        QTreeWidget* t = d.findChild<QTreeWidget*>("TreeV");
        ASSERT_NE(t, nullptr);
        // Found by typing, then ticked from the keyboard.
        QTest::keyClicks(d.findChild<QLineEdit*>("CmbSearch"), "caja");
        QTreeWidgetItem* caja = t->currentItem();
        ASSERT_NE(caja, nullptr);
        EXPECT_EQ(caja->text(0), "11 - caja");
        t->setFocus();
        QTest::keyClick(t, Qt::Key_Space);
        for (int i = 0; i < caja->childCount(); ++i)
            hijos.push_back(caja->child(i)->checkState(0));
        QTest::mouseClick(d.findChild<QPushButton*>("CmdAceptar"), Qt::LeftButton);
    });
    form.MostrarModal();
    EXPECT_EQ(hijos, (std::vector<Qt::CheckState>(3, Qt::Checked)));
    std::vector<std::string> valores;
    for (const Variant& v : form.Valores) valores.push_back(v.Texto());
    EXPECT_EQ(valores, (std::vector<std::string>{"11", "111", "112", "113"}));
}

TEST_P(ConsultaQtPrueba, ArbolPorElServicioDevuelveElNodoElegido) {
    CuandoSeMuestre<VistaArbolQt, DialogoArbol>(arbol, [](DialogoArbol& d) {
        QLineEdit* caja = d.findChild<QLineEdit*>("CmbSearch");
        QTest::keyClicks(caja, "Deu");
        QTest::keyClick(caja, Qt::Key_Return);
    });
    servicio.CampoDevuelto = "CODIGO";
    std::vector<std::string> campos;
    std::string clave, busqueda, where, opcional;
    bool arbolito = true;
    servicio.ConsultaSearch("SELECT Codigo, Descripcion FROM MA_CUENTAS ORDER BY Codigo", campos,
                            clave, busqueda, where, opcional, arbolito);
    EXPECT_EQ(servicio.ValorDevuelto.Texto(), "21");
}

INSTANTIATE_TEST_SUITE_P(Accesos, ConsultaQtPrueba,
                         ::testing::Values(prueba::kNativoConsulta, prueba::kOdbcConsulta),
                         prueba::NombreAccesoConsulta);

}  // namespace
}  // namespace tamaris::gui
