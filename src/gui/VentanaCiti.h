#pragma once
// The CITI Ventas export window: widgets bound to the headless form FRMSiapCITI. The year and
// the month above, the period they give below, the suite's toolbar on top and the status bar
// with the form's panels at the foot.

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "export_citi/FRMSiapCITI.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tamaris::gui {

class BarraKitobar;

class VentanaCiti : public QMainWindow {
    Q_OBJECT
public:
    // `form` must have been loaded (Load) and outlive the window.
    explicit VentanaCiti(FRMSiapCITI& form, QWidget* padre = nullptr);

    QLineEdit* Caja(int indice) { return cajas_[static_cast<size_t>(indice)]; }
    QComboBox* Meses() { return meses_; }
    BarraKitobar* Barra() { return barra_; }
    // The status-bar panel of key `clave`; nullptr when the form has none.
    QLabel* Panel(std::string_view clave);
    // Copies the widgets' state into the form, and the form's back into the widgets.
    void AFormulario();
    void DesdeFormulario();

public:
    using QMainWindow::focusNextChild;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void showEvent(QShowEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    void Boton(const std::string& clave);
    void EligeMes(int indice);
    void MuestraResultado();
    void Mensaje(const std::string& texto);
    bool TeclaFormulario(int codigo);

    FRMSiapCITI& form_;
    std::function<void(const std::string&)> manejador_;
    BarraKitobar* barra_ = nullptr;
    std::array<QLineEdit*, 3> cajas_{};
    QComboBox* meses_ = nullptr;
    std::vector<QLabel*> paneles_;
    bool cerrando_ = false;
    bool mostrada_ = false;
};

}  // namespace tamaris::gui
