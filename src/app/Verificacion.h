#pragma once
// Reading a filed file back: every record its width and ended by CR LF, bytes that
// Windows-1252 defines and no control characters; then, with a connection, the reconciliation
// of the file with the records the ledger gives for the same period.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/Exportacion.h"

namespace tamaris {

// A filed file read whole. Throws ErrorTamaris (53) when it cannot be read.
class ArchivoFiscal {
public:
    // `ancho`: bytes of a record before its CR LF.
    ArchivoFiscal(const std::string& ruta, std::size_t ancho);

    // The records (without their line ends), in order; a line of another width is kept as it
    // is, and reported by Revisa.
    const std::vector<std::string_view>& Lineas() const { return lineas_; }
    // Width, line ends and bytes of every line; `revisaCampos` checks the fields of a line of
    // the right width and adds what is wrong to `problemas`; `comprobante` names its voucher.
    void Revisa(Hallazgos& h,
                const std::function<void(std::string_view, std::vector<std::string>&)>& revisaCampos,
                const std::function<std::string(std::string_view)>& comprobante) const;

private:
    std::string datos_;
    std::size_t ancho_;
    std::vector<std::string_view> lineas_;
    enum Final : unsigned char { kCrLf, kSoloLf, kSinFin };
    std::vector<unsigned char> finales_;  // per line, what ends it
};

// Compares the records of a file with the records the ledger gives, in the ledger's order.
// Records that agree in order cost nothing; the rest are paired by content at the end.
class Conciliacion {
public:
    explicit Conciliacion(const std::vector<std::string_view>& archivo) : archivo_(archivo) {}
    void Libro(std::string_view registro);
    // Adds a finding for each ledger record missing from the file and each file line that is
    // no record of the ledger.
    void Termina(Hallazgos& h, const std::function<std::string(std::string_view)>& comprobante);
    long Faltantes() const { return faltantes_; }
    long Sobrantes() const { return sobrantes_; }

private:
    const std::vector<std::string_view>& archivo_;
    std::size_t i_ = 0;
    std::vector<long> sobran_;          // file lines (0-based) that matched nothing in order
    std::vector<std::string> faltan_;   // ledger records not found in order
    long faltantes_ = 0, sobrantes_ = 0;
};

}  // namespace tamaris
