// What the value tests share: gtest, and the number of the error a call
// raises.
#pragma once

#include <gtest/gtest.h>

#include "engine/Variant.h"
#include "support/ErrorOf.h"
