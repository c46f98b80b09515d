#include "tools/qrvp/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string_view>
#include <vector>

namespace qrvp::tool {

using namespace qrvp::fleet;

namespace {

constexpr double kWidth = 960, kHeight = 600;
constexpr double kLeft = 90, kRight = 200, kTop = 50, kBottom = 70;
constexpr double kPlotW = kWidth - kLeft - kRight, kPlotH = kHeight - kTop - kBottom;

const char* const kPalette[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};

// The number of bytes of the UTF-8 character at the start of `text`, or 0
// when the bytes there begin no valid character (a stray or missing
// continuation byte, an over-long form, a surrogate, a code above U+10FFFF).
size_t Utf8Length(std::string_view text, uint32_t& code)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    if (first < 0x80) {
        code = first;
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        code = first & 0x1Fu;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        code = first & 0x0Fu;
        if (first == 0xE0) low = 0xA0;
        if (first == 0xED) high = 0x9F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        code = first & 0x07u;
        if (first == 0xF0) low = 0x90;
        if (first == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u) return 0;
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    return length;
}

// `text` as XML character data of at most `limit` characters (a longer text
// keeps limit - 1 and ends in "~"): every byte that begins no valid UTF-8
// character becomes U+FFFD, characters XML cannot hold are left out, and the
// markup characters are escaped.  Cuts fall between characters, never inside.
std::string XmlText(std::string_view text, size_t limit)
{
    std::vector<std::string_view> chars;
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    while (!text.empty()) {
        uint32_t code = 0;
        const size_t length = Utf8Length(text, code);
        if (length == 0) {
            chars.push_back(kReplacement);
            text.remove_prefix(1);
            continue;
        }
        const bool allowed = code == '\t' || (code >= 0x20 && code != 0xFFFE && code != 0xFFFF);
        if (allowed) chars.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    const bool cut = chars.size() > limit;
    if (cut) chars.resize(limit - 1);
    std::string out;
    for (const std::string_view c : chars) {
        if (c == "&") out += "&amp;";
        else if (c == "<") out += "&lt;";
        else if (c == ">") out += "&gt;";
        else if (c == "\"") out += "&quot;";
        else out += c;
    }
    if (cut) out += '~';
    return out;
}

std::string Num(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

// Year of a day number (days since 1800-01-01), for the axis ticks.
Date DateOfDay(double day)
{
    Date date(1800, 1, 1, 0, 0, 0);
    date.AddFracDay(day);
    return date;
}

std::string RateLabel(double value)
{
    char buffer[32];
    if (value >= 1e6 || value < 1e-3)
        std::snprintf(buffer, sizeof buffer, "%.0e", value);
    else if (value >= 1)
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    else
        std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

}  // namespace

std::string RenderSvg(const std::vector<PlottedWell>& wells)
{
    // Ranges: time over every curve; rate over its positive values, widened
    // to whole decades.
    double x0 = std::numeric_limits<double>::max(), x1 = std::numeric_limits<double>::lowest();
    double lo = std::numeric_limits<double>::max(), hi = 0.0;
    for (const PlottedWell& w : wells) {
        for (const CurvePoint& p : w.curve) {
            x0 = std::min(x0, p.day);
            x1 = std::max(x1, p.day);
            if (p.rate > 0.0 && std::isfinite(p.rate)) {
                lo = std::min(lo, p.rate);
                hi = std::max(hi, p.rate);
            }
        }
    }
    if (!(x0 < x1)) {
        x0 = x0 == std::numeric_limits<double>::max() ? 73000.0 : x0 - 15;
        x1 = x0 + 30;
    }
    if (!(hi > 0.0)) {
        lo = 1.0;
        hi = 10.0;
    }
    double d0 = std::floor(std::log10(lo)), d1 = std::ceil(std::log10(hi));
    d0 = std::max(d0, d1 - 12.0);  // at most twelve decades
    if (d1 <= d0) d1 = d0 + 1.0;

    auto X = [&](double day) { return kLeft + (day - x0) / (x1 - x0) * kPlotW; };
    auto Y = [&](double rate) {
        double l = std::log10(rate);
        l = std::clamp(l, d0, d1);
        return kTop + (d1 - l) / (d1 - d0) * kPlotH;
    };

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(kWidth) + "\" height=\"" + Num(kHeight) +
           "\" viewBox=\"0 0 " + Num(kWidth) + " " + Num(kHeight) +
           "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + Num(kLeft + kPlotW / 2) + "\" y=\"28\" text-anchor=\"middle\" font-size=\"16\">" +
           "Rate versus time</text>\n";

    // Rate grid: decades labelled, the values 2 to 9 of each decade faint.
    svg += "<g stroke=\"#e0e0e0\" stroke-width=\"1\">\n";
    for (double d = d0; d < d1; d += 1.0)
        for (int m = 2; m <= 9; ++m) {
            double y = Y(m * std::pow(10.0, d));
            svg += "<line x1=\"" + Num(kLeft) + "\" y1=\"" + Num(y) + "\" x2=\"" + Num(kLeft + kPlotW) + "\" y2=\"" +
                   Num(y) + "\"/>\n";
        }
    svg += "</g>\n<g stroke=\"#b0b0b0\" stroke-width=\"1\">\n";
    for (double d = d0; d <= d1; d += 1.0) {
        double y = Y(std::pow(10.0, d));
        svg += "<line x1=\"" + Num(kLeft) + "\" y1=\"" + Num(y) + "\" x2=\"" + Num(kLeft + kPlotW) + "\" y2=\"" +
               Num(y) + "\"/>\n";
    }
    svg += "</g>\n<g text-anchor=\"end\">\n";
    for (double d = d0; d <= d1; d += 1.0)
        svg += "<text x=\"" + Num(kLeft - 6) + "\" y=\"" + Num(Y(std::pow(10.0, d)) + 4) + "\">" +
               RateLabel(std::pow(10.0, d)) + "</text>\n";
    svg += "</g>\n";

    // Time ticks on whole years, every 1, 2, 5, 10, ... years.
    const double years = (x1 - x0) / 365.25;
    int step = 1;
    for (int s : {1, 2, 5, 10, 20, 50, 100, 200, 500}) {
        step = s;
        if (years / s <= 12) break;
    }
    const Date first = DateOfDay(x0);
    svg += "<g text-anchor=\"middle\">\n";
    for (int year = static_cast<int>(first.year); year <= static_cast<int>(first.year) + static_cast<int>(years) + 1;
         ++year) {
        if (year % step != 0) continue;
        Date tick(year, 1, 1, 0, 0, 0);
        if (tick.year < 1800) continue;
        double day = DayNumber(tick);
        if (day < x0 || day > x1) continue;
        double x = X(day);
        svg += "<line x1=\"" + Num(x) + "\" y1=\"" + Num(kTop) + "\" x2=\"" + Num(x) + "\" y2=\"" +
               Num(kTop + kPlotH) + "\" stroke=\"#e0e0e0\"/>\n";
        svg += "<text x=\"" + Num(x) + "\" y=\"" + Num(kTop + kPlotH + 18) + "\">" + std::to_string(year) +
               "</text>\n";
    }
    svg += "</g>\n";
    svg += "<rect x=\"" + Num(kLeft) + "\" y=\"" + Num(kTop) + "\" width=\"" + Num(kPlotW) + "\" height=\"" +
           Num(kPlotH) + "\" fill=\"none\" stroke=\"#404040\"/>\n";
    svg += "<text x=\"" + Num(kLeft + kPlotW / 2) + "\" y=\"" + Num(kHeight - 20) +
           "\" text-anchor=\"middle\" font-size=\"14\">Date</text>\n";
    svg += "<text transform=\"translate(24 " + Num(kTop + kPlotH / 2) +
           ") rotate(-90)\" text-anchor=\"middle\" font-size=\"14\">Rate (volume per month, log scale)</text>\n";

    // Curves, broken where the rate is not positive.
    for (size_t i = 0; i < wells.size(); ++i) {
        const PlottedWell& w = wells[i];
        const char* colour = kPalette[i % (sizeof kPalette / sizeof kPalette[0])];
        svg += "<g><title>" + XmlText(w.well->name, std::string::npos) + "</title>\n";
        std::string path;
        bool pen = false;
        for (const CurvePoint& p : w.curve) {
            if (!(p.rate > 0.0) || !std::isfinite(p.rate)) {
                pen = false;
                continue;
            }
            path += (pen ? " L" : " M") + Num(X(p.day)) + " " + Num(Y(p.rate));
            pen = true;
        }
        if (!path.empty())
            svg += "<path d=\"" + path.substr(1) + "\" fill=\"none\" stroke=\"" + colour +
                   "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"/>\n";
        // Boundaries: where each later segment starts (and where the last ends).
        const std::vector<Segment>& segs = w.well->segments;
        for (size_t s = 0; s < segs.size(); ++s) {
            const Segment& seg = segs[s];
            if (s > 0 && seg.start < w.well->end && seg.qi > 0.0)
                svg += "<circle cx=\"" + Num(X(DayNumber(seg.start))) + "\" cy=\"" + Num(Y(seg.qi)) +
                       "\" r=\"4\" fill=\"white\" stroke=\"" + colour + "\" stroke-width=\"1.5\"/>\n";
            if (seg.hasSwitch && seg.switchDate < w.well->end && seg.switchRate > 0.0) {
                double x = X(DayNumber(seg.switchDate)), y = Y(seg.switchRate);
                svg += "<path d=\"M" + Num(x) + " " + Num(y - 6) + " L" + Num(x + 6) + " " + Num(y) + " L" + Num(x) +
                       " " + Num(y + 6) + " L" + Num(x - 6) + " " + Num(y) + " Z\" fill=\"" + colour +
                       "\" stroke=\"white\" stroke-width=\"1\"/>\n";
            }
        }
        svg += "</g>\n";
    }

    // Legend: wells (the first 25), then the two markers.
    double ly = kTop + 8;
    const double lx = kLeft + kPlotW + 16;
    const size_t shown = std::min<size_t>(wells.size(), 25);
    for (size_t i = 0; i < shown; ++i) {
        const char* colour = kPalette[i % (sizeof kPalette / sizeof kPalette[0])];
        svg += "<line x1=\"" + Num(lx) + "\" y1=\"" + Num(ly) + "\" x2=\"" + Num(lx + 24) + "\" y2=\"" + Num(ly) +
               "\" stroke=\"" + colour + "\" stroke-width=\"2.5\"/>\n";
        svg += "<text x=\"" + Num(lx + 30) + "\" y=\"" + Num(ly + 4) + "\">" + XmlText(wells[i].well->name, 20) +
               "</text>\n";
        ly += 18;
    }
    if (wells.size() > shown) {
        svg += "<text x=\"" + Num(lx) + "\" y=\"" + Num(ly + 4) + "\">and " + std::to_string(wells.size() - shown) +
               " more</text>\n";
        ly += 18;
    }
    ly += 10;
    svg += "<circle cx=\"" + Num(lx + 12) + "\" cy=\"" + Num(ly) +
           "\" r=\"4\" fill=\"white\" stroke=\"#404040\" stroke-width=\"1.5\"/>\n";
    svg += "<text x=\"" + Num(lx + 30) + "\" y=\"" + Num(ly + 4) + "\">segment boundary</text>\n";
    ly += 18;
    svg += "<path d=\"M" + Num(lx + 12) + " " + Num(ly - 6) + " L" + Num(lx + 18) + " " + Num(ly) + " L" +
           Num(lx + 12) + " " + Num(ly + 6) + " L" + Num(lx + 6) + " " + Num(ly) + " Z\" fill=\"#404040\"/>\n";
    svg += "<text x=\"" + Num(lx + 30) + "\" y=\"" + Num(ly + 4) + "\">switch to Dmin</text>\n";
    svg += "</svg>\n";
    return svg;
}

}  // namespace qrvp::tool
