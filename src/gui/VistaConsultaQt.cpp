#include "gui/VistaConsultaQt.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "components/Texto.h"
#include "gui/UiQt.h"

namespace tamaris::gui {

using namespace teclaConsulta;

// ---------------------------------------------------------------------------------------------
// Units and keys

double TwipsPorPixel() {
    const QScreen* pantalla = QGuiApplication::primaryScreen();
    const double dpi = pantalla ? pantalla->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

int PixelesDeTwips(int twips) { return static_cast<int>(std::lround(twips / TwipsPorPixel())); }

int TwipsDePixeles(int pixeles) { return static_cast<int>(std::lround(pixeles * TwipsPorPixel())); }

int CodigoTeclaConsulta(int teclaQt) {
    if (teclaQt >= Qt::Key_F1 && teclaQt <= Qt::Key_F24) return 112 + (teclaQt - Qt::Key_F1);
    switch (teclaQt) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kEnter;
        case Qt::Key_Escape:
            return kEscape;
        case Qt::Key_Backspace:
            return kRetroceso;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Space:
            return kEspacio;
        case Qt::Key_PageUp:
            return kRePag;
        case Qt::Key_PageDown:
            return kAvPag;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return kArriba;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return kAbajo;
        case Qt::Key_Insert:
            return kInsertar;
        case Qt::Key_Delete:
            return kSuprimir;
        default:
            return 0;
    }
}

int ShiftConsulta(Qt::KeyboardModifiers modificadores) {
    int shift = 0;
    if (modificadores & Qt::ShiftModifier) shift |= kShift;
    if (modificadores & Qt::ControlModifier) shift |= 2;
    if (modificadores & Qt::AltModifier) shift |= 4;
    return shift;
}

namespace {

// A colour as the suite stores it (blue-green-red) as a Qt colour.
QColor ColorBgr(std::int64_t bgr) {
    const auto v = static_cast<std::uint32_t>(bgr);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

// The colour of a row; invalid when the row has the list's own.
QColor ColorDeFila(const Variant& color) {
    if (color.EsVacio() || color.EsNulo()) return {};
    if (!color.EsNumero() && Trim(color.Texto()).empty()) return {};
    return ColorBgr(color.Entero());
}

// Characters that typed on the list go on in a search box: the key codes the form copies.
bool CaracterDeLista(char32_t c) { return (c >= 47 && c <= 93) || (c >= 97 && c <= 125); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The rows

ModeloConsulta::ModeloConsulta(Lib_FrmCons3& form, QObject* padre)
    : QAbstractTableModel(padre), form_(form) {
    filas_ = form_.Filas();
    columnas_ = static_cast<int>(form_.Columnas().size());
}

int ModeloConsulta::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : filas_;
}

int ModeloConsulta::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : columnas_;
}

QVariant ModeloConsulta::data(const QModelIndex& indice, int rol) const {
    const int fila = indice.row(), columna = indice.column();
    if (!indice.isValid() || fila >= form_.Filas() ||
        columna >= static_cast<int>(form_.Columnas().size()))
        return {};
    switch (rol) {
        case Qt::DisplayRole:
            return Qs(form_.Celda(fila, columna));
        case Qt::CheckStateRole:
            if (form_.CheckBoxes && columna == 0)
                return form_.Marcada(fila) ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ForegroundRole: {
            const QColor c = ColorDeFila(form_.ColorFila(fila));
            if (c.isValid()) return QBrush(c);
            return {};
        }
        case Qt::FontRole:
            // A coloured row is bold whatever the list's font.
            if (ColorDeFila(form_.ColorFila(fila)).isValid()) return DialogoConsulta::FuenteLista();
            return {};
        default:
            return {};
    }
}

bool ModeloConsulta::setData(const QModelIndex& indice, const QVariant& valor, int rol) {
    if (rol != Qt::CheckStateRole || !indice.isValid() || indice.column() != 0 ||
        !form_.CheckBoxes || indice.row() >= form_.Filas())
        return false;
    form_.ListView1_ItemCheck(indice.row(), valor.toInt() == Qt::Checked);
    return true;
}

namespace {

// A column's caption as a clerk reads it: the suite's column names go without accents
// (Descripcion, Codigo), the caption carries them.
QString TituloColumna(const std::string& texto) {
    static const std::pair<const char*, const char*> kAcentos[] = {{"descripcion", "escripción"},
                                                                   {"codigo", "ódigo"}};
    QString t = Qs(texto);
    for (const auto& [sin, con] : kAcentos) {
        if (t.compare(QString::fromUtf8(sin), Qt::CaseInsensitive) == 0 && !t.isEmpty()) {
            // The first letter keeps its case; the rest as the accented word is written.
            return t.left(1) + QString::fromUtf8(con);
        }
    }
    return t;
}

}  // namespace

QVariant ModeloConsulta::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
    if (orientacion != Qt::Horizontal || seccion < 0 ||
        seccion >= static_cast<int>(form_.Columnas().size()))
        return {};
    const ColumnaConsulta& c = form_.Columnas()[static_cast<std::size_t>(seccion)];
    if (rol == Qt::DisplayRole) return TituloColumna(c.Text);
    if (rol == Qt::ToolTipRole && c.Campo != c.Text) return Qs(c.Campo);
    return {};
}

Qt::ItemFlags ModeloConsulta::flags(const QModelIndex& indice) const {
    if (!indice.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (form_.CheckBoxes && indice.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

void ModeloConsulta::Recargar() {
    beginResetModel();
    filas_ = form_.Filas();
    columnas_ = static_cast<int>(form_.Columnas().size());
    endResetModel();
}

void ModeloConsulta::CambiaronFilas() {
    if (filas_ != form_.Filas() || columnas_ != static_cast<int>(form_.Columnas().size())) {
        Recargar();
        return;
    }
    if (filas_ > 0 && columnas_ > 0)
        emit dataChanged(index(0, 0), index(filas_ - 1, columnas_ - 1));
    if (columnas_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columnas_ - 1);
}

void ModeloConsulta::CambiaronMarcas() {
    if (filas_ != form_.Filas()) {
        Recargar();
        return;
    }
    if (filas_ > 0 && columnas_ > 0)
        emit dataChanged(index(0, 0), index(filas_ - 1, 0), {Qt::CheckStateRole});
}

// ---------------------------------------------------------------------------------------------
// The dialog

QFont DialogoConsulta::FuenteLista() {
    QFont f = QApplication::font();
    f.setPointSize(Lib_FrmCons3::kTamanoFuente);
    f.setBold(true);
    return f;
}

DialogoConsulta::DialogoConsulta(Lib_FrmCons3& form, QWidget* padre)
    : QDialog(padre), form_(form), modelo_(form) {
    setObjectName("Lib_FrmCons3");
    setWindowTitle(Qs(form_.Caption));
    setSizeGripEnabled(true);

    auto* capa = new QVBoxLayout(this);
    capa->setSpacing(2);

    // The search boxes stand over their columns; the panel clips those scrolled out of sight.
    picFields_ = new QWidget(this);
    picFields_->setObjectName("picFields");
    capa->addWidget(picFields_);

    lista_ = new QTreeView(this);
    lista_->setObjectName("ListView1");
    lista_->setModel(&modelo_);
    lista_->setFont(FuenteLista());
    lista_->setRootIsDecorated(false);
    lista_->setItemsExpandable(false);
    lista_->setUniformRowHeights(true);
    lista_->setAllColumnsShowFocus(true);
    lista_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lista_->setSelectionMode(QAbstractItemView::SingleSelection);
    lista_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    lista_->setSortingEnabled(false);  // the form sorts
    QHeaderView* cabecera = lista_->header();
    cabecera->setSectionsClickable(true);
    cabecera->setSectionsMovable(false);
    // Every width is the operator's or the form's: none follows the window.
    cabecera->setStretchLastSection(false);
    cabecera->setSectionResizeMode(QHeaderView::Interactive);
    lista_->installEventFilter(this);
    capa->addWidget(lista_, 1);

    auto* frame1 = new QWidget(this);
    frame1->setObjectName("Frame1");
    auto* botones = new QHBoxLayout(frame1);
    botones->setContentsMargins(0, 4, 0, 0);
    const auto boton = [&](std::string_view texto, const char* nombre) {
        auto* b = new QPushButton(Qs(texto), frame1);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        return b;
    };
    aceptar_ = boton(Lib_FrmCons3::kCaptionAceptar, "CmdAceptar");
    cancelar_ = boton(Lib_FrmCons3::kCaptionCancelar, "CmdCancelar");
    nueva_ = boton(Lib_FrmCons3::kCaptionNueva, "CmdNueva");
    botones->addWidget(aceptar_);
    botones->addStretch(1);
    botones->addWidget(cancelar_);
    botones->addStretch(1);
    botones->addWidget(nueva_);
    nueva_->setVisible(form_.CmdNuevaVisible);
    capa->addWidget(frame1);

    connect(aceptar_, &QPushButton::clicked, this, [this] {
        BusquedaPendiente();
        form_.CmdAceptar_Click();
    });
    connect(cancelar_, &QPushButton::clicked, this, [this] { form_.CmdCancelar_Click(); });
    connect(nueva_, &QPushButton::clicked, this, [this] {
        demora_.stop();
        cajaPendiente_ = -1;
        form_.CmdNueva_Click();
    });

    connect(cabecera, &QHeaderView::sectionClicked, this, [this](int columna) {
        BusquedaPendiente();
        form_.ListView1_ColumnClick(columna);
        // The header flips its arrow by itself; the form's order is the one shown.
        AplicaOrden();
    });
    connect(cabecera, &QHeaderView::sectionResized, this, [this](int columna, int, int ancho) {
        if (!aplicando_) form_.ListView1_ColumnResize(columna, TwipsDePixeles(ancho));
        UbicaCajas();
    });
    connect(cabecera, &QHeaderView::geometriesChanged, this, [this] { UbicaCajas(); });
    connect(lista_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int valor) {
        UbicaCajas();
        if (!aplicando_) form_.HScroll1_Change(TwipsDePixeles(valor));
    });
    connect(lista_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& actual) {
                if (aplicando_ || !actual.isValid() || actual.row() == form_.Seleccionada()) return;
                form_.ListView1_ItemClick(actual.row());
            });
    connect(lista_, &QTreeView::doubleClicked, this, [this](const QModelIndex& indice) {
        if (!indice.isValid()) return;
        if (indice.row() != form_.Seleccionada()) form_.ListView1_ItemClick(indice.row());
        form_.ListView1_DblClick();
    });

    demora_.setSingleShot(true);
    demora_.setInterval(kDemoraMs);
    connect(&demora_, &QTimer::timeout, this, [this] { BusquedaPendiente(); });

    // Everything the form holds already: it was loaded before being shown.
    Avisar(AvisoConsulta::Cargada);

    // The form's size, widened to show every column when the screen has room for them.
    const DisposicionConsulta& d = form_.Disposicion();
    int ancho = PixelesDeTwips(d.Form.Width);
    int columnas = 0;
    for (int i = 0; i < cabecera->count(); ++i) columnas += cabecera->sectionSize(i);
    const int necesario = columnas + 2 * lista_->frameWidth() +
                          lista_->verticalScrollBar()->sizeHint().width() +
                          capa->contentsMargins().left() + capa->contentsMargins().right();
    const QScreen* pantalla = screen();
    const int maximo = pantalla ? pantalla->availableGeometry().width() * 9 / 10 : necesario;
    ancho = std::max(ancho, std::min(necesario, maximo));
    resize(ancho, PixelesDeTwips(d.Form.Height));
}

QLineEdit* DialogoConsulta::Caja(int indice) {
    if (indice < 0 || indice >= Cajas()) return nullptr;
    return cajas_[static_cast<std::size_t>(indice)];
}

void DialogoConsulta::Avisar(AvisoConsulta aviso) {
    // What the widgets do while they follow the form is not the operator's doing.
    const QScopedValueRollback<bool> aplicando(aplicando_, true);
    switch (aviso) {
        case AvisoConsulta::Cargada:
            // A text typed before a reload belongs to the statement that is gone.
            demora_.stop();
            cajaPendiente_ = -1;
            modelo_.Recargar();
            nueva_->setVisible(form_.CmdNuevaVisible);
            setWindowTitle(Qs(form_.Caption));
            CreaCajas();
            RefrescaCajas();
            AplicaAnchos();
            AplicaOrden();
            AplicaSeleccion();
            break;
        case AvisoConsulta::Filas:
            modelo_.CambiaronFilas();
            AplicaOrden();
            break;
        case AvisoConsulta::Marcas:
            modelo_.CambiaronMarcas();
            break;
        case AvisoConsulta::Seleccion:
            AplicaSeleccion();
            break;
        case AvisoConsulta::Busqueda:
            RefrescaCajas();
            break;
        case AvisoConsulta::Foco:
            RefrescaCajas();
            AplicaFoco();
            break;
        case AvisoConsulta::Anchos:
            AplicaAnchos();
            nueva_->setVisible(form_.CmdNuevaVisible);
            break;
        case AvisoConsulta::Oculta:
            QDialog::done(QDialog::Accepted);
            break;
    }
}

void DialogoConsulta::FocoInicial() {
    if (form_.Foco() == Lib_FrmCons3::kFocoLista && Cajas() > 0)
        form_.CmbSearch_GotFocus(0);
    else
        AplicaFoco();
}

void DialogoConsulta::CreaCajas() {
    const int cuantas = static_cast<int>(form_.CmbSearch().size());
    while (Cajas() > cuantas) {
        // The box may be inside one of its own events: it goes once that is over.
        QLineEdit* sobra = cajas_.back();
        cajas_.pop_back();
        sobra->removeEventFilter(this);
        sobra->hide();
        sobra->deleteLater();
    }
    while (Cajas() < cuantas) {
        const int indice = Cajas();
        auto* caja = new QLineEdit(picFields_);
        caja->setObjectName(QString("CmbSearch_%1").arg(indice));
        caja->setAutoFillBackground(true);
        caja->installEventFilter(this);
        connect(caja, &QLineEdit::textEdited, this,
                [this, indice](const QString& texto) { CambioTexto(indice, texto); });
        cajas_.push_back(caja);
    }
    int alto = 0;
    for (QLineEdit* c : cajas_) alto = std::max(alto, c->sizeHint().height());
    picFields_->setFixedHeight(alto);

    // Tab order: the boxes in their form's order, then the list and the buttons.
    std::vector<QLineEdit*> orden = cajas_;
    std::stable_sort(orden.begin(), orden.end(), [this](QLineEdit* a, QLineEdit* b) {
        const auto tab = [this](QLineEdit* c) {
            const auto i = static_cast<std::size_t>(IndiceCaja(c));
            return i < form_.CmbSearch().size() ? form_.CmbSearch()[i].TabIndex : 0;
        };
        return tab(a) < tab(b);
    });
    QWidget* anterior = nullptr;
    for (QWidget* w : orden) {
        if (anterior) setTabOrder(anterior, w);
        anterior = w;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{lista_, aceptar_, cancelar_, nueva_}) {
        if (anterior) setTabOrder(anterior, w);
        anterior = w;
    }
}

void DialogoConsulta::RefrescaCajas() {
    const auto& modelos = form_.CmbSearch();
    for (int i = 0; i < Cajas() && i < static_cast<int>(modelos.size()); ++i) {
        const CajaBusqueda& m = modelos[static_cast<std::size_t>(i)];
        QLineEdit* caja = cajas_[static_cast<std::size_t>(i)];
        // A text still waiting for the pause is newer than the form's.
        if (i != cajaPendiente_) {
            const QString texto = Qs(m.Text);
            if (caja->text() != texto) caja->setText(texto);
        }
        caja->setToolTip(Qs(m.ToolTipText));
        caja->setPlaceholderText(Qs(m.Etiqueta));
        caja->setAccessibleName(Qs(m.Etiqueta));
        caja->setVisible(m.Visible);
        QPalette paleta = caja->palette();
        const QColor fondo = ColorBgr(m.BackColor);
        if (paleta.color(QPalette::Base) != fondo) {
            paleta.setColor(QPalette::Base, fondo);
            caja->setPalette(paleta);
        }
    }
}

void DialogoConsulta::UbicaCajas() {
    const QHeaderView* cabecera = lista_->header();
    const int origen = picFields_->mapFrom(this, lista_->viewport()->mapTo(this, QPoint(0, 0))).x();
    for (int i = 0; i < Cajas(); ++i) {
        QLineEdit* caja = cajas_[static_cast<std::size_t>(i)];
        if (i >= cabecera->count()) {
            caja->setGeometry(0, 0, 0, 0);
            continue;
        }
        caja->setGeometry(origen + cabecera->sectionViewportPosition(i), 0,
                          cabecera->sectionSize(i), picFields_->height());
    }
}

void DialogoConsulta::AplicaAnchos() {
    QHeaderView* cabecera = lista_->header();
    const auto& columnas = form_.Columnas();
    {
        const QScopedValueRollback<bool> aplicando(aplicando_, true);
        for (int i = 0; i < cabecera->count() && i < static_cast<int>(columnas.size()); ++i) {
            const int ancho = PixelesDeTwips(columnas[static_cast<std::size_t>(i)].Width);
            if (cabecera->sectionSize(i) != ancho) cabecera->resizeSection(i, ancho);
        }
    }
    UbicaCajas();
}

void DialogoConsulta::AplicaOrden() {
    QHeaderView* cabecera = lista_->header();
    cabecera->setSortIndicatorShown(form_.Ordenada());
    if (form_.Ordenada())
        cabecera->setSortIndicator(form_.ClaveOrden(),
                                   form_.Descendente() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void DialogoConsulta::AplicaSeleccion() {
    const int fila = form_.Seleccionada();
    const QScopedValueRollback<bool> aplicando(aplicando_, true);
    if (fila >= 0 && fila < modelo_.rowCount()) {
        const QModelIndex indice = modelo_.index(fila, 0);
        lista_->selectionModel()->setCurrentIndex(
            indice, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        // Only the rows scroll: the columns stay under the box the operator is typing in.
        QScrollBar* horizontal = lista_->horizontalScrollBar();
        const int x = horizontal->value();
        lista_->scrollTo(indice);
        horizontal->setValue(x);
    } else {
        lista_->selectionModel()->clear();
    }
}

void DialogoConsulta::AplicaFoco() {
    const int foco = form_.Foco();
    QWidget* destino =
        foco == Lib_FrmCons3::kFocoLista ? static_cast<QWidget*>(lista_) : Caja(foco);
    if (!destino) return;
    {
        const QScopedValueRollback<bool> aplicando(aplicando_, true);
        if (!destino->hasFocus()) destino->setFocus(Qt::OtherFocusReason);
    }
    if (foco != Lib_FrmCons3::kFocoLista) MuestraColumna(foco);
}

void DialogoConsulta::MuestraColumna(int columna) {
    const QHeaderView* cabecera = lista_->header();
    if (columna < 0 || columna >= cabecera->count()) return;
    QScrollBar* horizontal = lista_->horizontalScrollBar();
    const int inicio = cabecera->sectionPosition(columna);
    const int fin = inicio + cabecera->sectionSize(columna);
    const int visible = lista_->viewport()->width();
    if (inicio < horizontal->value())
        horizontal->setValue(inicio);
    else if (fin > horizontal->value() + visible)
        horizontal->setValue(std::min(inicio, fin - visible));
}

void DialogoConsulta::CambioTexto(int caja, const QString& texto) {
    if (cajaPendiente_ >= 0 && cajaPendiente_ != caja) BusquedaPendiente();
    if (form_.Filas() <= kFilasSinDemora) {
        form_.CmbSearch_Change(caja, Ss(texto));
        return;
    }
    cajaPendiente_ = caja;
    textoPendiente_ = texto;
    demora_.start();
}

void DialogoConsulta::BusquedaPendiente() {
    if (cajaPendiente_ < 0) return;
    demora_.stop();
    const int caja = cajaPendiente_;
    cajaPendiente_ = -1;
    form_.CmbSearch_Change(caja, Ss(textoPendiente_));
}

int DialogoConsulta::IndiceCaja(QObject* objeto) const {
    for (std::size_t i = 0; i < cajas_.size(); ++i)
        if (cajas_[i] == objeto) return static_cast<int>(i);
    return -1;
}

bool DialogoConsulta::TeclaFormulario(int codigo, int shift) {
    int c = codigo;
    form_.Form_KeyDown(c, shift);
    return c == 0 || !form_.Visible();
}

bool DialogoConsulta::TeclaCaja(int caja, QKeyEvent* evento) {
    const int codigo = CodigoTeclaConsulta(evento->key());
    const int shift = ShiftConsulta(evento->modifiers());
    if (EsTeclaFuncion(codigo)) {
        BusquedaPendiente();
        if (TeclaFormulario(codigo, shift)) return true;
        int c = codigo;
        form_.CmbSearch_KeyDown(caja, c, shift);
        return true;
    }
    switch (codigo) {
        case kEscape:
            TeclaFormulario(codigo, shift);
            return true;
        case kEnter:
            BusquedaPendiente();
            if (TeclaFormulario(codigo, shift)) return true;
            form_.CmdAceptar_Click();
            return true;
        case kArriba:
        case kAbajo:
        case kRePag:
        case kAvPag: {
            BusquedaPendiente();
            if (TeclaFormulario(codigo, shift)) return true;
            int c = codigo;
            form_.CmbSearch_KeyDown(caja, c, shift);
            return true;
        }
        default:
            return false;
    }
}

bool DialogoConsulta::TeclaLista(QKeyEvent* evento) {
    const int codigo = CodigoTeclaConsulta(evento->key());
    const int shift = ShiftConsulta(evento->modifiers());
    // Function keys are the form's; the list would take F1 to F12 for letters.
    if (EsTeclaFuncion(codigo) || codigo == kEscape) {
        TeclaFormulario(codigo, shift);
        return true;
    }
    switch (codigo) {
        case kEnter:
        case kInsertar:
        case kSuprimir:
        case kRetroceso: {
            if (TeclaFormulario(codigo, shift)) return true;
            int c = codigo;
            form_.ListView1_KeyDown(c, shift);
            return true;
        }
        case kEspacio:
            if (form_.CheckBoxes) {
                // The list ticks the current row, whichever cell has the focus.
                const int fila = form_.Seleccionada();
                if (fila >= 0 && fila < modelo_.rowCount())
                    modelo_.setData(modelo_.index(fila, 0),
                                    form_.Marcada(fila) ? Qt::Unchecked : Qt::Checked,
                                    Qt::CheckStateRole);
                return true;
            } else {
                int c = codigo;
                form_.ListView1_KeyDown(c, shift);
                return true;
            }
        case 0:
            break;
        default:
            return false;  // moving about the list is the view's
    }
    if (evento->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    const QString texto = evento->text();
    if (texto.size() != 1) return false;
    const char32_t c = texto[0].unicode();
    if (!CaracterDeLista(c)) return false;
    int codigoCaracter = static_cast<int>(c);
    form_.ListView1_KeyDown(codigoCaracter, shift);
    return true;
}

bool DialogoConsulta::eventFilter(QObject* objeto, QEvent* evento) {
    const int caja = IndiceCaja(objeto);
    switch (evento->type()) {
        case QEvent::KeyPress: {
            auto* tecla = static_cast<QKeyEvent*>(evento);
            if (caja >= 0) return TeclaCaja(caja, tecla);
            if (objeto == lista_) return TeclaLista(tecla);
            break;
        }
        case QEvent::FocusIn: {
            if (aplicando_) break;
            if (caja >= 0) {
                if (caja != cajaPendiente_) BusquedaPendiente();
                form_.CmbSearch_GotFocus(caja);
                // Coming back to the window leaves the columns where the operator put them.
                if (static_cast<QFocusEvent*>(evento)->reason() != Qt::ActiveWindowFocusReason)
                    MuestraColumna(caja);
            } else if (objeto == lista_) {
                BusquedaPendiente();
                form_.ListView1_GotFocus();
            }
            break;
        }
        case QEvent::FocusOut: {
            auto* foco = static_cast<QFocusEvent*>(evento);
            // Another window taking the focus is not the operator leaving the box.
            if (aplicando_ || caja < 0 || foco->reason() == Qt::ActiveWindowFocusReason ||
                foco->reason() == Qt::PopupFocusReason)
                break;
            BusquedaPendiente();
            form_.CmbSearch_LostFocus(caja);
            break;
        }
        default:
            break;
    }
    return QDialog::eventFilter(objeto, evento);
}

void DialogoConsulta::keyPressEvent(QKeyEvent* evento) {
    const int codigo = CodigoTeclaConsulta(evento->key());
    const int shift = ShiftConsulta(evento->modifiers());
    if (EsTeclaFuncion(codigo) || codigo == kEscape) {
        TeclaFormulario(codigo, shift);
        return;
    }
    if (codigo == kEnter) {
        // A button with the focus takes Enter; anywhere else it accepts.
        if (auto* boton = qobject_cast<QPushButton*>(focusWidget())) {
            boton->click();
        } else if (!TeclaFormulario(codigo, shift)) {
            BusquedaPendiente();
            form_.CmdAceptar_Click();
        }
        return;
    }
    QDialog::keyPressEvent(evento);
}

void DialogoConsulta::resizeEvent(QResizeEvent* evento) {
    QDialog::resizeEvent(evento);
    form_.Form_Resize(TwipsDePixeles(width()), TwipsDePixeles(height()));
    UbicaCajas();
}

void DialogoConsulta::reject() {
    // The close box: the form cancels, and its hiding ends the dialog.
    if (form_.Visible())
        form_.CmdCancelar_Click();
    else
        QDialog::reject();
}

// ---------------------------------------------------------------------------------------------
// The presenter

VistaConsultaQt::VistaConsultaQt(QWidget* padre, UiQt* puertos)
    : padre_(padre), puertos_(puertos) {}

void VistaConsultaQt::MostrarModal(Lib_FrmCons3& form) {
    // A lookup opened from within another one goes on top of it and gives it back afterwards.
    DialogoConsulta* const anterior = dialogo_;
    QWidget* const padre = anterior ? static_cast<QWidget*>(anterior) : padre_.data();
    DialogoConsulta dialogo(form, padre);
    dialogo_ = &dialogo;
    if (puertos_) puertos_->SetPadre(&dialogo);
    dialogo.FocoInicial();
    if (form.Visible()) dialogo.exec();
    if (puertos_) puertos_->SetPadre(padre);
    dialogo_ = anterior;
}

void VistaConsultaQt::Avisar(Lib_FrmCons3& form, AvisoConsulta aviso) {
    if (dialogo_ && &dialogo_->Form() == &form) dialogo_->Avisar(aviso);
}

int VistaConsultaQt::AnchoTexto(std::string_view texto) {
    const QFontMetrics medidas(DialogoConsulta::FuenteLista());
    return TwipsDePixeles(medidas.horizontalAdvance(Qs(texto)));
}

}  // namespace tamaris::gui
