#pragma once

// Every value class.

#include "tessin/contracts/value_binary.hpp"
#include "tessin/contracts/value_boolean.hpp"
#include "tessin/contracts/value_datetime.hpp"
#include "tessin/contracts/value_enum.hpp"
#include "tessin/contracts/value_error.hpp"
#include "tessin/contracts/value_geometry.hpp"
#include "tessin/contracts/value_integer.hpp"
#include "tessin/contracts/value_null.hpp"
#include "tessin/contracts/value_object.hpp"
#include "tessin/contracts/value_real.hpp"
#include "tessin/contracts/value_string.hpp"
#include "tessin/contracts/value_timespan.hpp"
#include "tessin/contracts/value_utf16.hpp"
