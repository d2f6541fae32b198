// Drawing the overlay. Each row goes out in cell order, every run of neighbouring cells drawn
// alike as one text call with each character at its cell's x, clipped to the row's band, so that
// no row's drawing touches another's pixels. Within a run all backgrounds are filled before any
// ink; a cell whose ink or box would reach into the next cell's background therefore ends an
// opaque run, and the picture is the same pixel for pixel as each cell drawn by itself. Whether a
// glyph stays in its cell is found by drawing it, once per character. A draw repaints
// everything, or, when the canvas already shows the last reading but a few rows, only those
// rows' bands, or only their changed cells where every cell of the row keeps to itself.
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "console/screen_buffer.h"
#include "render/colors.h"
#include "render/renderer.h"
#include "render/renderer_state.h"

namespace tideglass {
namespace {

struct CellMetrics {
    int32_t originX;
    int32_t originY;
    float width;
    float height;
    int32_t x(int32_t column) const { return cellOffset(originX, column, width); }
    int32_t y(int32_t row) const { return cellOffset(originY, row, height); }
};

// The colours a cell ends up drawn with. A background the cell leaves untouched is transparent.
struct Pen {
    uint32_t text = 0;
    bool opaque = false;
    uint32_t background = 0;

    bool operator==(const Pen& other) const {
        return text == other.text && opaque == other.opaque &&
               (!opaque || background == other.background);
    }
};

Pen penFor(const RendererConfig& c, const ColorPair& base, uint16_t attribute, bool cursorCell) {
    const CellPaint paint = paintCell(c, attribute, cursorCell);
    Pen pen;
    pen.text = paint.setsTextColor ? paint.textColor : base.text;
    pen.opaque = paint.background == CellBackground::Opaque;
    pen.background = pen.opaque ? paint.backgroundColor : base.background;
    return pen;
}

// Changes of colour and mode cost a call each under GDI; only real changes are made.
class PenHolder {
public:
    PenHolder(TextContext& text, const ColorPair& base)
        : text_(text), current_{base.text, false, base.background} {
        text_.setBackgroundMode(BackgroundMode::Transparent);
        text_.setTextColor(base.text);
        text_.setBackgroundColor(base.background);
    }
    void use(const Pen& pen) {
        if (pen.text != current_.text)
            text_.setTextColor(pen.text);
        if (pen.opaque && pen.background != current_.background)
            text_.setBackgroundColor(pen.background);
        if (pen.opaque != current_.opaque) {
            text_.setBackgroundMode(pen.opaque ? BackgroundMode::Opaque
                                               : BackgroundMode::Transparent);
        }
        current_.text = pen.text;
        current_.opaque = pen.opaque;
        if (pen.opaque)
            current_.background = pen.background;
    }

private:
    TextContext& text_;
    Pen current_;
};

// One character and the cells it takes: two for a wide character, whose second cell holds
// kWideTrail. A second half without its first is drawn as a blank.
struct Unit {
    int32_t column = 0;
    int32_t cells = 1;
    char16_t character = u' ';
};

// The current grids, the font's glyphs and where the cells lie.
struct Frame {
    const RendererConfig& config;
    const char16_t* characters;
    const uint16_t* attributes;
    const GlyphTable& glyphs;
    CellMetrics cell;
    int32_t canvasWidth;

    int32_t width(const Unit& u) const { return cell.x(u.column + u.cells) - cell.x(u.column); }
    GlyphInk ink(char16_t ch) const {
        const GlyphInk* found = glyphs.find(ch);
        return found ? *found : GlyphInk{};
    }
    // The box opaque output fills for the unit drawn alone: a character's own advance, or
    // both cells of a wide one.
    int32_t ownBox(const Unit& u) const {
        const GlyphInk g = ink(u.character);
        return u.cells > 1 || g.advance < 0 ? width(u) : g.advance;
    }
    // The unit's box and ink stay inside its cells.
    bool keepsToItsCells(const Unit& u) const {
        const GlyphInk g = ink(u.character);
        const int32_t w = width(u);
        return g.advance >= 0 && ownBox(u) <= w &&
               (g.inkLeft >= g.inkRight || (g.inkLeft >= 0 && g.inkRight <= w));
    }
    // Another cell may follow the unit in one opaque run: its box is its cells exactly, and its
    // ink stops before the next cell's background.
    bool fillsItsCells(const Unit& u) const {
        const GlyphInk g = ink(u.character);
        return g.advance >= 0 && ownBox(u) == width(u) && g.inkRight <= width(u);
    }
    // The units of the row's columns in the span. The two halves of a wide character are one
    // unit when they are drawn alike (only the low byte of an attribute is drawn; the halves
    // differ in the bits above it); the cursor cell never shares a unit.
    void units(int32_t row, ColumnSpan span, int32_t cursorColumn, std::vector<Unit>& out) const {
        out.clear();
        const size_t first = size_t(row) * size_t(config.columns);
        const char16_t* chars = characters + first;
        const uint16_t* attrs = attributes + first;
        const bool rowRun = rowRunMode(config);
        for (int32_t col = span.first; col < span.last; ++col) {
            Unit u{col, 1, chars[col] == kWideTrail ? u' ' : chars[col]};
            if (chars[col] != kWideTrail && col + 1 < span.last && chars[col + 1] == kWideTrail &&
                col + 1 != cursorColumn &&
                (rowRun || uint8_t(attrs[col + 1]) == uint8_t(attrs[col]))) {
                u.cells = 2;
                ++col;
            }
            out.push_back(u);
        }
    }
};

class RowPainter {
public:
    RowPainter(const Frame& frame, TextContext& text)
        : f_(frame), out_(text), base_(baseColors(frame.config)), pen_(text, base_) {}

