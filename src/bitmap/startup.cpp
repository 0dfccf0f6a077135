// SPDX-License-Identifier: MIT
#include "startup.h"
