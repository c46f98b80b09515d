// Hindcast of the fit on real wells: for each well, hold out its last 12 (and
// 24) producing months, fit the rest, forecast the held-out months and print
// the error of the forecast cumulative volume.  The forecast advances the curve
// over each held-out month's producing days (in calendar time: over the month,
// scaled by its share produced), so it is judged on the decline, not on
// guessing future downtime.
//
//   fit_hindcast [DATA.csv] [--model M] [--half-life H] [--calendar] [--soft-l1]
#include "QRVPFit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct History {
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
};

bool ReadData(const char* path, std::map<std::string, History>& wells)
{
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (header) {
            header = false;
            continue;
        }
        std::stringstream fields(line);
        std::string well, date, volume, days;
        std::getline(fields, well, ',');
        std::getline(fields, date, ',');
        std::getline(fields, volume, ',');
        std::getline(fields, days, ',');
        int y = 0, m = 0, d = 0;
        if (std::sscanf(date.c_str(), "%d-%d-%d", &y, &m, &d) != 3) return false;
        History& h = wells[well];
        Date start(y, m, d, 0, 0, 0), end = start;
        end.AddMonths(1);
        h.starts.push_back(start);
        h.ends.push_back(end);
        h.volumes.push_back(std::atof(volume.c_str()));
        h.daysOn.push_back(days.empty() ? end.DaySpan(start) : std::atof(days.c_str()));
    }
    return !wells.empty();
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = QRVP_HINDCAST_DATA;
    FitOptions options;
    FitDefaults(&options);
    options.bootstrap = 0;
    bool rolling = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--model") && i + 1 < argc)
            options.model = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--half-life") && i + 1 < argc)
            options.halfLife = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--calendar"))
            options.producingTime = 0;
        else if (!std::strcmp(argv[i], "--soft-l1"))
            options.softL1 = 1;
        else if (!std::strcmp(argv[i], "--rolling"))
            rolling = true;
        else if (!std::strcmp(argv[i], "--bmax") && i + 1 < argc)
            options.bMax = std::atof(argv[++i]);
        else
            path = argv[i];
    }
    _LogInit();  // a failed fit's record goes where the settings store says
    std::map<std::string, History> wells;
    if (!ReadData(path, wells)) {
        std::fprintf(stderr, "fit_hindcast: cannot read %s\n", path);
        return 2;
    }
    std::vector<int> holds = {12, 24};
    if (rolling) holds = {12, 18, 24, 30, 36, 42, 48, 54};
    std::printf("well,held_out,model,b,actual,forecast,error_pct\n");
    double sumAbs = 0.0;
    int cases = 0;
    for (const auto& [name, h] : wells) {
        for (int hold : holds) {
            // The first held-out period: the hold-th producing month from the end.
            int cut = static_cast<int>(h.volumes.size());
            for (int seen = 0; cut > 0 && seen < hold;)
                if (h.volumes[static_cast<size_t>(--cut)] > 0.0 && h.daysOn[static_cast<size_t>(cut)] > 0.0) ++seen;
            // Rolling origins forecast only the 12 producing months after the cut.
            size_t last = h.volumes.size();
            if (rolling) {
                int seen = 0;
                for (last = static_cast<size_t>(cut); last < h.volumes.size() && seen < 12; ++last)
                    if (h.volumes[last] > 0.0 && h.daysOn[last] > 0.0) ++seen;
            }
            FitResult r;
            if (FitDecline(cut, h.starts.data(), h.ends.data(), h.volumes.data(), h.daysOn.data(), &options, &r,
                           nullptr) != 0) {
                std::printf("%s,%d,failed,,,,\n", name.c_str(), hold);
                continue;
            }
            double actual = 0.0, forecast = 0.0;
            Date clock = r.historyEnd;
            for (size_t k = static_cast<size_t>(cut); k < last; ++k) {
                actual += h.volumes[k];
                double v = 0.0;
                if (options.producingTime) {
                    Date to = clock;
                    to.AddFracDay(h.daysOn[k]);
                    GetFitVol(&r.curve, clock, to, &v);
                    clock = to;
                } else {
                    GetFitVol(&r.curve, h.starts[k], h.ends[k], &v);
                    v *= h.daysOn[k] / h.ends[k].DaySpan(h.starts[k]);
                }
                forecast += v;
            }
            const double error = 100.0 * (forecast - actual) / actual;
            sumAbs += std::fabs(error);
            ++cases;
            std::printf("%s,%d,%d,%.3f,%.0f,%.0f,%.1f\n", name.c_str(), hold, r.curve.model, r.curve.b, actual,
                        forecast, error);
        }
    }
    std::printf("mean absolute error of the held-out cumulative: %.1f%% over %d cases\n",
                cases ? sumAbs / cases : 0.0, cases);
    _LogClose();
    return 0;
}
