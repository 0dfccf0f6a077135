// SPDX-License-Identifier: MIT
// Any command stream: the model must run it or refuse a word with a message,
// and a refused word must leave TMEM as it was. The first two bytes choose
// the RDRAM size (0 to 64 KB, so loads both fit and run past the end); the
// rest are 64-bit words, big-endian. After each word a few texels are read
// through the tile the word names.
#include "rdp/rdp.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellora::rdp;
    if (size < 2)
        return 0;
    const std::size_t rdramBytes =
        (static_cast<std::size_t>(data[0]) << 8 | data[1]) * 16u % (64u * 1024u + 16u);
    Rdp rdp(rdramBytes);
    rdp.setPixelBudget(1 << 18); // drawn primitives: a quarter of a million pixels at most
    for (std::size_t i = 0; i < rdramBytes; ++i)
        rdp.rdram()[i] = static_cast<std::uint8_t>(i * 31 + 7);

    // A single load walks up to a million words; 64 commands keep one input
    // well under a second.
    const std::size_t count = std::min<std::size_t>((size - 2) / 8, 64);
    for (std::size_t w = 0; w < count; ++w) {
        std::uint64_t word = 0;
        for (std::size_t b = 0; b < 8; ++b)
            word = word << 8 | data[2 + w * 8 + b];
        const auto before = rdp.tmem();
        try {
            rdp.execute(word);
        } catch (const Error& error) {
            if (error.what()[0] == '\0' || rdp.tmem() != before)
                std::abort();
        }
        const int tile = static_cast<int>((word >> 24) & 7);
        const int s = static_cast<int>(static_cast<std::int16_t>(word >> 8));
        const int t = static_cast<int>(static_cast<std::int16_t>(word >> 40));
        for (TlutMode mode : {TlutMode::None, TlutMode::Rgba16, TlutMode::Ia16}) {
            try {
                (void)rdp.fetch(tile, s, t, mode);
                (void)rdp.texelAt(tile, s, t, mode);
            } catch (const Error&) {
                if (rdp.tile(tile).fmt != 1) // only YUV tiles are refused
                    std::abort();
            }
        }
    }
    return 0;
}
