// The diagnostic log's process-wide state, as the tests look into it.
#ifndef QRVP_FRAME_LOG_H
#define QRVP_FRAME_LOG_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace qrvp::log {

struct LogSettings {
    uint32_t levelMask = 0;
    uint32_t systemMask = 0;
    std::wstring fileName;
};

// The masks and file name now in force.
LogSettings CurrentSettings();

// Records queued and not yet written.
size_t QueuedRecords();

}  // namespace qrvp::log

#endif
