#include "cli/alphabet_source.h"

#include "common/alphabet_folder.h"
#include "core/persist/archive.h"

#include <filesystem>
#include <stdexcept>

namespace oc_tools {

xcPtrHandle_const<xcOCAlphabet> loadAlphabet(const std::string& path) {
    if (std::filesystem::is_directory(path)) return readAlphabetFolder(path).alphabet;
    if (!std::filesystem::exists(path)) throw std::runtime_error(path + ": no such file");
    xcPtrHandle_const<xcOCAlphabet> alphabet;
    try {
        xcFileArchive in(path, xcFileArchive::eLoading);
        in || alphabet;
    } catch (const xcArchive::IOError& e) {
        throw std::runtime_error(path + ": cannot read: " + e.message());
    } catch (const xcException& e) {
        throw std::runtime_error(path + ": not a readable alphabet archive: " + e.message());
    }
    if (!alphabet) throw std::runtime_error(path + ": the archive holds no alphabet");
    return alphabet;
}

std::size_t storeAlphabet(const xcPtrHandle_const<xcOCAlphabet>& alphabet,
                          const std::string& path) {
    try {
        xcFileArchive out(path, xcFileArchive::eStoring);
        xcPtrHandle_const<xcOCAlphabet> h = alphabet;
        out || h;
        out.close();
    } catch (const xcException& e) {
        throw std::runtime_error(path + ": cannot write: " + e.message());
    }
    return std::size_t(std::filesystem::file_size(path));
}

} // namespace oc_tools
