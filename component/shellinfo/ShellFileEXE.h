// The class ShellFileEXE (default interface _ShellFileEXE): an executable's format signature
// and the Windows version it expects, as the shell reported them. It never changes after init.
#pragma once

#include "Brindle.h"
#include "component/server/object.h"

#include <cstdint>
#include <string>

namespace brindle {

class ShellFileEXE : public dispatch_object<ShellFileEXE, _ShellFileEXE> {
public:
    // Fills a new object from the result of the executable-type query; only tavShellFileInfo
    // calls it. The signature's bytes are read in the ANSI code page.
    void init(std::uint32_t value);

    STDMETHODIMP get_OSVersionMinor(LONG *Result) override;
    STDMETHODIMP get_OSVersionMajor(LONG *Result) override;
    STDMETHODIMP get_Signature(BSTR *Result) override;

private:
    std::wstring signature_;
    LONG os_major_ = 0;
    LONG os_minor_ = 0;
};

}  // namespace brindle
