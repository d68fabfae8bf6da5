// The database access dialog on screen, offscreen: the boxes the connection object fills, Enter
// and Escape, the platform list, and the desktop start-up asking for the connection data.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "Modales.h"
#include "app/Sistema.h"
#include "gui/Aplicacion.h"
#include "gui/DialogoAcceso.h"
#include "gui/UiQt.h"
#include "lookup/frmAcceso.h"
#include "soporte/BaseDePrueba.h"

namespace tamaris::gui {
namespace {

using prueba::AlAbrirseUnDialogo;

QLineEdit* Caja(QDialog* d, const char* nombre) { return d->findChild<QLineEdit*>(nombre); }

void Reemplaza(QLineEdit* caja, const QString& texto) {
    caja->setFocus();
    caja->selectAll();
    QTest::keyClicks(caja, texto);
}

class DialogoAccesoPrueba : public ::testing::Test {
protected:
    void SetUp() override {
        acceso.BaseDatos = "EMPRESA";
        acceso.Servidor = "srv01";
        acceso.Usuario = "tamaris";
        acceso.Password = "secreta";
    }
    DialogoAcceso vista;
    frmAcceso acceso{vista};
};

TEST_F(DialogoAccesoPrueba, EnterEnCualquierCajaAcepta) {
    QString titulo, clave;
    bool enmascarada = false;
    AlAbrirseUnDialogo([&](QDialog* d) {
        titulo = d->windowTitle();
        EXPECT_EQ(Caja(d, "TxtDbName")->text(), "EMPRESA");
        EXPECT_EQ(Caja(d, "TxtUserId")->text(), "tamaris");
        EXPECT_EQ(d->findChild<QComboBox*>("CboPlataformaDB")->currentText(), "SQL Server");
        EXPECT_TRUE(d->findChild<QPushButton*>("bcAceptar")->isDefault());
        QLineEdit* password = Caja(d, "TxtUserPassword");
        enmascarada = password->echoMode() == QLineEdit::Password;
        clave = password->text();
        Reemplaza(Caja(d, "TxtServidor"), "srv02");
        Reemplaza(password, "otra");
        QTest::keyClick(Caja(d, "TxtDbName"), Qt::Key_Return);
    });
    acceso.MostrarModal();
    EXPECT_EQ(titulo, "Control de Acceso");
    EXPECT_TRUE(enmascarada);
    EXPECT_EQ(clave, "secreta");
    EXPECT_TRUE(acceso.Aceptado);
    EXPECT_EQ(acceso.Servidor, "srv02");
    EXPECT_EQ(acceso.Password, "otra");
    EXPECT_EQ(acceso.BaseDatos, "EMPRESA");
    EXPECT_EQ(acceso.Plataforma, frmAcceso::kSqlServer);
}

TEST_F(DialogoAccesoPrueba, EscapeCancelaYElLlamadorConservaSusDatos) {
    AlAbrirseUnDialogo([](QDialog* d) {
        Reemplaza(Caja(d, "TxtUserId"), "intruso");
        QTest::keyClick(Caja(d, "TxtUserId"), Qt::Key_Escape);
    });
    acceso.MostrarModal();
    EXPECT_FALSE(acceso.Aceptado);
    EXPECT_EQ(acceso.Usuario, "tamaris");
    EXPECT_EQ(prueba::DialogoVisible(), nullptr);
}

TEST_F(DialogoAccesoPrueba, OracleMarcaElServidorUnaSolaVez) {
    const auto eligeOracle = [](QDialog* d) {
        auto* plataforma = d->findChild<QComboBox*>("CboPlataformaDB");
        plataforma->setFocus();
        QTest::keyClick(plataforma, Qt::Key_Down);
        EXPECT_EQ(plataforma->currentText(), "ORACLE");
        QTest::mouseClick(d->findChild<QPushButton*>("bcAceptar"), Qt::LeftButton);
    };
    AlAbrirseUnDialogo(eligeOracle);
    acceso.MostrarModal();
    ASSERT_TRUE(acceso.Aceptado);
    EXPECT_EQ(acceso.Servidor, "srv01#");
    EXPECT_EQ(acceso.Plataforma, frmAcceso::kOracle);

    AlAbrirseUnDialogo(eligeOracle);
    acceso.MostrarModal();
    EXPECT_EQ(acceso.Servidor, "srv01#");
}

// The desktop start-up: without a server it asks; with --db it opens the file and asks nothing.
TEST(DialogoAccesoInicio, SinServidorPreguntaYCancelarTermina) {
    prueba::CarpetaTemporal tmp;
    UiQt puertos;
    Sistema sis(puertos.ui());
    DialogoAcceso vista;
    frmAcceso acceso(vista);
    QString base;
    int vistos = 0;
    AlAbrirseUnDialogo([&](QDialog* d) {
        ++vistos;
        base = Caja(d, "TxtDbName")->text();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    const auto args = LeeArgumentos({"@DbName=EMPRESA;@Usuario=tamaris;"});
    EXPECT_EQ(IniciaPrograma(sis, args, "percepciones", acceso), ResultadoInicio::SinConexion);
    EXPECT_EQ(vistos, 1);
    EXPECT_EQ(base, "EMPRESA");
    EXPECT_EQ(sis.LineaComandos, "@DbName=EMPRESA;@Usuario=tamaris;");
    EXPECT_EQ(sis.db.dialogoAcceso, &acceso);
}

TEST(DialogoAccesoInicio, ConArchivoNoPreguntaYLeeLaLinea) {
    prueba::CarpetaTemporal tmp;
    const std::string base = tmp / "suite.db";
    prueba::CreaBaseConEsquema(base);
    UiQt puertos;
    Sistema sis(puertos.ui());
    DialogoAcceso vista;
    frmAcceso acceso(vista);
    const auto args = LeeArgumentos({"--citi", "@Caja=7;", "--db", base, "@UsuarioLogeado=ana;"});
    EXPECT_TRUE(args.citi);
    EXPECT_EQ(args.db, base);
    EXPECT_EQ(IniciaPrograma(sis, args, "percepciones", acceso), ResultadoInicio::Iniciado);
    EXPECT_EQ(sis.LineaComandos, "@Caja=7; @UsuarioLogeado=ana;");
    EXPECT_EQ(sis.Caja, "7");
    EXPECT_TRUE(sis.db.gOpenFlag);
    EXPECT_EQ(prueba::DialogoVisible(), nullptr);
}

}  // namespace
}  // namespace tamaris::gui
