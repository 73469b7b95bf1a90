#include "common/alphabet_folder.h"
#include "common/image_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

using oc_tools::decodeImage;

// A 2 x 1 grey PNG (10, 250) and a 2 x 1 RGB PNG (red, blue), written by zlib by hand.
const std::string kGreyPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00"
    "\x00\x01\x08\x00\x00\x00\x00\xd1\x49\x20\x56\x00\x00\x00\x0b\x49\x44\x41\x54\x78\x9c\x63"
    "\xe0\xfa\x05\x00\x01\x11\x01\x05\x49\x8b\xe2\x5b\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42"
    "\x60\x82",
    68);
const std::string kRgbPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00"
    "\x00\x01\x08\x02\x00\x00\x00\x7b\x40\xe8\xdd\x00\x00\x00\x0d\x49\x44\x41\x54\x78\x9c\x63"
    "\xf8\xcf\x00\x04\xff\x01\x07\x00\x01\xff\xe2\x23\x9e\x59\x00\x00\x00\x00\x49\x45\x4e\x44"
    "\xae\x42\x60\x82",
    70);

std::string errorOf(const std::string& bytes) {
    try {
        decodeImage(bytes, "f");
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

TEST(ToolsImageFile, DecodesPgmAndPng) {
    const struct {
        std::string bytes;
        unsigned char first, second;
    } cases[] = {
        {std::string("P5 2 1 255\n\x0a\xfa", 13), 10, 250},
        {"P2\n# comment\n2 1\n15\n0 15\n", 0, 255},
        {"P2 2 1 4 1 3", 64, 191}, // scaled to 0..255, rounded
        {kGreyPng, 10, 250},
        {kRgbPng, 76, 29}, // (299 R + 587 G + 114 B) / 1000
    };
    for (const auto& c : cases) {
        const xcPelBuffer<unsigned char> img = decodeImage(c.bytes, "f");
        ASSERT_EQ(img.width(), 2) << c.bytes;
        ASSERT_EQ(img.height(), 1);
        EXPECT_EQ(img.rowPointer(0)[0], c.first) << c.bytes;
        EXPECT_EQ(img.rowPointer(0)[1], c.second) << c.bytes;
    }
}

TEST(ToolsImageFile, MalformedFilesGiveOneMessage) {
    std::string badCrc = kGreyPng;
    badCrc[30] ^= 1;
    const struct {
        std::string bytes, message;
    } cases[] = {
        {"", "f: not a PGM (P5, P2) or PNG image"},
        {"P6 2 1 255\nabcdef", "f: not a PGM (P5, P2) or PNG image"},
        {"P5 2 x 255\n", "f: bad PGM header"},
        {"P5 0 1 255\n", "f: bad PGM header"},
        {"P5 2 1 65535\nabcd", "f: PGM with more than 8 bits per pel"},
        {"P5 2 2 255\nabc", "f: truncated PGM: the header promises 2 x 2 pels"},
        {"P5 100000 100000 255\nab", "f: PGM image too large"},
        {"P2 2 2 9 1 2 3", "f: truncated PGM: the header promises 2 x 2 pels"},
        {"P2 2 2 9 1 2 3 x", "f: truncated PGM: pel values end early"},
        {"P2 2 1 9 1 10", "f: PGM value above its maximum"},
        {kGreyPng.substr(0, 50), "f: bad PNG"},
        {badCrc, "f: bad PNG"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(c.bytes).substr(0, c.message.size()), c.message) << c.bytes;
}

TEST(ToolsAlphabetFolder, ReadsModelsAndRefusesBadEntries) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        (std::string("oc_tools_folder") + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto write = [&](const std::string& json) {
        std::ofstream(dir / "alphabet.json") << json;
    };
    const auto error = [&]() -> std::string {
        try {
            oc_tools::readAlphabetFolder(dir.string());
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "no error";
    };
    const std::string json = (dir / "alphabet.json").string();
    std::ofstream(dir / "A.pgm") << "P2 4 3 255 1 2 3 4 5 6 7 8 9 10 11 12";
    write(R"([{"name": "A", "key": 65, "type": "normal", "file": "A.pgm", "area": [1, 1, 2, 2]},
              {"name": "space", "key": 32, "type": "blank", "area": [0, 0, 5, 7]}])");
    const oc_tools::AlphabetFolder f = oc_tools::readAlphabetFolder(dir.string());
    ASSERT_EQ(f.alphabet->numChars(), 2);
    const xcOCModel& a = *f.alphabet->character(65);
    EXPECT_EQ(a.imageArea(), xcPelRect(1, 1, 2, 2));
    EXPECT_EQ(a.image().window(), xcPelRect(1, 1, 2, 2));
    // The client origin is the middle of the area: image point (2, 2).
    EXPECT_EQ(a.image().clientFromImage().mapPoint(xcVector<2>(2, 2)), xcVector<2>(0, 0));
    EXPECT_EQ(f.alphabet->character(32)->imageArea(), xcPelRect(0, 0, 5, 7));
    EXPECT_TRUE(f.chars.at(32).blank);

    const struct {
        std::string json, message;
    } bad[] = {
        {"[{\"name\": ", json + ": parse error at line 1, column 11"},
        {R"([{"name": "A", "type": "normal"}])", json + ": entry 0: \"key\" is missing"},
        {R"([{"name": "A", "key": "65"}])", json + ": entry 0: \"key\" must be an integer"},
        {R"([{"name": "A", "key": 65, "type": "odd", "area": [0, 0, 1, 1]}])",
         json + ": entry 0: \"type\" must be \"normal\" or \"blank\""},
        {R"([{"name": "A", "key": 65, "type": "normal", "file": "A.pgm", "area": [2, 1, 3, 2]}])",
         json + ": entry 0: \"area\" does not fit the 4 x 3 image"},
        {R"([{"name": "A", "key": 65, "type": "blank", "area": [0, 0, 1]}])",
         json + ": entry 0: \"area\" must be a list of 4 integers"},
        {R"([{"name": "A", "key": 65, "type": "blank", "area": [0, 0, 1, 1]},
             {"name": "B", "key": 65, "type": "blank", "area": [0, 0, 1, 1]}])",
         json + ": entry 1: key 65 given twice"},
        {R"([{"name": "A", "key": 65, "type": "normal", "file": "B.pgm", "area": [0, 0, 1, 1]}])",
         (dir / "B.pgm").string() + ": cannot open"},
    };
    for (const auto& c : bad) {
        write(c.json);
        EXPECT_EQ(error().substr(0, c.message.size()), c.message) << c.json;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
