#pragma once
// Answers the modal dialogs a widget test opens: the action runs on the first visible dialog
// that is not the progress window, once it has appeared.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace prueba {

inline QDialog* DialogoVisible() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<QDialog*>(w);
        if (d && d->isVisible() && d->objectName() != "VentanaProgreso") return d;
    }
    return nullptr;
}

inline void AlAbrirseUnDialogo(std::function<void(QDialog*)> accion) {
    QTimer::singleShot(30, [accion] {
        if (QDialog* d = DialogoVisible()) {
            accion(d);
            return;
        }
        AlAbrirseUnDialogo(accion);
    });
}

}  // namespace prueba
