#pragma once

// Symbols of liborvel are hidden unless marked with this.
#define ORVEL_API __attribute__((visibility("default")))
