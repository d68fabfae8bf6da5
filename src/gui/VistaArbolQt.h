#pragma once
// The tree lookup form (Lib_FrmCons3Tree) on screen: a modal dialog with the search box, the
// tree of codes under "Consulta..." (with check boxes when the form asks for them) and the
// "&Aceptar", "&Nueva Búsqueda" and "&Cancelar" buttons.
//
// As with the list lookup, the dialog keeps no state of its own: the operator's actions become
// the form's event calls (a tick goes to TreeV_NodeCheck, which ticks the levels below as the
// form decides) and each notice repaints the tree from the form's nodes. The search selects the
// first matching node rather than filtering the tree, so the tree stays whole around it.

#include <QDialog>
#include <QPointer>
#include <vector>

#include "lookup/Lib_FrmCons3Tree.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tamaris::gui {

class UiQt;

class DialogoArbol : public QDialog {
  public:
    explicit DialogoArbol(Lib_FrmCons3Tree& form, QWidget* padre = nullptr);

    Lib_FrmCons3Tree& Form() { return form_; }
    QTreeWidget* Arbol() { return arbol_; }
    QLineEdit* Busqueda() { return busqueda_; }
    // The item that shows node `nodo`; null when none.
    QTreeWidgetItem* Item(int nodo) const;

    void Avisar(AvisoConsulta aviso);
    // The close box and Escape: the form cancels, and its hiding ends the dialog.
    void reject() override;

  protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

  private:
    void Construye();
    void AplicaMarcas();
    void AplicaExpansion();
    void AplicaSeleccion();
    int Nodo(const QTreeWidgetItem* item) const;
    bool TeclaFormulario(int codigo, int shift);

    Lib_FrmCons3Tree& form_;
    QLineEdit* busqueda_ = nullptr;
    QTreeWidget* arbol_ = nullptr;
    QPushButton* aceptar_ = nullptr;
    QPushButton* nueva_ = nullptr;
    QPushButton* cancelar_ = nullptr;
    std::vector<QTreeWidgetItem*> items_;  // by node index
    // Set while the widgets follow the form, so that their changes are not sent back to it.
    bool aplicando_ = false;
};

class VistaArbolQt : public VistaConsultaArbol {
  public:
    explicit VistaArbolQt(QWidget* padre = nullptr, UiQt* puertos = nullptr);

    void SetPadre(QWidget* padre) { padre_ = padre; }

    void MostrarModal(Lib_FrmCons3Tree& form) override;
    void Avisar(Lib_FrmCons3Tree& form, AvisoConsulta aviso) override;

    DialogoArbol* Dialogo() const { return dialogo_; }

  private:
    QPointer<QWidget> padre_;
    UiQt* puertos_ = nullptr;
    DialogoArbol* dialogo_ = nullptr;
};

}  // namespace tamaris::gui
