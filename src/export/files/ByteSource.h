#pragma once

#include <cstddef>
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

} // namespace tunecrate
