// How both platforms turn a batch of log records into writes: each record as
// 8-bit text (a character below 256 as that byte, any other as '?', each line
// feed as carriage return and line feed), in pieces of about 64 KiB that end
// on a record's end, so a write cut short is known to have cut one record.
#ifndef QRVP_PLATFORM_RECORD_CHUNKS_H
#define QRVP_PLATFORM_RECORD_CHUNKS_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace qrvp::platform {

inline void AppendEightBit(const std::wstring& record, std::string& out)
{
    for (const wchar_t w : record) {
        const auto c = static_cast<uint32_t>(w);
        if (c == '\n') {
            out += "\r\n";
        } else {
            out.push_back(c < 256u ? static_cast<char>(static_cast<unsigned char>(c)) : '?');
        }
    }
}

// The last of the records with any text, or nullptr.
inline const std::wstring* LastWithText(const std::wstring* records, size_t count)
{
    while (count > 0 && records[count - 1].empty()) --count;
    return count == 0 ? nullptr : &records[count - 1];
}

// Writes the records with `write(text)` (the bytes that reached the file)
// and returns how many are in the file whole.  After a short write,
// `cutBack(bytes)` takes the fragment of the record it cut off the file.  A
// line end goes first when `needsLineEnd` (cleared once written).
template <class Write, class CutBack>
size_t AppendInChunks(const std::wstring* records, size_t count, bool& needsLineEnd, Write write, CutBack cutBack)
{
    constexpr size_t kChunkSize = 64 * 1024;
    size_t whole = 0;
    try {
        std::string chunk;
        std::vector<size_t> ends;  // where each record of the chunk ends in it
        chunk.reserve(kChunkSize + 4096);
        while (whole < count) {
            chunk.assign(needsLineEnd ? "\r\n" : "");
            ends.clear();
            const size_t lineEnd = chunk.size();
            for (size_t i = whole; i < count && (ends.empty() || chunk.size() < kChunkSize); ++i) {
                AppendEightBit(records[i], chunk);
                ends.push_back(chunk.size());
            }
            const size_t done = write(chunk);
            size_t kept = 0;
            if (done >= lineEnd) {
                needsLineEnd = false;
                kept = lineEnd;
            }
            for (const size_t end : ends) {
                if (end > done) break;
                kept = end;
                ++whole;
            }
            if (done < chunk.size()) {
                cutBack(done - kept);
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        // Out of memory: the records not yet written stay with the caller.
    }
    return whole;
}

}  // namespace qrvp::platform

#endif
