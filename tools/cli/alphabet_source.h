// Alphabets for the tool: from an archive written by `oc train` or straight from a folder.
#pragma once

#include "core/base/handle.h"
#include "oc/oc/alphabet.h"

#include <string>

namespace oc_tools {

// A folder is read with readAlphabetFolder, anything else as an archive holding one alphabet.
// A damaged archive or one holding no alphabet throws std::runtime_error "<path>: <reason>".
xcPtrHandle_const<xcOCAlphabet> loadAlphabet(const std::string& path);

// Writes the alphabet as the archive loadAlphabet reads; returns the file's size in bytes.
std::size_t storeAlphabet(const xcPtrHandle_const<xcOCAlphabet>& alphabet, const std::string& path);

} // namespace oc_tools
