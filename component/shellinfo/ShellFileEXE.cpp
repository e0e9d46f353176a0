#include "component/shellinfo/ShellFileEXE.h"

#include "common/unique_bstr.h"
#include "component/server/errors.h"
#include "component/shellinfo/exe_type.h"

namespace brindle {

void ShellFileEXE::init(std::uint32_t value) {
    shellinfo::exe_type type = shellinfo::decode_exe_type(value);
    std::wstring signature;
    // Each byte is one character on its own, even where the code page would pair them.
    for (char byte : type.signature) {
        wchar_t c = 0;
        if (byte != 0 && MultiByteToWideChar(CP_ACP, 0, &byte, 1, &c, 1) != 1) c = L'?';
        signature.push_back(c);
    }
    signature_ = std::move(signature);
    os_major_ = type.os_major;
    os_minor_ = type.os_minor;
}

STDMETHODIMP ShellFileEXE::get_OSVersionMinor(LONG *Result) {
    return com_call(Result, [&] { return os_minor_; });
}

STDMETHODIMP ShellFileEXE::get_OSVersionMajor(LONG *Result) {
    return com_call(Result, [&] { return os_major_; });
}

STDMETHODIMP ShellFileEXE::get_Signature(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(std::wstring_view(signature_)); });
}

}  // namespace brindle
