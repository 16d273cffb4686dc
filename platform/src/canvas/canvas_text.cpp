#include "canvas_surface.h"
#include "font_impl.h"
#include "platform/canvas.h"
#include "platform/text.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {
namespace {

// The text as shown with prefix processing: "&x" shows x underlined, "&&"
// shows one "&". underline is the index of the marked character or -1.
struct Shown {
    std::u16string text;
    int underline = -1;
};

Shown StripPrefix(std::u16string_view text, bool prefix) {
    Shown shown;
    if (!prefix) {
        shown.text = text;
        return shown;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&')
                shown.underline = int(shown.text.size());
        }
        shown.text += text[i];
    }
    return shown;
}

int Advance(const FontImpl& font, std::u16string_view text) {
    if (text.empty())
        return 0;
    std::string utf8 = ToUtf8(text);
    cairo_text_extents_t extents;
    cairo_scaled_font_text_extents(font.scaled, utf8.c_str(), &extents);
    return int(std::lround(extents.x_advance));
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// Greedy breaking at blanks; a word wider than the line stays whole, and the
// blanks where a line breaks are dropped.
void BreakParagraph(const FontImpl& font, std::u16string_view para, bool prefix, int width,
                    std::vector<std::u16string>& lines) {
    size_t start = 0;
    while (true) {
        size_t end = start;
        size_t lastFit = std::u16string_view::npos;
        while (end < para.size()) {
            size_t wordEnd = end;
            while (wordEnd < para.size() && IsBlank(para[wordEnd]))
                ++wordEnd;
            while (wordEnd < para.size() && !IsBlank(para[wordEnd]))
                ++wordEnd;
            int w = Advance(font, StripPrefix(para.substr(start, wordEnd - start), prefix).text);
            if (w > width && lastFit != std::u16string_view::npos)
                break;
            lastFit = wordEnd;
            end = wordEnd;
        }
        if (lastFit == std::u16string_view::npos)
            lastFit = para.size();
        lines.emplace_back(para.substr(start, lastFit - start));
        start = lastFit;
        while (start < para.size() && IsBlank(para[start]))
            ++start;
        if (start >= para.size())
            return;
    }
}

} // namespace

Size Canvas::GetTextExtent(std::u16string_view text) const {
    const FontImpl& font = m_font.Impl();
    return {Advance(font, text), font.metrics.height};
}

TextMetrics Canvas::GetTextMetrics() const {
    return m_font.Impl().metrics;
}

void Canvas::TextOut(int x, int y, std::u16string_view text) {
    DrawLineText(x, y, text, false);
}

void Canvas::DrawLineText(int x, int y, std::u16string_view text, bool prefix) {
    const FontImpl& font = m_font.Impl();
    Shown shown = StripPrefix(text, prefix);
    int width = Advance(font, shown.text);
    if (m_backgroundMode == BackgroundMode::Opaque)
        FillRect({x, y, x + width, y + font.metrics.height}, m_backgroundColor);
    if (shown.text.empty())
        return;

    std::string utf8 = ToUtf8(shown.text);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(font.scaled, x, y + font.metrics.ascent, utf8.c_str(),
                                         int(utf8.size()), &glyphs, &count, nullptr, nullptr,
                                         nullptr) != CAIRO_STATUS_SUCCESS)
        return;
    cairo_new_path(m_surface->cr);
    cairo_set_scaled_font(m_surface->cr, font.scaled);
    cairo_set_source_rgb(m_surface->cr, GetR(m_textColor) / 255.0, GetG(m_textColor) / 255.0,
                         GetB(m_textColor) / 255.0);
    cairo_show_glyphs(m_surface->cr, glyphs, count);
    cairo_glyph_free(glyphs);

    if (shown.underline >= 0) {
        int from = x + Advance(font, std::u16string_view(shown.text).substr(0, shown.underline));
        int to = x + Advance(font, std::u16string_view(shown.text).substr(0, shown.underline + 1));
        int underlineY = y + font.metrics.ascent + 1;
        FillRect({from, underlineY, to, underlineY + 1}, m_textColor);
    }
}

int Canvas::DrawText(std::u16string_view text, Rect& rect, uint32_t flags) {
    const FontImpl& font = m_font.Impl();
    const bool prefix = !(flags & TextFlag::NoPrefix);
    const int lineHeight = font.metrics.height;

    std::vector<std::u16string> lines;
    if (flags & TextFlag::SingleLine) {
        std::u16string one;
        for (char16_t c : text)
            if (c != u'\r' && c != u'\n')
                one += c;
        lines.push_back(std::move(one));
    } else {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(u'\n', start);
            std::u16string_view para = text.substr(
                start, end == std::u16string_view::npos ? text.size() - start : end - start);
            if (!para.empty() && para.back() == u'\r')
                para.remove_suffix(1);
            if (end == std::u16string_view::npos && para.empty() && start > 0)
                break; // a final line break opens no further line
            if (flags & TextFlag::WordBreak)
                BreakParagraph(font, para, prefix, rect.Width(), lines);
            else
                lines.emplace_back(para);
            if (end == std::u16string_view::npos)
                break;
            start = end + 1;
        }
    }

    std::vector<int> widths;
    int widest = 0;
    for (const auto& line : lines) {
        widths.push_back(Advance(font, StripPrefix(line, prefix).text));
        widest = std::max(widest, widths.back());
    }
    const int blockHeight = int(lines.size()) * lineHeight;

    if (flags & TextFlag::CalcRect) {
        if (!(flags & TextFlag::WordBreak) || (flags & TextFlag::SingleLine) ||
            widest > rect.Width())
            rect.right = rect.left + widest;
        rect.bottom = rect.top + blockHeight;
        return blockHeight;
    }

    int y = rect.top;
    if (flags & TextFlag::Bottom)
        y = rect.bottom - blockHeight;
    else if (flags & TextFlag::VCenter)
        y = rect.top + (rect.Height() - blockHeight) / 2;
    const int firstY = y;

    const bool clip = !(flags & TextFlag::NoClip);
    if (clip) {
        cairo_save(m_surface->cr);
        cairo_new_path(m_surface->cr);
        cairo_rectangle(m_surface->cr, rect.left, rect.top, std::max(0, rect.Width()),
                        std::max(0, rect.Height()));
        cairo_clip(m_surface->cr);
    }
    for (size_t i = 0; i < lines.size(); ++i, y += lineHeight) {
        int x = rect.left;
        if (flags & TextFlag::Right)
            x = rect.right - widths[i];
        else if (flags & TextFlag::Center)
            x = rect.left + (rect.Width() - widths[i]) / 2;
        DrawLineText(x, y, lines[i], prefix);
    }
    if (clip)
        cairo_restore(m_surface->cr);
    return firstY - rect.top + blockHeight;
}

} // namespace platform
