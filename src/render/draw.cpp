// Drawing the overlay. A draw repaints everything, or, when the canvas already shows the last
// reading but a few rows, only those rows' bands, or only the changed cells' part of them when
// no cell's drawing leaves its cell. Neighbouring cells drawn alike go out as one
// text call whose characters land exactly where drawing each cell alone would put them, so the
// picture is the same pixel for pixel whichever way it was made.
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

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

// The colours a cell ends up drawn with. A background the cell leaves untouched is transparent:
// only the cursor cell makes it opaque there, and it is set back right after.
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
    void opaqueBackground(uint32_t color) { use({current_.text, true, color}); }
    void transparentText(uint32_t color) { use({color, false, current_.background}); }

private:
    TextContext& text_;
    Pen current_;
};

// Drawn alone, a cell paints its box and then its ink, and the next cell's box covers whatever
// of that ink reaches into it. In one run every box is painted before any ink, so a cell may be
// followed within an opaque run only when its box is its cell exactly and its ink stays inside.
bool fitsCell(const GlyphBox& glyph, int32_t cellWidth) {
    return glyph.advance == cellWidth && glyph.inkRight <= cellWidth;
}

// The current grids and what they are drawn with.
struct Grids {
    const RendererConfig& config;
    const char* characters;
    const uint16_t* attributes;
    const GlyphBoxes& glyphs;
};

// Under Wine a text call costs as much as some twenty characters more in one call, so each
// colour's characters of many rows go out together, in calls well within the 8192 characters
// Windows documents as the limit.
constexpr size_t kMaxPlacedBytes = 4096;

class RowPainter {
public:
    RowPainter(const Grids& grids, const CellMetrics& cell, TextContext& text)
        : grids_(grids),
          cell_(cell),
          out_(text),
          base_(baseColors(grids.config)),
          pen_(text, base_) {}

    // The row's characters at their own advances from the first column's x.
    void rowRun(int32_t row, ColumnSpan span) {
        const size_t first = size_t(row) * size_t(grids_.config.columns) + size_t(span.first);
        out_.textOut(cell_.x(span.first), cell_.y(row), &grids_.characters[first],
                     span.last - span.first);
    }

    void rowRunCursor(int32_t row, int32_t column) {
        const ColorPair cursor = rowRunCursorColors(grids_.config);
        pen_.use({cursor.text, true, cursor.background});
        const size_t index = size_t(row) * size_t(grids_.config.columns) + size_t(column);
        out_.textOut(cell_.x(column), cell_.y(row), &grids_.characters[index], 1);
    }

    // The row's cells in the span; cursorColumn is -1 when the cursor is not in this row or not
    // shown.
    void perCell(int32_t row, int32_t cursorColumn, ColumnSpan span) {
        const RendererConfig& c = grids_.config;
        const size_t first = size_t(row) * size_t(c.columns);
        chars_ = &grids_.characters[first];
        span_ = span;
        pens_.resize(size_t(c.columns));
        bool layered = true;
        for (int32_t col = span.first; col < span.last; ++col) {
            const Pen pen =
                penFor(c, base_, grids_.attributes[first + size_t(col)], col == cursorColumn);
            pens_[size_t(col)] = pen;
            const GlyphBox& g = glyph(col);
            const int32_t width = cell_.x(col + 1) - cell_.x(col);
            if (g.alone || (pen.opaque && g.advance != width) ||
                (g.inkLeft < g.inkRight && (g.inkLeft < 0 || g.inkRight > width))) {
                layered = false;
            }
        }
        if (layered)
            layers(cell_.y(row));
        else
            runs(cell_.y(row), cursorColumn);
        if (!defer_)
            flush();
    }

    // While rows stay in their bands, no row's drawing touches another's pixels, and the boxes
    // and text of many rows may wait to go out together.
    void defer(bool defer) { defer_ = defer; }

