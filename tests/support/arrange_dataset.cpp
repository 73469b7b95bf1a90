#include "support/arrange_dataset.h"

#include "oc/arrange/char_poses.h"
#include "oc/oc/model.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <stdexcept>

namespace oc_test {

namespace {

xcVector<2> cellCentre(const xcPelRect& r) {
    return xcVector<2>(double(r.x()) + 0.5 * double(r.width()),
                       double(r.y()) + 0.5 * double(r.height()));
}

} // namespace

xcPtrHandle_const<xcOCAlphabet> datasetAlphabet(const Dataset& data, const std::string& font) {
    const auto chars = data.fonts.find(font);
    if (chars == data.fonts.end()) throw std::runtime_error("no font " + font);
    xcOCAlphabet::Models models;
    for (const DatasetChar& c : chars->second) {
        // The arranger fits its lines through the models' client origins and spaces them by
        // half widths: the origin goes to the middle of the cell.
        xcPelBuffer<unsigned char> image = c.image;
        image.clientFromImageXform(xcXform<2>(xcMatrix<2>(), -cellCentre(c.image.window())));
        models.emplace_back(
            new xcOCModel(c.key, image, c.image.window(), xcOCModel::eNormal, c.name, ""));
    }
    const auto blanks = data.blanks.find(font);
    if (blanks != data.blanks.end())
        for (const DatasetBlank& b : blanks->second)
            models.emplace_back(new xcOCModel(b.key, xcPelBuffer_const<unsigned char>(),
                                              xcPelRect(0, 0, b.width, b.height), xcOCModel::eBlank,
                                              b.name, ""));
    return xcPtrHandle_const<xcOCAlphabet>(new xcOCAlphabet(models, 0.5, false, font));
}

std::string caseResultJson(const std::string& id, double timeMs, const xcOCArrangeResults& r,
                           const xcOCAlphabet& alphabet, const std::vector<long>& keys) {
    static const char* const kStatus[] = {"matched", "inferred", "unknown"};
    const std::vector<xcXform<2>> poses = xfOCCharacterPoses(r);
    nlohmann::json chars = nlohmann::json::array();
    for (std::size_t i = 0; i < r.statusFlags().size(); ++i) {
        // Client poses place the cell's middle; the scorer's poses its model image's corner.
        const xcVector<2> centre = cellCentre(alphabet.character(keys[i])->imageArea());
        const xcXform<2> p =
            (i < poses.size() ? poses[i] : xcXform<2>()) * xcXform<2>(xcMatrix<2>(), -centre);
        const xcMatrix<2>& m = p.matrix();
        const std::size_t s = std::min<std::size_t>(r.statusFlags()[i], 2);
        chars.push_back({{"status", kStatus[s]},
                         {"score", r.scores()[i]},
                         {"pose", {m.a(), m.b(), m.c(), m.d(), p.trans().x(), p.trans().y()}}});
    }
    return nlohmann::json{{"id", id}, {"time_ms", timeMs}, {"chars", chars}}.dump();
}

} // namespace oc_test
