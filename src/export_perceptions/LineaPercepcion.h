#pragma once
// The perception file's line: nine fields, 73 characters, taken from one row of the perception
// query (columns C1 to C9).

#include <array>
#include <string>

#include "components/Regional.h"
#include "data/Recordset.h"

namespace tamaris {

constexpr int kAnchoLineaPercepcion = 73;

class LineaPercepcion {
public:
    // Finds the nine columns by name; throws ErrorBD 3265 when one is missing.
    explicit LineaPercepcion(Recordset& rs, Regional regional = Regional{});

    // Builds the current row's line into `linea` (replacing its contents). Throws ErrorTamaris
    // 94 when a value needed as text is null, naming the voucher.
    void Arma(const Recordset& rs, std::string& linea);

    // The row's C1 value as text (shown in the progress window).
    const std::string& C1() const { return c1_; }

private:
    std::array<int, 9> col_{};
    Regional regional_;
    std::string c1_, aux_, cuit_;
};

}  // namespace tamaris
