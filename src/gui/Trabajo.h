#pragma once
// The program's one job at a time. A job runs on the event loop's thread and lets the loop run
// while it works (to repaint its progress window), so keys and clicks reach the windows in the
// middle of it: nothing may start a second job, nor change the filters the first one read.

#include <QMainWindow>
#include <functional>

#include "components/Kitobar.h"

namespace tamaris::gui {

class BarraKitobar;

namespace trabajo {

// Whether a job is running.
bool EnCurso();

// Runs `job` unless another is running (then returns false at once). While it runs, the
// window's own widgets are disabled and its toolbar offers Cancelar alone; afterwards they are
// as they were.
bool Ejecuta(QMainWindow& ventana, Kitobar& modelo, BarraKitobar& barra,
             const std::function<void()>& job);

// The operator asked to stop the job: "¿Cancelar la generación?"; yes marks it cancelled (it
// stops at its next row). Returns whether it was marked.
bool PideCancelar(QWidget* padre);

// Whether the running job was cancelled.
bool Cancelado();

// Outside a job: a cancel that ended a wait for a locked database is spent.
void OlvidaCancelacion();

}  // namespace trabajo
}  // namespace tamaris::gui
