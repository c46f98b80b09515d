// Placeholder until the diagnostic log lands.
#include "tests/support/log_capture.h"

namespace qrvp::test {

LogCapture::LogCapture() = default;
LogCapture::~LogCapture() = default;
std::vector<std::string> LogCapture::Lines() { return {}; }
std::string LogCapture::LastCall() { return {}; }
RecordTail ParseRecordTail(const std::string&) { return {}; }

}  // namespace qrvp::test
