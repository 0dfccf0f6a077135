// SPDX-License-Identifier: MIT
#pragma once

// Marks a function whose plain loops the compiler should also build for
// AVX2, picking the build at load time where the platform allows it: twice
// the bytes a vector step, and byte shuffles the baseline lacks. Defining
// VELLORA_NO_WIDER_VECTORS builds the baseline alone (to test it on a
// machine that would pick the wider build).
#if defined(__x86_64__) && defined(__has_attribute) && !defined(VELLORA_NO_WIDER_VECTORS)
#if __has_attribute(target_clones)
#define VELLORA_WIDER_VECTORS __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef VELLORA_WIDER_VECTORS
#define VELLORA_WIDER_VECTORS
#endif
