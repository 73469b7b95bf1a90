// Fuzz target: the arranger on small images (up to 96 x 96 pels) of a few placed glyphs, raw
// pels, client transforms, masks, parameters and expected keys, all drawn from the input. The
// alphabet (four glyphs and a blank) is rendered once. A caller's time limit of one second ends
// an input that would run long; its exception, like any of the library's, is an expected outcome.
#include "core/image/pel_buffer.h"
#include "core/sys/attention.h"
#include "diag/diag_object.h"
#include "fuzz/fuzz_support.h"
#include "oc/arrange/arrange.h"
#include "oc/arrange/char_poses.h"
#include "support/glyph_alphabet.h"

#include <memory>

using namespace oc_fuzz;

namespace {

const std::u32string kGlyphs = U"AH7O";
constexpr long kBlankKey = 32;

struct World {
    oc_test::GlyphAlphabet glyphs{kGlyphs, 12.0};
    xcOCAlphabet alphabet;
};
World* world = nullptr;

xcPelBuffer<unsigned char> scene(FuzzedDataProvider& in) {
    const long w = in.ConsumeIntegralInRange<long>(1, 96),
               h = in.ConsumeIntegralInRange<long>(1, 96);
    oc_test::Scene s(w, h, in.ConsumeIntegralInRange<int>(0, 255));
    for (int n = in.ConsumeIntegralInRange<int>(0, 5); n > 0; --n) {
        const long key =
            long(kGlyphs[in.ConsumeIntegralInRange<std::size_t>(0, kGlyphs.size() - 1)]);
        const double angleDeg = in.ConsumeFloatingPointInRange(-180.0, 180.0);
        const double scale = in.ConsumeFloatingPointInRange(0.6, 1.6);
        const xcVector<2> centre(in.ConsumeFloatingPointInRange(0.0, double(w)),
                                 in.ConsumeFloatingPointInRange(0.0, double(h)));
        s.place(world->glyphs.glyph(key), angleDeg, scale, centre,
                in.ConsumeIntegralInRange<int>(0, 255), 2);
    }
    xcPelBuffer<unsigned char> img =
        s.finish(in.ConsumeFloatingPointInRange(0.0, 1.5),
                 in.ConsumeFloatingPointInRange(0.0, 20.0), in.ConsumeIntegral<std::uint64_t>());
    // Raw pels over a patch of the scene.
    const long px = in.ConsumeIntegralInRange<long>(0, w - 1),
               py = in.ConsumeIntegralInRange<long>(0, h - 1);
    const Bytes patch = in.ConsumeBytes<unsigned char>(in.remaining_bytes() / 3);
    const long pw = std::min(w - px, in.ConsumeIntegralInRange<long>(1, w));
    for (std::size_t i = 0; i < patch.size() && long(i) / pw < h - py; ++i)
        *img.pointToPel(px + long(i) % pw, py + long(i) / pw) = patch[i];
    img.offset(xcPelPoint(in.ConsumeIntegralInRange<long>(-20, 20),
                          in.ConsumeIntegralInRange<long>(-20, 20)));
    img.clientFromImageXform(transform(in));
    return img;
}

// No mask (unbound), one over the image's window cut at a threshold of the image itself or at a
// box, or one of another size or offset (refused).
xcPelBuffer<unsigned char> mask(FuzzedDataProvider& in, const xcPelBuffer<unsigned char>& img) {
    const int kind = in.ConsumeIntegralInRange<int>(0, 4);
    if (kind == 0) return {};
    xcPelRect window = img.window();
    if (kind == 3) window = rectNear(in, window, 2);
    if (kind == 4) window = xcPelRect(window.x() + 1, window.y(), window.width(), window.height());
    if (window.width() < 0 || window.height() < 0) return {};
    xcPelBuffer<unsigned char> m(window);
    const int cut = in.ConsumeIntegralInRange<int>(0, 255);
    const xcPelRect box = rectNear(in, window, 40);
    // Cared-for pels at 128 or 255, the others at 0 or 127: the edges of the mask's cut.
    const unsigned char care = in.ConsumeBool() ? 128 : 255, ignore = in.ConsumeBool() ? 127 : 0;
    for (long y = 0; y < m.height(); ++y)
        for (long x = 0; x < m.width(); ++x) {
            const long ix = window.x() + x, iy = window.y() + y;
            const bool inBox =
                ix >= box.x() && ix < box.right() && iy >= box.y() && iy < box.bottom();
            const bool bright = x < img.width() && y < img.height() && *img.pointToPel(x, y) >= cut;
            *m.pointToPel(x, y) = (kind == 1 ? bright : inBox) ? care : ignore;
        }
    return m;
}

std::vector<long> keys(FuzzedDataProvider& in) {
    std::vector<long> k(in.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (long& key : k) {
        const int pick = in.ConsumeIntegralInRange<int>(0, 15);
        key = pick < int(kGlyphs.size()) * 3 ? long(kGlyphs[std::size_t(pick) % kGlyphs.size()])
              : pick < 15                    ? kBlankKey
                                             : 999; // not in the alphabet
    }
    return k;
}

// Every setter gets a value from a range a little wider than it accepts; refusals leave the
// default in place.
xcOCArrangeParams params(FuzzedDataProvider& in) {
    xcOCArrangeParams p;
    const auto real = [&](double lo, double hi) { return in.ConsumeFloatingPointInRange(lo, hi); };
    tolerant([&] { p.scaleRange(xcRange(real(-0.1, 1.0), real(0.5, 2.0))); });
    tolerant([&] { p.minMatchScore(real(-0.1, 1.1)); });
    tolerant([&] {
        const long n = in.ConsumeIntegralInRange<long>(0, 4);
        p.maxLines(n == 4 ? xcOCArrangeParams::kNoLimit : n);
    });
    tolerant([&] { p.lineType(xcOCArrangeDefs::LineType(in.ConsumeIntegralInRange<int>(0, 3))); });
    p.isTextDirectionSpecified(in.ConsumeBool());
    p.straightTextDirection(xcRadian(real(-7.0, 7.0)));
    p.isCircularTextDirectionClockwise(in.ConsumeBool());
    tolerant([&] { p.maxUnmatchedChars(in.ConsumeIntegralInRange<long>(-1, 9)); });
    tolerant([&] {
        p.orientationMode(xcOCArrangeDefs::OrientationMode(in.ConsumeIntegralInRange<int>(0, 2)));
    });
    tolerant([&] {
        p.orientationReference(
            xcOCArrangeDefs::OrientationReference(in.ConsumeIntegralInRange<int>(0, 2)));
    });
    p.expectedOrientation(xcRadian(real(-7.0, 7.0)));
    tolerant([&] { p.lineBreakCost(real(-0.1, 10.0)); });
    tolerant([&] { p.unmatchedCharCost(real(-0.1, 10.0)); });
    tolerant([&] { p.normalTransCost(real(-0.1, 10.0)); });
    tolerant([&] { p.tangentialTransCost(real(-0.1, 10.0)); });
    tolerant([&] { p.orientationCost(real(-0.1, 10.0)); });
    tolerant([&] { p.scaleCost(real(-0.1, 10.0)); });
    p.compPoseUncertainties(in.ConsumeBool());
    tolerant([&] { p.maxCandidates(in.ConsumeIntegralInRange<long>(-1, 2000)); });
    tolerant([&] { p.timeout(real(-0.1, 0.3)); });
    return p;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    world = new World;
    world->alphabet = *world->glyphs.alphabet();
    world->alphabet.add(xcPtrHandle_const<xcOCModel>(new xcOCModel(
                            kBlankKey, {}, xcPelRect(0, 0, 8, 20), xcOCModel::eBlank, " ", "")),
                        false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const xcPelBuffer<unsigned char> img = scene(in);
    const xcPelBuffer<unsigned char> m = mask(in, img);
    const std::vector<long> k = keys(in);
    const xcOCArrangeParams p = params(in);
    const unsigned long flags = in.ConsumeIntegralInRange<unsigned long>(0, 7) << 16;
    std::unique_ptr<xcDiagObject> rec(in.ConsumeBool() ? new xcDiagObject : nullptr);

    xcAttentionTag limit;
    limit.attachTimeout(1.0);
    xcOCArrangeResults results;
    const bool done = tolerant([&] {
        if (m.isBound())
            xfOCArrange(img, m, world->alphabet, k, p, results, rec.get(), flags);
        else
            xfOCArrange(img, world->alphabet, k, p, results, rec.get(), flags);
    });
    if (!done) return 0;
    if (!results.isFound() || results.arrangement().isNull()) fault("a finished run found nothing");
    if (results.statusFlags().size() != k.size() || results.scores().size() != k.size() ||
        xfOCCharacterPoses(results).size() != k.size())
        fault("the results do not hold one entry per expected character");
    roundTrip<xcOCArrangeResults>(store(results), false);
    return 0;
}
