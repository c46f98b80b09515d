#include "python/src/common.h"
#include "python/src/tables.h"

namespace qrvp::python {
void RegisterCalls(py::module_& m);
void RegisterVector(py::module_& m);
void RegisterFrames(py::module_& m);
void RegisterFit(py::module_& m);
void RegisterTypeWell(py::module_& m);
}  // namespace qrvp::python

PYBIND11_MODULE(_qrvpfuncs, m)
{
    using namespace qrvp::python;
    m.doc() = "The QRVPFuncs library's calculations, vectorised evaluations and the fleet layer's table runs.";
    RegisterErrors(m);
    RegisterCalls(m);
    RegisterVector(m);
    RegisterFrames(m);
    RegisterFit(m);
    RegisterTypeWell(m);
    RegisterTables(m);
}
