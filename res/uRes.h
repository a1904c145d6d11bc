#pragma once

#include <QString>

// The program's fixed words and settings names.
namespace uRes {
} // namespace uRes
