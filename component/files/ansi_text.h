// A file's bytes taken as ANSI text the way the support library takes them, for the readers of
// text files.
#pragma once

#include <cstring>
#include <string>
#include <utility>

#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

namespace brindle::files {

// The bytes as ANSI text (tsStrConvW); raises the support library's failure. The bytes are let go
// once they are in the array, so that a large file is not held three times over.
inline tavrin::unique_bstr ansi_text_of(std::string bytes) {
    tavrin::unique_safearray array = tavrin::make_byte_array(bytes.size());
    {
        tavrin::safearray_lock lock(array.get());
        std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    bytes = std::string();
    tavrin::unique_bstr text;
    checked_call(tsStrConvW, array.get(), text.put());
    return text;
}

}  // namespace brindle::files
