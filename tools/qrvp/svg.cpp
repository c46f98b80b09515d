#include "tools/qrvp/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace qrvp::tool {

namespace {

constexpr double kWidth = 960, kHeight = 600;
constexpr double kLeft = 90, kRight = 200, kTop = 50, kBottom = 70;
constexpr double kPlotW = kWidth - kLeft - kRight, kPlotH = kHeight - kTop - kBottom;

const char* const kPalette[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
        }
    }
    return out;
}

// A legend entry of at most 20 characters.
std::string Shorten(const std::string& name)
{
    return name.size() <= 20 ? name : name.substr(0, 19) + "~";
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
        svg += "<g><title>" + Escape(w.well->name) + "</title>\n";
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
        svg += "<text x=\"" + Num(lx + 30) + "\" y=\"" + Num(ly + 4) + "\">" + Escape(Shorten(wells[i].well->name)) +
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
