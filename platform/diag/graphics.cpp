#include "diag/graphics.h"

#include "diag/detail/graphic_props_table.h"
#include "diag/detail/number_text.h"
#include "diag/diag_errors.h"

#include <type_traits>

using xcDiagDetail::num;
using xcDiagDetail::point;
using PropsTable = xc_GraphicPropsTable;

namespace {

const char* const kColorNames[] = {"black",  "white", "red",     "green",  "blue",
                                   "yellow", "cyan",  "magenta", "orange", "grey"};
const char* const kPenNames[] = {"solid", "dash", "dot", "dash-dot", "dash-dot-dot"};
const char* const kIconNames[] = {"plus", "cross", "circle", "square", "diamond"};

void checkIcon(xcGraphicPointIcon::Icon i) {
    if (i < xcGraphicPointIcon::ePlus || i > xcGraphicPointIcon::eDiamond)
        throw xcDiagDefs::BadParams("Point icon must be between 0 and 4");
}

void checkIconSize(long s) {
    if (s < 1) throw xcDiagDefs::BadParams("Point icon size must be >= 1");
}

std::string degrees(xcRadian a) {
    return num(xcDegree(a).toDouble()) + " deg";
}

std::string shapeText(const xcLineSeg& s) {
    return "line segment " + point(s.p1()) + " to " + point(s.p2());
}
std::string shapeText(const xcAffineRectangle& r) {
    return "affine rectangle Po " + point(r.cornerPo()) + " Px " + point(r.cornerPx()) + " Py " +
           point(r.cornerPy());
}
std::string shapeText(const xcEllipseArc2& e) {
    return "ellipse arc centre " + point(e.centre()) + " radii " + num(e.xRadius()) + ", " +
           num(e.yRadius()) + " rotation " + degrees(e.rotation()) + " start " +
           degrees(e.start()) + " span " + degrees(e.span());
}
std::string shapeText(const xcCoordAxes& a) {
    return "coordinate axes origin " + point(a.origin()) + " x end " + point(a.xEnd()) + " y end " +
           point(a.yEnd());
}

} // namespace

std::string xcColor::name() const {
    for (int n = eBlack; n <= eGrey; ++n)
        if (*this == xcColor(static_cast<Name>(n))) return kColorNames[n];
    return "rgb(" + std::to_string(r_) + ", " + std::to_string(g_) + ", " + std::to_string(b_) +
           ")";
}

xcGraphicProps::xcGraphicProps() {
    xf_ResetParams<PropsTable>(*this);
}

xcGraphicProps::xcGraphicProps(const xcColor& color, xePenStyle style, long penWidth)
    : xcGraphicProps() {
    this->penStyle(style);
    this->penWidth(penWidth);
    color_ = color;
}

void xcGraphicProps::penStyle(xePenStyle s) {
    xf_SetParam<PropsTable>(*this, PropsTable::penStyle, s);
}

void xcGraphicProps::penWidth(long w) {
    xf_SetParam<PropsTable>(*this, PropsTable::penWidth, w);
}

std::string xcGraphicProps::describe() const {
    return color_.name() + ", " + kPenNames[style_] + ", width " + num(width_);
}

xcGraphic::~xcGraphic() = default;

std::unique_ptr<xcGraphic> xcGraphicSimple::clone() const {
    return std::make_unique<xcGraphicSimple>(*this);
}

std::string xcGraphicSimple::describe() const {
    return std::visit([](const auto& s) { return shapeText(s); }, shape_);
}

bool xcGraphicSimple::equals(const xcGraphic& other) const {
    auto* o = dynamic_cast<const xcGraphicSimple*>(&other);
    return o && o->props() == props() && o->shape_ == shape_;
}

std::unique_ptr<xcGraphic> xcGraphicWithFill<xcRect, xcGenRect>::clone() const {
    return std::make_unique<xcGraphicWithFill>(*this);
}

std::string xcGraphicWithFill<xcRect, xcGenRect>::describe() const {
    return "rectangle (" + num(rect_.x()) + ", " + num(rect_.y()) + ", " + num(rect_.width()) +
           ", " + num(rect_.height()) + "), fill " + (fill_ ? "on" : "off");
}

bool xcGraphicWithFill<xcRect, xcGenRect>::equals(const xcGraphic& other) const {
    auto* o = dynamic_cast<const xcGraphicWithFill*>(&other);
    return o && o->props() == props() && o->rect_ == rect_ && o->fill_ == fill_;
}

xcGraphicPointIcon::xcGraphicPointIcon(const xcVector<2>& point, const xcGraphicProps& props,
                                       Icon icon, long sizePels)
    : xcGraphic(props), point_(point) {
    checkIcon(icon);
    checkIconSize(sizePels);
    icon_ = icon;
    size_ = sizePels;
}

void xcGraphicPointIcon::icon(Icon i) {
    checkIcon(i);
    icon_ = i;
}

void xcGraphicPointIcon::sizePels(long s) {
    checkIconSize(s);
    size_ = s;
}

std::unique_ptr<xcGraphic> xcGraphicPointIcon::clone() const {
    return std::make_unique<xcGraphicPointIcon>(*this);
}

std::string xcGraphicPointIcon::describe() const {
    return std::string("point icon ") + kIconNames[icon_] + " at " + xcDiagDetail::point(point_) +
           ", size " + num(size_);
}

bool xcGraphicPointIcon::equals(const xcGraphic& other) const {
    auto* o = dynamic_cast<const xcGraphicPointIcon*>(&other);
    return o && o->props() == props() && o->point_ == point_ && o->icon_ == icon_ &&
           o->size_ == size_;
}

xcGraphicList::xcGraphicList(const xcGraphicList& other) {
    items_.reserve(other.items_.size());
    for (const auto& g : other.items_) items_.push_back(g->clone());
}

xcGraphicList& xcGraphicList::operator=(const xcGraphicList& other) {
    // Built aside first, so a failing copy leaves this list as it was.
    if (this != &other) *this = xcGraphicList(other);
    return *this;
}

xcGraphicList::~xcGraphicList() = default;

const xcGraphic& xcGraphicList::at(long i) const {
    if (i < 0 || i >= size()) throw xcDiagDefs::BadIndex("Graphic index out of range");
    return *items_[static_cast<std::size_t>(i)];
}

void xcGraphicList::push(const xcGraphic& g) {
    items_.push_back(g.clone());
}

void xcGraphicList::push(std::unique_ptr<xcGraphic> g) {
    if (!g) throw xcDiagDefs::BadParams("Cannot add a null graphic");
    items_.push_back(std::move(g));
}

bool operator==(const xcGraphicList& a, const xcGraphicList& b) {
    if (a.items_.size() != b.items_.size()) return false;
    for (std::size_t i = 0; i < a.items_.size(); ++i)
        if (!a.items_[i]->equals(*b.items_[i])) return false;
    return true;
}
