#pragma once
// The registry of the files the program writes and reads back, by name.

#include <string_view>
#include <vector>

#include "app/Trabajo.h"

namespace tamaris {

const std::vector<const TrabajoArchivo*>& Trabajos();
// The job of that name; nullptr when there is none.
const TrabajoArchivo* BuscaTrabajo(std::string_view nombre);

}  // namespace tamaris
