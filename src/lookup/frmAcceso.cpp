#include "lookup/frmAcceso.h"

namespace tamaris {

namespace {
constexpr int kEnter = 13;
constexpr int kEscape = 27;
}  // namespace

std::string frmAcceso::ServidorPara(std::string_view servidor, int plataforma) {
    std::string s(servidor);
    if (plataforma > kSqlServer && s.find('#') == std::string::npos) s += "#";
    return s;
}

void frmAcceso::Form_Load() {
    Left = (vista_.AnchoPantalla() - Width) / 2;
    Top = (vista_.AltoPantalla() - Height) / 2;
}

void frmAcceso::Form_KeyDown(int& KeyCode, int /*Shift*/) {
    if (KeyCode == kEnter)
        bcAceptar_Click();
    else if (KeyCode == kEscape)
        bcCancelar_Click();
}

void frmAcceso::CboPlataformaDB_Click(int indice) {
    if (indice >= 0 && indice < static_cast<int>(CboPlataformaDB.size()))
        CboPlataformaDB_ListIndex = indice;
}

void frmAcceso::bcAceptar_Click() {
    Aceptar = true;
    visible_ = false;
}

void frmAcceso::bcCancelar_Click() {
    Aceptar = false;
    visible_ = false;
}

void frmAcceso::MostrarModal() {
    TxtDbName.Text = BaseDatos;
    TxtServidor.Text = Servidor;
    TxtUserId.Text = Usuario;
    TxtUserPassword.Text = Password;
    CboPlataformaDB_Click(Plataforma > kSqlServer ? kOracle : kSqlServer);
    Aceptar = false;
    Form_Load();
    visible_ = true;
    vista_.MostrarModal(*this);
    // Closing the window without a button counts as "Cancelar".
    if (visible_) bcCancelar_Click();

    Aceptado = Aceptar;
    if (!Aceptar) return;
    BaseDatos = TxtDbName.Text;
    Usuario = TxtUserId.Text;
    Password = TxtUserPassword.Text;
    Plataforma = CboPlataformaDB_ListIndex;
    Servidor = ServidorPara(TxtServidor.Text, Plataforma);
}

}  // namespace tamaris
