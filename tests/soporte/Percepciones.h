#pragma once
// The perception fixture: a handful of vouchers covering every rule of the file, and the lines
// they must produce.

#include <string>
#include <vector>

#include "soporte/BaseDePrueba.h"

namespace prueba {

inline const std::vector<Asiento>& AsientosFijos() {
    static const std::vector<Asiento> a = {
        {"FC", "2013-01-05", "A", "100000001", "30-71234567-1", "1500.5", "22.51", "112"},
        {"NC", "2013-01-10", "B", "5", "20-12345678-9", "-1000.5", "-15.01", "112"},
        {"ND", "2013-01-20 10:30:00", "C", "7", "27123456780", "200", "3", "113"},
        {"RC", "2013-01-15", "A", "8", "30-71234567-1", "100", "1.5", "112"},
        {"FC", "2013-01-16", "A", "9", "30-71234567-1", "100", "0", "112"},
        {"fc", "2013-02-01", "A", "10", "30-71234567-1", "123456789012.34", "1851851835.19",
         "O'BRIEN"},
        {"FC", "2013-03-01", "B", "11", "30-71234567-1", "0.005", "0.5", "113"},
        {"FC", "2013-01-31 10:30:00", "A", "12", "20-1", "10", "0.15", "112"},
    };
    return a;
}

// Lines of the exported vouchers, by their position in AsientosFijos().
inline const std::string& LineaFija(int asiento) {
    static const std::vector<std::string> l = {
        " 105/01/2013 1A100000001   307123456711500,5         1.5  22,51          ",
        " 110/01/2013 6B5           201234567891000,5         1.5  15,01          ",
        " 120/01/2013 5C7           27123456780200            1.5  3              ",
        "",
        "",
        " 101/02/2013 1A10          30712345671123456789012,341.5  1851851835,19  ",
        " 101/03/2013 1B11          307123456710,005          1.5  0,5            ",
        " 131/01/2013 1A12          201        10             1.5  0,15           ",
    };
    return l.at(static_cast<size_t>(asiento));
}

inline std::string ArchivoEsperado(const std::vector<int>& asientos) {
    std::string s;
    for (int i : asientos) s += LineaFija(i) + "\r\n";
    return s;
}

inline void CreaBasePercepciones(const std::string& archivo) {
    CreaBaseConEsquema(archivo);
    InsertaAsientos(archivo, AsientosFijos());
}

}  // namespace prueba
