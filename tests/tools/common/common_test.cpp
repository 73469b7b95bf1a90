// The tools' shared readers (images, alphabet folders) and the scorer, against hand-made files
// and the figures the scorer script printed on them.
#include "common/alphabet_folder.h"
#include "common/image_file.h"
#include "common/score.h"

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

// Four cases of one font: located within 2 px, a blank 3 px off, a sym180 glyph found turned
// (at its pose180, and modulo 180), angles 4.99 and 10 degrees off, an unknown character, a
// missing case, a case with one character too many, an unknown tag and a score equal to tau.
const char* const kCases = R"([
 {"id":"c0","image":"cases/c0.pgm","font":"f","keys":[65,32,56],"tags":["straight"],"truth":[
  {"present":true,"correct":true,"pose":[1,0,0,1,10,20]},
  {"present":true,"correct":true,"pose":[1,0,0,1,30,20]},
  {"present":true,"correct":true,"pose":[1,0,0,1,40,20],"sym180":true,"pose180":[-1,0,0,-1,82,83]}]},
 {"id":"c1","image":"cases/c1.pgm","font":"f","keys":[56,65],"tags":["rotated","defect","zebra"],
  "truth":[{"present":true,"correct":true,"pose":[0,-1,1,0,100,50],"sym180":true},
           {"present":false,"correct":false,"pose":[0,-1,1,0,100,80]}]},
 {"id":"c2","image":"cases/c2.pgm","font":"f","keys":[65,65],"tags":["tilt","defect"],"truth":[
  {"present":true,"correct":false,"pose":[1,0,0,1,5,5]},
  {"present":true,"correct":true,"pose":[1,0,0,1,30,5]}]},
 {"id":"c3","image":"cases/c3.pgm","font":"f","keys":[56],"tags":["tilt"],"truth":[
  {"present":true,"correct":true,"pose":[1,0,0,1,5,5],"sym180":true}]}])";

const char* const kResults = R"({"cases":[
 {"id":"c0","time_ms":12.5,"chars":[
   {"status":"matched","score":0.9,"pose":[1,0,0,1,11.5,21]},
   {"status":"inferred","score":0,"pose":[1,0,0,1,30,23]},
   {"status":"matched","score":0.7,"pose":[-1,0,0,-1,82.5,83]}]},
 {"id":"c1","time_ms":40,"chars":[
   {"status":"matched","score":0.5,"pose":[0,1,-1,0,64.5,74]},
   {"status":"unknown","score":0.2,"pose":null}]},
 {"id":"c2","time_ms":7,"chars":[
   {"status":"matched","score":0.6,"pose":[0.996,0.087,-0.087,0.996,5,5]},
   {"status":"matched","score":0.55,"pose":[0.9848,0.1736,-0.1736,0.9848,30,5]},
   {"status":"matched","score":1,"pose":[1,0,0,1,0,0]}]}]})";

// What score.py printed on these files (alphabet.json: A [3,3,20,30], 8 [3,3,18,30] sym180,
// space blank [0,0,10,30]).
const char* const kScorePy =
    R"(tau = 0.5   (times in ms; loc: normal 66.7%, blank 0.0%; good accepted and located 60.0%)
group       cases  chars       loc%  good-acc%   def-rej%  str-good%   str-def%       str%      t-med      t-p90
----------------------------------------------------------------------------------------------------------------
all             4      8       57.1       80.0       50.0       50.0       50.0       50.0       12.5       34.5
straight        1      3       66.7      100.0          -      100.0          -      100.0       12.5       12.5
tilt            2      3       33.3       50.0        0.0        0.0        0.0        0.0        7.0        7.0
rotated         1      2      100.0      100.0      100.0          -      100.0      100.0       40.0       40.0
defect          2      4       66.7      100.0       50.0          -       50.0       50.0       23.5       36.7
zebra           1      2      100.0      100.0      100.0          -      100.0      100.0       40.0       40.0

best tau = 0.63: balanced string accuracy 75.0%, good-acc 40.0%, def-rej 100.0%, str-good 50.0%, str-def 100.0%
)";

TEST(ToolsScore, FiguresAgreeWithTheScorerScript) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        (std::string("oc_tools_score") + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "cases.json") << kCases;
    const std::vector<oc_tools::EvalCase> cases = oc_tools::readCaseList(dir.string());
    std::filesystem::remove_all(dir);

    oc_tools::FontChars fonts;
    fonts["f"][65] = {65, "A", false, false, xcPelRect(3, 3, 20, 30)};
    fonts["f"][56] = {56, "8", false, true, xcPelRect(3, 3, 18, 30)};
    fonts["f"][32] = {32, "space", true, false, xcPelRect(0, 0, 10, 30)};
    const oc_tools::Score s = oc_tools::scoreResults(
        cases, fonts, oc_tools::readResults(nlohmann::json::parse(kResults), "r"), 0.5);
    EXPECT_EQ(oc_tools::formatScore(s), kScorePy);
    EXPECT_EQ(s.problems, (std::vector<std::string>{"c2: 3 characters reported, 2 expected",
                                                    "c3: missing from the results"}));
}

} // namespace
