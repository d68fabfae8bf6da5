#pragma once
// How a window hands its keys and its text boxes' events to the headless form it shows, the
// same way for every export form.

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>
#include <span>

#include "components/Campos.h"
#include "gui/UiQt.h"

namespace tamaris::gui {

int CodigoTecla(int teclaQt);

// A key the form sees before anything else (the toolbar's function keys), with the widgets'
// texts in the form before and the form's back in the widgets after. True when the form took
// the key.
template <class Ventana, class Form>
bool TeclaDeFormulario(Ventana& ventana, Form& form, int codigo) {
    if (codigo == 0) return false;
    int c = codigo;
    ventana.AFormulario();
    form.Form_KeyDown(c);
    if (!form.Descargado) ventana.DesdeFormulario();
    return c == 0;
}

// Focus and key events of the form's text boxes. Returns true when the event is used up; false
// also for objects that are not one of `cajas`.
template <class Ventana, class Form>
bool EventoDeCaja(Ventana& ventana, Form& form, std::span<QLineEdit* const> cajas,
                  QObject* objeto, QEvent* evento) {
    int indice = -1;
    for (std::size_t i = 0; i < cajas.size(); ++i)
        if (objeto == cajas[i]) indice = static_cast<int>(i);
    if (indice < 0) return false;

    if (evento->type() == QEvent::FocusIn) {
        form.txtfields_GotFocus(indice);
        return false;
    }
    if (evento->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(evento);
    if (TeclaDeFormulario(ventana, form, CodigoTecla(k->key()))) return true;
    int codigo = CodigoTecla(k->key());
    if (codigo != 0) {
        form.txtfields_KeyDown(indice, codigo);
        // Enter moves on to the next box, as the suite's forms do.
        if (codigo == tecla::kTab && CodigoTecla(k->key()) == tecla::kEnter) {
            ventana.focusNextChild();
            return true;
        }
    }
    const QString texto = k->text();
    if (!texto.isEmpty() && texto[0].isPrint()) {
        QLineEdit* caja = cajas[static_cast<std::size_t>(indice)];
        form.txtfields[static_cast<std::size_t>(indice)].Text = Ss(caja->text());
        // Typing over a selection replaces it: the length limit does not apply.
        if (caja->hasSelectedText()) return false;
        if (form.txtfields_KeyPress(indice, static_cast<int>(texto[0].unicode())) == 0) return true;
    }
    return false;
}

}  // namespace tamaris::gui