    // Fills the waiting boxes, a call for each colour, and then outputs each colour's waiting
    // characters in as few calls as the limit allows.
    void flush() {
        for (Fill& fill : fills_) {
            if (fill.boxes.empty())
                continue;
            pen_.opaqueBackground(fill.color);
            out_.fillBoxes(fill.boxes.data(), int32_t(fill.boxes.size()));
            fill.boxes.clear();
        }
        for (Layer& layer : layers_) {
            if (layer.bytes.empty())
                continue;
            pen_.transparentText(layer.color);
            for (size_t first = 0; first < layer.bytes.size(); first += kMaxPlacedBytes) {
                const size_t count = std::min(kMaxPlacedBytes, layer.bytes.size() - first);
                steps_.clear();
                for (size_t i = first; i + 1 < first + count; ++i) {
                    steps_.push_back(layer.xs[i + 1] - layer.xs[i]);
                    steps_.push_back(layer.ys[i + 1] - layer.ys[i]);
                }
                steps_.push_back(0);
                steps_.push_back(0);
                out_.textOutSteps(layer.xs[first], layer.ys[first], &layer.bytes[first],
                                  int32_t(count), steps_.data());
            }
            layer.bytes.clear();
            layer.xs.clear();
            layer.ys.clear();
        }
    }

private:
    const GlyphBox& glyph(int32_t col) const {
        return grids_.glyphs[static_cast<unsigned char>(chars_[col])];
    }
    bool inked(char byte) const {
        const GlyphBox& g = grids_.glyphs[static_cast<unsigned char>(byte)];
        return g.inkLeft < g.inkRight;
    }
    // Outputs `bytes` in the cells from start to end, each at its cell's x; the last one's box
    // is its own, as it would be drawn alone.
    void emit(int32_t y, int32_t start, int32_t end, const char* bytes) {
        const int32_t count = end - start;
        bool ownAdvances = true;
        advances_.clear();
        for (int32_t col = start; col + 1 < end; ++col) {
            const int32_t width = cell_.x(col + 1) - cell_.x(col);
            ownAdvances =
                ownAdvances &&
                grids_.glyphs[static_cast<unsigned char>(bytes[col - start])].advance == width;
            advances_.push_back(width);
        }
        // Plain output lays the characters out by their own advances, and under Wine it costs
        // a third of output with the advances given.
        if (ownAdvances) {
            out_.textOut(cell_.x(start), y, bytes, count);
            return;
        }
        advances_.push_back(grids_.glyphs[static_cast<unsigned char>(bytes[count - 1])].advance);
        out_.textOutAdvances(cell_.x(start), y, bytes, count, advances_.data());
    }

    // When every box is its cell and every glyph's ink stays in its cell, no cell's drawing
    // touches another's pixels, so the order of the cells does not matter: first the opaque
    // backgrounds, each stretch of one colour as one box, then the text, gathered by colour,
    // each character placed at its cell.
    void layers(int32_t y) {
        const int32_t columns = span_.last;
        for (int32_t start = span_.first; start < columns;) {
            const Pen& pen = pens_[size_t(start)];
            int32_t end = start + 1;
            if (!pen.opaque) {
                start = end;
                continue;
            }
            while (end < columns && pens_[size_t(end)].opaque &&
                   pens_[size_t(end)].background == pen.background) {
                ++end;
            }
            auto it = std::find_if(fills_.begin(), fills_.end(), [&pen](const Fill& fill) {
                return fill.color == pen.background;
            });
            if (it == fills_.end())
                it = fills_.insert(fills_.end(), Fill{pen.background, {}});
            it->boxes.push_back({cell_.x(start), y, cell_.x(end) - cell_.x(start)});
            start = end;
        }

        for (int32_t col = span_.first; col < columns; ++col) {
            if (!inked(chars_[col]))
                continue;
            const uint32_t color = pens_[size_t(col)].text;
            auto it = std::find_if(layers_.begin(), layers_.end(),
                                   [color](const Layer& layer) { return layer.color == color; });
            if (it == layers_.end())
                it = layers_.insert(layers_.end(), Layer{color, {}, {}, {}});
            it->bytes.push_back(chars_[col]);
            it->xs.push_back(cell_.x(col));
            it->ys.push_back(y);
        }
    }

    // Otherwise cells go in order, neighbours of the same paint as one run.
    void runs(int32_t y, int32_t cursorColumn) {
        const int32_t columns = span_.last;
        int32_t start = span_.first;
        while (start < columns) {
            const Pen& pen = pens_[size_t(start)];
            int32_t end = start + 1;
            for (; end < columns; ++end) {
                const bool joins =
                    start != cursorColumn && end != cursorColumn && pens_[size_t(end)] == pen &&
                    !glyph(end).alone && !glyph(end - 1).alone &&
                    (!pen.opaque || fitsCell(glyph(end - 1), cell_.x(end) - cell_.x(end - 1)));
                if (!joins)
                    break;
            }
            pen_.use(pen);
            emit(y, start, end, &chars_[start]);
            start = end;
        }
    }

    // One colour's boxes waiting to be filled.
    struct Fill {
        uint32_t color;
        std::vector<BoxSpan> boxes;
    };
    // One colour's characters waiting for output, each with its place.
    struct Layer {
        uint32_t color;
        std::string bytes;
        std::vector<int32_t> xs;
        std::vector<int32_t> ys;
    };

    const Grids& grids_;
    const CellMetrics& cell_;
    TextContext& out_;
    ColorPair base_;
    PenHolder pen_;
    const char* chars_ = nullptr;  // the row being drawn
    ColumnSpan span_;              // its columns being drawn
    std::vector<Pen> pens_;        // of each of its cells
    std::vector<Fill> fills_;
    std::vector<Layer> layers_;
    bool defer_ = false;
    std::vector<int32_t> steps_;
    std::vector<int32_t> advances_;
};

