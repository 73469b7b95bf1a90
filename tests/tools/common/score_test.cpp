#include "common/score.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

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
