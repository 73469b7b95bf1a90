// Graphics that diagnostics records draw over images: shapes with colour, pen style and width.
#pragma once

#include "core/geom/affine_rect.h"
#include "core/geom/coord_axes.h"
#include "core/geom/ellipse_arc.h"
#include "core/geom/lineseg.h"
#include "core/geom/rect.h"
#include "diag/export.h"

#include <memory>
#include <string>
#include <variant>
#include <vector>

// The coordinate systems a graphics list can be drawn in: 1 = image (pel) coordinates of the
// record's image, 2 = client coordinates.
struct xcDisplay {
    enum CoordinateSystem : long { eImageCoords = 1, eClientCoords = 2 };
};

// A colour: red, green and blue from 0 to 255. The named colours are
//   black (0, 0, 0)      white (255, 255, 255)   red (255, 0, 0)       green (0, 255, 0)
//   blue (0, 0, 255)     yellow (255, 255, 0)    cyan (0, 255, 255)    magenta (255, 0, 255)
//   orange (255, 165, 0) grey (128, 128, 128)
class XDIAG_API xcColor {
public:
    enum Name : unsigned char {
        eBlack,
        eWhite,
        eRed,
        eGreen,
        eBlue,
        eYellow,
        eCyan,
        eMagenta,
        eOrange,
        eGrey
    };

    // Black.
    constexpr xcColor() = default;
    constexpr xcColor(Name n) : r_(kTable[n][0]), g_(kTable[n][1]), b_(kTable[n][2]) {}
    constexpr xcColor(unsigned char red, unsigned char green, unsigned char blue)
        : r_(red), g_(green), b_(blue) {}

    constexpr unsigned char red() const { return r_; }
    constexpr unsigned char green() const { return g_; }
    constexpr unsigned char blue() const { return b_; }

    // "green" for a named colour, else "rgb(r, g, b)".
    std::string name() const;

    friend constexpr bool operator==(const xcColor&, const xcColor&) = default;

private:
    static constexpr unsigned char kTable[10][3] = {
        {0, 0, 0},     {255, 255, 255}, {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
        {255, 255, 0}, {0, 255, 255},   {255, 0, 255}, {255, 165, 0}, {128, 128, 128}};

    unsigned char r_ = 0, g_ = 0, b_ = 0;
};

// How lines are drawn; 0 is a solid line.
enum xePenStyle : long { eSolid = 0, eDash = 1, eDot = 2, eDashDot = 3, eDashDotDot = 4 };

// Colour, pen style and pen width (in screen pixels, at least 1) of one graphic.
class XDIAG_API xcGraphicProps {
public:
    // Red, solid, width 1; the pen fields are declared in detail/graphic_props_table.h.
    xcGraphicProps();
    // A bad style or width throws xcDiagDefs::BadParams.
    xcGraphicProps(const xcColor& color, xePenStyle style = eSolid, long penWidth = 1);

    const xcColor& color() const { return color_; }
    void color(const xcColor& c) { color_ = c; }
    xePenStyle penStyle() const { return style_; }
    // A value outside eSolid .. eDashDotDot throws xcDiagDefs::BadParams.
    void penStyle(xePenStyle s);
    long penWidth() const { return width_; }
    // A width below 1 throws xcDiagDefs::BadParams.
    void penWidth(long w);

    // "green, solid, width 2".
    std::string describe() const;

    friend bool operator==(const xcGraphicProps&, const xcGraphicProps&) = default;

private:
    friend struct xc_GraphicPropsTable;
    xcColor color_ = xcColor::eRed;
    xePenStyle style_;
    long width_;
};

// One shape of a graphics list with its props. Lists copy shapes with clone().
class XDIAG_API xcGraphic {
public:
    virtual ~xcGraphic();

    const xcGraphicProps& props() const { return props_; }
    void props(const xcGraphicProps& p) { props_ = p; }

    virtual std::unique_ptr<xcGraphic> clone() const = 0;
    // The shape and its numbers on one line, without the props, e.g.
    // "line segment (0, 0) to (5, 0)".
    virtual std::string describe() const = 0;
    // Same kind of graphic, same shape and same props.
    virtual bool equals(const xcGraphic& other) const = 0;

protected:
    explicit xcGraphic(const xcGraphicProps& props) : props_(props) {}
    xcGraphic(const xcGraphic&) = default;
    xcGraphic& operator=(const xcGraphic&) = default;

private:
    xcGraphicProps props_;
};

// An outline: a line segment, an affine rectangle, an ellipse arc or a pair of coordinate axes.
class XDIAG_API xcGraphicSimple final : public xcGraphic {
public:
    using Shape = std::variant<xcLineSeg, xcAffineRectangle, xcEllipseArc2, xcCoordAxes>;

