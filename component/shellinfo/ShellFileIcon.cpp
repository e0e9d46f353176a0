#include "component/shellinfo/ShellFileIcon.h"

#include "component/server/errors.h"

#include <utility>

namespace brindle {

void ShellFileIcon::init(LONG index, tavrin::com_ptr<IPictureDisp> picture) noexcept {
    index_ = index;
    picture_ = std::move(picture);
}

STDMETHODIMP ShellFileIcon::get_Icon(IPictureDisp **Result) {
    return com_call(Result, [&] { return picture_; });
}

STDMETHODIMP ShellFileIcon::get_Index(LONG *Result) {
    return com_call(Result, [&] { return index_; });
}

}  // namespace brindle
