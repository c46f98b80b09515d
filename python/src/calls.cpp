// The library's calculations as plain Python functions, one value at a time,
// under their own names and with their arguments in the library's order.  A
// calculation with one result returns it; with several, a tuple in the
// library's order; one that rewrites its arguments in place (the Validate
// family, GetConstantArpsQinit's Di) returns their new values.  Status -1
// raises LibraryError with the message of the library's log record.
#include "python/src/common.h"

namespace qrvp::python {

using namespace pybind11::literals;

void RegisterCalls(py::module_& m)
{
    m.def(
        "IsZero", [](double value, double tolerance) -> bool { return IsZero(value, tolerance) != 0; }, "value"_a, "tolerance"_a, "IsZero(value, tolerance) -> value");
    m.def(
        "IsEqual", [](double a, double b, double tolerance) -> bool { return IsEqual(a, b, tolerance) != 0; }, "a"_a, "b"_a, "tolerance"_a, "IsEqual(a, b, tolerance) -> value");
    m.def(
        "NomToTanEff",
        [](double D) {
            double De_ = 0.0;
            Check("NomToTanEff", [&] { return NomToTanEff(D, &De_); });
            return Out(De_);
        }, "D"_a, "NomToTanEff(D) -> De");
    m.def(
        "TanEffToNom",
        [](double De) {
            double D_ = 0.0;
            Check("TanEffToNom", [&] { return TanEffToNom(De, &D_); });
            return Out(D_);
        }, "De"_a, "TanEffToNom(De) -> D");
    m.def(
        "NomToSecEff",
        [](double D, double b) {
            double Ds_ = 0.0;
            Check("NomToSecEff", [&] { return NomToSecEff(D, b, &Ds_); });
            return Out(Ds_);
        }, "D"_a, "b"_a, "NomToSecEff(D, b) -> Ds");
    m.def(
        "SecEffToNom",
        [](double Ds, double b) {
            double D_ = 0.0;
            Check("SecEffToNom", [&] { return SecEffToNom(Ds, b, &D_); });
            return Out(D_);
        }, "Ds"_a, "b"_a, "SecEffToNom(Ds, b) -> D");
    m.def(
        "GetArpsQt",
        [](Date FindDate, Date StartDate, double Qi, double Di, double b, double Dmin) {
            double Qt_ = 0.0;
            Check("GetArpsQt", [&] { return GetArpsQt(FindDate, StartDate, Qi, Di, b, Dmin, &Qt_); });
            return Out(Qt_);
        }, "FindDate"_a, "StartDate"_a, "Qi"_a, "Di"_a, "b"_a, "Dmin"_a, "GetArpsQt(FindDate, StartDate, Qi, Di, b, Dmin) -> Qt");
    m.def(
        "GetArpsIDecl",
        [](double Qt, double Di, double Qi, double b) {
            double D_ = 0.0;
            Check("GetArpsIDecl", [&] { return GetArpsIDecl(Qt, Di, Qi, b, &D_); });
            return Out(D_);
        }, "Qt"_a, "Di"_a, "Qi"_a, "b"_a, "GetArpsIDecl(Qt, Di, Qi, b) -> D");
    m.def(
        "GetArpsDminDate",
        [](Date StartDate, double Di, double Dmin, double Qi, double b) {
            Date DminDate_;
            Check("GetArpsDminDate", [&] { return GetArpsDminDate(StartDate, Di, Dmin, Qi, b, &DminDate_); });
            return Out(DminDate_);
        }, "StartDate"_a, "Di"_a, "Dmin"_a, "Qi"_a, "b"_a, "GetArpsDminDate(StartDate, Di, Dmin, Qi, b) -> DminDate");
    m.def(
        "GetArpsDi",
        [](Date StartDate, Date EndDate, double Qi, double Qt, double b, double Dmin) {
            double Di_ = 0.0;
            Check("GetArpsDi", [&] { return GetArpsDi(StartDate, EndDate, Qi, Qt, b, Dmin, &Di_); });
            return Out(Di_);
        }, "StartDate"_a, "EndDate"_a, "Qi"_a, "Qt"_a, "b"_a, "Dmin"_a, "GetArpsDi(StartDate, EndDate, Qi, Qt, b, Dmin) -> Di");
    m.def(
        "GetArpsQi",
        [](Date StartDate, Date EndDate, double Qf, double b, double Di, double Dmin) {
            double Qi_ = 0.0;
            Check("GetArpsQi", [&] { return GetArpsQi(StartDate, EndDate, Qf, b, Di, Dmin, &Qi_); });
            return Out(Qi_);
        }, "StartDate"_a, "EndDate"_a, "Qf"_a, "b"_a, "Di"_a, "Dmin"_a, "GetArpsQi(StartDate, EndDate, Qf, b, Di, Dmin) -> Qi");
    m.def(
        "GetArpsYears",
        [](double Qi, double Qf, double b, double Di, double Dmin) {
            double Years_ = 0.0;
            Check("GetArpsYears", [&] { return GetArpsYears(Qi, Qf, b, Di, Dmin, &Years_); });
            return Out(Years_);
        }, "Qi"_a, "Qf"_a, "b"_a, "Di"_a, "Dmin"_a, "GetArpsYears(Qi, Qf, b, Di, Dmin) -> Years");
    m.def(
        "GetConstantArpsQi",
        [](Date NewStartDate, Date StartDate, double Qi, double Di, double b) {
            double NewQi_ = 0.0;
            double NewDi_ = 0.0;
            Check("GetConstantArpsQi", [&] { return GetConstantArpsQi(NewStartDate, StartDate, Qi, Di, b, &NewQi_, &NewDi_); });
            return py::make_tuple(Out(NewQi_), Out(NewDi_));
        }, "NewStartDate"_a, "StartDate"_a, "Qi"_a, "Di"_a, "b"_a, "GetConstantArpsQi(NewStartDate, StartDate, Qi, Di, b) -> NewQi, NewDi");
    m.def(
        "GetConstantArpsQinit",
        [](double Di, Date RefDate, Date EndDate, double Qref, double Qend, double Dref, double b, double Dmin) {
            double Di_ = Di;
            double Qinit_ = 0.0;
            Date StartDate_;
            Check("GetConstantArpsQinit", [&] { Di_ = Di; return GetConstantArpsQinit(&Di_, RefDate, EndDate, Qref, Qend, Dref, b,
                                           Dmin, &Qinit_, &StartDate_); });
            return py::make_tuple(Out(Di_), Out(Qinit_), Out(StartDate_));
        }, "Di"_a, "RefDate"_a, "EndDate"_a, "Qref"_a, "Qend"_a, "Dref"_a, "b"_a, "Dmin"_a, "GetConstantArpsQinit(Di, RefDate, EndDate, Qref, Qend, Dref, b, Dmin) -> Di, Qinit, StartDate");
    m.def(
        "BendArpsSegment",
        [](double Qi, Date StartDate, double BendQ, Date BendDate, double Qf, Date EndDate, double Dmin) {
            ArpsSegment Segment_{};
            Check("BendArpsSegment", [&] { return BendArpsSegment(Qi, StartDate, BendQ, BendDate, Qf, EndDate, Dmin,
                                      &Segment_); });
            return Out(Segment_);
        }, "Qi"_a, "StartDate"_a, "BendQ"_a, "BendDate"_a, "Qf"_a, "EndDate"_a, "Dmin"_a, "BendArpsSegment(Qi, StartDate, BendQ, BendDate, Qf, EndDate, Dmin) -> Segment");
    m.def(
        "ValidateArps",
        [](Date StartDate, double Qi, double Di, double b, double Dmin, double Qf, Date EndDate) {
            double Qi_ = Qi;
            double Di_ = Di;
            double b_ = b;
            double Dmin_ = Dmin;
            double Qf_ = Qf;
            Date EndDate_ = EndDate;
            Check("ValidateArps", [&] { Qi_ = Qi; Di_ = Di; b_ = b; Dmin_ = Dmin; Qf_ = Qf; EndDate_ = EndDate; return ValidateArps(StartDate, &Qi_, &Di_, &b_, &Dmin_, &Qf_, &EndDate_); });
            return py::make_tuple(Out(Qi_), Out(Di_), Out(b_), Out(Dmin_), Out(Qf_), Out(EndDate_));
        }, "StartDate"_a, "Qi"_a, "Di"_a, "b"_a, "Dmin"_a, "Qf"_a, "EndDate"_a, "ValidateArps(StartDate, Qi, Di, b, Dmin, Qf, EndDate) -> Qi, Di, b, Dmin, Qf, EndDate");
    m.def(
        "GetArpsVol",
        [](Date StartDate, Date EndDate, double Qi, double Qf, double Di, double b, double Dmin) {
            double Vol_ = 0.0;
            Check("GetArpsVol", [&] { return GetArpsVol(StartDate, EndDate, Qi, Qf, Di, b, Dmin, &Vol_); });
            return Out(Vol_);
        }, "StartDate"_a, "EndDate"_a, "Qi"_a, "Qf"_a, "Di"_a, "b"_a, "Dmin"_a, "GetArpsVol(StartDate, EndDate, Qi, Qf, Di, b, Dmin) -> Vol");
    m.def(
        "GetArpsVol2",
        [](Date StartDate, Date EndDate, double Qi, double Di, double b, double Dmin) {
            double Vol_ = 0.0;
            Check("GetArpsVol2", [&] { return GetArpsVol2(StartDate, EndDate, Qi, Di, b, Dmin, &Vol_); });
            return Out(Vol_);
        }, "StartDate"_a, "EndDate"_a, "Qi"_a, "Di"_a, "b"_a, "Dmin"_a, "GetArpsVol2(StartDate, EndDate, Qi, Di, b, Dmin) -> Vol");
    m.def(
        "GetArpsQfDiVol",
        [](Date StartDate, Date EndDate, double Qi, double b, double Vol, double Dmin) {
            double Di_ = 0.0;
            double Qf_ = 0.0;
            Check("GetArpsQfDiVol", [&] { return GetArpsQfDiVol(StartDate, EndDate, Qi, b, Vol, Dmin, &Di_,
                                     &Qf_); });
            return py::make_tuple(Out(Di_), Out(Qf_));
        }, "StartDate"_a, "EndDate"_a, "Qi"_a, "b"_a, "Vol"_a, "Dmin"_a, "GetArpsQfDiVol(StartDate, EndDate, Qi, b, Vol, Dmin) -> Di, Qf");
    m.def(
        "GetArpsYearsVol",
        [](double Qi, double Vol, double b, double Di, double Dmin) {
            double Years_ = 0.0;
            Check("GetArpsYearsVol", [&] { return GetArpsYearsVol(Qi, Vol, b, Di, Dmin, &Years_); });
            return Out(Years_);
        }, "Qi"_a, "Vol"_a, "b"_a, "Di"_a, "Dmin"_a, "GetArpsYearsVol(Qi, Vol, b, Di, Dmin) -> Years");
    m.def(
        "GetArpsQfVol",
        [](double Qi, double Di, double b, double Vol, double Dmin) {
            double Qf_ = 0.0;
            Check("GetArpsQfVol", [&] { return GetArpsQfVol(Qi, Di, b, Vol, Dmin, &Qf_); });
            return Out(Qf_);
        }, "Qi"_a, "Di"_a, "b"_a, "Vol"_a, "Dmin"_a, "GetArpsQfVol(Qi, Di, b, Vol, Dmin) -> Qf");
    m.def(
        "GetLinTimQt",
        [](Date FindDate, Date StartDate, double Qi, double Di) {
            double Qt_ = 0.0;
            Check("GetLinTimQt", [&] { return GetLinTimQt(FindDate, StartDate, Qi, Di, &Qt_); });
            return Out(Qt_);
        }, "FindDate"_a, "StartDate"_a, "Qi"_a, "Di"_a, "GetLinTimQt(FindDate, StartDate, Qi, Di) -> Qt");
    m.def(
        "GetLinTimQi",
        [](Date EndDate, Date StartDate, double Qf, double Di) {
            double Qi_ = 0.0;
            Check("GetLinTimQi", [&] { return GetLinTimQi(EndDate, StartDate, Qf, Di, &Qi_); });
            return Out(Qi_);
        }, "EndDate"_a, "StartDate"_a, "Qf"_a, "Di"_a, "GetLinTimQi(EndDate, StartDate, Qf, Di) -> Qi");
    m.def(
        "GetLinTimDi",
        [](Date EndDate, Date StartDate, double Qi, double Qf) {
            double Di_ = 0.0;
            Check("GetLinTimDi", [&] { return GetLinTimDi(EndDate, StartDate, Qi, Qf, &Di_); });
            return Out(Di_);
        }, "EndDate"_a, "StartDate"_a, "Qi"_a, "Qf"_a, "GetLinTimDi(EndDate, StartDate, Qi, Qf) -> Di");
    m.def(
        "GetLinTimYears",
        [](double Qi, double Qf, double Di) {
            double Years_ = 0.0;
            Check("GetLinTimYears", [&] { return GetLinTimYears(Qi, Qf, Di, &Years_); });
            return Out(Years_);
        }, "Qi"_a, "Qf"_a, "Di"_a, "GetLinTimYears(Qi, Qf, Di) -> Years");
    m.def(
        "GetLinTimVol",
        [](Date StartDate, Date EndDate, double Qi, double Qf) {
            double Vol_ = 0.0;
            Check("GetLinTimVol", [&] { return GetLinTimVol(StartDate, EndDate, Qi, Qf, &Vol_); });
            return Out(Vol_);
        }, "StartDate"_a, "EndDate"_a, "Qi"_a, "Qf"_a, "GetLinTimVol(StartDate, EndDate, Qi, Qf) -> Vol");
    m.def(
        "GetLinTimYearsVol",
        [](double Qi, double Vol, double Decl) {
            double Years_ = 0.0;
            Check("GetLinTimYearsVol", [&] { return GetLinTimYearsVol(Qi, Vol, Decl, &Years_); });
            return Out(Years_);
        }, "Qi"_a, "Vol"_a, "Decl"_a, "GetLinTimYearsVol(Qi, Vol, Decl) -> Years");
    m.def(
        "ValidateLinTime",
        [](Date StartDate, double Qi, double Di, double Qf, Date EndDate) {
            double Qi_ = Qi;
            double Di_ = Di;
            double Qf_ = Qf;
            Date EndDate_ = EndDate;
            Check("ValidateLinTime", [&] { Qi_ = Qi; Di_ = Di; Qf_ = Qf; EndDate_ = EndDate; return ValidateLinTime(StartDate, &Qi_, &Di_, &Qf_, &EndDate_); });
            return py::make_tuple(Out(Qi_), Out(Di_), Out(Qf_), Out(EndDate_));
        }, "StartDate"_a, "Qi"_a, "Di"_a, "Qf"_a, "EndDate"_a, "ValidateLinTime(StartDate, Qi, Di, Qf, EndDate) -> Qi, Di, Qf, EndDate");
    m.def(
        "GetLinCumDecl",
        [](double Qi, double Qf, double BegCum, double EndCum) {
            double decl_ = 0.0;
            Check("GetLinCumDecl", [&] { return GetLinCumDecl(Qi, Qf, BegCum, EndCum, &decl_); });
            return Out(decl_);
        }, "Qi"_a, "Qf"_a, "BegCum"_a, "EndCum"_a, "GetLinCumDecl(Qi, Qf, BegCum, EndCum) -> decl");
    m.def(
        "GetLinCumQi",
        [](double BegCum, double EndCum, double Qf, double decl) {
            double Qi_ = 0.0;
            Check("GetLinCumQi", [&] { return GetLinCumQi(BegCum, EndCum, Qf, decl, &Qi_); });
            return Out(Qi_);
        }, "BegCum"_a, "EndCum"_a, "Qf"_a, "decl"_a, "GetLinCumQi(BegCum, EndCum, Qf, decl) -> Qi");
    m.def(
        "GetLinCumQf",
        [](double Qi, double BegCum, double EndCum, double decl) {
            double Qf_ = 0.0;
            Check("GetLinCumQf", [&] { return GetLinCumQf(Qi, BegCum, EndCum, decl, &Qf_); });
            return Out(Qf_);
        }, "Qi"_a, "BegCum"_a, "EndCum"_a, "decl"_a, "GetLinCumQf(Qi, BegCum, EndCum, decl) -> Qf");
    m.def(
        "GetLinCumEndCum",
        [](double Qi, double Qf, double BegCum, double decl) {
            double EndCum_ = 0.0;
            Check("GetLinCumEndCum", [&] { return GetLinCumEndCum(Qi, Qf, BegCum, decl, &EndCum_); });
            return Out(EndCum_);
        }, "Qi"_a, "Qf"_a, "BegCum"_a, "decl"_a, "GetLinCumEndCum(Qi, Qf, BegCum, decl) -> EndCum");
    m.def(
        "GetLinCumBegCum",
        [](double Qi, double Qf, double decl, double EndCum) {
            double BegCum_ = 0.0;
            Check("GetLinCumBegCum", [&] { return GetLinCumBegCum(Qi, Qf, decl, EndCum, &BegCum_); });
            return Out(BegCum_);
        }, "Qi"_a, "Qf"_a, "decl"_a, "EndCum"_a, "GetLinCumBegCum(Qi, Qf, decl, EndCum) -> BegCum");
    m.def(
        "GetLinCumVCum",
        [](double Qi, double Qf, double FindCum, double BegCum, double EndCum) {
            double Qt_ = 0.0;
            Check("GetLinCumVCum", [&] { return GetLinCumVCum(Qi, Qf, FindCum, BegCum, EndCum, &Qt_); });
            return Out(Qt_);
        }, "Qi"_a, "Qf"_a, "FindCum"_a, "BegCum"_a, "EndCum"_a, "GetLinCumVCum(Qi, Qf, FindCum, BegCum, EndCum) -> Qt");
    m.def(
        "GetLinCum",
        [](double Qi, double Qf, double cum1, double cum2, double Cumi, double Cumf) {
            double Rate_ = 0.0;
            Check("GetLinCum", [&] { return GetLinCum(Qi, Qf, cum1, cum2, Cumi, Cumf, &Rate_); });
            return Out(Rate_);
        }, "Qi"_a, "Qf"_a, "cum1"_a, "cum2"_a, "Cumi"_a, "Cumf"_a, "GetLinCum(Qi, Qf, cum1, cum2, Cumi, Cumf) -> Rate");
    m.def(
        "ValidateLinCum",
        [](double Qi, double Qf, double decl, double BegCum, double EndCum) {
            double Qi_ = Qi;
            double Qf_ = Qf;
            double decl_ = decl;
            double BegCum_ = BegCum;
            double EndCum_ = EndCum;
            Check("ValidateLinCum", [&] { Qi_ = Qi; Qf_ = Qf; decl_ = decl; BegCum_ = BegCum; EndCum_ = EndCum; return ValidateLinCum(&Qi_, &Qf_, &decl_, &BegCum_, &EndCum_); });
            return py::make_tuple(Out(Qi_), Out(Qf_), Out(decl_), Out(BegCum_), Out(EndCum_));
        }, "Qi"_a, "Qf"_a, "decl"_a, "BegCum"_a, "EndCum"_a, "ValidateLinCum(Qi, Qf, decl, BegCum, EndCum) -> Qi, Qf, decl, BegCum, EndCum");
    m.def(
        "GetLogCumDecl",
        [](double Qi, double Qf, double BegCum, double EndCum) {
            double decl_ = 0.0;
            Check("GetLogCumDecl", [&] { return GetLogCumDecl(Qi, Qf, BegCum, EndCum, &decl_); });
            return Out(decl_);
        }, "Qi"_a, "Qf"_a, "BegCum"_a, "EndCum"_a, "GetLogCumDecl(Qi, Qf, BegCum, EndCum) -> decl");
    m.def(
        "GetLogCumQi",
        [](double BegCum, double EndCum, double Qf, double decl) {
            double Qi_ = 0.0;
            Check("GetLogCumQi", [&] { return GetLogCumQi(BegCum, EndCum, Qf, decl, &Qi_); });
            return Out(Qi_);
        }, "BegCum"_a, "EndCum"_a, "Qf"_a, "decl"_a, "GetLogCumQi(BegCum, EndCum, Qf, decl) -> Qi");
    m.def(
        "GetLogCumQf",
        [](double Qi, double BegCum, double EndCum, double decl) {
            double Qf_ = 0.0;
            Check("GetLogCumQf", [&] { return GetLogCumQf(Qi, BegCum, EndCum, decl, &Qf_); });
            return Out(Qf_);
        }, "Qi"_a, "BegCum"_a, "EndCum"_a, "decl"_a, "GetLogCumQf(Qi, BegCum, EndCum, decl) -> Qf");
    m.def(
        "GetLogCumEndCum",
        [](double Qi, double Qf, double BegCum, double decl) {
            double EndCum_ = 0.0;
            Check("GetLogCumEndCum", [&] { return GetLogCumEndCum(Qi, Qf, BegCum, decl, &EndCum_); });
            return Out(EndCum_);
        }, "Qi"_a, "Qf"_a, "BegCum"_a, "decl"_a, "GetLogCumEndCum(Qi, Qf, BegCum, decl) -> EndCum");
    m.def(
        "GetLogCumBegCum",
        [](double Qi, double Qf, double decl, double EndCum) {
            double BegCum_ = 0.0;
            Check("GetLogCumBegCum", [&] { return GetLogCumBegCum(Qi, Qf, decl, EndCum, &BegCum_); });
            return Out(BegCum_);
        }, "Qi"_a, "Qf"_a, "decl"_a, "EndCum"_a, "GetLogCumBegCum(Qi, Qf, decl, EndCum) -> BegCum");
    m.def(
        "GetLogCumVCum",
        [](double Qi, double Qf, double FindCum, double BegCum, double EndCum) {
            double Qt_ = 0.0;
            Check("GetLogCumVCum", [&] { return GetLogCumVCum(Qi, Qf, FindCum, BegCum, EndCum, &Qt_); });
            return Out(Qt_);
        }, "Qi"_a, "Qf"_a, "FindCum"_a, "BegCum"_a, "EndCum"_a, "GetLogCumVCum(Qi, Qf, FindCum, BegCum, EndCum) -> Qt");
    m.def(
        "GetLogCum",
        [](double Qi, double Qf, double cum1, double cum2, double Cumi, double Cumf) {
            double Rate_ = 0.0;
            Check("GetLogCum", [&] { return GetLogCum(Qi, Qf, cum1, cum2, Cumi, Cumf, &Rate_); });
            return Out(Rate_);
        }, "Qi"_a, "Qf"_a, "cum1"_a, "cum2"_a, "Cumi"_a, "Cumf"_a, "GetLogCum(Qi, Qf, cum1, cum2, Cumi, Cumf) -> Rate");
    m.def(
        "ValidateLogCum",
        [](double Qi, double Qf, double decl, double BegCum, double EndCum) {
            double Qi_ = Qi;
            double Qf_ = Qf;
            double decl_ = decl;
            double BegCum_ = BegCum;
            double EndCum_ = EndCum;
            Check("ValidateLogCum", [&] { Qi_ = Qi; Qf_ = Qf; decl_ = decl; BegCum_ = BegCum; EndCum_ = EndCum; return ValidateLogCum(&Qi_, &Qf_, &decl_, &BegCum_, &EndCum_); });
            return py::make_tuple(Out(Qi_), Out(Qf_), Out(decl_), Out(BegCum_), Out(EndCum_));
        }, "Qi"_a, "Qf"_a, "decl"_a, "BegCum"_a, "EndCum"_a, "ValidateLogCum(Qi, Qf, decl, BegCum, EndCum) -> Qi, Qf, decl, BegCum, EndCum");
    m.def(
        "GetSEDMQt",
        [](double Qi, Date StartDate, Date EndDate, double tau, double n) {
            double Qt_ = 0.0;
            Check("GetSEDMQt", [&] { return GetSEDMQt(Qi, StartDate, EndDate, tau, n, &Qt_); });
            return Out(Qt_);
        }, "Qi"_a, "StartDate"_a, "EndDate"_a, "tau"_a, "n"_a, "GetSEDMQt(Qi, StartDate, EndDate, tau, n) -> Qt");
    m.def(
        "GetSEDMVol",
        [](double Qi, Date StartDate, Date EndDate, double tau, double n) {
            double Vol_ = 0.0;
            Check("GetSEDMVol", [&] { return GetSEDMVol(Qi, StartDate, EndDate, tau, n, &Vol_); });
            return Out(Vol_);
        }, "Qi"_a, "StartDate"_a, "EndDate"_a, "tau"_a, "n"_a, "GetSEDMVol(Qi, StartDate, EndDate, tau, n) -> Vol");
    m.def(
        "GetSEDMYears",
        [](double Qi, double Qf, double unused, double tau, double n) {
            double Years_ = 0.0;
            Check("GetSEDMYears", [&] { return GetSEDMYears(Qi, Qf, unused, tau, n, &Years_); });
            return Out(Years_);
        }, "Qi"_a, "Qf"_a, "unused"_a, "tau"_a, "n"_a, "GetSEDMYears(Qi, Qf, unused, tau, n) -> Years");
    m.def(
        "GetSEDMTau",
        [](double Qi, double Qf, Date StartDate, Date EndDate, double n) {
            double tau_ = 0.0;
            Check("GetSEDMTau", [&] { return GetSEDMTau(Qi, Qf, StartDate, EndDate, n, &tau_); });
            return Out(tau_);
        }, "Qi"_a, "Qf"_a, "StartDate"_a, "EndDate"_a, "n"_a, "GetSEDMTau(Qi, Qf, StartDate, EndDate, n) -> tau");
    m.def(
        "GetSEDMQi",
        [](double Qf, Date StartDate, Date EndDate, double tau, double n) {
            double Qi_ = 0.0;
            Check("GetSEDMQi", [&] { return GetSEDMQi(Qf, StartDate, EndDate, tau, n, &Qi_); });
            return Out(Qi_);
        }, "Qf"_a, "StartDate"_a, "EndDate"_a, "tau"_a, "n"_a, "GetSEDMQi(Qf, StartDate, EndDate, tau, n) -> Qi");
    m.def(
        "GetSEDMQfVol",
        [](double Qi, double Vol, Date StartDate, Date EndDate, double tau) {
            double Qf_ = 0.0;
            Check("GetSEDMQfVol", [&] { return GetSEDMQfVol(Qi, Vol, StartDate, EndDate, tau, Qf_); });
            return Out(Qf_);
        }, "Qi"_a, "Vol"_a, "StartDate"_a, "EndDate"_a, "tau"_a, "GetSEDMQfVol(Qi, Vol, StartDate, EndDate, tau) -> Qf");
    m.def(
        "EvaluateV2Formula", [](const std::string& formula) -> double { return EvaluateV2Formula(formula.c_str()); }, "formula"_a, "EvaluateV2Formula(formula) -> value");
}

}  // namespace qrvp::python
