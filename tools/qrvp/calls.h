// `qrvp call`: every exported calculation by name, with its arguments in the
// library's order, so that one value can be computed by hand.
#ifndef QRVP_TOOLS_CALLS_H
#define QRVP_TOOLS_CALLS_H

#include <string>
#include <vector>

namespace qrvp::tool {

// The functions and their argument names, one per line, by family.
std::string ListFunctions();

// Calls `name` with the argument texts; prints the call, its status or value,
// every out-parameter and the log records it produced to `out`, problems with
// the arguments to `err`.  Returns the process exit code: 0 for status 0 (or
// a plain value), 1 for status -1, 2 for a usage error.
int CallFunction(const std::string& name, const std::vector<std::string>& args, std::string& out,
                 std::string& err);

}  // namespace qrvp::tool

#endif
