#include "common/alphabet_folder.h"

#include "common/detail/json_fields.h"
#include "common/image_file.h"

#include <filesystem>
#include <stdexcept>

namespace oc_tools {

namespace {

using detail::intMember;
using detail::stringMember;

xcPelRect areaOf(const nlohmann::json& e, const std::string& where) {
    const nlohmann::json& a = detail::member(e, "area", where);
    if (!a.is_array() || a.size() != 4 || !a[0].is_number_integer() || !a[1].is_number_integer() ||
        !a[2].is_number_integer() || !a[3].is_number_integer())
        throw std::runtime_error(where + ": \"area\" must be a list of 4 integers");
    const xcPelRect r(a[0].get<long>(), a[1].get<long>(), a[2].get<long>(), a[3].get<long>());
    constexpr long kLimit = 1L << 30;
    if (r.x() < 0 || r.y() < 0 || r.x() > kLimit || r.y() > kLimit || r.width() <= 0 ||
        r.height() <= 0 || r.width() > kLimit || r.height() > kLimit)
        throw std::runtime_error(where +
                                 ": \"area\" must be [x, y, w, h] with x, y >= 0 and w, h > 0");
    return r;
}

bool inside(const xcPelRect& r, const xcPelRect& outer) {
    return r.x() >= outer.x() && r.y() >= outer.y() && r.right() <= outer.right() &&
           r.bottom() <= outer.bottom();
}

xcPtrHandle_const<xcOCModel> normalModel(const FolderChar& c, const std::filesystem::path& file,
                                         const std::string& where) {
    xcPelBuffer<unsigned char> image = readImage(file.string());
    if (!inside(c.area, image.window()))
        throw std::runtime_error(where + ": \"area\" does not fit the " +
                                 std::to_string(image.width()) + " x " +
                                 std::to_string(image.height()) + " image " + file.string());
    image.window(c.area);
    image.clientFromImageXform(xcXform<2>::translation(-c.area.center()));
    return xcPtrHandle_const<xcOCModel>(
        new xcOCModel(c.key, image, c.area, xcOCModel::eNormal, c.name, ""));
}

} // namespace

AlphabetFolder readAlphabetFolder(const std::string& dir) {
    namespace fs = std::filesystem;
    const fs::path folder(dir);
    const std::string path = (folder / "alphabet.json").string();
    if (!fs::is_directory(folder)) throw std::runtime_error(dir + ": not an alphabet folder");
    const nlohmann::json list = detail::readJsonFile(path);
    if (!list.is_array() || list.empty())
        throw std::runtime_error(path + ": must be a list of characters");
    AlphabetFolder out;
    xcOCAlphabet::Models models;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const nlohmann::json& e = list[i];
        const std::string where = path + ": entry " + std::to_string(i);
        FolderChar c;
        c.key = intMember(e, "key", where);
        c.name = stringMember(e, "name", where);
        const std::string type = stringMember(e, "type", where);
        if (type != "normal" && type != "blank")
            throw std::runtime_error(where + ": \"type\" must be \"normal\" or \"blank\"");
        c.blank = type == "blank";
        c.sym180 = e.contains("sym180") && detail::boolMember(e, "sym180", where);
        c.area = areaOf(e, where);
        if (!out.chars.emplace(c.key, c).second)
            throw std::runtime_error(where + ": key " + std::to_string(c.key) + " given twice");
        if (c.blank)
            models.emplace_back(new xcOCModel(c.key, xcPelBuffer_const<unsigned char>(),
                                              xcPelRect(0, 0, c.area.width(), c.area.height()),
                                              xcOCModel::eBlank, c.name, ""));
        else
            models.push_back(normalModel(c, folder / stringMember(e, "file", where), where));
    }
    const std::string name = fs::absolute(folder).lexically_normal().filename().string();
    out.alphabet = xcPtrHandle_const<xcOCAlphabet>(new xcOCAlphabet(models, 0.5, false, name));
    return out;
}

} // namespace oc_tools
