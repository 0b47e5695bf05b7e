#pragma once

// Symbols of libtessin are hidden unless marked; everything a caller of the
// provider library may use carries this mark.
#define TESSIN_API __attribute__((visibility("default")))
