#pragma once
// The perception export window: widgets bound to the headless form Form1.

#include <QMainWindow>
#include <array>

#include "export_perceptions/Form1.h"

class QLineEdit;
class QPushButton;
class QGroupBox;
class QLabel;

namespace tamaris::gui {

class BarraKitobar;

// Key codes of the suite's forms for a Qt key event (function keys 0x70.., Enter 13, …); 0
// for keys the forms do not look at.
int CodigoTecla(int teclaQt);

class VentanaForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `form` must have been loaded (Load) and outlive the window.
    explicit VentanaForm1(Form1& form, QWidget* padre = nullptr);

    QLineEdit* Caja(int indice) { return cajas_[static_cast<size_t>(indice)]; }
    BarraKitobar* Barra() { return barra_; }
    // Copies the widgets' texts into the form, and the form's back into the widgets.
    void AFormulario();
    void DesdeFormulario();

public:
    using QMainWindow::focusNextChild;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void Boton(const std::string& clave);
    void MuestraResultado();
    bool TeclaFormulario(int codigo);

    Form1& form_;
    std::function<void(const std::string&)> manejador_;
    BarraKitobar* barra_ = nullptr;
    std::array<QLineEdit*, 4> cajas_{};
    QPushButton* command1_ = nullptr;
    bool cerrando_ = false;
};

}  // namespace tamaris::gui
