// LogApi, the logging state's table of 26 functions, is declared with the layer's other
// boundary records; this header is where it is found by its name.
#pragma once

#include "sdk/base/BoundaryRecords.h"
