// SPDX-License-Identifier: MIT
// Any scene.words text: the decoder reads it or names the line it cannot
// read, and the words it reads run on the model (drawing included) or are
// refused with a message. A pixel budget keeps one input short.
#include "document/console.h"
#include "rdp/rdp.h"

#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto words = doc::ParseSceneWords(text, &error);
    if (!words) {
        if (error.empty())
            std::abort();
        return 0;
    }
    rdp::Rdp rdp(64 * 1024);
    for (std::size_t i = 0; i < rdp.rdram().size(); ++i)
        rdp.rdram()[i] = static_cast<std::uint8_t>(i * 31 + 7);
    std::vector<rdp::Sample> samples;
    rdp.traceInto(&samples, 64, 64);
    rdp.setPixelBudget(1 << 18);
    try {
        rdp.run(*words);
    } catch (const rdp::Error& e) {
        if (e.what()[0] == '\0')
            std::abort();
    }
    (void)rdp::ReadColorImage(rdp, 64, 64);
    return 0;
}
