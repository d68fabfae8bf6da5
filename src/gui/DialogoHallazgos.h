#pragma once
// The window that lists what the check found before a file replaces the older one: one row a
// finding (voucher, problem), sortable by either column and copyable, with "Generar igual" and
// "Cancelar".

#include <QDialog>

#include "app/Exportacion.h"

class QTableWidget;

namespace tamaris::gui {

class DialogoHallazgos : public QDialog {
    Q_OBJECT
  public:
    DialogoHallazgos(const Hallazgos& hallazgos, QWidget* padre = nullptr);
    // The findings as tab-separated text, one a line, in the order shown.
    QString Texto() const;
    QTableWidget* Tabla() const { return tabla_; }

  private:
    QTableWidget* tabla_;
};

// Shows the findings; true when the operator chose "Generar igual".
bool ConfirmaHallazgos(QWidget* padre, const Hallazgos& hallazgos);

}  // namespace tamaris::gui
