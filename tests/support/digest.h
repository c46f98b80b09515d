// A 64-bit FNV-1a digest of texts, for results that must stay the same to the
// bit: hosts compare results digit by digit, so a sweep's outputs are folded
// into one number recorded beside the test, and any changed bit, status or
// message anywhere in the sweep shows as a different digest.  After an
// intended change the test prints the new digest to record.
#ifndef QRVP_TESTS_DIGEST_H
#define QRVP_TESTS_DIGEST_H

#include <cstdint>
#include <string_view>

namespace qrvp::test {

struct Digest {
    uint64_t value = 0xcbf29ce484222325ull;
    // Each text ends with a separator, so "ab" then "c" differs from "a" then "bc".
    void Add(std::string_view text)
    {
        for (const char c : text) value = (value ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        value = (value ^ 0xffu) * 0x100000001b3ull;
    }
};

}  // namespace qrvp::test

#endif
