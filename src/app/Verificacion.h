#pragma once
// Reading a filed file back: every record its width and ended by CR LF, bytes that
// Windows-1252 defines and no control characters; then, with a connection, the reconciliation
// of the file with the records the ledger gives for the same period. Files are read a block at
// a time: memory does not grow with the file.

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
// right width (for the totals). Returns the number of lines.
long RevisaArchivoFiscal(
    const std::string& ruta, std::size_t ancho, Hallazgos& h,
    const std::function<void(std::string_view, std::vector<std::string>&)>& revisaCampos,
    const std::function<std::string(std::string_view)>& comprobante,
    const std::function<void(std::string_view)>& cadaLinea);

// Compares the records of a file with the records the ledger gives, in the ledger's order.
// Records that agree in order cost nothing; the rest are paired by content at the end.
class Conciliacion {
  public:
    explicit Conciliacion(const std::string& ruta) : archivo_(ruta) {}
    void Libro(std::string_view registro);
    // Adds a finding for each ledger record missing from the file and each file line that is
    // no record of the ledger.
    void Termina(Hallazgos& h, const std::function<std::string(std::string_view)>& comprobante);
    long Faltantes() const { return faltantes_; }
    long Sobrantes() const { return sobrantes_; }

  private:
    LectorLineas archivo_;
    std::vector<std::pair<long, std::string>> sobran_;  // file lines that matched nothing in order
    std::vector<std::string> faltan_;                   // ledger records not found in order
    long faltantes_ = 0, sobrantes_ = 0;
};

// What a read-back found, besides its own totals.
struct Verificacion {
    bool conciliado = false;  // compared with the ledger
    long faltantes = 0;       // records of the ledger missing from the file
    long sobrantes = 0;       // lines of the file that are no record of the ledger
    Hallazgos hallazgos;

    // Adds the reconciliation's findings after the file's own.
    void Concilia(Conciliacion& c,
                  const std::function<std::string(std::string_view)>& comprobante) {
        c.Termina(hallazgos, comprobante);
        conciliado = true;
        faltantes = c.Faltantes();
        sobrantes = c.Sobrantes();
    }
};

}  // namespace tamaris
