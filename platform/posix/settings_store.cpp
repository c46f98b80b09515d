// The settings store on POSIX: an exported-registry file named by the
// environment variable QRVPFUNCS_REGISTRY, else /etc/ostrel-labs/registry.reg,
// read afresh on every query and never written.
#include "platform/settings_store.h"

#include "platform/posix/reg_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace qrvp::platform {

namespace {

constexpr const char* kStoreVariable = "QRVPFUNCS_REGISTRY";
constexpr const char* kDefaultStore = "/etc/ostrel-labs/registry.reg";

// The whole store file, or false when it is missing, not a regular file (a
// FIFO or a device could block or never end) or larger than the bound.
bool ReadStoreFile(std::string& bytes)
{
    const char* name = std::getenv(kStoreVariable);
    if (name == nullptr || *name == '\0') name = kDefaultStore;
    int fd = -1;
    do {
        fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
              static_cast<unsigned long long>(info.st_size) <= posix::kMaxRegFileBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;  // the file shrank meanwhile: use what was there
            done += static_cast<size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return ok;
}

}  // namespace

SettingRead ReadSettingValue(const wchar_t* keyPath, const wchar_t* valueName, void* buffer, uint32_t capacity,
                             uint32_t* length)
{
    if (length != nullptr) *length = 0;
    if (keyPath == nullptr) return SettingRead::kNoKey;
    std::string bytes;
    if (!ReadStoreFile(bytes)) return SettingRead::kNoKey;
    const posix::RegLookup found =
        posix::LookUpRegValue(bytes, keyPath, valueName == nullptr ? std::wstring_view() : valueName);
    if (!found.keyFound) return SettingRead::kNoKey;
    if (!found.valueFound) return SettingRead::kNoValue;
    if (found.data.size() > capacity) return SettingRead::kMoreData;
    if (!found.data.empty() && buffer != nullptr) std::memcpy(buffer, found.data.data(), found.data.size());
    if (length != nullptr) *length = static_cast<uint32_t>(found.data.size());
    return SettingRead::kOk;
}

}  // namespace qrvp::platform
