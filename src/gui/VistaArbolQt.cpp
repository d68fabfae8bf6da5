#include "gui/VistaArbolQt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/UiQt.h"
#include "gui/VistaConsultaQt.h"

namespace tamaris::gui {

using namespace teclaConsulta;

DialogoArbol::DialogoArbol(Lib_FrmCons3Tree& form, QWidget* padre) : QDialog(padre), form_(form) {
    setObjectName("Lib_FrmCons3Tree");
    setWindowTitle(Qs(form_.Caption));
    setSizeGripEnabled(true);

    auto* capa = new QVBoxLayout(this);

    auto* picFields = new QWidget(this);
    picFields->setObjectName("picFields");
    auto* fila = new QHBoxLayout(picFields);
    fila->setContentsMargins(0, 0, 0, 0);
    auto* etiqueta = new QLabel("Buscar:", picFields);
    etiqueta->setObjectName("lblFieldName");
    QFont tahoma = etiqueta->font();
    tahoma.setFamily("Tahoma");
    etiqueta->setFont(tahoma);
    busqueda_ = new QLineEdit(picFields);
    busqueda_->setObjectName("CmbSearch");
    busqueda_->setToolTip(Qs(Lib_FrmCons3Tree::kToolTipBusqueda));
    busqueda_->setPlaceholderText("Código o descripción");
    busqueda_->installEventFilter(this);
    etiqueta->setBuddy(busqueda_);
    fila->addWidget(etiqueta);
    fila->addWidget(busqueda_, 1);
    capa->addWidget(picFields);

    arbol_ = new QTreeWidget(this);
    arbol_->setObjectName("TreeV");
    arbol_->setColumnCount(1);
    arbol_->setHeaderHidden(true);
    arbol_->setRootIsDecorated(true);
    arbol_->setUniformRowHeights(true);
    arbol_->setSelectionMode(QAbstractItemView::SingleSelection);
    arbol_->setExpandsOnDoubleClick(false);  // a double click accepts
    arbol_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    arbol_->header()->setStretchLastSection(false);
    arbol_->installEventFilter(this);
    capa->addWidget(arbol_, 1);

    auto* frame1 = new QWidget(this);
    frame1->setObjectName("Frame1");
    auto* botones = new QHBoxLayout(frame1);
    botones->setContentsMargins(0, 4, 0, 0);
    const auto boton = [&](const char* texto, const char* nombre) {
        auto* b = new QPushButton(texto, frame1);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        return b;
    };
    aceptar_ = boton("&Aceptar", "CmdAceptar");
    cancelar_ = boton("&Cancelar", "CmdCancelar");
    nueva_ = boton("&Nueva Búsqueda", "CmdNueva");
    botones->addWidget(aceptar_);
    botones->addStretch(1);
    botones->addWidget(cancelar_);
    botones->addStretch(1);
    botones->addWidget(nueva_);
    capa->addWidget(frame1);

    setTabOrder(busqueda_, arbol_);
    setTabOrder(arbol_, aceptar_);
    setTabOrder(aceptar_, cancelar_);
    setTabOrder(cancelar_, nueva_);

    connect(aceptar_, &QPushButton::clicked, this, [this] { form_.CmdAceptar_Click(); });
    connect(cancelar_, &QPushButton::clicked, this, [this] { form_.CmdCancelar_Click(); });
    connect(nueva_, &QPushButton::clicked, this, [this] { form_.CmdNueva_Click(); });
    connect(busqueda_, &QLineEdit::textEdited, this,
            [this](const QString& texto) { form_.CmbSearch_Change(Ss(texto)); });
    connect(arbol_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* actual) {
        const int nodo = Nodo(actual);
        if (!aplicando_ && nodo >= 0 && nodo != form_.Seleccionado()) form_.TreeV_NodeClick(nodo);
    });
    connect(arbol_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        const int nodo = Nodo(item);
        if (aplicando_ || nodo < 0 || !form_.CheckBoxes) return;
        const bool marcado = item->checkState(0) == Qt::Checked;
        if (marcado != form_.Nodos()[static_cast<std::size_t>(nodo)].Checked)
            form_.TreeV_NodeCheck(nodo, marcado);
    });
    connect(arbol_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!aplicando_ && Nodo(item) >= 0) form_.TreeV_Expand(Nodo(item), true);
    });
    connect(arbol_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!aplicando_ && Nodo(item) >= 0) form_.TreeV_Expand(Nodo(item), false);
    });
    connect(arbol_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        const int nodo = Nodo(item);
        if (nodo < 0) return;
        if (nodo != form_.Seleccionado()) form_.TreeV_NodeClick(nodo);
        form_.TreeV_DblClick();
    });

    Avisar(AvisoConsulta::Cargada);
    resize(PixelesDeTwips(6000), PixelesDeTwips(6600));
    busqueda_->setFocus(Qt::OtherFocusReason);
}

