// Demo: builds a grey image with a printed mark, resamples it turned by 30 degrees, writes the
// result to an archive file, reads it back and checks that nothing changed on the way.
#include "core/geom/affine_rect.h"
#include "core/image/affine_sampling.h"
#include "core/image/pel_buffer.h"
#include "core/image/pel_buffer_archive.h"
#include "core/image/pel_ops.h"
#include "core/persist/archive.h"
#include "core/persist/archive_geom.h"
#include "core/sys/timer.h"
#include "oc/library.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <numbers>
#include <string>

namespace {

// A 320 x 240 image: a soft horizontal gradient with a dark "L" in the middle.
xcPelBuffer<unsigned char> makeImage() {
    xcPelBuffer<unsigned char> img(320, 240);
    for (long y = 0; y < img.height(); ++y) {
        unsigned char* row = img.rowPointer(y);
        for (long x = 0; x < img.width(); ++x) {
            const bool stem = x >= 140 && x < 152 && y >= 80 && y < 160;
            const bool foot = x >= 140 && x < 190 && y >= 148 && y < 160;
            row[x] = (stem || foot) ? 30 : static_cast<unsigned char>(180 + x / 8);
        }
    }
    // Client units are millimetres, 0.1 mm per pel, origin at the image centre.
    img.clientFromImageXform(xcXform<2>(xcMatrix<2>(0.1, 0, 0, 0.1), xcVector<2>(-16.0, -12.0)));
    return img;
}

} // namespace

int main(int argc, char** argv) {
    try {
        std::printf("OC library %s demo\n", xfOCLibraryVersion());
        const xcPelBuffer<unsigned char> image = makeImage();
        std::printf("image: %ld x %ld pels, grey %d..%d\n", image.width(), image.height(),
                    int(xfPelMin(image)), int(xfPelMax(image)));

        // A 16 x 12 mm rectangle around the mark, turned by 30 degrees about its centre.
        xcAffineRectangle rect(xcVector<2>(0, 0), 16.0, 12.0, xcDegree(30.0), xcRadian(0.0));
        rect.centre(xcVector<2>(0.0, 0.0));
        const xcAffineSamplingParams params(rect, 160, 120, xcAffineSamplingParams::eBilinear);
        xcPelBuffer<unsigned char> turned;
        xcTimer timer;
        timer.start();
        xfAffineTransformImage(image, params, turned);
        timer.stop();
        const xcVector<2> c = turned.clientFromImage().mapPoint(xcVector<2>(80, 60));
        std::printf("resampled: %ld x %ld pels in %.3f ms; output centre at client (%.3f, %.3f) "
                    "mm; willClip %s\n",
                    turned.width(), turned.height(), timer.msec(), c.x(), c.y(),
                    params.willClip(image) ? "yes" : "no");

        const std::string path =
            argc > 1 ? argv[1]
                     : (std::filesystem::temp_directory_path() / "oc_demo.archive").string();
        {
            xcFileArchive out(path, xcFileArchive::eStoring);
            xcAffineRectangle r = rect;
            out || turned || r;
            out.close();
        }
        xcPelBuffer<unsigned char> loaded;
        xcAffineRectangle loadedRect;
        {
            xcFileArchive in(path, xcFileArchive::eLoading);
            in || loaded || loadedRect;
        }
        const bool same = xfPelEqual(turned, loaded) && loaded.window() == turned.window() &&
                          loaded.clientFromImage() == turned.clientFromImage() &&
                          loadedRect == rect;
        std::printf("archive %s: %ju bytes, read back %s\n", path.c_str(),
                    static_cast<std::uintmax_t>(std::filesystem::file_size(path)),
                    same ? "identical" : "DIFFERENT");
        return same ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "oc_demo: %s\n", e.what());
        return 2;
    }
}
