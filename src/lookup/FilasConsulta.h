#pragma once
// The cell texts of a list lookup, kept in one buffer: a lookup of many thousand rows costs
// little more than its text (eight bytes per cell besides it), and rows are added as they
// stream from the recordset. Rows keep the order they were added in; the list keeps its
// display order apart.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamaris {

class FilasConsulta {
  public:
    // Removes every row and sets the number of cells of each row to come.
    void Limpiar(int columnas);
    int Columnas() const { return columnas_; }
    int Filas() const { return filas_; }

    // Adds a row; missing cells read as empty, extra ones are dropped.
    void Agregar(const std::vector<std::string>& celdas);
    // Text of a cell; empty for a cell outside the table.
    std::string_view Celda(int fila, int columna) const;
    // Replaces the text of a cell (the old text stays in the buffer until the next Limpiar).
    void Cambiar(int fila, int columna, std::string_view texto);

    // Bytes held, for the memory checks of large lookups.
    std::size_t Bytes() const { return texto_.capacity() + tramos_.capacity() * sizeof(Tramo); }

  private:
    struct Tramo {
        std::uint32_t inicio = 0, largo = 0;
    };
    Tramo Guarda(std::string_view texto);

    std::string texto_;
    std::vector<Tramo> tramos_;
    int columnas_ = 0;
    int filas_ = 0;
};

}  // namespace tamaris
