#include "common/score.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>
#include <stdexcept>

namespace oc_tools {

namespace {

constexpr double kLocPx = 2.0;
constexpr double kLocDeg = 5.0;
const char* const kTagOrder[] = {"straight",  "horizontal", "tilt",     "rotated", "circular",
                                 "multiline", "scale",      "noise",    "blur",    "light",
                                 "clutter",   "defect",     "dotmatrix"};

struct Record {
    std::size_t caseIndex = 0;
    bool blank = false, present = false, correct = false, located = false, matched = false;
    double score = 0.0;
};

double angleDeg(const Pose& p) {
    return (180.0 / M_PI) * std::atan2(p[2], p[0]);
}

// The distance between two angles on a circle of `period` degrees, as Python's % computes it.
double angleDiff(double a, double b, double period = 360.0) {
    double d = std::fmod(a - b, period);
    if (d < 0) d += period;
    return std::min(d, period - d);
}

bool near(const Pose& reported, const Pose& truth, double cx, double cy, double period) {
    const double rx = reported[0] * cx + reported[1] * cy + reported[4];
    const double ry = reported[2] * cx + reported[3] * cy + reported[5];
    const double tx = truth[0] * cx + truth[1] * cy + truth[4];
    const double ty = truth[2] * cx + truth[3] * cy + truth[5];
    return std::hypot(rx - tx, ry - ty) <= kLocPx &&
           angleDiff(angleDeg(reported), angleDeg(truth), period) <= kLocDeg;
}

bool located(const CharReport& r, const TruthChar& t, const xcPelRect& area) {
    if ((r.status != "matched" && r.status != "inferred") || !r.pose) return false;
    const xcVector<2> c = area.center();
    return near(*r.pose, t.pose, c.x(), c.y(), t.sym180 ? 180.0 : 360.0) ||
           (t.pose180 && near(*r.pose, *t.pose180, c.x(), c.y(), 360.0));
}

std::optional<double> ratio(long num, long den) {
    return den ? std::optional<double>(double(num) / double(den)) : std::nullopt;
}

std::optional<double> percentile(std::vector<double> v, double q) {
    if (v.empty()) return std::nullopt;
    std::sort(v.begin(), v.end());
    const double pos = double(v.size() - 1) * q;
    const std::size_t lo = std::size_t(std::floor(pos)), hi = std::size_t(std::ceil(pos));
    return v[lo] + (v[hi] - v[lo]) * (pos - double(lo));
}

struct Counts {
    long n = 0, hits = 0;
    void add(bool hit) { ++n, hits += hit; }
    std::optional<double> share() const { return ratio(hits, n); }
};

Figures summarize(const std::vector<Record>& records, const std::set<std::size_t>& ids,
                  const std::map<std::size_t, double>& times, double tau) {
    Figures f;
    f.cases = long(ids.size());
    Counts loc, locNormal, locBlank, goodAcc, goodAccLoc, defRej;
    struct CaseState {
        bool defective = false, allAcc = true, anyRej = false;
    };
    std::map<std::size_t, CaseState> perCase;
    for (const Record& r : records) {
        if (!ids.count(r.caseIndex)) continue;
        ++f.chars;
        if (r.present) (r.blank ? locBlank : locNormal).add(r.located), loc.add(r.located);
        if (r.blank) continue;
        const bool accepted = r.matched && r.score >= tau;
        if (r.correct)
            goodAcc.add(accepted), goodAccLoc.add(accepted && r.located);
        else
            defRej.add(!accepted);
        CaseState& s = perCase[r.caseIndex];
        s.defective |= !r.correct;
        s.allAcc &= accepted;
        s.anyRej |= !accepted;
    }
    Counts strGood, strDef;
    for (const auto& [i, s] : perCase)
        (s.defective ? strDef : strGood).add(s.defective ? s.anyRej : s.allAcc);
    f.loc = loc.share(), f.locNormal = locNormal.share(), f.locBlank = locBlank.share();
    f.goodAcc = goodAcc.share(), f.goodAccLoc = goodAccLoc.share(), f.defRej = defRej.share();
    f.strGood = strGood.share(), f.strDef = strDef.share();
    f.str = ratio(strGood.hits + strDef.hits, long(perCase.size()));
    f.goodCases = strGood.n, f.defectCases = strDef.n;
    std::vector<double> t;
    for (std::size_t i : ids)
        if (times.count(i)) t.push_back(times.at(i));
    f.tMedMs = percentile(t, 0.5), f.tP90Ms = percentile(t, 0.9);
    return f;
}

double balanced(const Figures& f) {
    double sum = 0.0;
    int n = 0;
    for (const std::optional<double>& v : {f.strGood, f.strDef})
        if (v) sum += *v, ++n;
    return n ? sum / n : 0.0;
}

std::vector<std::string> tagOrder(const std::vector<EvalCase>& cases) {
    std::set<std::string> all;
    for (const EvalCase& c : cases) all.insert(c.tags.begin(), c.tags.end());
    std::vector<std::string> out;
    for (const char* t : kTagOrder)
        if (all.erase(t)) out.push_back(t);
    out.insert(out.end(), all.begin(), all.end());
    return out;
}

const FolderChar& fontChar(const FontChars& fonts, const EvalCase& c, long key) {
    const auto font = fonts.find(c.font);
    const auto ch =
        font == fonts.end() ? std::map<long, FolderChar>::const_iterator() : font->second.find(key);
    if (font == fonts.end() || ch == font->second.end())
        throw std::runtime_error(c.id + ": key " + std::to_string(key) + " is not in font " +
                                 c.font);
    return ch->second;
}

// Python's str() of a float in the range the threshold takes: shortest, with a ".0" if whole.
std::string pyFloat(double v) {
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed).ptr;
    std::string s(buf, end);
    if (s.find('.') == std::string::npos) s += ".0";
    return s;
}

std::string pct(const std::optional<double>& v, bool percent = true) {
    if (!v) return "-";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", percent ? 100 * *v : *v);
    return buf;
}

std::string tableRow(const std::string& name, const Figures& f) {
    const std::string cells[] = {pct(f.loc),           pct(f.goodAcc),      pct(f.defRej),
                                 pct(f.strGood),       pct(f.strDef),       pct(f.str),
                                 pct(f.tMedMs, false), pct(f.tP90Ms, false)};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%-11s%6ld%7ld", name.c_str(), f.cases, f.chars);
    std::string line = buf;
    for (const std::string& c : cells) {
        std::snprintf(buf, sizeof buf, "%11s", c.c_str());
        line += buf;
    }
    return line;
}

} // namespace

