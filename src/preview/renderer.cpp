// SPDX-License-Identifier: MIT
#include "renderer.h"
