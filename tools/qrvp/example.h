// The table `qrvp forecast` runs when given no file: three wells that show
// each model, a chained segment, effective declines and a switch to Dmin.
#ifndef QRVP_TOOLS_EXAMPLE_H
#define QRVP_TOOLS_EXAMPLE_H

namespace qrvp::tool {

inline constexpr const char* kExampleTable =
    "# Built-in example: rates are volumes per month; Arps declines are percentages\n"
    "# per year (nominal, tangent- or secant-effective by decline_type).\n"
    "well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type\n"
    "Ash-1,arps,2025-01-01,2035-01-01,12000,,65,1.1,10,,,secant\n"
    "Birch-2,lintime,2025-03-15,2026-01-01,3000,4500,,,,,,\n"
    "Birch-2,arps,,,,300,30,0,,,,tangent\n"
    "Cedar-3,sedm,2025-06-01,2030-06-01,20000,,,,,1.2,0.45,\n"
    "Cedar-3,arps,,2035-01-01,,,12,0,,,,tangent\n";

}  // namespace qrvp::tool

#endif
