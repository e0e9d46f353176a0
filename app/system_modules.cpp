#include "app/system_modules.h"

#include <cstring>

namespace pellmark {

namespace {

constexpr std::size_t kPathBytes = 256;

std::uint64_t read_unsigned(const unsigned char* p, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes; i-- > 0;) value = (value << 8) | p[i];
    return value;
}

}  // namespace

std::vector<SystemModule> parse_system_modules(const unsigned char* data, std::size_t size, std::size_t pointer_size) {
    std::vector<SystemModule> modules;
    if (!data || size < 4 || (pointer_size != 4 && pointer_size != 8)) return modules;
    const std::size_t record = 3 * pointer_size + 2 * 4 + 4 * 2 + kPathBytes;
    const std::size_t first = pointer_size;  // the count, padded to the records' alignment
    const std::uint64_t count = read_unsigned(data, 4);
    const std::size_t room = size < first ? 0 : (size - first) / record;
    const std::size_t whole = count < room ? static_cast<std::size_t>(count) : room;
    modules.reserve(whole);
    for (std::size_t i = 0; i < whole; ++i) {
        const unsigned char* r = data + first + i * record;
        SystemModule module;
        module.base = read_unsigned(r + 2 * pointer_size, pointer_size);
        const unsigned char* counters = r + 3 * pointer_size + 2 * 4;
        const std::size_t name_offset = static_cast<std::size_t>(read_unsigned(counters + 3 * 2, 2));
        const char* path = reinterpret_cast<const char*>(counters + 4 * 2);
        const void* nul = std::memchr(path, 0, kPathBytes);
        const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - path) : kPathBytes;
        module.path.assign(path, length);
        module.name = name_offset < length ? module.path.substr(name_offset) : module.path;
        modules.push_back(std::move(module));
    }
    return modules;
}

}  // namespace pellmark
