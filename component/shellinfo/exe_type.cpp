#include "component/shellinfo/exe_type.h"

namespace brindle::shellinfo {

exe_type decode_exe_type(std::uint32_t value) {
    exe_type out;
    const std::uint32_t high = value >> 16, low = value & 0xFFFF;
    out.os_major = static_cast<int>(high >> 8);
    out.os_minor = static_cast<int>(high & 0xFF);
    if (low != 0) {
        out.signature.push_back(static_cast<char>(low & 0xFF));
        out.signature.push_back(static_cast<char>(low >> 8));
    }
    return out;
}

}  // namespace brindle::shellinfo