    // The row's cells in the span; cursorColumn is -1 when the cursor is not in this row or not
    // shown.
    void row(int32_t row, ColumnSpan span, int32_t cursorColumn) {
        f_.units(row, span, cursorColumn, units_);
        y_ = f_.cell.y(row);
        band_ = PixelBox{0, y_, f_.canvasWidth, f_.cell.y(row + 1)};
        if (rowRunMode(f_.config)) {
            rowRun(cursorColumn);
            return;
        }
        const size_t first = size_t(row) * size_t(f_.config.columns);
        pens_.clear();
        for (const Unit& u : units_) {
            pens_.push_back(penFor(f_.config, base_, f_.attributes[first + size_t(u.column)],
                                   u.column == cursorColumn));
        }
        for (size_t start = 0; start < units_.size();) {
            const Pen& pen = pens_[start];
            size_t end = start + 1;
            while (end < units_.size() && pens_[end] == pen &&
                   units_[start].column != cursorColumn && units_[end].column != cursorColumn &&
                   (!pen.opaque || f_.fillsItsCells(units_[end - 1]))) {
                ++end;
            }
            pen_.use(pen);
            emit(start, end);
            start = end;
        }
    }

    // The row-run cursor goes over all the rows, as the last call.
    void finish() {
        if (!cursor_.waiting)
            return;
        const ColorPair colors = rowRunCursorColors(f_.config);
        pen_.use({colors.text, true, colors.background});
        units_.assign(1, cursor_.unit);
        y_ = cursor_.y;
        band_ = cursor_.band;
        emit(0, 1);
        cursor_.waiting = false;
    }

private:
    // The whole span as one transparent run in the base colours; the cursor waits for finish.
    void rowRun(int32_t cursorColumn) {
        emit(0, units_.size());
        for (const Unit& u : units_) {
            if (u.column == cursorColumn)
                cursor_ = {true, u, y_, band_};
        }
    }

    // Units first to last - 1 in one call, each at its cell's x; the last one's box is the one
    // it has drawn alone.
    void emit(size_t first, size_t last) {
        text_.clear();
        advances_.clear();
        bool ownAdvances = true;
        for (size_t i = first; i < last; ++i) {
            const Unit& u = units_[i];
            text_.push_back(u.character);
            advances_.push_back(i + 1 < last ? f_.width(u) : f_.ownBox(u));
            ownAdvances = ownAdvances && advances_.back() == f_.ink(u.character).advance;
        }
        // Under Wine, text laid out by the font's own advances costs a third of text placed by
        // advances given; where they agree, the picture is the same.
        out_.textOut(f_.cell.x(units_[first].column), y_, text_.data(), int32_t(text_.size()),
                     ownAdvances ? nullptr : advances_.data(), band_);
    }

