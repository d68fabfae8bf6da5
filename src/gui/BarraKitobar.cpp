#include "gui/BarraKitobar.h"

#include <QAction>
#include <QStyle>

namespace tamaris::gui {

namespace {

QStyle::StandardPixmap IconoDe(Kitobar::Boton b) {
    switch (b) {
        case Kitobar::NUEVO: return QStyle::SP_FileIcon;
        case Kitobar::BORRAR: return QStyle::SP_TrashIcon;
        case Kitobar::REPORTE: return QStyle::SP_FileDialogDetailedView;
        case Kitobar::CONSULTAR: return QStyle::SP_FileDialogContentsView;
        case Kitobar::PLANILLA: return QStyle::SP_FileDialogListView;
        case Kitobar::CANCELAR: return QStyle::SP_DialogCancelButton;
        case Kitobar::GRABAR: return QStyle::SP_DialogSaveButton;
        default: return QStyle::SP_DialogCloseButton;
    }
}

}  // namespace

BarraKitobar::BarraKitobar(Kitobar& modelo, QWidget* padre)
    : QToolBar(padre), modelo_(modelo) {
    setObjectName("Kitobar1");
    setMovable(false);
    const auto& botones = Kitobar::Botones();
    for (int i = 0; i < Kitobar::kBotones; ++i) {
        const auto& d = botones[static_cast<size_t>(i)];
        QAction* a = addAction(style()->standardIcon(IconoDe(static_cast<Kitobar::Boton>(i))),
                               QString::fromUtf8(d.titulo));
        a->setObjectName(QString::fromUtf8(d.clave));
        a->setToolTip(QString::fromUtf8(d.ayuda));
        // The keys reach the toolbar through the form's key handler, as in the suite; the
        // action itself carries no shortcut so that a key is never handled twice.
        connect(a, &QAction::triggered, this,
                [this, i] { modelo_.Presionar(static_cast<Kitobar::Boton>(i)); });
        acciones_[static_cast<size_t>(i)] = a;
    }
    Actualiza();
}

void BarraKitobar::Actualiza() {
    for (int i = 0; i < Kitobar::kBotones; ++i)
        acciones_[static_cast<size_t>(i)]->setEnabled(modelo_.Habilitado(static_cast<Kitobar::Boton>(i)));
    // Style 1 is the flat bar with text under the icons; any other, icons only.
    setToolButtonStyle(modelo_.StyleBar == 1 ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}

}  // namespace tamaris::gui
