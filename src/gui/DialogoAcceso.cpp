#include "gui/DialogoAcceso.h"

#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <array>

#include "gui/UiQt.h"
#include "gui/VentanaForm1.h"

namespace tamaris::gui {

namespace {

// Twips per pixel at the 96 dpi the suite's forms are drawn for.
constexpr int kTwipsPorPixel = 15;

QRect Pantalla(QWidget* cerca) {
    QScreen* s = cerca && cerca->screen() ? cerca->screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
}

class VentanaAcceso : public QDialog {
public:
    VentanaAcceso(frmAcceso& form, QWidget* padre) : QDialog(padre), form_(form) {
        setObjectName("frmAcceso");
        setWindowTitle(Qs(form_.Caption));
        setModal(true);

        auto* marco = new QGroupBox(this);
        marco->setObjectName("framAcceso");
        auto* rejilla = new QGridLayout(marco);
        QFont courier = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        courier.setFamilies({"Courier New", "Courier", courier.family()});

        struct Campo {
            const char* nombre;
            const char* etiqueta;
            CampoAcceso& modelo;
        };
        const std::array<Campo, 4> campos = {{{"TxtUserId", "lbUsuario", form_.TxtUserId},
                                              {"TxtUserPassword", "lbcontrasena", form_.TxtUserPassword},
                                              {"TxtDbName", "Label1", form_.TxtDbName},
                                              {"TxtServidor", "Label2", form_.TxtServidor}}};
        int fila = 0;
        for (const Campo& c : campos) {
            auto* etiqueta = new QLabel(Qs(c.modelo.Etiqueta), marco);
            etiqueta->setObjectName(c.etiqueta);
            etiqueta->setFont(courier);
            auto* caja = new QLineEdit(Qs(c.modelo.Text), marco);
            caja->setObjectName(c.nombre);
            caja->setMinimumWidth(180);
            if (c.modelo.PasswordChar != '\0') {
                caja->setEchoMode(QLineEdit::Password);
                caja->setStyleSheet(QString("lineedit-password-character: %1")
                                        .arg(static_cast<int>(c.modelo.PasswordChar)));
            }
            etiqueta->setBuddy(caja);
            CampoAcceso* modelo = &c.modelo;
            connect(caja, &QLineEdit::textEdited, this,
                    [modelo](const QString& t) { modelo->Text = Ss(t); });
            rejilla->addWidget(etiqueta, fila, 0);
            rejilla->addWidget(caja, fila, 1);
            cajas_[static_cast<size_t>(fila)] = {caja, modelo};
            ++fila;
        }
        plataforma_ = new QComboBox(marco);
        plataforma_->setObjectName("CboPlataformaDB");
        for (const auto& p : form_.CboPlataformaDB) plataforma_->addItem(Qs(p));
        plataforma_->setCurrentIndex(form_.CboPlataformaDB_ListIndex);
        connect(plataforma_, &QComboBox::currentIndexChanged, this,
                [this](int i) { form_.CboPlataformaDB_Click(i); });
        rejilla->addWidget(plataforma_, fila, 1);

        aceptar_ = new QPushButton(Qs(frmAcceso::kCaptionAceptar), this);
        aceptar_->setObjectName("bcAceptar");
        aceptar_->setDefault(true);
        cancelar_ = new QPushButton(Qs(frmAcceso::kCaptionCancelar), this);
        cancelar_->setObjectName("bcCancelar");
        connect(aceptar_, &QPushButton::clicked, this, [this] {
            Copia();
            form_.bcAceptar_Click();
            Termina();
        });
        connect(cancelar_, &QPushButton::clicked, this, [this] {
            form_.bcCancelar_Click();
            Termina();
        });

        auto* botones = new QHBoxLayout;
        botones->addStretch(1);
        botones->addWidget(aceptar_);
        botones->addWidget(cancelar_);
        auto* capa = new QVBoxLayout(this);
        capa->addWidget(marco);
        capa->addLayout(botones);
        capa->setSizeConstraint(QLayout::SetFixedSize);

        for (size_t i = 0; i + 1 < cajas_.size(); ++i)
            setTabOrder(cajas_[i].caja, cajas_[i + 1].caja);
        setTabOrder(cajas_.back().caja, plataforma_);
        setTabOrder(plataforma_, aceptar_);
        setTabOrder(aceptar_, cancelar_);
        cajas_.front().caja->setFocus();
    }

    // Places the dialog where the form put itself, in the form's twips; the form is told the
    // dialog's real size first so that it centres what is shown.
    void Coloca(QWidget* cerca) {
        adjustSize();
        form_.Width = width() * kTwipsPorPixel;
        form_.Height = height() * kTwipsPorPixel;
        form_.Form_Load();
        const QRect pantalla = Pantalla(cerca);
        move(pantalla.left() + form_.Left / kTwipsPorPixel,
             pantalla.top() + form_.Top / kTwipsPorPixel);
    }

protected:
    void keyPressEvent(QKeyEvent* evento) override {
        // Enter anywhere but on a button accepts and Escape cancels: the form decides.
        int codigo = CodigoTecla(evento->key());
        if (codigo == tecla::kEnter || codigo == tecla::kEscape) {
            Copia();
            // The suite's shift mask: 1 Shift, 2 Ctrl, 4 Alt.
            form_.Form_KeyDown(codigo, (evento->modifiers().toInt() >> 25) & 7);
            if (!form_.Visible()) {
                Termina();
                return;
            }
        }
        QDialog::keyPressEvent(evento);
    }

    void reject() override {
        // The close box: the form counts it as "Cancelar".
        if (form_.Visible()) form_.bcCancelar_Click();
        Termina();
    }

private:
    void Copia() {
        for (auto& c : cajas_) c.modelo->Text = Ss(c.caja->text());
        form_.CboPlataformaDB_Click(plataforma_->currentIndex());
    }
    void Termina() { done(form_.Aceptar ? QDialog::Accepted : QDialog::Rejected); }

    struct Caja {
        QLineEdit* caja = nullptr;
        CampoAcceso* modelo = nullptr;
    };
    frmAcceso& form_;
    std::array<Caja, 4> cajas_{};
    QComboBox* plataforma_ = nullptr;
    QPushButton* aceptar_ = nullptr;
    QPushButton* cancelar_ = nullptr;
};

}  // namespace

void DialogoAcceso::MostrarModal(frmAcceso& dialogo) {
    VentanaAcceso ventana(dialogo, padre_);
    ventana.Coloca(padre_);
    ventana.exec();
}

int DialogoAcceso::AnchoPantalla() { return Pantalla(padre_).width() * kTwipsPorPixel; }
int DialogoAcceso::AltoPantalla() { return Pantalla(padre_).height() * kTwipsPorPixel; }

}  // namespace tamaris::gui
