// Fuzz target: the tools' reader of PGM and PNG files on bytes. Its documented failure is
// std::runtime_error; anything else escaping, or an image without pels, is a fault.
#include "common/image_file.h"
#include "fuzz/fuzz_support.h"

#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        const xcPelBuffer<unsigned char> img = oc_tools::decodeImage(bytes, "input");
        if (img.width() < 1 || img.height() < 1) oc_fuzz::fault("an image without pels");
    } catch (const std::runtime_error&) {
    }
    return 0;
}