QTreeWidgetItem* DialogoArbol::Item(int nodo) const {
    if (nodo < 0 || nodo >= static_cast<int>(items_.size())) return nullptr;
    return items_[static_cast<std::size_t>(nodo)];
}

int DialogoArbol::Nodo(const QTreeWidgetItem* item) const {
    if (!item) return -1;
    bool ok = false;
    const int nodo = item->data(0, Qt::UserRole).toInt(&ok);
    return ok && nodo >= 0 && nodo < static_cast<int>(form_.Nodos().size()) ? nodo : -1;
}

void DialogoArbol::Avisar(AvisoConsulta aviso) {
    // What the widgets do while they follow the form is not the operator's doing.
    const QScopedValueRollback<bool> aplicando(aplicando_, true);
    switch (aviso) {
        case AvisoConsulta::Cargada:
            Construye();
            break;
        case AvisoConsulta::Marcas:
            AplicaMarcas();
            break;
        case AvisoConsulta::Seleccion:
            AplicaExpansion();
            AplicaSeleccion();
            break;
        case AvisoConsulta::Busqueda:
            if (busqueda_->text() != Qs(form_.CmbSearch)) busqueda_->setText(Qs(form_.CmbSearch));
            break;
        case AvisoConsulta::Oculta:
            QDialog::done(QDialog::Accepted);
            break;
        default:
            break;
    }
}

void DialogoArbol::Construye() {
    arbol_->clear();
    items_.clear();
    const auto& nodos = form_.Nodos();
    items_.reserve(nodos.size());
    QList<QTreeWidgetItem*> raices;
    for (std::size_t i = 0; i < nodos.size(); ++i) {
        const NodoArbol& n = nodos[i];
        // Nodes come after their parents.
        QTreeWidgetItem* padre = n.Parent >= 0 && static_cast<std::size_t>(n.Parent) < i
                                     ? items_[static_cast<std::size_t>(n.Parent)]
                                     : nullptr;
        auto* item = padre ? new QTreeWidgetItem(padre) : new QTreeWidgetItem();
        item->setText(0, Qs(n.Text));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (form_.CheckBoxes) f |= Qt::ItemIsUserCheckable;
        item->setFlags(f);
        if (form_.CheckBoxes) item->setCheckState(0, n.Checked ? Qt::Checked : Qt::Unchecked);
        if (!padre) raices.append(item);
        items_.push_back(item);
    }
    arbol_->addTopLevelItems(raices);
    AplicaExpansion();
    AplicaSeleccion();
    const QString texto = Qs(form_.CmbSearch);
    if (busqueda_->text() != texto) busqueda_->setText(texto);
}

