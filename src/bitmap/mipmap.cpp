// SPDX-License-Identifier: MIT
#include "mipmap.h"
