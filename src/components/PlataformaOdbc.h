#pragma once
// The system's ODBC headers, in the order the system needs them: on Windows they build on the
// types of <windows.h>. Part of the platform module (see Plataforma.h).

#ifdef _WIN32
#include <windows.h>
#endif
// clang-format off
#include <sql.h>
#include <sqlext.h>
// clang-format on
