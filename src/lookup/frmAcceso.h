#pragma once
// The database access dialog, "Control de Acceso": user, password, database, server and
// database platform, with "Aceptar" (Enter) and "Cancelar" (Escape). The connection object
// fills it through AccesoDialogo, shows it and reads it back when it must ask for the
// connection data.
//
// Headless: a presenter (VistaAcceso) shows it modally, copies what the operator types into
// the four text fields and the platform index, and calls the handlers; the dialog hides itself
// when a button (or its key) closes it.

#include <string>
#include <string_view>
#include <vector>

#include "data/AccesoDialogo.h"

namespace tamaris {

class frmAcceso;

class VistaAcceso {
  public:
    virtual ~VistaAcceso() = default;
    // Shows the dialog, already loaded and centred, and returns once it has hidden itself.
    virtual void MostrarModal(frmAcceso& dialogo) = 0;
    // Screen size in twips, for centring.
    virtual int AnchoPantalla() { return 15360; }
    virtual int AltoPantalla() { return 11520; }
};

// A text box of the dialog with its label (Courier font).
struct CampoAcceso {
    std::string Text;
    std::string Etiqueta;
    int TabIndex = 0;
    char PasswordChar = '\0';  // '*': each character is shown as an asterisk
};

class frmAcceso : public AccesoDialogo {
  public:
    static constexpr int kSqlServer = 0;
    static constexpr int kOracle = 1;

    explicit frmAcceso(VistaAcceso& vista) : vista_(vista) {}

    // ---- controls, in tab order, inside the frame framAcceso ----
    std::string Caption = "Control de Acceso";
    CampoAcceso TxtUserId{{}, "&Usuario", 0};
    CampoAcceso TxtUserPassword{{}, "&Contraseña", 1, '*'};
    CampoAcceso TxtDbName{{}, "&Base de Datos", 2};
    CampoAcceso TxtServidor{{}, "&Servidor", 3};
    const std::vector<std::string> CboPlataformaDB{"SQL Server", "ORACLE"};  // tab 4
    int CboPlataformaDB_ListIndex = kSqlServer;
    static constexpr std::string_view kCaptionAceptar = "Aceptar";    // tab 5, default button
    static constexpr std::string_view kCaptionCancelar = "Cancelar";  // tab 6, cancel button

    // Which button closed the dialog.
    bool Aceptar = false;

    // Position and size in twips.
    int Left = 0, Top = 0, Width = 4860, Height = 3045;
    bool Visible() const { return visible_; }

    // ---- events ----
    void Form_Load();  // centres the dialog on the screen
    // Enter in any control accepts, Escape cancels.
    void Form_KeyDown(int& KeyCode, int Shift);
    void CboPlataformaDB_Click(int indice);
    void bcAceptar_Click();
    void bcCancelar_Click();

    // AccesoDialogo: puts the connection data in the boxes, shows the dialog and, when it was
    // accepted, hands the boxes back (the server marked for Oracle, see ServidorPara).
    void MostrarModal() override;

    // The server name for a platform: on Oracle (index above 0) it carries one "#", the mark
    // the connection-string builder knows Oracle by, and never a second.
    static std::string ServidorPara(std::string_view servidor, int plataforma);

  private:
    VistaAcceso& vista_;
    bool visible_ = false;
};

}  // namespace tamaris