void DialogoArbol::AplicaMarcas() {
    if (!form_.CheckBoxes) return;
    const auto& nodos = form_.Nodos();
    for (std::size_t i = 0; i < nodos.size() && i < items_.size(); ++i) {
        const Qt::CheckState estado = nodos[i].Checked ? Qt::Checked : Qt::Unchecked;
        if (items_[i]->checkState(0) != estado) items_[i]->setCheckState(0, estado);
    }
}

void DialogoArbol::AplicaExpansion() {
    const auto& nodos = form_.Nodos();
    for (std::size_t i = 0; i < nodos.size() && i < items_.size(); ++i)
        if (items_[i]->isExpanded() != nodos[i].Expanded) items_[i]->setExpanded(nodos[i].Expanded);
}

void DialogoArbol::AplicaSeleccion() {
    QTreeWidgetItem* item = Item(form_.Seleccionado());
    if (item) {
        arbol_->setCurrentItem(item);
        arbol_->scrollToItem(item);
    } else {
        arbol_->clearSelection();
    }
}

bool DialogoArbol::TeclaFormulario(int codigo, int shift) {
    int c = codigo;
    form_.Form_KeyDown(c, shift);
    return c == 0 || !form_.Visible();
}

bool DialogoArbol::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() != QEvent::KeyPress || (objeto != busqueda_ && objeto != arbol_))
        return QDialog::eventFilter(objeto, evento);
    auto* tecla = static_cast<QKeyEvent*>(evento);
    const int codigo = CodigoTeclaConsulta(tecla->key());
    const int shift = ShiftConsulta(tecla->modifiers());
    if (EsTeclaFuncion(codigo)) {
        if (TeclaFormulario(codigo, shift)) return true;
        if (objeto == busqueda_) {
            int c = codigo;
            form_.CmbSearch_KeyDown(c, shift);
        }
        return true;
    }
    if (codigo == kEscape) {
        TeclaFormulario(codigo, shift);
        return true;
    }
    if (codigo == kEnter) {
        if (!TeclaFormulario(codigo, shift)) form_.CmdAceptar_Click();
        return true;
    }
    if (objeto == busqueda_ && (codigo == kAbajo || codigo == kAvPag)) {
        // Down from the box goes on in the tree.
        arbol_->setFocus(Qt::TabFocusReason);
        return true;
    }
    return QDialog::eventFilter(objeto, evento);
}

void DialogoArbol::keyPressEvent(QKeyEvent* evento) {
    const int codigo = CodigoTeclaConsulta(evento->key());
    const int shift = ShiftConsulta(evento->modifiers());
    if (EsTeclaFuncion(codigo) || codigo == kEscape) {
        TeclaFormulario(codigo, shift);
        return;
    }
    if (codigo == kEnter) {
        if (auto* boton = qobject_cast<QPushButton*>(focusWidget()))
            boton->click();
        else if (!TeclaFormulario(codigo, shift))
            form_.CmdAceptar_Click();
        return;
    }
    QDialog::keyPressEvent(evento);
}

void DialogoArbol::reject() {
    if (form_.Visible())
        form_.CmdCancelar_Click();
    else
        QDialog::reject();
}

VistaArbolQt::VistaArbolQt(QWidget* padre, UiQt* puertos) : padre_(padre), puertos_(puertos) {}

void VistaArbolQt::MostrarModal(Lib_FrmCons3Tree& form) {
    DialogoArbol* const anterior = dialogo_;
    QWidget* const padre = anterior ? static_cast<QWidget*>(anterior) : padre_.data();
    DialogoArbol dialogo(form, padre);
    dialogo_ = &dialogo;
    if (puertos_) puertos_->SetPadre(&dialogo);
    if (form.Visible()) dialogo.exec();
    if (puertos_) puertos_->SetPadre(padre);
    dialogo_ = anterior;
}

void VistaArbolQt::Avisar(Lib_FrmCons3Tree& form, AvisoConsulta aviso) {
    if (dialogo_ && &dialogo_->Form() == &form) dialogo_->Avisar(aviso);
}

}  // namespace tamaris::gui
