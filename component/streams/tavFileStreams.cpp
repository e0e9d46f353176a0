#include "component/streams/tavFileStreams.h"
#include "component/files/whole_file_io.h"

#include "common/unique_bstr.h"
#include "component/server/errors.h"
#include "component/streams/backup_file_reader.h"
#include "support/TavrinSupport0100.h"

namespace brindle {

tavrin::com_ptr<FileStream> tavFileStreams::make_element(const streams::stream_record& record) {
    auto element = FileStream::create();
    element->init(record);
    return element;
}

bool tavFileStreams::load(streams::backup_reader& reader, const element_maker& make) {
    replace_items();
    try {
        streams::walk_backup_streams(reader, [&](const streams::stream_record& record) {
            tavrin::com_ptr<FileStream> element = make(record);
            if (!element) raise(err_out_of_memory);
            append(element->as_interface());
        });
        return true;
    } catch (...) {
        // A list that lacks streams would read as a file without them: nothing rather than part.
        items().clear();
        SetErrorInfo(0, nullptr);
        return false;
    }
}

STDMETHODIMP tavFileStreams::ReadFileStreams(BSTR FileName, VARIANT_BOOL ProcessSecurity, VARIANT_BOOL *Result) {
    return com_call(Result, [&] {
        replace_items();
        VARIANT_BOOL nt = VARIANT_FALSE;
        checked_call(tsIsHostWinNT, &nt);
        if (!nt) return vbool(false);
        if (!files::is_usable_name(tavrin::bstr_view(FileName))) return vbool(false);
        streams::backup_file_reader reader(tavrin::bstr_text(FileName), ProcessSecurity != VARIANT_FALSE);
        if (!reader.opened()) return vbool(false);
        return vbool(load(reader));
    });
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavFileStreams)
