#include "oc/arrange/line_model.h"

#include "core/geom/fit.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

// What the models of one line give before the line's length weighs them.
struct xc_LineOutcome {
    bool valid = false;
    xcOCArrangeDefs::LineType type = xcOCArrangeDefs::eDontCare;
    double averageRad = 0.0, lineScale = 1.0, lineScaleSum = 0.0;
    double normal = 0.0, tangential = 0.0, rotation = 0.0, spacing = 0.0;
};

namespace {

using Symmetry = xc_OCExtractDefs::Symmetry;
using LineType = xcOCArrangeDefs::LineType;

constexpr double kPi = std::numbers::pi;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// An arc flatter than 5 degrees cannot be told from a straight line by its fitted circle.
constexpr double kMinArcSpanRad = 0.08726646259971647;
// Neighbours closer than this many mean widths, or farther than kMaxGap, cost spacing.
constexpr double kMinGap = 0.8;
constexpr double kMaxGap = 2.5;

double norm2Pi(double rad) {
    return xcRadian(rad).norm().toDouble();
}

// One matched character of the line being costed, in line order.
struct Matched {
    long k;
    xcVector<2> position;
    double angleRad;
    double scale;
    double logScale;
    Symmetry symmetry;
};

struct CircleModel {
    xcVector<2> centre;
    double radius = 0.0;
    double spanRad = 0.0;   // signed: positive when the polar angle grows along the line
    double offsetRad = 0.0; // from a point's polar angle to the line direction there
};

// One model of a line: straight (h = 0) or circular (h = 1). The vectors run over the
// characters from the line's start to its last matched character; those holding predictions
// and errors are filled in the final evaluation only.
struct Hypothesis {
    bool valid = false;
    double averageRad = 0.0;
    double tangential = 0.0, normal = 0.0, rotation = 0.0, spacing = 0.0;
    std::vector<double> along; // t_k along a straight line, polar angle a_k on a circle
    std::vector<xcVector<2>> expectedPositions;
    std::vector<double> expectedAnglesRad;
    std::vector<double> tangentialErrors, normalErrors, rotationErrors;

