#include "tools/qrvp/calls.h"

#include "QRVPFuncs.h"
#include "fleet/log_route.h"
#include "fleet/text.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

namespace qrvp::tool {

using namespace qrvp::fleet;

namespace {

enum class Kind {
    Num,        // double, by value
    Date,       // Date, by value
    Text,       // const char*
    WideText,   // const wchar_t*
    OutNum,     // double*, written by the call
    OutInt,     // int32_t*, written by the call
    OutDate,    // Date*, written by the call
    InOutNum,   // double*, read and maybe rewritten
    InOutDate,  // Date*, read and maybe rewritten
    OutSegment  // ArpsSegment*
};

struct Param {
    const char* name;
    Kind kind;
};

struct Slot {
    double num = 0.0;
    int32_t integer = 0;
    Date date;
    std::string text;
    std::wstring wide;
    ArpsSegment segment{};
};

enum class Result { Status, Value, Flag };

struct Function {
    const char* family;
    const char* name;
    std::vector<Param> params;
    Result result;
    double (*invoke)(Slot* s);
};

constexpr Kind N = Kind::Num, D = Kind::Date, ON = Kind::OutNum, OD = Kind::OutDate, IN = Kind::InOutNum,
               ID = Kind::InOutDate;

double S(int32_t status) { return static_cast<double>(status); }

const std::vector<Function>& Functions()
{
    static const std::vector<Function> table = {
        // Frame
        {"frame", "IsZero", {{"value", N}, {"tolerance", N}}, Result::Flag,
         [](Slot* s) { return S(IsZero(s[0].num, s[1].num)); }},
        {"frame", "IsEqual", {{"a", N}, {"b", N}, {"tolerance", N}}, Result::Flag,
         [](Slot* s) { return S(IsEqual(s[0].num, s[1].num, s[2].num)); }},
        {"settings", "GetRegistryValueInt", {{"subkey", Kind::WideText}, {"valueName", Kind::WideText}},
         Result::Value, [](Slot* s) { return S(GetRegistryValueInt(s[0].wide.c_str(), s[1].wide.c_str())); }},
        {"settings", "GetReportThreading", {{"count", Kind::OutInt}}, Result::Status,
         [](Slot* s) { return S(GetReportThreading(&s[0].integer)); }},
        // Conversions
        {"decline conversions", "NomToTanEff", {{"D", N}, {"De", ON}}, Result::Status,
         [](Slot* s) { return S(NomToTanEff(s[0].num, &s[1].num)); }},
        {"decline conversions", "TanEffToNom", {{"De", N}, {"D", ON}}, Result::Status,
         [](Slot* s) { return S(TanEffToNom(s[0].num, &s[1].num)); }},
        {"decline conversions", "NomToSecEff", {{"D", N}, {"b", N}, {"Ds", ON}}, Result::Status,
         [](Slot* s) { return S(NomToSecEff(s[0].num, s[1].num, &s[2].num)); }},
        {"decline conversions", "SecEffToNom", {{"Ds", N}, {"b", N}, {"D", ON}}, Result::Status,
         [](Slot* s) { return S(SecEffToNom(s[0].num, s[1].num, &s[2].num)); }},
        // Arps rate
        {"Arps rate", "GetArpsQt",
         {{"FindDate", D}, {"StartDate", D}, {"Qi", N}, {"Di", N}, {"b", N}, {"Dmin", N}, {"Qt", ON}},
         Result::Status,
         [](Slot* s) { return S(GetArpsQt(s[0].date, s[1].date, s[2].num, s[3].num, s[4].num, s[5].num, &s[6].num)); }},
        {"Arps rate", "GetArpsIDecl", {{"Qt", N}, {"Di", N}, {"Qi", N}, {"b", N}, {"D", ON}}, Result::Status,
         [](Slot* s) { return S(GetArpsIDecl(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"Arps rate", "GetArpsDminDate",
         {{"StartDate", D}, {"Di", N}, {"Dmin", N}, {"Qi", N}, {"b", N}, {"DminDate", OD}}, Result::Status,
         [](Slot* s) { return S(GetArpsDminDate(s[0].date, s[1].num, s[2].num, s[3].num, s[4].num, &s[5].date)); }},
        // Arps solvers
        {"Arps solvers", "GetArpsDi",
         {{"StartDate", D}, {"EndDate", D}, {"Qi", N}, {"Qt", N}, {"b", N}, {"Dmin", N}, {"Di", ON}},
         Result::Status,
         [](Slot* s) { return S(GetArpsDi(s[0].date, s[1].date, s[2].num, s[3].num, s[4].num, s[5].num, &s[6].num)); }},
        {"Arps solvers", "GetArpsQi",
         {{"StartDate", D}, {"EndDate", D}, {"Qf", N}, {"b", N}, {"Di", N}, {"Dmin", N}, {"Qi", ON}},
         Result::Status,
         [](Slot* s) { return S(GetArpsQi(s[0].date, s[1].date, s[2].num, s[3].num, s[4].num, s[5].num, &s[6].num)); }},
        {"Arps solvers", "GetArpsYears", {{"Qi", N}, {"Qf", N}, {"b", N}, {"Di", N}, {"Dmin", N}, {"Years", ON}},
         Result::Status,
         [](Slot* s) { return S(GetArpsYears(s[0].num, s[1].num, s[2].num, s[3].num, s[4].num, &s[5].num)); }},
        {"Arps solvers", "GetConstantArpsQi",
         {{"NewStartDate", D}, {"StartDate", D}, {"Qi", N}, {"Di", N}, {"b", N}, {"NewQi", ON}, {"NewDi", ON}},
         Result::Status,
         [](Slot* s) {
             return S(GetConstantArpsQi(s[0].date, s[1].date, s[2].num, s[3].num, s[4].num, &s[5].num, &s[6].num));
         }},
        {"Arps solvers", "GetConstantArpsQinit",
         {{"Di", IN}, {"RefDate", D}, {"EndDate", D}, {"Qref", N}, {"Qend", N}, {"Dref", N}, {"b", N},
          {"Dmin", N}, {"Qinit", ON}, {"StartDate", OD}},
         Result::Status,
         [](Slot* s) {
             return S(GetConstantArpsQinit(&s[0].num, s[1].date, s[2].date, s[3].num, s[4].num, s[5].num, s[6].num,
                                           s[7].num, &s[8].num, &s[9].date));
         }},
        // Arps bending and validation
        {"Arps bending and validation", "BendArpsSegment",
         {{"Qi", N}, {"StartDate", D}, {"BendQ", N}, {"BendDate", D}, {"Qf", N}, {"EndDate", D}, {"Dmin", N},
          {"Segment", Kind::OutSegment}},
         Result::Status,
         [](Slot* s) {
             return S(BendArpsSegment(s[0].num, s[1].date, s[2].num, s[3].date, s[4].num, s[5].date, s[6].num,
                                      &s[7].segment));
         }},
        {"Arps bending and validation", "ValidateArps",
         {{"StartDate", D}, {"Qi", IN}, {"Di", IN}, {"b", IN}, {"Dmin", IN}, {"Qf", IN}, {"EndDate", ID}},
         Result::Status,
         [](Slot* s) {
             return S(ValidateArps(s[0].date, &s[1].num, &s[2].num, &s[3].num, &s[4].num, &s[5].num, &s[6].date));
         }},
        // Arps volumes
        {"Arps volumes", "GetArpsVol",
         {{"StartDate", D}, {"EndDate", D}, {"Qi", N}, {"Qf", N}, {"Di", N}, {"b", N}, {"Dmin", N}, {"Vol", ON}},
         Result::Status,
         [](Slot* s) {
             return S(GetArpsVol(s[0].date, s[1].date, s[2].num, s[3].num, s[4].num, s[5].num, s[6].num, &s[7].num));
         }},
        {"Arps volumes", "GetArpsVol2",
         {{"StartDate", D}, {"EndDate", D}, {"Qi", N}, {"Di", N}, {"b", N}, {"Dmin", N}, {"Vol", ON}},
         Result::Status,
         [](Slot* s) { return S(GetArpsVol2(s[0].date, s[1].date, s[2].num, s[3].num, s[4].num, s[5].num, &s[6].num)); }},
        {"Arps volumes", "GetArpsQfDiVol",
         {{"StartDate", D}, {"EndDate", D}, {"Qi", N}, {"b", N}, {"Vol", N}, {"Dmin", N}, {"Di", ON}, {"Qf", ON}},
         Result::Status,
         [](Slot* s) {
             return S(GetArpsQfDiVol(s[0].date, s[1].date, s[2].num, s[3].num, s[4].num, s[5].num, &s[6].num,
                                     &s[7].num));
         }},
        {"Arps volumes", "GetArpsYearsVol", {{"Qi", N}, {"Vol", N}, {"b", N}, {"Di", N}, {"Dmin", N}, {"Years", ON}},
         Result::Status,
         [](Slot* s) { return S(GetArpsYearsVol(s[0].num, s[1].num, s[2].num, s[3].num, s[4].num, &s[5].num)); }},
        {"Arps volumes", "GetArpsQfVol", {{"Qi", N}, {"Di", N}, {"b", N}, {"Vol", N}, {"Dmin", N}, {"Qf", ON}},
         Result::Status,
         [](Slot* s) { return S(GetArpsQfVol(s[0].num, s[1].num, s[2].num, s[3].num, s[4].num, &s[5].num)); }},
        // Linear with time
        {"linear with time", "GetLinTimQt", {{"FindDate", D}, {"StartDate", D}, {"Qi", N}, {"Di", N}, {"Qt", ON}},
         Result::Status, [](Slot* s) { return S(GetLinTimQt(s[0].date, s[1].date, s[2].num, s[3].num, &s[4].num)); }},
        {"linear with time", "GetLinTimQi", {{"EndDate", D}, {"StartDate", D}, {"Qf", N}, {"Di", N}, {"Qi", ON}},
         Result::Status, [](Slot* s) { return S(GetLinTimQi(s[0].date, s[1].date, s[2].num, s[3].num, &s[4].num)); }},
        {"linear with time", "GetLinTimDi", {{"EndDate", D}, {"StartDate", D}, {"Qi", N}, {"Qf", N}, {"Di", ON}},
         Result::Status, [](Slot* s) { return S(GetLinTimDi(s[0].date, s[1].date, s[2].num, s[3].num, &s[4].num)); }},
        {"linear with time", "GetLinTimYears", {{"Qi", N}, {"Qf", N}, {"Di", N}, {"Years", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinTimYears(s[0].num, s[1].num, s[2].num, &s[3].num)); }},
        {"linear with time", "GetLinTimVol", {{"StartDate", D}, {"EndDate", D}, {"Qi", N}, {"Qf", N}, {"Vol", ON}},
         Result::Status, [](Slot* s) { return S(GetLinTimVol(s[0].date, s[1].date, s[2].num, s[3].num, &s[4].num)); }},
        {"linear with time", "GetLinTimYearsVol", {{"Qi", N}, {"Vol", N}, {"Decl", N}, {"Years", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinTimYearsVol(s[0].num, s[1].num, s[2].num, &s[3].num)); }},
        {"linear with time", "ValidateLinTime",
         {{"StartDate", D}, {"Qi", IN}, {"Di", IN}, {"Qf", IN}, {"EndDate", ID}}, Result::Status,
         [](Slot* s) { return S(ValidateLinTime(s[0].date, &s[1].num, &s[2].num, &s[3].num, &s[4].date)); }},
        // Linear rate against cumulative
        {"linear against cumulative", "GetLinCumDecl",
         {{"Qi", N}, {"Qf", N}, {"BegCum", N}, {"EndCum", N}, {"decl", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinCumDecl(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"linear against cumulative", "GetLinCumQi",
         {{"BegCum", N}, {"EndCum", N}, {"Qf", N}, {"decl", N}, {"Qi", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinCumQi(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"linear against cumulative", "GetLinCumQf",
         {{"Qi", N}, {"BegCum", N}, {"EndCum", N}, {"decl", N}, {"Qf", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinCumQf(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"linear against cumulative", "GetLinCumEndCum",
         {{"Qi", N}, {"Qf", N}, {"BegCum", N}, {"decl", N}, {"EndCum", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinCumEndCum(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"linear against cumulative", "GetLinCumBegCum",
         {{"Qi", N}, {"Qf", N}, {"decl", N}, {"EndCum", N}, {"BegCum", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinCumBegCum(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"linear against cumulative", "GetLinCumVCum",
         {{"Qi", N}, {"Qf", N}, {"FindCum", N}, {"BegCum", N}, {"EndCum", N}, {"Qt", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinCumVCum(s[0].num, s[1].num, s[2].num, s[3].num, s[4].num, &s[5].num)); }},
        {"linear against cumulative", "GetLinCum",
         {{"Qi", N}, {"Qf", N}, {"cum1", N}, {"cum2", N}, {"Cumi", N}, {"Cumf", N}, {"Rate", ON}}, Result::Status,
         [](Slot* s) { return S(GetLinCum(s[0].num, s[1].num, s[2].num, s[3].num, s[4].num, s[5].num, &s[6].num)); }},
        {"linear against cumulative", "ValidateLinCum",
         {{"Qi", IN}, {"Qf", IN}, {"decl", IN}, {"BegCum", IN}, {"EndCum", IN}}, Result::Status,
         [](Slot* s) { return S(ValidateLinCum(&s[0].num, &s[1].num, &s[2].num, &s[3].num, &s[4].num)); }},
        // Logarithmic rate against cumulative
        {"logarithmic against cumulative", "GetLogCumDecl",
         {{"Qi", N}, {"Qf", N}, {"BegCum", N}, {"EndCum", N}, {"decl", ON}}, Result::Status,
         [](Slot* s) { return S(GetLogCumDecl(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"logarithmic against cumulative", "GetLogCumQi",
         {{"BegCum", N}, {"EndCum", N}, {"Qf", N}, {"decl", N}, {"Qi", ON}}, Result::Status,
         [](Slot* s) { return S(GetLogCumQi(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"logarithmic against cumulative", "GetLogCumQf",
         {{"Qi", N}, {"BegCum", N}, {"EndCum", N}, {"decl", N}, {"Qf", ON}}, Result::Status,
         [](Slot* s) { return S(GetLogCumQf(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"logarithmic against cumulative", "GetLogCumEndCum",
         {{"Qi", N}, {"Qf", N}, {"BegCum", N}, {"decl", N}, {"EndCum", ON}}, Result::Status,
         [](Slot* s) { return S(GetLogCumEndCum(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"logarithmic against cumulative", "GetLogCumBegCum",
         {{"Qi", N}, {"Qf", N}, {"decl", N}, {"EndCum", N}, {"BegCum", ON}}, Result::Status,
         [](Slot* s) { return S(GetLogCumBegCum(s[0].num, s[1].num, s[2].num, s[3].num, &s[4].num)); }},
        {"logarithmic against cumulative", "GetLogCumVCum",
         {{"Qi", N}, {"Qf", N}, {"FindCum", N}, {"BegCum", N}, {"EndCum", N}, {"Qt", ON}}, Result::Status,
         [](Slot* s) { return S(GetLogCumVCum(s[0].num, s[1].num, s[2].num, s[3].num, s[4].num, &s[5].num)); }},
        {"logarithmic against cumulative", "GetLogCum",
         {{"Qi", N}, {"Qf", N}, {"cum1", N}, {"cum2", N}, {"Cumi", N}, {"Cumf", N}, {"Rate", ON}}, Result::Status,
         [](Slot* s) { return S(GetLogCum(s[0].num, s[1].num, s[2].num, s[3].num, s[4].num, s[5].num, &s[6].num)); }},
        {"logarithmic against cumulative", "ValidateLogCum",
         {{"Qi", IN}, {"Qf", IN}, {"decl", IN}, {"BegCum", IN}, {"EndCum", IN}}, Result::Status,
         [](Slot* s) { return S(ValidateLogCum(&s[0].num, &s[1].num, &s[2].num, &s[3].num, &s[4].num)); }},
        // Stretched exponential
        {"stretched exponential", "GetSEDMQt",
         {{"Qi", N}, {"StartDate", D}, {"EndDate", D}, {"tau", N}, {"n", N}, {"Qt", ON}}, Result::Status,
         [](Slot* s) { return S(GetSEDMQt(s[0].num, s[1].date, s[2].date, s[3].num, s[4].num, &s[5].num)); }},
        {"stretched exponential", "GetSEDMVol",
         {{"Qi", N}, {"StartDate", D}, {"EndDate", D}, {"tau", N}, {"n", N}, {"Vol", ON}}, Result::Status,
         [](Slot* s) { return S(GetSEDMVol(s[0].num, s[1].date, s[2].date, s[3].num, s[4].num, &s[5].num)); }},
        {"stretched exponential", "GetSEDMYears",
         {{"Qi", N}, {"Qf", N}, {"unused", N}, {"tau", N}, {"n", N}, {"Years", ON}}, Result::Status,
         [](Slot* s) { return S(GetSEDMYears(s[0].num, s[1].num, s[2].num, s[3].num, s[4].num, &s[5].num)); }},
        {"stretched exponential", "GetSEDMTau",
         {{"Qi", N}, {"Qf", N}, {"StartDate", D}, {"EndDate", D}, {"n", N}, {"tau", ON}}, Result::Status,
         [](Slot* s) { return S(GetSEDMTau(s[0].num, s[1].num, s[2].date, s[3].date, s[4].num, &s[5].num)); }},
        {"stretched exponential", "GetSEDMQi",
         {{"Qf", N}, {"StartDate", D}, {"EndDate", D}, {"tau", N}, {"n", N}, {"Qi", ON}}, Result::Status,
         [](Slot* s) { return S(GetSEDMQi(s[0].num, s[1].date, s[2].date, s[3].num, s[4].num, &s[5].num)); }},
        {"stretched exponential", "GetSEDMQfVol",
         {{"Qi", N}, {"Vol", N}, {"StartDate", D}, {"EndDate", D}, {"tau", N}, {"Qf", ON}}, Result::Status,
         [](Slot* s) { return S(GetSEDMQfVol(s[0].num, s[1].num, s[2].date, s[3].date, s[4].num, s[5].num)); }},
        // Formula
        {"formula", "EvaluateV2Formula", {{"formula", Kind::Text}}, Result::Value,
         [](Slot* s) { return EvaluateV2Formula(s[0].text.c_str()); }},
    };
    return table;
}

bool IsInput(Kind k)
{
    return k == Kind::Num || k == Kind::Date || k == Kind::Text || k == Kind::WideText || k == Kind::InOutNum ||
           k == Kind::InOutDate;
}

bool IsOutput(Kind k) { return !(k == Kind::Num || k == Kind::Date || k == Kind::Text || k == Kind::WideText); }

const char* KindSuffix(Kind k)
{
    switch (k) {
    case Kind::Date: return ":date";
    case Kind::Text: case Kind::WideText: return ":text";
    case Kind::InOutNum: return ":inout";
    case Kind::InOutDate: return ":date,inout";
    default: return "";
    }
}

std::string Signature(const Function& f)
{
    std::string inputs, outputs;
    for (const Param& p : f.params) {
        if (IsInput(p.kind)) inputs += std::string(" ") + p.name + KindSuffix(p.kind);
        if (IsOutput(p.kind)) outputs += std::string(outputs.empty() ? "" : ", ") + p.name;
    }
    std::string text = f.name + inputs;
    if (!outputs.empty()) text += "  -> " + outputs;
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A quiet NaN with a payload of its own: an out-parameter still holding it
// after the call was not written.
double Untouched()
{
    const uint64_t bits = 0x7FF8DEADBEEF0001ull;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

Date UntouchedDate()
{
    Date date;
    std::memset(static_cast<void*>(&date), 0xEE, sizeof date);
    return date;
}

bool SameDate(const Date& a, const Date& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string Show(const Date& date) { return FormatDate(date); }

}  // namespace

std::string ListFunctions()
{
    std::string out = "Functions of the library, arguments in calling order (dates as YYYY-MM-DD[THH:MM:SS]):\n";
    const char* family = "";
    for (const Function& f : Functions()) {
        if (std::strcmp(family, f.family) != 0) {
            family = f.family;
            out += std::string("\n") + family + ":\n";
        }
        out += "  " + Signature(f) + "\n";
    }
    out += "\nArguments marked inout are read and may be rewritten; the names after -> are written.\n";
    return out;
}

int CallFunction(const std::string& name, const std::vector<std::string>& args, std::string& out,
                 std::string& err)
{
    const Function* function = nullptr;
    for (const Function& f : Functions())
        if (Lower(f.name) == Lower(name)) function = &f;
    if (function == nullptr) {
        err += "qrvp call: no function named '" + name + "'";
        std::string near;
        for (const Function& f : Functions())
            if (Lower(f.name).find(Lower(name)) != std::string::npos) near += std::string(" ") + f.name;
        if (!near.empty()) err += "; did you mean:" + near;
        err += " (qrvp call --list shows them all)\n";
        return 2;
    }
    const Function& f = *function;
    size_t inputs = 0;
    for (const Param& p : f.params) inputs += IsInput(p.kind) ? 1u : 0u;
    if (args.size() != inputs) {
        err += "qrvp call: " + std::string(f.name) + " takes " + std::to_string(inputs) + " argument" +
               (inputs == 1 ? "" : "s") + ", " + std::to_string(args.size()) + " given\n  usage: qrvp call " +
               Signature(f) + "\n";
        return 2;
    }

    std::vector<Slot> slots(f.params.size());
    std::string shown = std::string(f.name) + "(";
    size_t next = 0;
    for (size_t i = 0; i < f.params.size(); ++i) {
        const Param& p = f.params[i];
        Slot& slot = slots[i];
        slot.num = Untouched();
        slot.date = UntouchedDate();
        slot.integer = INT32_MIN;
        std::memset(static_cast<void*>(&slot.segment), 0xEE, sizeof slot.segment);
        if (!IsInput(p.kind)) continue;
        const std::string& arg = args[next++];
        std::string value;
        if (p.kind == Kind::Num || p.kind == Kind::InOutNum) {
            auto number = ParseNumber(arg);
            if (!number) {
                err += "qrvp call: argument " + std::to_string(next) + " (" + p.name + "): '" + arg +
                       "' is not a number\n  usage: qrvp call " + Signature(f) + "\n";
                return 2;
            }
            slot.num = *number;
            value = FormatNumber(*number);
        } else if (p.kind == Kind::Date || p.kind == Kind::InOutDate) {
            // Any record the syntax can name goes to the library unchecked, so
            // that its own date checks can be seen at work.
            auto date = ParseRawDate(arg);
            if (!date) {
                err += "qrvp call: argument " + std::to_string(next) + " (" + p.name + "): '" + arg +
                       "' is not a date (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS)\n  usage: qrvp call " + Signature(f) +
                       "\n";
                return 2;
            }
            slot.date = *date;
            value = Show(*date);
        } else if (p.kind == Kind::Text) {
            slot.text = arg;
            value = "\"" + arg + "\"";
        } else {
            for (char c : arg) slot.wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
            value = "\"" + arg + "\"";
        }
        shown += std::string(next > 1 ? ", " : "") + p.name + "=" + value;
    }
    shown += ")";

    std::vector<Slot> before = slots;
    std::vector<LogRecord> records;
    double result;
    if (std::strcmp(f.family, "settings") == 0) {
        // They log nothing, and read the user's store, which a route would replace.
        result = f.invoke(slots.data());
    } else {
        LogRoute route;
        route.Collect();  // nothing before the call belongs to it
        result = f.invoke(slots.data());
        records = route.Collect();
    }

    out += shown + "\n";
    switch (f.result) {
    case Result::Status: out += "status = " + FormatNumber(result) + "\n"; break;
    case Result::Flag: out += "result = " + FormatNumber(result) + "\n"; break;
    case Result::Value: out += "value = " + FormatNumber(result) + "\n"; break;
    }
    for (size_t i = 0; i < f.params.size(); ++i) {
        const Param& p = f.params[i];
        const Slot& s = slots[i];
        const Slot& b = before[i];
        std::string line = std::string(p.name) + " = ";
        switch (p.kind) {
        case Kind::OutNum:
            line += SameBits(s.num, b.num) ? "(not written)" : FormatNumber(s.num);
            break;
        case Kind::InOutNum:
            line += FormatNumber(s.num) + (SameBits(s.num, b.num) ? " (unchanged)" : " (was " + FormatNumber(b.num) + ")");
            break;
        case Kind::OutInt:
            line += s.integer == b.integer ? "(not written)" : std::to_string(s.integer);
            break;
        case Kind::OutDate:
            line += SameDate(s.date, b.date) ? "(not written)" : Show(s.date);
            break;
        case Kind::InOutDate:
            line += Show(s.date) + (SameDate(s.date, b.date) ? " (unchanged)" : " (was " + Show(b.date) + ")");
            break;
        case Kind::OutSegment: {
            const ArpsSegment& g = s.segment;
            line += "{Qi = " + FormatNumber(g.Qi) + ", StartDate = " + Show(g.StartDate) + ", Qf = " +
                    FormatNumber(g.Qf) + ", EndDate = " + Show(g.EndDate) + ", Di = " + FormatNumber(g.Di) +
                    ", b = " + FormatNumber(g.b) + "}";
            break;
        }
        default: continue;
        }
        out += line + "\n";
    }
    if (records.empty()) {
        out += "log: no records\n";
    } else {
        out += "log: " + std::to_string(records.size()) + (records.size() == 1 ? " record\n" : " records\n");
        for (const LogRecord& r : records) out += "  " + r.text + "\n";
    }
    if (f.result == Result::Status) return result == 0.0 ? 0 : 1;
    return 0;
}

}  // namespace qrvp::tool
