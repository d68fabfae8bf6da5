#pragma once
// The Oracle dialect, for the dialect factory.

#include <memory>

#include "data/dialectos/Dialecto.h"

namespace tamaris {

std::unique_ptr<Dialecto> CreaDialectoOracle();

}  // namespace tamaris
