#pragma once
// What the two export jobs share: the check that runs while a file is being made (its findings
// and modes), and one skeleton for open, check, write and confirm. The skeleton owns the
// progress window (closed on every way out) and the failure convention of the jobs: a failing
// step goes to the error report, which answers 4 (retry), 5 (go on) or anything else (leave).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Disposicion.h"
#include "components/Dinero.h"
#include "components/Numero.h"
#include "components/Pasos.h"
#include "components/Ui.h"
#include "data/DB_Dll.h"

namespace tamaris {

// A voucher that would be filed wrong or incomplete, or a line of a filed file that is wrong.
struct Hallazgo {
    std::string comprobante;  // type, letter, number and date of the voucher
    std::string problema;
    long linea = 0;  // line of a file read back; 0 for a voucher of the ledger
};

// Findings of one run: the first kMaximo are kept, the rest only counted.
struct Hallazgos {
    static constexpr std::size_t kMaximo = 10000;
    std::vector<Hallazgo> lista;
    long total = 0;
    void Agrega(Hallazgo h) {
        // A value of a megabyte must not flood the report.
        if (h.problema.size() > 500) h.problema = Recorta(h.problema, 500);
        if (h.comprobante.size() > 120) h.comprobante = Recorta(h.comprobante, 120);
        ++total;
        if (lista.size() < kMaximo) lista.push_back(std::move(h));
    }
    bool Vacio() const { return total == 0; }
};

// A date typed as DD/MM/YYYY (an empty text is no date and passes). When it is not one, tells the
// operator through `ui` naming the field, and returns false.
bool LeeFechaTipeada(Ui& ui, const std::string& valor, std::string_view campo, int icono,
                     Fecha& fecha);
// The day after `fecha` (its time of day dropped).
Fecha DiaSiguiente(const Fecha& fecha);

// An amount of a summary, as Argentine readers write it ("5.035.116.494,53").
std::string TextoTotal(Importe v);

// "FC A 12 del 05/01/2013: problema" (with "línea N: " first for a file read back).
std::string TextoHallazgo(const Hallazgo& h);

enum class ModoRevision {
    Normal,    // the file is written; the findings are told, and the desktop asks first
    Revisar,   // nothing is written: the job only lists the findings
    Estricto,  // any finding stops the job before the destination is touched
};

struct OpcionesExportacion {
    ModoRevision modo = ModoRevision::Normal;
    // Whether the rows are checked and the totals kept; only the benchmark and the read-back
    // (which needs neither) turn it off.
    bool revisar = true;
    // Normal mode: shown the findings before the new file replaces the older one; false keeps
    // the older file. Unset, the file is written and the findings go with the result.
    std::function<bool(const Hallazgos&)> confirmaHallazgos;
    // Whether the job's closing message carries the totals (the desktop's; the command line
    // prints them itself).
    bool totalesEnMensaje = false;
    // Whether the rows are counted before the run, for a progress bar (a second pass over the
    // selection: only where someone watches the progress).
    bool cuentaFilas = false;
    // Check-only mode: receives the bytes each row would be filed with (the read-back compares
    // them with a filed file).
    std::function<void(std::string_view bytes)> recibeBytes;
};

// The job-specific part of an export.
struct PasosExportacion {
    std::string rutina = "ActualizarDatos";  // routine named in error reports
    std::string tituloProgreso;
    // After the statement returned rows: find the columns, create the temporary file.
    std::function<void(Recordset&)> prepara;
    // Progress message of the current row (optional).
    std::function<void(const Recordset&)> muestraFila;
    // Appends the current row's bytes to `bytes` and returns how many lines they are. When
    // `problemas` is not null, adds to it what the row would be filed with wrong. Throws when the
    // row cannot be filed at all.
    std::function<int(const Recordset&, std::string& bytes, std::vector<std::string>* problemas)>
        arma;
    // The voucher of the current row, for findings.
    std::function<std::string(const Recordset&)> comprobante;
    // Writes one row's bytes; a failure leaves nothing of them written.
    std::function<void(std::string_view bytes)> escribe;
    // After the last row: flush what is pending.
    std::function<void()> vuelca;
    // Adds a finding for each voucher of the ledger that the statement leaves out for a reason
    // other than the operator's filters (no date, a date the platform cannot compare, an amount
    // that is null, an unknown voucher type). Runs with the check, also when no row came.
    std::function<void(Hallazgos&)> revisaOmitidos;
    // The statement that counts the rows of the job's statement, for the progress window
    // (optional; SentenciaCuenta fits statements with at most a final ORDER BY).
    std::function<std::string(std::string_view sql)> cuenta;
};

// "SELECT COUNT(*) FROM (sql) T", with a final ORDER BY of `sql` left out (SQL Server refuses
// one in a derived table).
std::string SentenciaCuenta(std::string_view sql);

enum class FinExportacion {
    Escrito,     // every row went through; the file awaits Confirma
    SinFilas,    // the statement returned no row
    Abandonado,  // the operator left after a failure (already reported)
    Revisado,    // check only: nothing was written
    Descartado,  // findings stopped the job (strict mode, or the operator declined)
    Cancelado,   // the operator stopped the job; nothing was put in place
};

class Exportacion {
  public:
    Exportacion(DB_Dll& db, Ui& ui, PasosExportacion pasos, OpcionesExportacion opciones);
    ~Exportacion();  // closes the progress window if it is still open
    Exportacion(const Exportacion&) = delete;
    Exportacion& operator=(const Exportacion&) = delete;

    void AbreProgreso();
    void CierraProgreso();

    // Runs `sql` forward-only and read-only, builds and checks every row, and writes it
    // (except in Revisar mode). The findings are then weighed as the mode says.
    FinExportacion Ejecuta(std::string sql);
    // Runs the step that puts the file in place; it cannot be skipped. False when the operator
    // left after a failure.
    bool Confirma(const std::function<void()>& paso);
    // Runs one step under the job's failure convention (true when it ran or was skipped).
    bool Paso(const std::function<void()>& paso);

    const Hallazgos& hallazgos() const { return hallazgos_; }
    long Filas() const { return filas_; }        // rows filed
    long Lineas() const { return lineas_; }      // lines (records) filed
    long Omitidas() const { return omitidas_; }  // rows left out by the operator or the check

  private:
    int Trata(const ErrorInfo& e);
    void Cuenta(const std::string& sql);
    bool Fila(Recordset& rs, std::string& bytes, std::vector<std::string>& problemas);

    DB_Dll& db_;
    Ui& ui_;
    PasosExportacion pasos_;
    OpcionesExportacion opciones_;
    Hallazgos hallazgos_;
    bool progresoAbierto_ = false;
    long filas_ = 0, lineas_ = 0, omitidas_ = 0;
};

}  // namespace tamaris
