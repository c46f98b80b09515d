// Every status-returning calculation of the library by name, called from one
// line of text ("GetLinTimQi 2021-01-01 2020-01-01 90 10 _"), and the table of
// argument boundaries that the library test checks against the log and that
// qrvp call's test replays through the command.  A token is a number (strtod:
// "inf", "nan", "0x1p-1074"), a date Y-M-D[Th:m:s] copied into the record
// unchecked (1799-06-01 is a null date the validating constructor would never
// make), "_" for a pure out-parameter, or "null" for a null pointer.
#ifndef QRVP_TESTS_LIBRARY_CALLS_H
#define QRVP_TESTS_LIBRARY_CALLS_H

#include "QRVPFuncs.h"

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace qrvp::test {

inline std::vector<std::string> Tokens(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

inline bool ParseDateToken(const std::string& t, Date* d)
{
    unsigned v[6] = {0, 0, 0, 0, 0, 0};
    int used = 0;
    if (std::sscanf(t.c_str(), "%u-%u-%u%n", &v[0], &v[1], &v[2], &used) != 3) return false;
    if (t[static_cast<size_t>(used)] == 'T' && std::sscanf(t.c_str() + used, "T%u:%u:%u", &v[3], &v[4], &v[5]) != 3)
        return false;
    const auto u16 = [](unsigned x) { return static_cast<uint16_t>(x); };
    *d = Date(DateBase{v[0], u16(v[1]), u16(v[2]), u16(v[3]), u16(v[4]), v[5]});
    return true;
}

// A value never written by a calculation: an out-parameter still holding it
// was left alone.
constexpr uint64_t kUntouchedBits = 0x7FF4DEADBEEF0002ull;

// A result as text: "untouched", "nan" (of either sign), a number as %.17g, a
// date as Y-MM-DDTHH:MM:SS ("untouched" when still all 0xEE bytes).
inline std::string NumberText(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    return std::bit_cast<uint64_t>(v) == kUntouchedBits ? "untouched" : v != v ? "nan" : text;
}

inline std::string DateText(const Date& d)
{
    char text[96];
    std::snprintf(text, sizeof text, "%" PRIu32 "-%02u-%02uT%02u:%02u:%02" PRIu32, d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
    return d.year == 0xEEEEEEEEu && d.second == 0xEEEEEEEEu ? "untouched" : text;
}

// What a call returned, and what its pointer arguments held before and after
// it, one text per pointer in argument order (a segment's six fields in one).
struct Outcome {
    int32_t status = 0;
    std::vector<std::string> results, before;
};

struct Slot {
    double num = 0;
    Date date;
    ArpsSegment segment{};
    int32_t integer = 0;
};

template <typename P>
P Arg(const std::string& t, Slot& s, bool null)
{
    std::memset(static_cast<void*>(&s.date), 0xEE, sizeof s.date);
    std::memset(static_cast<void*>(&s.segment), 0xEE, sizeof s.segment);
    s.num = t == "_" ? std::bit_cast<double>(kUntouchedBits) : std::strtod(t.c_str(), nullptr);
    s.integer = INT32_MIN;
    if constexpr (std::is_same_v<P, double>) return s.num;
    if constexpr (std::is_same_v<P, Date>) return ParseDateToken(t, &s.date), s.date;
    if constexpr (std::is_same_v<P, Date*>) (void)ParseDateToken(t, &s.date);
    if constexpr (std::is_pointer_v<P>) return null ? nullptr : std::get<P>(std::tuple{&s.num, &s.date, &s.segment, &s.integer});
}

template <typename P>
void Keep(const Slot& s, std::vector<std::string>& o)
{
    const ArpsSegment& g = s.segment;
    if constexpr (std::is_same_v<P, double*>) o.push_back(NumberText(s.num));
    if constexpr (std::is_same_v<P, Date*>) o.push_back(DateText(s.date));
    if constexpr (std::is_same_v<P, int32_t*>) o.push_back(s.integer == INT32_MIN ? "untouched" : std::to_string(s.integer));
    if constexpr (std::is_same_v<P, ArpsSegment*>) {
        o.push_back(NumberText(g.Qi) + " " + DateText(g.StartDate) + " " + NumberText(g.Qf) + " " +
                    DateText(g.EndDate) + " " + NumberText(g.Di) + " " + NumberText(g.b));
    }
}

// A call from its argument tokens; `null` names the pointer argument (counted
// among the pointers from 0) passed as a null pointer, -1 none.
using Caller = std::function<Outcome(const std::vector<std::string>&, int null)>;

template <typename... P>
Caller Adapt(int32_t (*f)(P...))
{
    return [f](const std::vector<std::string>& t, int null) {
        Outcome o;
        Slot s[sizeof...(P) + 1];
        size_t i = 0;
        int pointer = 0;
        auto next = [&](auto tag) {
            using Q = decltype(tag);
            const bool isNull = std::is_pointer_v<Q> && pointer++ == null;
            const size_t k = i++;
            return Arg<Q>(t.at(k), s[k], isNull);
        };
        std::tuple<P...> args{next(P{})...};
        i = 0;
        (Keep<P>(s[i++], o.before), ...);
        o.status = std::apply(f, args);
        i = 0;
        (Keep<P>(s[i++], o.results), ...);
        return o;
    };
}

template <typename... P>
constexpr int PointerCount(int32_t (*)(P...)) { return (0 + ... + (std::is_pointer_v<P> ? 1 : 0)); }

// What a failure leaves in the results: nullptr, every one as it was; "*",
// anything (the contract names values written on the way); else the text of
// the first result.
struct Callable {
    Caller call;
    int pointers;
    const char* leftOnFailure;
};

constexpr const char* kAny = "*";
inline const char* LeftOnFailure(const std::string& name)
{
    static const std::map<std::string, const char*> left = {
        {"TanEffToNom", "36"}, {"GetArpsQt", "-1"}, {"GetArpsDi", "0"},
        {"BendArpsSegment", "0 0-00-00T00:00:00 0 0-00-00T00:00:00 0 0"}, {"GetArpsIDecl", kAny},
        {"GetConstantArpsQinit", kAny}, {"ValidateArps", kAny}, {"GetArpsQfDiVol", kAny}, {"GetArpsQfVol", kAny},
        {"GetLinTimYearsVol", kAny}, {"ValidateLinTime", kAny}, {"GetSEDMQfVol", "-1"}};
    return left.count(name) ? left.at(name) : nullptr;
}

// The C++ entry, by pointer for the table (a null pointer goes no further).
inline int32_t SEDMQfVol(double Qi, double Vol, Date StartDate, Date EndDate, double tau, double* Qf)
{
    return Qf ? GetSEDMQfVol(Qi, Vol, StartDate, EndDate, tau, *Qf) : -1;
}
#define QRVP_CALL(f) {#f, Callable{Adapt(f), PointerCount(f), LeftOnFailure(#f)}}
inline const std::map<std::string, Callable>& Callables()
{
    static const std::map<std::string, Callable> table = {
        QRVP_CALL(IsZero), QRVP_CALL(IsEqual), QRVP_CALL(GetReportThreading), QRVP_CALL(NomToTanEff),
        QRVP_CALL(TanEffToNom), QRVP_CALL(NomToSecEff), QRVP_CALL(SecEffToNom), QRVP_CALL(GetArpsQt),
        QRVP_CALL(GetArpsIDecl), QRVP_CALL(GetArpsDminDate), QRVP_CALL(GetArpsDi), QRVP_CALL(GetArpsQi),
        QRVP_CALL(GetArpsYears), QRVP_CALL(GetConstantArpsQi), QRVP_CALL(GetConstantArpsQinit),
        QRVP_CALL(BendArpsSegment), QRVP_CALL(ValidateArps), QRVP_CALL(GetArpsVol), QRVP_CALL(GetArpsVol2),
        QRVP_CALL(GetArpsQfDiVol), QRVP_CALL(GetArpsYearsVol), QRVP_CALL(GetArpsQfVol), QRVP_CALL(GetLinTimQt),
        QRVP_CALL(GetLinTimQi), QRVP_CALL(GetLinTimDi), QRVP_CALL(GetLinTimYears), QRVP_CALL(GetLinTimVol),
        QRVP_CALL(GetLinTimYearsVol), QRVP_CALL(ValidateLinTime), QRVP_CALL(GetLinCumDecl), QRVP_CALL(GetLinCumQi),
        QRVP_CALL(GetLinCumQf), QRVP_CALL(GetLinCumEndCum), QRVP_CALL(GetLinCumBegCum), QRVP_CALL(GetLinCumVCum),
        QRVP_CALL(GetLinCum), QRVP_CALL(ValidateLinCum), QRVP_CALL(GetLogCumDecl), QRVP_CALL(GetLogCumQi),
        QRVP_CALL(GetLogCumQf), QRVP_CALL(GetLogCumEndCum), QRVP_CALL(GetLogCumBegCum), QRVP_CALL(GetLogCumVCum),
        QRVP_CALL(GetLogCum), QRVP_CALL(ValidateLogCum), QRVP_CALL(GetSEDMQt), QRVP_CALL(GetSEDMVol),
        QRVP_CALL(GetSEDMYears), QRVP_CALL(GetSEDMTau), QRVP_CALL(GetSEDMQi),
        {"GetSEDMQfVol", Callable{Adapt(SEDMQfVol), 1, LeftOnFailure("GetSEDMQfVol")}},
    };
    return table;
}
#undef QRVP_CALL

// One call and what it must do: `expect` is "" (status 0, no record), "=N"
// (returns N, no record), a message (-1 and one record under the call's own
// name), "@Name message" (-1, one record under Name), or "-> v1 v2 ..."
// (status 0, the results within 1e-12 of those values, "~" any, whatever
// records the calls it makes write); "=N" may go before a record.
struct Row {
    const char* call;
    const char* expect;
};

struct Expected {
    int32_t status;
    std::string function, message;  // no record when the message is empty
    std::vector<std::string> values;
};

inline Expected ExpectedOf(const Row& row)
{
    std::string e = row.expect;
    Expected x{e.empty() || e.rfind("->", 0) == 0 ? 0 : -1, Tokens(row.call)[0], "", {}};
    if (e.rfind('=', 0) == 0) {
        x.status = std::atoi(e.c_str() + 1);
        e = e.find(' ') == std::string::npos ? "" : e.substr(e.find(' ') + 1);
    }
    if (e.rfind("->", 0) == 0) {
        x.values = Tokens(e.substr(2));
        return x;
    }
    if (e.rfind('@', 0) == 0) {
        x.function = e.substr(1, e.find(' ') - 1);
        e = e.substr(e.find(' ') + 1);
    }
    x.message = e;
    return x;
}

}  // namespace qrvp::test

#endif
