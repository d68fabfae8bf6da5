#pragma once
// Reading a filed file back: every record its width and ended by CR LF, bytes that
// Windows-1252 defines and no control characters; then, with a connection, the reconciliation
// of the file with the records the ledger gives for the same period. Files are read a block at
// a time: memory does not grow with the file.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/Disposicion.h"
#include "app/Exportacion.h"

namespace tamaris {

// The lines of a file, one at a time, through a fixed buffer. Throws ErrorTamaris (53) when the
// file cannot be opened or read.
class LectorLineas {
  public:
    enum Final : unsigned char { kCrLf, kSoloLf, kSinFin };
    explicit LectorLineas(const std::string& ruta);
    ~LectorLineas();
    LectorLineas(const LectorLineas&) = delete;
    LectorLineas& operator=(const LectorLineas&) = delete;

    // The next line without its end; false past the last. The view lasts until the next call.
    bool Siguiente(std::string_view& linea, Final& fin);
    // The line Siguiente would give next (`cual` 0), or the one after it (`cual` 1), without
    // taking it; false when there is no such line.
    bool Espia(std::string_view& linea, int cual = 0);
    long Numero() const { return numero_; }  // 1-based number of the last line taken

  private:
    // Makes sure `cuantas` whole lines stand from inicio_ (fewer at the end of the file) and
    // says where each ends; returns how many there are.
    int Busca(int cuantas, std::size_t* lf);
    std::string_view Linea(std::size_t desde, std::size_t lf) const;

    std::FILE* f_ = nullptr;
    std::string ruta_;
    std::string buf_;
    std::size_t inicio_ = 0, fin_ = 0;
    bool agotado_ = false;
    long numero_ = 0;
};

// Checks every line of `ruta`: width `ancho`, CR LF, bytes. `revisaCampos` checks the fields of a
// line of the right width; `comprobante` names its voucher; `cadaLinea` sees every line of the
// right width with its number (for the totals). Returns the number of lines; an empty file is a
// finding.
long RevisaArchivoFiscal(
    const std::string& ruta, std::size_t ancho, Hallazgos& h,
    const std::function<void(std::string_view, std::vector<std::string>&)>& revisaCampos,
    const std::function<std::string(std::string_view)>& comprobante,
    const std::function<void(std::string_view, long)>& cadaLinea);

// Vouchers that stand twice in a file: each voucher's key is kept as a 64-bit hash with its line
// (16 bytes a voucher, whatever the key), and the repeated ones are told at the end.
class Repetidos {
  public:
    void Agrega(std::string_view clave, long linea);
    void Termina(Hallazgos& h);

  private:
    std::vector<std::pair<uint64_t, long>> vistos_;
};

// The same lines or vouchers of a filed file read into typed values, for reconciliation: fields
// that are not what their class writes stay as raw text, so that such a line matches nothing.
std::string ClaveTexto(const ValorCampo& v, bool ok);
// An amount in a reconciled record: its absolute value in ten-thousandths.
std::string MontoConciliado(Importe v);
// A run of digits without its leading zeros ("0" for zeros); other text as it stands: a point
// of sale or a number as both sides compare it, whatever padding each gave it.
std::string SinCeros(std::string_view t);

// A voucher as the reconciliation compares it: its key (type, point of sale or letter, number,
// date) and the rest of what was filed (identifier, amounts), each side written by the
// reader of its own source from typed values, so that equal vouchers give equal records.
struct RegistroConciliado {
    std::string clave;
    std::string resto;
    long linea = 0;  // first line of the file it comes from; 0 for the ledger
};

// Compares the vouchers of a file with the vouchers the ledger gives. Records that agree in
// order cost nothing; the rest are paired at the end, first whole, then by key (a voucher whose
// key agrees but whose identifier or amounts do not is one finding that names the difference).
class Conciliacion {
  public:
    // `archivo` gives the file's records in the file's order; false past the last.
    explicit Conciliacion(std::function<bool(RegistroConciliado&)> archivo)
        : archivo_(std::move(archivo)) {}
    void Libro(RegistroConciliado registro);
    // Adds a finding for each ledger voucher missing from the file, each file voucher that is
    // no voucher of the ledger, and each that differs. `nombra` turns a key into the voucher's
    // name; `difiere` describes how two records of the same key differ.
    void Termina(Hallazgos& h, const std::function<std::string(const std::string&)>& nombra,
                 const std::function<std::string(const RegistroConciliado& archivo,
                                                 const RegistroConciliado& libro)>& difiere);
    long Faltantes() const { return faltantes_; }
    long Sobrantes() const { return sobrantes_; }
    long Distintos() const { return distintos_; }

  private:
    bool Espia(std::size_t cual);
    std::function<bool(RegistroConciliado&)> archivo_;
    std::vector<RegistroConciliado> adelante_;  // file records read ahead
    bool agotado_ = false;
    std::vector<RegistroConciliado> sobran_;  // file records that matched nothing in order
    std::vector<RegistroConciliado> faltan_;  // ledger records not found in order
    long faltantes_ = 0, sobrantes_ = 0, distintos_ = 0;
};

// Reads the ledger with `sql` (the read-back's own plain query), turns each row that the file
// should carry into a record with `deFila` (false for a row the file does not take), pairs them
// with the file's records and adds what the pairing found to `v`. Throws ErrorTamaris when the
// ledger cannot be read; `que` names it in the message.
struct Verificacion;
void ConciliaConLibro(DB_Dll& db, std::string sql, std::string_view que,
                      const std::function<bool(const Recordset&, RegistroConciliado&)>& deFila,
                      Conciliacion& c, Verificacion& v,
                      const std::function<std::string(const std::string&)>& nombra,
                      const std::function<std::string(const RegistroConciliado&,
                                                      const RegistroConciliado&)>& difiere);

// What a read-back found, besides its own totals.
struct Verificacion {
    bool conciliado = false;  // compared with the ledger
    long faltantes = 0;       // records of the ledger missing from the file
    long sobrantes = 0;       // lines of the file that are no record of the ledger
    long distintos = 0;       // vouchers in both whose identifier or amounts differ
    Hallazgos hallazgos;
};

}  // namespace tamaris
