// The plot of qrvp typewell: per group, the profiles over the wells'
// histories and the distribution of the wells' volumes.
#include "tools/qrvp/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace qrvp::tool {

namespace {

constexpr double kH = 320, kT = 34, kB = 40;
const char* const kColours[3] = {"#d62728", "#1f77b4", "#2ca02c"};  // P90, P50, P10

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) out.append(c == '<' ? "&lt;" : c == '&' ? "&amp;" : c == '>' ? "&gt;" : std::string(1, c));
    return out;
}

// The left panel: x from 0 to `months`, y semi-log over [lo, hi].
void ProfilePanel(std::ostringstream& svg, const fleet::TypeWell& t, const std::vector<fleet::FilledWell>& filled,
                  double y0)
{
    constexpr double L = 80, W = 560;
    const size_t months = t.monthly[1].size();
    double hi = 0;
    for (const auto& m : t.monthly) hi = std::max(hi, *std::max_element(m.begin(), m.end()));
    for (size_t i : t.members)
        for (int32_t m = 0; m < filled[i].historyMonths; ++m) hi = std::max(hi, filled[i].volumes[static_cast<size_t>(m)]);
    if (!(hi > 0)) hi = 1;
    const double ly1 = std::ceil(std::log10(hi)), ly0 = ly1 - 4;
    auto X = [&](double m) { return L + W * m / static_cast<double>(months); };
    auto Y = [&](double v) {
        const double e = std::clamp(std::log10(std::max(v, 1e-300)), ly0, ly1);
        return y0 + kT + (kH - kT - kB) * (ly1 - e) / (ly1 - ly0);
    };
    char buf[200];
    std::snprintf(buf, sizeof buf, "<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"none\" stroke=\"#999\"/>\n",
                  L, y0 + kT, W, kH - kT - kB);
    svg << buf;
    for (double e = ly0; e <= ly1; ++e) {
        std::snprintf(buf, sizeof buf, "<text x=\"%g\" y=\"%g\" text-anchor=\"end\">1e%d</text>\n", L - 6,
                      Y(std::pow(10, e)) + 4, static_cast<int>(e));
        svg << buf;
    }
    for (size_t year = 0; year * 12 <= months; year += 5) {
        std::snprintf(buf, sizeof buf, "<text x=\"%.1f\" y=\"%g\" text-anchor=\"middle\">%zu</text>\n",
                      X(static_cast<double>(year * 12)), y0 + kH - kB + 16, year);
        svg << buf;
    }
    std::snprintf(buf, sizeof buf, "<text x=\"%g\" y=\"%g\" text-anchor=\"middle\">years from month 1; volume per month</text>\n",
                  L + W / 2, y0 + kH - 6);
    svg << buf;
    // At most 300 histories in grey: enough to see the spread.
    const size_t step = std::max<size_t>(1, t.members.size() / 300);
    for (size_t k = 0; k < t.members.size(); k += step) {
        const fleet::FilledWell& f = filled[t.members[k]];
        svg << "<polyline fill=\"none\" stroke=\"#bbb\" stroke-width=\"0.6\" points=\"";
        for (int32_t m = 0; m < f.historyMonths; ++m)
            if (f.volumes[static_cast<size_t>(m)] > 0) svg << X(m + 0.5) << "," << Y(f.volumes[static_cast<size_t>(m)]) << " ";
        svg << "\"/>\n";
    }
    for (int q = 0; q < 3; ++q) {
        svg << "<polyline fill=\"none\" stroke=\"" << kColours[q] << "\" stroke-width=\"2\" points=\"";
        for (size_t m = 0; m < months; ++m)
            if (t.monthly[q][m] > 0) svg << X(static_cast<double>(m) + 0.5) << "," << Y(t.monthly[q][m]) << " ";
        svg << "\"/>\n";
    }
}

