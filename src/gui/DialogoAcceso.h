#pragma once
// The database access dialog, "Control de Acceso", on screen: the presenter of the headless
// frmAcceso. Each prompt builds a modal QDialog (object name "frmAcceso") with the four boxes,
// the platform list and the two buttons, copies what the operator types into the form and hands
// it the buttons and keys; the form decides when it is done.
//
//   DialogoAcceso vista;
//   frmAcceso acceso(vista);
//   sis.db.dialogoAcceso = &acceso;

#include <QPointer>
#include <QWidget>

#include "lookup/frmAcceso.h"

namespace tamaris::gui {

class DialogoAcceso : public VistaAcceso {
public:
    explicit DialogoAcceso(QWidget* padre = nullptr) : padre_(padre) {}
    // Dialogs shown from now on are modal to `padre` (none: to the whole program).
    void SetPadre(QWidget* padre) { padre_ = padre; }

    void MostrarModal(frmAcceso& dialogo) override;
    int AnchoPantalla() override;
    int AltoPantalla() override;

private:
    QPointer<QWidget> padre_;
};

}  // namespace tamaris::gui
