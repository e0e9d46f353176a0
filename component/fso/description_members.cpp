// tavFSO.GetFileDescription and SetFileDescription: one file's entry in the Descript.ion of its
// folder, through a private tavDescriptIon that lives for the call.
#include "component/descriptions/description_file.h"
#include "component/descriptions/tavDescriptIon.h"
#include "component/files/whole_file_io.h"
#include "component/fso/tavFSO.h"
#include "common/unique_bstr.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

namespace brindle {
namespace {

using tavrin::unique_bstr;

// The folder and the name part of a file name, as the support library splits it.
struct file_parts {
    unique_bstr folder, name;
    explicit file_parts(BSTR file_name) {
        checked_call(tsGetFilePath, file_name, folder.put());
        checked_call(tsGetFileName, file_name, name.put());
    }
};

}  // namespace

STDMETHODIMP tavFSO::GetFileDescription(BSTR FileName, BSTR *Result) {
    return com_call(Result, [&] {
        if (!files::is_usable_name(tavrin::bstr_view(FileName))) return unique_bstr(L"");
        file_parts parts(FileName);
        auto descriptions = tavDescriptIon::create();
        VARIANT_BOOL read = VARIANT_FALSE;
        checked_call(&tavDescriptIon::ReadDirectoryFile, descriptions.get(), parts.folder.get(), &read);
        unique_bstr text(L"");
        if (read) checked_call(&tavDescriptIon::get_ItemDescriptionByFileName, descriptions.get(), parts.name.get(), text.put());
        return text;
    });
}

STDMETHODIMP tavFSO::SetFileDescription(BSTR FileName, BSTR DescriptionText, VARIANT_BOOL *Result) {
    return com_call(Result, [&] {
        if (!files::is_usable_name(tavrin::bstr_view(FileName))) return vbool(false);
        file_parts parts(FileName);
        if (!descriptions::oem_can_hold(parts.name.view())) return vbool(false);
        auto descriptions = tavDescriptIon::create();
        VARIANT_BOOL done = VARIANT_FALSE;
        checked_call(&tavDescriptIon::ReadDirectoryFile, descriptions.get(), parts.folder.get(), &done);
        if (!done) return vbool(false);
        checked_call(&tavDescriptIon::AddItem, descriptions.get(), parts.name.get(), DescriptionText);
        checked_call(&tavDescriptIon::WriteDirectoryFile, descriptions.get(), parts.folder.get(), &done);
        return done;
    });
}

}  // namespace brindle