std::string formatScore(const Score& s) {
    const Figures& a = s.groups.front().second;
    std::string out = "tau = " + pyFloat(s.tau) + "   (times in ms; loc: normal " +
                      pct(a.locNormal) + "%, blank " + pct(a.locBlank) +
                      "%; good accepted and located " + pct(a.goodAccLoc) + "%)\n";
    std::string head = "group      " + std::string(" cases") + "  chars";
    for (const char* c :
         {"loc%", "good-acc%", "def-rej%", "str-good%", "str-def%", "str%", "t-med", "t-p90"}) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%11s", c);
        head += buf;
    }
    out += head + "\n" + std::string(head.size(), '-') + "\n";
    for (const auto& [name, f] : s.groups) out += tableRow(name, f) + "\n";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", s.bestTau);
    const Figures& b = s.atBestTau;
    out += "\nbest tau = " + std::string(buf) + ": balanced string accuracy " +
           pct(s.bestBalancedStr) + "%, good-acc " + pct(b.goodAcc) + "%, def-rej " +
           pct(b.defRej) + "%, str-good " + pct(b.strGood) + "%, str-def " + pct(b.strDef) + "%\n";
    return out;
}

Score scoreResults(const std::vector<EvalCase>& cases, const FontChars& fonts,
                   const std::vector<CaseReport>& results, double tau) {
    std::map<std::string, const CaseReport*> byId;
    for (const CaseReport& r : results) byId[r.id] = &r;
    Score out;
    out.tau = tau;
    std::vector<Record> records;
    std::map<std::size_t, double> times;
    const CharReport unknown{"unknown", 0.0, std::nullopt};
    for (std::size_t ci = 0; ci < cases.size(); ++ci) {
        const EvalCase& c = cases[ci];
        const auto found = byId.find(c.id);
        const CaseReport* r = found == byId.end() ? nullptr : found->second;
        if (!r)
            out.problems.push_back(c.id + ": missing from the results");
        else if (r->chars.size() != c.keys.size())
            out.problems.push_back(c.id + ": " + std::to_string(r->chars.size()) +
                                   " characters reported, " + std::to_string(c.keys.size()) +
                                   " expected");
        if (r && r->timeMs) times[ci] = *r->timeMs;
        for (std::size_t k = 0; k < c.keys.size() && k < c.truth.size(); ++k) {
            const FolderChar& ch = fontChar(fonts, c, c.keys[k]);
            const CharReport& rep = r && k < r->chars.size() ? r->chars[k] : unknown;
            const TruthChar& t = c.truth[k];
            records.push_back({ci, ch.blank, t.present, t.correct,
                               t.present && located(rep, t, ch.area), rep.status == "matched",
                               rep.score});
        }
    }
    std::set<std::size_t> all;
    for (std::size_t i = 0; i < cases.size(); ++i) all.insert(i);
    out.groups.emplace_back("all", summarize(records, all, times, tau));
    for (const std::string& tag : tagOrder(cases)) {
        std::set<std::size_t> ids;
        for (std::size_t i = 0; i < cases.size(); ++i)
            if (std::count(cases[i].tags.begin(), cases[i].tags.end(), tag)) ids.insert(i);
        out.groups.emplace_back(tag, summarize(records, ids, times, tau));
    }
    std::vector<std::pair<double, double>> byTau;
    double top = -1.0;
    for (int k = 0; k <= 100; ++k) {
        const double v = balanced(summarize(records, all, times, k / 100.0));
        byTau.emplace_back(k / 100.0, v);
        top = std::max(top, v);
    }
    std::vector<double> best;
    for (const auto& [t, v] : byTau)
        if (v >= top - 1e-12) best.push_back(t);
    out.bestTau = best[best.size() / 2];
    out.bestBalancedStr = top;
    out.atBestTau = summarize(records, all, times, out.bestTau);
    return out;
}

} // namespace oc_tools