// The right panel: each well's volume against the share of wells exceeding it.
void EurPanel(std::ostringstream& svg, const fleet::TypeWell& t, const std::vector<fleet::FilledWell>& filled,
              double y0)
{
    constexpr double L = 720, W = 360;
    std::vector<double> eur;
    for (size_t i : t.members) {
        double s = 0;
        for (double v : filled[i].volumes) s += v;
        eur.push_back(s);
    }
    std::sort(eur.begin(), eur.end());
    const double hi = std::max(eur.back(), 1e-300) * 1.05;
    auto X = [&](double v) { return L + W * v / hi; };
    auto Y = [&](double p) { return y0 + kT + (kH - kT - kB) * (1 - p); };
    char buf[240];
    std::snprintf(buf, sizeof buf, "<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"none\" stroke=\"#999\"/>\n",
                  L, y0 + kT, W, kH - kT - kB);
    svg << buf;
    svg << "<polyline fill=\"none\" stroke=\"#333\" stroke-width=\"1.5\" points=\"";
    const double n = static_cast<double>(eur.size());
    for (size_t k = 0; k < eur.size(); ++k) svg << X(eur[k]) << "," << Y(1 - (static_cast<double>(k) + 0.5) / n) << " ";
    svg << "\"/>\n";
    const double marks[4] = {t.eur[0], t.eur[1], t.eur[2], t.eurMean};
    const char* labels[4] = {"P90", "P50", "P10", "mean"};
    for (int q = 0; q < 4; ++q) {
        // A mark in the panel's right half is labelled on its left, inside the canvas.
        const bool leftOf = X(marks[q]) > L + W / 2;
        std::snprintf(buf, sizeof buf,
                      "<path d=\"M%.1f %gV%g\" stroke=\"%s\" stroke-dasharray=\"4 3\"/><text x=\"%.1f\" y=\"%g\" "
                      "text-anchor=\"%s\" fill=\"%s\">%s %.4g</text>\n",
                      X(marks[q]), y0 + kT, y0 + kH - kB, q < 3 ? kColours[q] : "#555", X(marks[q]) + (leftOf ? -3 : 3),
                      y0 + kT + 14 + 14 * q, leftOf ? "end" : "start", q < 3 ? kColours[q] : "#555", labels[q], marks[q]);
        svg << buf;
    }
    std::snprintf(buf, sizeof buf, "<text x=\"%g\" y=\"%g\" text-anchor=\"middle\">volume over the profile; share of wells above</text>\n",
                  L + W / 2, y0 + kH - 6);
    svg << buf;
}

}  // namespace

std::string RenderTypeWellSvg(const std::vector<fleet::TypeWell>& types, const std::vector<fleet::FilledWell>& filled,
                              const std::vector<std::string>& names)
{
    std::vector<const fleet::TypeWell*> shown;
    for (const fleet::TypeWell& t : types)
        if (t.problem.empty()) shown.push_back(&t);
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1100\" height=\""
        << kH * static_cast<double>(std::max<size_t>(shown.size(), 1)) << "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    for (size_t p = 0; p < shown.size(); ++p) {
        const fleet::TypeWell& t = *shown[p];
        const double y0 = kH * static_cast<double>(p);
        char buf[300];
        std::snprintf(buf, sizeof buf,
                      " (%zu wells): P90, P50, P10 profiles (red, blue, green) over the histories (grey); "
                      "P50 well %s",
                      t.members.size(), Escaped(names[t.p50Well]).c_str());
        svg << "<text x=\"80\" y=\"" << y0 + 20 << "\" font-weight=\"bold\">" << Escaped(t.group) << buf << "</text>\n";
        ProfilePanel(svg, t, filled, y0);
        EurPanel(svg, t, filled, y0);
    }
    if (shown.empty()) svg << "<text x=\"20\" y=\"40\">no type well</text>\n";
    svg << "</svg>\n";
    return svg.str();
}

}  // namespace qrvp::tool
