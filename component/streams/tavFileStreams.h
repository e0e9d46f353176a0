// The class tavFileStreams (default interface _tavFileStreams): the streams of one file's
// backup data, one FileStream per stream header, in the order of the data.
#pragma once

#include "Brindle.h"
#include "common/com_ptr.h"
#include "component/server/collection_shape.h"
#include "component/streams/FileStream.h"
#include "component/streams/backup_streams.h"

#include <functional>

namespace brindle {

class tavFileStreams : public collection_object<tavFileStreams, _tavFileStreams, _FileStream> {
public:
    // Makes the element of one stream; the list's own maker builds a FileStream from the record.
    using element_maker = std::function<tavrin::com_ptr<FileStream>(const streams::stream_record&)>;
    static tavrin::com_ptr<FileStream> make_element(const streams::stream_record& record);

    // Replaces the list with the streams of the backup data `reader` hands out. False, with an
    // empty list, when an element cannot be made or appended; the error is not passed on.
    bool load(streams::backup_reader& reader, const element_maker& make = make_element);

    STDMETHODIMP ReadFileStreams(BSTR FileName, VARIANT_BOOL ProcessSecurity, VARIANT_BOOL *Result) override;
};

}  // namespace brindle
