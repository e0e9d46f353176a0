// The value the shell's executable-type query gives, taken apart: the low word holds the
// format's two signature letters (low byte first: MZ, NE, PE), the high word the Windows
// version the program expects (major in the high byte), 0 for MS-DOS and console programs.
#pragma once

#include <cstdint>
#include <string>

namespace brindle::shellinfo {

struct exe_type {
    std::string signature;  // the two signature bytes, or empty when both are zero
    int os_major = 0;       // 0 to 255
    int os_minor = 0;       // 0 to 255
};

exe_type decode_exe_type(std::uint32_t value);

}  // namespace brindle::shellinfo