    double cost(const xcOCArrangeParams& p) const {
        return normal * p.normalTransCost() + tangential * p.tangentialTransCost() +
               rotation * p.orientationCost() + spacing * p.tangentialTransCost();
    }
};

// Reused across calls: the search costs every extension of every path, so the working data
// must not be allocated per call.
struct Scratch {
    std::vector<Matched> matched;
    std::vector<xcVector<2>> points;
    std::vector<double> polarRad;
    std::vector<double> unscaledWidths;
    xcLine line;
    CircleModel circle;
    Hypothesis hyp[2];
    std::string key;
};

Scratch& scratch() {
    thread_local Scratch s;
    return s;
}

// The total-least-squares line, directed from the first point to the last. Fails unless the
// points follow each other strictly along it, so coincident points fail too.
bool fitStraight(const std::vector<xcVector<2>>& pts, xcLine& line) {
    const xcLine fitted = xfLineFit(pts, 0, 0, kInfinity);
    const double t0 = fitted.distanceAlong(pts.front());
    const double span = fitted.distanceAlong(pts.back()) - t0;
    double prev = t0;
    for (std::size_t i = 1; i < pts.size(); ++i) {
        const double t = fitted.distanceAlong(pts[i]);
        if (span > 0 ? !(t > prev) : !(t < prev)) return false;
        prev = t;
    }
    line = xcLine(fitted.point(), fitted.angle() + xcRadian(span > 0 ? 0.0 : kPi));
    return true;
}

// The least-squares circle, with the points' polar angles about its centre and the signed span
// of the arc they cover. The sense of travel comes from the turn at the middle point; every
// step must advance by less than half a turn and all of them by less than a full turn.
bool fitCircle(const std::vector<xcVector<2>>& pts, std::vector<double>& polarRad,
               CircleModel& circle) {
    const xcCircle fitted = xfCircleFit(pts, 0, 1.0, 0, kInfinity);
    if (fitted.radius() == 0.0) return false;
    const std::size_t m = pts.size();
    const xcVector<2> mid = (pts[m / 2] + pts[(m - 1) / 2]) * 0.5;
    const bool increasing = (mid - pts[0]).cross(pts[m - 1] - mid) >= 0;
    polarRad.resize(m);
    for (std::size_t i = 0; i < m; ++i) {
        const xcVector<2> d = pts[i] - fitted.centre();
        if (d.x() == 0.0 && d.y() == 0.0) return false;
        polarRad[i] = std::atan2(d.y(), d.x());
    }
    double turnedRad = 0.0;
    for (std::size_t i = 1; i < m; ++i) {
        const double step = increasing ? norm2Pi(polarRad[i] - polarRad[i - 1])
                                       : norm2Pi(polarRad[i - 1] - polarRad[i]);
        if (step <= 0.0 || step >= kPi) return false;
        turnedRad += step;
        if (turnedRad >= 2 * kPi) return false;
    }
    const double span = increasing ? norm2Pi(polarRad[m - 1] - polarRad[0])
                                   : -norm2Pi(polarRad[0] - polarRad[m - 1]);
    if (std::fabs(span) < kMinArcSpanRad) return false;
    circle = {fitted.centre(), fitted.radius(), span, span >= 0 ? kPi / 2 : -kPi / 2};
    return true;
}

// Mean direction of the angles in which a 180-degree symmetric character counts in whichever
// of its two readings agrees with the sum so far; fully symmetric characters carry no angle.
template <class AngleOf>
double symmetricAverageRad(const std::vector<Matched>& matched, AngleOf angleOf) {
    double x = 0.0, y = 0.0;
    for (std::size_t i = 0; i < matched.size(); ++i) {
        if (matched[i].symmetry != xc_OCExtractDefs::eNoSymmetry) continue;
        x += std::cos(angleOf(i));
        y += std::sin(angleOf(i));
    }
    for (std::size_t i = 0; i < matched.size(); ++i) {
        if (matched[i].symmetry != xc_OCExtractDefs::e180Symmetry) continue;
        const double c = std::cos(angleOf(i)), s = std::sin(angleOf(i));
        const double sign = c * x + s * y >= 0 ? 1.0 : -1.0;
        x += sign * c;
        y += sign * s;
    }
    return x == 0.0 && y == 0.0 ? 0.0 : std::atan2(y, x);
}

// 1.0 per 45 degrees off the expected angle; a 180-degree symmetric character is measured
// against the nearer of its two readings.
double rotationError(Symmetry symmetry, double angleRad, double expectedRad) {
    if (symmetry == xc_OCExtractDefs::eFullSymmetry) return 0.0;
    const double e = std::fabs(xcRadian(angleRad - expectedRad).signedNorm().toDouble()) * 4 / kPi;
    return symmetry == xc_OCExtractDefs::e180Symmetry && e > 2.0 ? 4.0 - e : e;
}

// Costs the lines of one path and accumulates the whole path's sums.
class LineCoster {
public:
    LineCoster(const xc_ArrangeContext& ctx, const xc_ArrangePath& path, bool isFinal,
               xc_ArrangeFit& fit)
        : ctx_(ctx), p_(ctx.params), path_(path), isFinal_(isFinal), fit_(fit), s_(scratch()),
          relative_(p_.orientationReference() == xcOCArrangeDefs::eRelative),
          wantClockwise_(p_.isCircularTextDirectionClockwise() != ctx.isFlipped),
          textDirection_(xcVector<2>::polar(p_.straightTextDirection())) {}