bool glyphsStayInBands(const GlyphBoxes& glyphs, const CellMetrics& cell, int32_t rows) {
    int32_t band = cell.y(1) - cell.y(0);
    for (int32_t r = 1; r < rows; ++r)
        band = std::min(band, cell.y(r + 1) - cell.y(r));
    return std::all_of(glyphs.begin(), glyphs.end(),
                       [band](const GlyphBox& g) { return g.top >= 0 && g.bottom <= band; });
}

bool cellsStayApart(const GlyphBoxes& glyphs, const CellMetrics& cell, int32_t columns) {
    const int32_t width = cell.x(1) - cell.x(0);
    for (int32_t c = 1; c < columns; ++c) {
        if (cell.x(c + 1) - cell.x(c) != width)
            return false;
    }
    return std::all_of(glyphs.begin(), glyphs.end(), [width](const GlyphBox& g) {
        return !g.alone && g.advance == width &&
               (g.inkLeft >= g.inkRight || (g.inkLeft >= 0 && g.inkRight <= width));
    });
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
    if (s.blank) {
        canvas_->clear(clearColor);
        s.painted = false;
        std::fill(changed.begin(), changed.end(), 0);
        return;
    }

    const CellMetrics cell{s.textOriginX, s.textOriginY, cellWidth(s.textWidth, c.columns),
                           cellHeight(s.textHeight, c.rows)};
    const size_t changedCount = size_t(
        std::count_if(changed.begin(), changed.end(), [](uint8_t flag) { return flag != 0; }));
    // Beyond half the rows, one clear and every row costs no more than the bands would.
    const bool full = !s.painted || focused != s.paintedFocused || !s.rowsStayInBands ||
                      changedCount * 2 > changed.size();
    if (!full && changedCount == 0)
        return;
    const bool cursorShown = focused && s.cursorVisible && s.cursorColumn >= 0 &&
                             s.cursorColumn < c.columns && s.cursorRow >= 0 && s.cursorRow < c.rows;
    const bool rowRun = rowRunMode(c);
    bool painted = true;

    // The span's cells of rows first to last - 1, drawn through `text`; false when there is no
    // text context.
    auto paintRows = [&](std::unique_ptr<TextContext> text, int32_t first, int32_t last,
                         ColumnSpan span) {
        if (!text)
            return false;
        if (s.font)
            text->selectFont(*s.font);
        text->setTextAlign(0);
        if (!s.glyphs) {
            s.glyphs = std::make_unique<GlyphBoxes>();
            text->glyphBoxes(*s.glyphs);
            s.rowsStayInBands = glyphsStayInBands(*s.glyphs, cell, c.rows);
            s.cellsStayApart = s.rowsStayInBands && cellsStayApart(*s.glyphs, cell, c.columns);
        }
        const Grids grids{c, s.characters.data(), s.attributes.data(), *s.glyphs};
        RowPainter painter(grids, cell, *text);
        painter.defer(s.rowsStayInBands);
        for (int32_t r = first; r < last; ++r) {
            if (rowRun)
                painter.rowRun(r, span);
            else
                painter.perCell(r, cursorShown && r == s.cursorRow ? s.cursorColumn : -1, span);
        }
        painter.flush();
        // The row-run cursor goes over all the rows, as it does in a full repaint.
        if (rowRun && cursorShown && s.cursorRow >= first && s.cursorRow < last &&
            s.cursorColumn >= span.first && s.cursorColumn < span.last) {
            painter.rowRunCursor(s.cursorRow, s.cursorColumn);
        }
        return true;
    };

    if (full) {
        canvas_->clear(clearColor);
        painted = paintRows(canvas_->openText(), 0, c.rows, ColumnSpan{0, c.columns});
    } else {
        // Neighbouring changed rows go together, over the columns that take in all their
        // changes, or over the whole width when a cell's drawing may leave its cell.
        for (int32_t first = 0; first < c.rows;) {
            if (!changed[size_t(first)]) {
                ++first;
                continue;
            }
            ColumnSpan span = spans[size_t(first)];
            int32_t last = first + 1;
            for (; last < c.rows && changed[size_t(last)]; ++last) {
                span.first = std::min(span.first, spans[size_t(last)].first);
                span.last = std::max(span.last, spans[size_t(last)].last);
            }
            int32_t left = cell.x(span.first);
            int32_t right = cell.x(span.last);
            if (!s.cellsStayApart) {
                span = {0, c.columns};
                left = 0;
                right = int32_t(canvas_->width());
            }
            const int32_t top = cell.y(first);
            const int32_t height = cell.y(last) - top;
            canvas_->clearRect(left, top, right - left, height, clearColor);
            painted = paintRows(canvas_->openTextArea(left, top, right - left, height), first, last,
                                span) &&
                      painted;
            first = last;
        }
    }

    std::fill(changed.begin(), changed.end(), 0);
    s.painted = painted;
    s.paintedFocused = focused;
}

}  // namespace tideglass
