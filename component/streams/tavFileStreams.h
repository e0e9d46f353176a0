// The class tavFileStreams (default interface _tavFileStreams).
#pragma once

#include "Brindle.h"
#include "component/server/collection_shape.h"

namespace brindle {

class tavFileStreams : public collection_object<tavFileStreams, _tavFileStreams, _FileStream> {
public:
    STDMETHODIMP ReadFileStreams(BSTR FileName, VARIANT_BOOL ProcessSecurity, VARIANT_BOOL *Result) override;
};

}  // namespace brindle
