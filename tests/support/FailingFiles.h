// The system's files where a save can fail as a disk or the system would.
#pragma once

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/Files.h"

namespace kinpath::testing {

// A disk that holds `room` bytes of a file, where a file's owner cannot be
// kept when `foreignOwner`, where the folder takes no new file when
// `noNewFiles`, where `signal` comes halfway through the next write, and where
// the next write's first byte lands changed, though said written, when `garble`;
// `writes` counts the writes asked for.
class FailingFiles : public SystemFiles {
public:
    std::uint64_t room = UINT64_MAX;
    bool foreignOwner = false;
    bool noNewFiles = false;
    int signal = 0;
    bool garble = false;
    int writes = 0;

    bool Write(File& file, std::uint64_t offset, std::string_view bytes) override {
        ++writes;
        if (const int raised = std::exchange(signal, 0)) {
            const std::size_t half = bytes.size() / 2;
            const bool first = Write(file, offset, bytes.substr(0, half));
            std::raise(raised);
            return first && Write(file, offset + half, bytes.substr(half));
        }
        if (std::exchange(garble, false) && !bytes.empty()) {
            std::string changed(bytes);
            changed[0] ^= 1;
            return Write(file, offset, changed);
        }
        const std::size_t fits =
            offset >= room ? 0 : std::min<std::uint64_t>(bytes.size(), room - offset);
        return SystemFiles::Write(file, offset, bytes.substr(0, fits)) && fits == bytes.size();
    }
    bool KeepAttributes(const SaveTarget& target, File& file) override {
        return !foreignOwner && SystemFiles::KeepAttributes(target, file);
    }
    File CreateTemporary(const SaveTarget& target, std::string& temporary) override {
        return noNewFiles ? File() : SystemFiles::CreateTemporary(target, temporary);
    }
};

}  // namespace kinpath::testing