    const Frame& f_;
    TextContext& out_;
    ColorPair base_;
    PenHolder pen_;
    int32_t y_ = 0;
    PixelBox band_;
    struct {
        bool waiting = false;
        Unit unit;
        int32_t y = 0;
        PixelBox band;
    } cursor_;
    std::vector<Unit> units_;
    std::vector<Pen> pens_;
    std::u16string text_;
    std::vector<int32_t> advances_;
};

// Measures, by drawing them, the characters of the rows that the table does not know yet.
void measureNewGlyphs(Font* font, GlyphTable& glyphs, const std::vector<char16_t>& characters,
                      size_t columns, const std::vector<int32_t>& rows) {
    std::u16string missing;
    for (int32_t r : rows) {
        for (size_t i = size_t(r) * columns, end = i + columns; i < end; ++i) {
            const char16_t ch = characters[i] == kWideTrail ? u' ' : characters[i];
            if (!glyphs.find(ch))
                missing.push_back(ch);
        }
    }
    if (missing.empty())
        return;
    std::sort(missing.begin(), missing.end());
    missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
    // Without a font nothing can be measured; the glyphs then count as leaving their cells.
    std::vector<GlyphInk> inks(missing.size());
    if (font)
        font->measureGlyphs(missing.data(), int32_t(missing.size()), inks.data());
    for (size_t i = 0; i < missing.size(); ++i)
        glyphs.add(missing[i], inks[i]);
}

bool rowKeepsToItsCells(const Frame& frame, int32_t row, int32_t cursorColumn,
                        std::vector<Unit>& scratch) {
    frame.units(row, ColumnSpan{0, frame.config.columns}, cursorColumn, scratch);
    return std::all_of(scratch.begin(), scratch.end(),
                       [&frame](const Unit& u) { return frame.keepsToItsCells(u); });
}

}  // namespace

void Renderer::draw(bool focused) {
    State& s = *state_;
    const RendererConfig& c = s.config;
    const uint32_t clearColor = clearColorArgb(c.backgroundColor);  // never inverted
    std::vector<uint8_t>& changed = s.changedRows;
    std::vector<ColumnSpan>& spans = s.changedColumns;
    if (changed.size() != size_t(c.rows) || spans.size() != size_t(c.rows)) {
        changed.assign(size_t(c.rows), 1);
        spans.assign(size_t(c.rows), ColumnSpan{0, c.columns});
    }
    s.rowsApart.resize(size_t(c.rows), 0);
    if (s.blank) {
        canvas_->clear(clearColor);
        drawNotice();
        s.painted = false;
        std::fill(changed.begin(), changed.end(), 0);
        return;
    }

    const size_t changedCount = size_t(
        std::count_if(changed.begin(), changed.end(), [](uint8_t flag) { return flag != 0; }));
    // Beyond half the rows, one clear and every row costs no more than the bands would.
    const bool full = !s.painted || focused != s.paintedFocused ||
                      changedCount * 2 > changed.size() || !s.notice.empty();
    if (!full && changedCount == 0)
        return;
    const bool cursorShown = focused && s.cursorVisible && s.cursorColumn >= 0 &&
                             s.cursorColumn < c.columns && s.cursorRow >= 0 && s.cursorRow < c.rows;

    std::vector<int32_t> rows;
    for (int32_t r = 0; r < c.rows; ++r) {
        if (full || changed[size_t(r)])
            rows.push_back(r);
    }
    measureNewGlyphs(s.font.get(), s.glyphs, s.characters, size_t(c.columns), rows);
    const int32_t canvasWidth = int32_t(canvas_->width());
    const Frame frame{c,
                      s.characters.data(),
                      s.attributes.data(),
                      s.glyphs,
                      CellMetrics{s.textOriginX, s.textOriginY, cellWidth(s.textWidth, c.columns),
                                  cellHeight(s.textHeight, c.rows)},
                      canvasWidth};
    const CellMetrics& cell = frame.cell;
    std::vector<Unit> scratch;

    auto cursorIn = [&](int32_t row) {
        return cursorShown && row == s.cursorRow ? s.cursorColumn : -1;
    };

    // Rows with their spans, drawn through one text context; false when there is none.
    struct RowSpan {
        int32_t row;
        ColumnSpan span;
    };
    auto paintRows = [&](std::unique_ptr<TextContext> text, const std::vector<RowSpan>& list) {
        if (!text)
            return false;
        if (s.font)
            text->selectFont(*s.font);
        text->setTextAlign(0);
        RowPainter painter(frame, *text);
        for (const RowSpan& r : list)
            painter.row(r.row, r.span, cursorIn(r.row));
        painter.finish();
        return true;
    };

    bool painted = true;
    if (full) {
        canvas_->clear(clearColor);
        std::vector<RowSpan> all;
        for (int32_t r : rows)
            all.push_back({r, ColumnSpan{0, c.columns}});
        painted = paintRows(canvas_->openText(), all);
        for (int32_t r : rows)
            s.rowsApart[size_t(r)] = rowKeepsToItsCells(frame, r, cursorIn(r), scratch) ? 1 : 0;
        drawNotice();
    } else {
        for (int32_t r : rows) {
            // Only the changed cells where every cell of the row, as it was and as it is, keeps
            // its drawing inside itself; otherwise the whole band, margins included.
            const bool apart = rowKeepsToItsCells(frame, r, cursorIn(r), scratch);
            ColumnSpan span{0, c.columns};
            int32_t left = 0;
            int32_t right = canvasWidth;
            if (apart && s.rowsApart[size_t(r)]) {
                // With a cell more on each side: a changed cell may have been, or become, one
                // half of a wide character whose other half did not change.
                span = ColumnSpan{std::max(spans[size_t(r)].first - 1, 0),
                                  std::min(spans[size_t(r)].last + 1, c.columns)};
                left = cell.x(span.first);
                right = cell.x(span.last);
            }
            const int32_t top = cell.y(r);
            const int32_t height = cell.y(r + 1) - top;
            canvas_->clearRect(left, top, right - left, height, clearColor);
            painted = paintRows(canvas_->openTextArea(left, top, right - left, height),
                                {RowSpan{r, span}}) &&
                      painted;
            s.rowsApart[size_t(r)] = apart ? 1 : 0;
        }
    }

    std::fill(changed.begin(), changed.end(), 0);
    s.painted = painted;
    s.paintedFocused = focused;
}

}  // namespace tideglass
