// SPDX-License-Identifier: MIT
#include "bmpreader.h"
