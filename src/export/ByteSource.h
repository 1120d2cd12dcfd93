#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tunecrate {

// Where playlist bytes come from: a file, or a buffer in tests and the fuzzer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to size bytes into buffer; 0 means the end. Throws on a read error.
    [[nodiscard]] virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    [[nodiscard]] std::size_t read(char* buffer, std::size_t size) override;

private:
    std::string_view bytes_;
};

// Opens a playlist for reading. Only a regular file counts as found: a missing
// path, a folder, a FIFO or a device gives nullptr, and nothing waits on it.
// A regular file that cannot be opened (no permission, locked) throws.
[[nodiscard]] std::unique_ptr<ByteSource> openPlaylistFile(const std::string& path);

} // namespace tunecrate
