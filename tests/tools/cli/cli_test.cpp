// The oc tool end to end: a rendered alphabet folder and image, the tool's exit codes, its
// results file and its one-line errors.
#include "support/glyph_alphabet.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int code;
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CliTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // One folder per test process: ctest runs the tests of this program side by side.
        dir_ = fs::temp_directory_path() /
               (std::string("oc_cli_test") + "_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "font");
        glyphs_ = new oc_test::GlyphAlphabet(U"AB1");
        nlohmann::json list = nlohmann::json::array();
        for (char c : std::string("AB1")) {
            const xcPelBuffer<unsigned char> img = glyphs_->glyph(c).trainImage();
            const std::string file = std::string(1, c) + ".pgm";
            oc_test::writePgm((dir_ / "font" / file).string(), img);
            list.push_back({{"name", std::string(1, c)},
                            {"key", long(c)},
                            {"type", "normal"},
                            {"file", file},
                            {"area", {0, 0, img.width(), img.height()}}});
        }
        list.push_back(
            {{"name", "space"}, {"key", 32}, {"type", "blank"}, {"area", {0, 0, 12, 30}}});
        std::ofstream(dir_ / "font" / "alphabet.json") << list.dump();
        oc_test::Scene scene(220, 90);
        poses_ = oc_test::printLine(scene, *glyphs_, {'A', 'B', '1'}, 10.0, 1.0, {110, 45});
        oc_test::writePgm((dir_ / "line.pgm").string(), scene.finish(0.0, 0.0, 1));
    }
    static void TearDownTestSuite() {
        delete glyphs_;
        fs::remove_all(dir_);
    }

    static ToolRun oc(const std::string& args) {
        const std::string cmd = std::string(OC_CLI) + " " + args + " >" + (dir_ / "out").string() +
                                " 2>" + (dir_ / "err").string();
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(dir_ / "out"),
                slurp(dir_ / "err")};
    }
    static std::string path(const std::string& name) { return (dir_ / name).string(); }

    static inline fs::path dir_;
    static inline oc_test::GlyphAlphabet* glyphs_ = nullptr;
    static inline std::vector<xcXform<2>> poses_;
};

TEST_F(CliTest, TrainsArrangesAndWritesResults) {
    const ToolRun train = oc("train " + path("font") + " -o " + path("a.oca") + " --compile");
    ASSERT_EQ(train.code, 0) << train.err;
    EXPECT_NE(train.out.find("wrote " + path("a.oca") + ": 4 characters, compiled"),
              std::string::npos);
    for (const std::string& alphabet : {path("a.oca"), path("font")}) {
        const ToolRun r = oc("arrange --alphabet " + alphabet + " --text AB1 " + path("line.pgm") +
                             " --json " + path("r.json"));
        ASSERT_EQ(r.code, 0) << r.err;
        const nlohmann::json chars =
            nlohmann::json::parse(slurp(dir_ / "r.json"))["cases"][0]["chars"];
        ASSERT_EQ(chars.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            // The reported pose maps the model image's middle where the truth puts it.
            const std::vector<double> p = chars[i]["pose"].get<std::vector<double>>();
            const oc_test::GlyphImage& g = glyphs_->glyph(std::string("AB1")[i]);
            const xcVector<2> m = g.centre(), truth = poses_[i].mapPoint(m);
            EXPECT_EQ(chars[i]["status"], "matched");
            EXPECT_NEAR(p[0] * m.x() + p[1] * m.y() + p[4], truth.x(), 1.0) << alphabet << i;
            EXPECT_NEAR(p[2] * m.x() + p[3] * m.y() + p[5], truth.y(), 1.0) << alphabet << i;
            EXPECT_NEAR(std::atan2(p[2], p[0]) * 180 / M_PI, 10.0, 2.0);
        }
    }
}

TEST_F(CliTest, BadInputGivesOneLineAndAnExitCode) {
    ASSERT_EQ(oc("train " + path("font") + " -o " + path("a.oca")).code, 0);
    const std::string oca = slurp(dir_ / "a.oca"), pgm = slurp(dir_ / "line.pgm");
    std::ofstream(dir_ / "half.oca") << oca.substr(0, oca.size() / 2);
    std::ofstream(dir_ / "half.pgm") << pgm.substr(0, pgm.size() / 2);
    const std::string arrange = "arrange --alphabet " + path("a.oca") + " ";
    const struct {
        std::string args;
        int code;
        std::string message;
    } cases[] = {
        {arrange + "--text AB " + path("none.pgm"), 1, path("none.pgm") + ": cannot open"},
        {arrange + "--text AB " + path("half.pgm"), 1, path("half.pgm") + ": truncated PGM"},
        {"arrange --alphabet " + path("half.oca") + " --text AB " + path("line.pgm"), 1,
         path("half.oca") + ": not a readable alphabet archive"},
        {arrange + "--text AZ " + path("line.pgm"), 1,
         "character 'Z' (key 90) is not in the alphabet font"},
        {arrange + "--text AB --min-match-score 2 " + path("line.pgm"), 1,
         "--min-match-score 2: Invalid min match score"},
        {arrange + "--text AB --scale-range 0,1.1 " + path("line.pgm"), 1,
         "--scale-range 0,1.1: Invalid scale range"},
        {"train " + path("nofolder") + " -o " + path("x.oca"), 1,
         path("nofolder") + ": not an alphabet folder"},
        {arrange + "--text AB --line-type wavy " + path("line.pgm"), 2, "--line-type: wavy"},
        {arrange + path("line.pgm"), 2, "--text or --keys"},
        {arrange + "--text AB --bogus " + path("line.pgm"), 2, "The following argument"},
        {"", 2, "A subcommand is required"},
    };
    for (const auto& c : cases) {
        const ToolRun r = oc(c.args);
        EXPECT_EQ(r.code, c.code) << c.args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("oc: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

} // namespace