    explicit xcGraphicSimple(const Shape& shape, const xcGraphicProps& props = {})
        : xcGraphic(props), shape_(shape) {}

    const Shape& shape() const { return shape_; }
    void shape(const Shape& s) { shape_ = s; }
    // The shape if it is a T, else null.
    template <class T>
    const T* get() const {
        return std::get_if<T>(&shape_);
    }

    std::unique_ptr<xcGraphic> clone() const override;
    // "line segment (x, y) to (x, y)", "affine rectangle Po (x, y) Px (x, y) Py (x, y)",
    // "ellipse arc centre (x, y) radii rx, ry rotation r deg start s deg span p deg",
    // "coordinate axes origin (x, y) x end (x, y) y end (x, y)".
    std::string describe() const override;
    bool equals(const xcGraphic& other) const override;

private:
    Shape shape_;
};

// How a shape with a fill is drawn; the only one is the axis-aligned rectangle.
class xcGenRect {};

template <class Shape, class Kind>
class xcGraphicWithFill;

// An axis-aligned rectangle, outlined, or filled with its colour when fill() is on.
template <>
class XDIAG_API xcGraphicWithFill<xcRect, xcGenRect> final : public xcGraphic {
public:
    explicit xcGraphicWithFill(const xcRect& rect, const xcGraphicProps& props = {},
                               bool fill = false)
        : xcGraphic(props), rect_(rect), fill_(fill) {}

    const xcRect& rect() const { return rect_; }
    void rect(const xcRect& r) { rect_ = r; }
    bool fill() const { return fill_; }
    void fill(bool f) { fill_ = f; }

    std::unique_ptr<xcGraphic> clone() const override;
    // "rectangle (x, y, width, height), fill off".
    std::string describe() const override;
    bool equals(const xcGraphic& other) const override;

private:
    xcRect rect_;
    bool fill_ = false;
};

using xcGraphicRect = xcGraphicWithFill<xcRect, xcGenRect>;

// A small icon marking a point; its size is in screen pixels, whatever the zoom.
class XDIAG_API xcGraphicPointIcon final : public xcGraphic {
public:
    enum Icon : long { ePlus = 0, eCross = 1, eCircle = 2, eSquare = 3, eDiamond = 4 };

    // An unknown icon or a size below 1 throws xcDiagDefs::BadParams.
    explicit xcGraphicPointIcon(const xcVector<2>& point, const xcGraphicProps& props = {},
                                Icon icon = ePlus, long sizePels = 5);

    const xcVector<2>& point() const { return point_; }
    void point(const xcVector<2>& p) { point_ = p; }
    Icon icon() const { return icon_; }
    void icon(Icon i);
    long sizePels() const { return size_; }
    void sizePels(long s);

    std::unique_ptr<xcGraphic> clone() const override;
    // "point icon plus at (x, y), size 5".
    std::string describe() const override;
    bool equals(const xcGraphic& other) const override;

private:
    xcVector<2> point_;
    Icon icon_ = ePlus;
    long size_ = 5;
};

// An ordered list of graphics, each with its own props. Copies are deep.
class XDIAG_API xcGraphicList {
public:
    xcGraphicList() = default;
    xcGraphicList(const xcGraphicList& other);
    xcGraphicList& operator=(const xcGraphicList& other);
    xcGraphicList(xcGraphicList&&) noexcept = default;
    xcGraphicList& operator=(xcGraphicList&&) noexcept = default;
    ~xcGraphicList();

    long size() const { return static_cast<long>(items_.size()); }
    bool empty() const { return items_.empty(); }
    // The graphic at index i; an index outside 0 .. size() - 1 throws xcDiagDefs::BadIndex.
    const xcGraphic& at(long i) const;
    // The graphic at index i if it is a T, else null; a bad index throws like at().
    template <class T>
    const T* get(long i) const {
        return dynamic_cast<const T*>(&at(i));
    }

    // Appends a copy of g.
    void push(const xcGraphic& g);
    // Appends g itself; null throws xcDiagDefs::BadParams.
    void push(std::unique_ptr<xcGraphic> g);
    void clear() { items_.clear(); }

    // Same length and equal graphics in the same order.
    friend XDIAG_API bool operator==(const xcGraphicList& a, const xcGraphicList& b);

private:
    std::vector<std::unique_ptr<xcGraphic>> items_;
};
