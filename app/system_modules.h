// The answer of the system's module-information query (NtQuerySystemInformation with
// SystemModuleInformation): a 32-bit count, then one record per loaded kernel module:
//   Section, MappedBase, ImageBase   pointer-sized
//   ImageSize, Flags                 32-bit
//   LoadOrderIndex, InitOrderIndex, LoadCount, OffsetToFileName   16-bit
//   FullPathName                     256 bytes of ANSI text ending in NUL
// with the records aligned to the pointer size. It names the modules even where the system
// withholds their load addresses from a caller without administrator rights.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pellmark {

struct SystemModule {
    std::uint64_t base = 0;  // 0 where the system withholds it
    std::string name;        // the part of the path from OffsetToFileName on
    std::string path;
};

// The modules of an answer laid out for pointers of `pointer_size` bytes (4 or 8). Records that
// the answer does not hold whole are not read; a file-name offset past the path gives the whole
// path as the name; a path without NUL ends at its 256th byte.
std::vector<SystemModule> parse_system_modules(const unsigned char* data, std::size_t size, std::size_t pointer_size);

}  // namespace pellmark