    void startFinal();
    bool line(long start, long end);
    void addTerms() const;

private:
    bool tryStraight(Hypothesis& h);
    bool tryCircular(Hypothesis& h);
    void spread(Hypothesis& h, bool circular, double firstAlong, double span, double unit);
    void evaluate(Hypothesis& h, bool circular, double lineScale);
    void record(const Hypothesis& h, LineType type);
    xc_LineOutcome fitModels();
    bool apply(const xc_LineOutcome& o, long start, long end);
    void makeKey(std::string& key) const;

    const xc_ArrangeContext& ctx_;
    const xcOCArrangeParams& p_;
    const xc_ArrangePath& path_;
    const bool isFinal_;
    xc_ArrangeFit& fit_;
    Scratch& s_;
    const bool relative_;
    const bool wantClockwise_;
    const xcVector<2> textDirection_;
    long first_ = 0, last_ = 0; // first and last matched character of the current line
    double normalSum_ = 0.0, tangentialSum_ = 0.0, rotationSum_ = 0.0, scaleSum_ = 0.0;
    double spacingSum_ = 0.0;
};

// Unmatched characters keep zero predictions unless a line model places them; matched ones
// start from their own candidate.
void LineCoster::startFinal() {
    const std::size_t d = path_.choices.size();
    fit_.tangentialErrors.assign(d, 0.0);
    fit_.normalErrors.assign(d, 0.0);
    fit_.rotationErrors.assign(d, 0.0);
    fit_.scaleErrors.assign(d, 0.0);
    fit_.expectedPositions.assign(d, xcVector<2>());
    fit_.expectedAngles.assign(d, xcRadian(0.0));
    for (std::size_t k = 0; k < d; ++k) {
        const long c = path_.choices[k];
        if (c < 0) continue;
        const xc_Pose& pose = ctx_.poses[k][static_cast<std::size_t>(c)];
        fit_.expectedPositions[k] = pose.translation;
        fit_.expectedAngles[k] = pose.angle;
    }
}

bool LineCoster::tryStraight(Hypothesis& h) {
    if (p_.lineType() == xcOCArrangeDefs::eCircular && path_.depth() >= 3) return false;
    if (!fitStraight(s_.points, s_.line)) return false;
    if (p_.isTextDirectionSpecified() && s_.line.direction().dot(textDirection_) < 0) return false;
    const double lineDir = s_.line.angle().toDouble();
    h.averageRad = symmetricAverageRad(s_.matched, [&](std::size_t i) {
        return s_.matched[i].angleRad - (relative_ ? lineDir : 0.0);
    });
    const double t0 = s_.line.offset(s_.points.front());
    spread(h, false, t0, s_.line.offset(s_.points.back()) - t0, 1.0);
    return true;
}

bool LineCoster::tryCircular(Hypothesis& h) {
    if (p_.lineType() == xcOCArrangeDefs::eStraight || s_.matched.size() < 3) return false;
    if (!fitCircle(s_.points, s_.polarRad, s_.circle)) return false;
    const CircleModel& c = s_.circle;
    if (p_.isTextDirectionSpecified() && (c.spanRad >= 0) != wantClockwise_) return false;
    h.averageRad = symmetricAverageRad(s_.matched, [&](std::size_t i) {
        return s_.matched[i].angleRad - (relative_ ? s_.polarRad[i] + c.offsetRad : 0.0);
    });
    spread(h, true, s_.polarRad.front(), c.spanRad, 1.0 / c.radius);
    return true;
}

// Places the characters from the first to the last matched one along the model: the two ends
// stay at the matched positions, the ones between follow each other by their widths with one
// common gap. unit converts a width into the model's coordinate (1/radius on a circle).
void LineCoster::spread(Hypothesis& h, bool circular, double firstAlong, double span, double unit) {
    const std::size_t c = static_cast<std::size_t>(last_ - first_ + 1);
    const double dirStep = circular ? span / static_cast<double>(c - 1) : 0.0;
    const double dirFirst = circular ? firstAlong + kPi / 2 : s_.line.angle().toDouble();
    s_.unscaledWidths.resize(c);
    double inner = 0.0;
    for (std::size_t i = 0, j = 0; i < c; ++i) {
        const long k = first_ + static_cast<long>(i);
        const double dir = dirFirst + static_cast<double>(i) * dirStep;
        const bool isMatched = s_.matched[j].k == k;
        const double phi = isMatched ? s_.matched[j++].angleRad - dir
                                     : (relative_ ? h.averageRad : h.averageRad - dir);
        s_.unscaledWidths[i] = ctx_.charData[static_cast<std::size_t>(k)].widthAt(phi);
        inner += (i == 0 || i == c - 1 ? 0.5 : 1.0) * s_.unscaledWidths[i];
    }
    const double gap = (span - inner * unit) / static_cast<double>(c - 1);
    h.along.resize(c);
    h.along[0] = firstAlong;
    for (std::size_t i = 1; i + 1 < c; ++i)
        h.along[i] =
            h.along[i - 1] + 0.5 * unit * (s_.unscaledWidths[i - 1] + s_.unscaledWidths[i]) + gap;
    h.along[c - 1] = firstAlong + span;
}

// Measures every matched character against its predicted place and angle, and the spacing of
// neighbours; an unmatched character takes the angle of the next matched one and the line's
// scale for its size.
void LineCoster::evaluate(Hypothesis& h, bool circular, double lineScale) {
    const std::size_t c = h.along.size();
    const double expected = p_.orientationMode() == xcOCArrangeDefs::eSpecified
                                ? p_.expectedOrientation().toDouble()
                                : h.averageRad;
    h.tangential = h.normal = h.rotation = h.spacing = 0.0;
    if (isFinal_) {
        h.expectedPositions.resize(c);
        h.expectedAnglesRad.resize(c);
        h.tangentialErrors.assign(c, 0.0);
        h.normalErrors.assign(c, 0.0);
        h.rotationErrors.assign(c, 0.0);
    }
    double prevWidth = 0.0;
    xcVector<2> prevActual;
    for (std::size_t i = 0, j = 0; i < c; ++i) {
        const long k = first_ + static_cast<long>(i);
        while (s_.matched[j].k < k) ++j;
        const Matched& mj = s_.matched[j];
        const bool isMatched = mj.k == k;
        xcVector<2> expectedPos;
        double lineDir;
        if (circular) {
            expectedPos =
                s_.circle.centre + xcVector<2>::polar(xcRadian(h.along[i]), s_.circle.radius);
            lineDir = h.along[i] + s_.circle.offsetRad;
        } else {
            expectedPos = s_.line.pointAt(h.along[i]);
            lineDir = s_.line.angle().toDouble();
        }
        const xc_CharData& cd = ctx_.charData[static_cast<std::size_t>(k)];
        const double phi = mj.angleRad - lineDir;
        const double scale = isMatched ? mj.scale : lineScale;
        const double w = scale * cd.widthAt(phi);
        const double ht = scale * cd.heightAt(phi);
        const xcVector<2> actual = isMatched ? mj.position : expectedPos;
        if (i > 0) {
            const double avg = 0.5 * (prevWidth + w);
            const double dist = actual.distance(prevActual);
            if (dist < kMinGap * avg)
                h.spacing += (kMinGap * avg - dist) / (kMinGap * avg);
            else if (dist > kMaxGap * avg)
                h.spacing += (dist - kMaxGap * avg) / avg;
        }
        prevWidth = w;
        prevActual = actual;
        const double expectedAngle = expected + (relative_ ? lineDir : 0.0);
        if (isFinal_) {
            h.expectedPositions[i] = expectedPos;
            h.expectedAnglesRad[i] = expectedAngle;
        }
        if (!isMatched) continue;
        // The offset in the line's frame: x along the line, y across it.
        const xcVector<2> d = actual - expectedPos;
        const double cosDir = std::cos(lineDir), sinDir = std::sin(lineDir);
        const double te = std::fabs(cosDir * d.x() + sinDir * d.y()) / w;
        const double ne = std::fabs(cosDir * d.y() - sinDir * d.x()) / ht;
        const double re = rotationError(mj.symmetry, mj.angleRad, expectedAngle);
        h.tangential += te;
        h.normal += ne;
        h.rotation += re;
        if (isFinal_) {
            h.tangentialErrors[i] = te;
            h.normalErrors[i] = ne;
            h.rotationErrors[i] = re;
        }
    }
}

// Copies the chosen model's predictions and errors (0 for unmatched characters) into the fit, with
// the line's drawing: a segment between the feet of its end characters, or an arc.
void LineCoster::record(const Hypothesis& h, LineType type) {
    for (std::size_t i = 0; i < h.along.size(); ++i) {
        const std::size_t k = static_cast<std::size_t>(first_) + i;
        fit_.expectedPositions[k] = h.expectedPositions[i];
        fit_.expectedAngles[k] = xcRadian(h.expectedAnglesRad[i]);
        fit_.tangentialErrors[k] = h.tangentialErrors[i];
        fit_.normalErrors[k] = h.normalErrors[i];
        fit_.rotationErrors[k] = h.rotationErrors[i];
    }
    if (type == xcOCArrangeDefs::eStraight) {
        fit_.lineSegments.emplace_back(s_.line.project(s_.points.front()),
                                       s_.line.project(s_.points.back()));
    } else {
        const CircleModel& c = s_.circle;
        fit_.lineArcs.emplace_back(c.centre, c.radius, c.radius, xcRadian(0.0),
                                   xcRadian(s_.polarRad.front()), xcRadian(c.spanRad));
    }
}

bool LineCoster::line(long start, long end) {
    s_.matched.clear();
    s_.points.clear();
    for (long k = start; k < end; ++k) {
        const long c = path_.choices[static_cast<std::size_t>(k)];
        if (c < 0) continue;
        const xc_Pose& pose = ctx_.poses[static_cast<std::size_t>(k)][static_cast<std::size_t>(c)];
        s_.matched.push_back({k, pose.translation, pose.angle.toDouble(), pose.scale, pose.logScale,
                              ctx_.charData[static_cast<std::size_t>(k)].symmetry});
        s_.points.push_back(pose.translation);
    }
    const std::size_t m = s_.matched.size();
    if (m < 2) {
        fit_.lineTypes.push_back(xcOCArrangeDefs::eDontCare);
        fit_.lineAngles.push_back(xcRadian(m == 1 ? s_.matched[0].angleRad : 0.0));
        fit_.lineScales.push_back(m == 1 ? s_.matched[0].scale : 1.0);
        return true;
    }
    // The evaluation has rejected lines whose first character is unmatched, so first_ is the
    // line's start.
    first_ = s_.matched.front().k;
    last_ = s_.matched.back().k;

    xc_LineCostCache* cache = isFinal_ ? nullptr : ctx_.lineCache;
    std::string* key = nullptr;
    if (cache != nullptr) {
        key = &s_.key;
        makeKey(*key);
        if (const xc_LineOutcome* known = cache->find(*key)) return apply(*known, start, end);
    }
    const xc_LineOutcome outcome = fitModels();
    if (cache != nullptr) cache->insert(*key, outcome);
    return apply(outcome, start, end);
}

// The models of the current line's matched characters, before its length weighs them.
xc_LineOutcome LineCoster::fitModels() {
    xc_LineOutcome out;
    const std::size_t m = s_.matched.size();
    double meanLog = 0.0;
    for (const Matched& mc : s_.matched) meanLog += mc.logScale;
    meanLog /= static_cast<double>(m);
    out.lineScale = std::exp(meanLog);
    for (const Matched& mc : s_.matched) {
        const double e = (mc.logScale - meanLog) / std::numbers::ln2;
        out.lineScaleSum += std::fabs(e);
        if (isFinal_) fit_.scaleErrors[static_cast<std::size_t>(mc.k)] = e;
    }

    Hypothesis& straight = s_.hyp[0];
    Hypothesis& circular = s_.hyp[1];
    straight.valid = tryStraight(straight);
    if (straight.valid) evaluate(straight, false, out.lineScale);
    circular.valid = tryCircular(circular);
    if (circular.valid) evaluate(circular, true, out.lineScale);
    if (!straight.valid && !circular.valid) return out;
    const bool isCircular =
        !straight.valid || (circular.valid && circular.cost(p_) < straight.cost(p_));
    const Hypothesis& h = isCircular ? circular : straight;
    out.valid = true;
    out.type = isCircular ? xcOCArrangeDefs::eCircular : xcOCArrangeDefs::eStraight;
    out.averageRad = h.averageRad;
    out.normal = h.normal;
    out.tangential = h.tangential;
    out.rotation = h.rotation;
    out.spacing = h.spacing;
    if (isFinal_) record(h, out.type);
    return out;
}

// Adds a line's costs, weighed by its length over its matched count, and its line entries.
bool LineCoster::apply(const xc_LineOutcome& o, long start, long end) {
    fit_.lineScales.push_back(o.lineScale);
    if (!o.valid) return false;
    const double factor = static_cast<double>(end - start) / static_cast<double>(s_.matched.size());
    normalSum_ += o.normal * factor;
    tangentialSum_ += o.tangential * factor;
    rotationSum_ += o.rotation * factor;
    scaleSum_ += o.lineScaleSum * factor;
    spacingSum_ += o.spacing;
    fit_.lineAngles.push_back(xcRadian(o.averageRad));
    fit_.lineTypes.push_back(o.type);
    return true;
}

// What decides a line's models: where it starts, its choices up to its last matched character
// (unmatched ones after it are predicted by nothing) and whether the path is long enough for
// a circular-only line type to refuse the straight model.
void LineCoster::makeKey(std::string& key) const {
    key.clear();
    const auto putLong = [&key](long v) {
        key.append(reinterpret_cast<const char*>(&v), sizeof v);
    };
    putLong(first_);
    putLong(path_.depth() >= 3 ? 1 : 0);
    for (long k = first_; k <= last_; ++k) putLong(path_.choices[static_cast<std::size_t>(k)]);
}

void LineCoster::addTerms() const {
    fit_.normalTerm += normalSum_ * p_.normalTransCost();
    fit_.tangentialTerm += tangentialSum_ * p_.tangentialTransCost();
    fit_.orientationTerm += rotationSum_ * p_.orientationCost();
    fit_.scaleTerm += scaleSum_ * p_.scaleCost();
    fit_.spacingTerm += spacingSum_ * p_.tangentialTransCost();
}

} // namespace

struct xc_LineCostCache::Impl {
    std::unordered_map<std::string, xc_LineOutcome> known;
};

xc_LineCostCache::xc_LineCostCache() : impl_(std::make_unique<Impl>()) {
}
xc_LineCostCache::~xc_LineCostCache() = default;

const xc_LineOutcome* xc_LineCostCache::find(const std::string& key) const {
    const auto it = impl_->known.find(key);
    return it == impl_->known.end() ? nullptr : &it->second;
}

void xc_LineCostCache::insert(const std::string& key, const xc_LineOutcome& outcome) {
    // A bound on memory: a search that outgrows it starts remembering afresh.
    if (impl_->known.size() >= kMaxEntries) impl_->known.clear();
    impl_->known.emplace(key, outcome);
}

bool xf_ArrangeLineCosts_(const xc_ArrangeContext& ctx, const xc_ArrangePath& path, bool isFinal,
                          xc_ArrangeFit& fit) {
    LineCoster coster(ctx, path, isFinal, fit);
    if (isFinal) coster.startFinal();
    for (long l = 0; l < path.numLines(); ++l)
        if (!coster.line(path.lineStarts[static_cast<std::size_t>(l)], path.lineEnd(l)))
            return false;
    coster.addTerms();
    return true;
}
