// The database access dialog: its controls, the keys that close it, the "#" that marks an
// Oracle server, and the connection object asking through it.

#include <gtest/gtest.h>

#include <functional>

#include "data/DB_Dll.h"
#include "data/PuertosPrueba.h"
#include "lookup/frmAcceso.h"

namespace tamaris {
namespace {

class VistaAccesoGuion : public VistaAcceso {
  public:
    std::function<void(frmAcceso&)> guion;
    int mostrada = 0;
    std::string servidorMostrado;
    int plataformaMostrada = -1;

    void MostrarModal(frmAcceso& d) override {
        ++mostrada;
        servidorMostrado = d.TxtServidor.Text;
        plataformaMostrada = d.CboPlataformaDB_ListIndex;
        if (guion) guion(d);
    }
};

void Tecla(frmAcceso& d, int codigo) { d.Form_KeyDown(codigo, 0); }

TEST(FrmAcceso, Controles) {
    VistaAccesoGuion vista;
    frmAcceso d(vista);
    EXPECT_EQ(d.Caption, "Control de Acceso");
    EXPECT_EQ(d.CboPlataformaDB, (std::vector<std::string>{"SQL Server", "ORACLE"}));
    EXPECT_EQ(d.TxtUserId.Etiqueta, "&Usuario");
    EXPECT_EQ(d.TxtUserPassword.Etiqueta, "&Contraseña");
    EXPECT_EQ(d.TxtUserPassword.PasswordChar, '*');
    EXPECT_EQ(d.TxtDbName.Etiqueta, "&Base de Datos");
    EXPECT_EQ(d.TxtServidor.Etiqueta, "&Servidor");
    EXPECT_EQ((std::vector<int>{d.TxtUserId.TabIndex, d.TxtUserPassword.TabIndex,
                                d.TxtDbName.TabIndex, d.TxtServidor.TabIndex}),
              (std::vector<int>{0, 1, 2, 3}));
    d.Form_Load();
    EXPECT_EQ(d.Left, (15360 - d.Width) / 2);
    EXPECT_EQ(d.Top, (11520 - d.Height) / 2);
}

TEST(FrmAcceso, EnterAceptaLoEscrito) {
    VistaAccesoGuion vista;
    vista.guion = [](frmAcceso& d) {
        EXPECT_TRUE(d.Visible());
        d.TxtServidor.Text = "nuevo";
        d.TxtUserPassword.Text = "clave";
        Tecla(d, 13);
    };
    frmAcceso d(vista);
    d.BaseDatos = "base";
    d.Servidor = "viejo";
    d.Usuario = "yo";
    d.MostrarModal();
    EXPECT_EQ(vista.servidorMostrado, "viejo");
    EXPECT_EQ(vista.plataformaMostrada, frmAcceso::kSqlServer);
    EXPECT_TRUE(d.Aceptar);
    EXPECT_TRUE(d.Aceptado);
    EXPECT_FALSE(d.Visible());
    EXPECT_EQ(d.Servidor, "nuevo");
    EXPECT_EQ(d.Password, "clave");
    EXPECT_EQ(d.BaseDatos, "base");
    EXPECT_EQ(d.Usuario, "yo");
    EXPECT_EQ(d.Plataforma, 0);
}

TEST(FrmAcceso, EscapeCancelaYNoCambiaNada) {
    VistaAccesoGuion vista;
    vista.guion = [](frmAcceso& d) {
        d.TxtServidor.Text = "otro";
        d.CboPlataformaDB_Click(frmAcceso::kOracle);
        Tecla(d, 27);
    };
    frmAcceso d(vista);
    d.Servidor = "viejo";
    d.MostrarModal();
    EXPECT_FALSE(d.Aceptar);
    EXPECT_FALSE(d.Aceptado);
    EXPECT_EQ(d.Servidor, "viejo");
    EXPECT_EQ(d.Plataforma, 0);
}

TEST(FrmAcceso, CerrarLaVentanaCancela) {
    VistaAccesoGuion vista;
    frmAcceso d(vista);
    d.MostrarModal();
    EXPECT_FALSE(d.Aceptado);
    EXPECT_FALSE(d.Visible());
}

TEST(FrmAcceso, OracleMarcaElServidorUnaVez) {
    struct Caso {
        std::string servidor;
        int plataforma;
        std::string esperado;
    };
    const Caso casos[] = {
        {"orasrv", frmAcceso::kOracle, "orasrv#"},
        {"orasrv#", frmAcceso::kOracle, "orasrv#"},
        {"#orasrv", frmAcceso::kOracle, "#orasrv"},
        {"sqlsrv", frmAcceso::kSqlServer, "sqlsrv"},
    };
    for (const Caso& c : casos) {
        VistaAccesoGuion vista;
        vista.guion = [&](frmAcceso& d) {
            d.TxtServidor.Text = c.servidor;
            d.CboPlataformaDB_Click(c.plataforma);
            d.bcAceptar_Click();
        };
        frmAcceso d(vista);
        d.MostrarModal();
        EXPECT_EQ(d.Servidor, c.esperado) << c.servidor;
        EXPECT_EQ(d.Plataforma, c.plataforma);
        EXPECT_EQ(frmAcceso::ServidorPara(c.servidor, c.plataforma), c.esperado);
    }
}

// The connection object asks through the dialog; choosing Oracle twice keeps one "#".
TEST(FrmAcceso, ElObjetoDeConexionPreguntaPorElDialogo) {
    PuertosPrueba puertos;
    DB_Dll db(puertos.ui());
    VistaAccesoGuion vista;
    vista.guion = [](frmAcceso& d) {
        d.TxtServidor.Text = "orasrv";
        d.TxtDbName.Text = "ORCL";
        d.CboPlataformaDB_Click(frmAcceso::kOracle);
        Tecla(d, 13);
    };
    frmAcceso d(vista);
    db.dialogoAcceso = &d;
    db.OpenServerADODB(true, 3, "", false, false);
    EXPECT_EQ(vista.mostrada, 1);
    EXPECT_EQ(db.gServidor, "orasrv#");
    EXPECT_EQ(db.gDBName, "ORCL");
    EXPECT_EQ(db.gProveedor, "OraOLEDB.Oracle.1");

    vista.guion = [](frmAcceso& d) {
        d.CboPlataformaDB_Click(frmAcceso::kOracle);
        Tecla(d, 13);
    };
    db.OpenServerADODB(true, 3, "", false, false);
    EXPECT_EQ(vista.servidorMostrado, "orasrv#");
    EXPECT_EQ(db.gServidor, "orasrv#");

    // Escape: the connection object keeps what it had and does not try to connect.
    vista.guion = [](frmAcceso& d) {
        d.TxtServidor.Text = "otro";
        Tecla(d, 27);
    };
    db.OpenServerADODB(true, 3, "", false, false);
    EXPECT_EQ(db.gServidor, "orasrv#");
    EXPECT_FALSE(db.gOpenFlag);
}

}  // namespace
}  // namespace tamaris
