#include "component/descriptions/tavDescriptIon.h"
#include "component/files/whole_file_io.h"

#include "common/unique_bstr.h"
#include "component/descriptions/description_file.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

namespace brindle {
namespace {

using tavrin::bstr_view;
using tavrin::unique_bstr;

constexpr wchar_t description_file_name[] = L"Descript.ion";

unique_bstr text_of(const descriptions::description_list::entry* entry, bool want_name) {
    if (!entry) return unique_bstr(L"");
    const descriptions::text_ref& text = want_name ? entry->name : entry->description;
    unique_bstr out(SysAllocStringLen(nullptr, static_cast<UINT>(text.size())));
    if (!out.get()) throw std::bad_alloc();
    text.copy_to(out.get());
    return out;
}

unique_bstr directory_file(BSTR path_name) {
    unique_bstr file(description_file_name), joined;
    checked_call(tsBuildFileName, path_name, file.get(), joined.put());
    return joined;
}

}  // namespace

STDMETHODIMP tavDescriptIon::get_FileName(BSTR *Result) {
    return com_call(Result, [&] { return unique_bstr(file_name_); });
}

STDMETHODIMP tavDescriptIon::get_ItemFileName(LONG Index, BSTR *Result) {
    return com_call(Result, [&] { return text_of(entries_.at(Index), true); });
}

STDMETHODIMP tavDescriptIon::get_ItemDescription(LONG Index, BSTR *Result) {
    return com_call(Result, [&] { return text_of(entries_.at(Index), false); });
}

STDMETHODIMP tavDescriptIon::get_ItemDescriptionByFileName(BSTR FileName, BSTR *Result) {
    return com_call(Result, [&] {
        std::wstring_view name = bstr_view(FileName);
        return text_of(name.empty() ? nullptr : entries_.find(name), false);
    });
}

STDMETHODIMP tavDescriptIon::get_ItemCount(LONG *Result) {
    return com_call(Result, [&] { return static_cast<LONG>(entries_.size()); });
}

STDMETHODIMP tavDescriptIon::RemoveItem(LONG Index, VARIANT_BOOL *Result) {
    return com_call(Result, [&] { return vbool(entries_.remove_at(Index)); });
}

STDMETHODIMP tavDescriptIon::RemoveItemByFileName(BSTR FileName, VARIANT_BOOL *Result) {
    return com_call(Result, [&] {
        std::wstring_view name = bstr_view(FileName);
        return vbool(!name.empty() && entries_.remove(name));
    });
}

STDMETHODIMP tavDescriptIon::AddItem(BSTR FileName, BSTR Description) {
    return com_call([&] {
        // An empty description sets nothing: it neither adds nor removes an entry.
        std::wstring_view name = bstr_view(FileName), description = bstr_view(Description);
        if (!name.empty() && !description.empty() && descriptions::oem_can_hold(name)) entries_.assign(name, description);
    });
}

STDMETHODIMP tavDescriptIon::Clear() {
    return com_call([&] {
        file_name_.clear();
        entries_.clear();
    });
}

STDMETHODIMP tavDescriptIon::ReadFile(BSTR FileName, VARIANT_BOOL *Result) {
    return com_call(Result, [&] {
        file_name_.clear();
        entries_.clear();
        std::wstring_view name = bstr_view(FileName);
        bool read = false;
        if (files::is_usable_name(name)) {
            // No failure reaches the client; a missing file is a directory without descriptions.
            try {
                DWORD error = descriptions::read_description_file(tavrin::bstr_text(FileName), entries_);
                read = error == ERROR_SUCCESS || number_from_win32(error) == err_file_not_found;
            } catch (...) {
                read = false;
            }
        }
        if (read) file_name_ = name;
        return vbool(read);
    });
}

STDMETHODIMP tavDescriptIon::WriteFile(BSTR FileName, VARIANT_BOOL *Result) {
    return com_call(Result, [&] {
        std::wstring target(bstr_view(FileName));
        if (target.empty()) target = file_name_;
        if (!files::is_usable_name(target)) return vbool(false);
        try {
            return vbool(descriptions::write_description_file(target.c_str(), entries_) == ERROR_SUCCESS);
        } catch (...) {
            return vbool(false);
        }
    });
}

STDMETHODIMP tavDescriptIon::ReadDirectoryFile(BSTR PathName, VARIANT_BOOL *Result) {
    unique_bstr file_name;
    if (HRESULT hr = com_call([&] { file_name = directory_file(PathName); }); FAILED(hr)) return hr;
    return ReadFile(file_name.get(), Result);
}

STDMETHODIMP tavDescriptIon::WriteDirectoryFile(BSTR PathName, VARIANT_BOOL *Result) {
    // Without a path the model goes back to the file it was read from.
    if (bstr_view(PathName).empty()) return WriteFile(nullptr, Result);
    unique_bstr file_name;
    if (HRESULT hr = com_call([&] { file_name = directory_file(PathName); }); FAILED(hr)) return hr;
    return WriteFile(file_name.get(), Result);
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavDescriptIon)
