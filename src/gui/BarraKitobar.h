#pragma once
// The suite's toolbar as a QToolBar bound to its model: one action per button, enabled as the
// model says, with the function-key shortcut shown in its tool tip.

#include <QToolBar>
#include <array>

#include "components/Kitobar.h"

class QAction;

namespace tamaris::gui {

class BarraKitobar : public QToolBar {
    Q_OBJECT
public:
    BarraKitobar(Kitobar& modelo, QWidget* padre);
    // Re-reads the enable properties and the style from the model.
    void Actualiza();
    QAction* Accion(Kitobar::Boton b) { return acciones_[static_cast<size_t>(b)]; }

private:
    Kitobar& modelo_;
    std::array<QAction*, Kitobar::kBotones> acciones_{};
};

}  // namespace tamaris::gui
