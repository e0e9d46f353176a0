#include "component/streams/FileStream.h"

#include "common/unique_bstr.h"
#include "component/server/errors.h"
#include "support/TavrinSupport0100.h"

namespace brindle {

using namespace streams;

namespace {
static_assert(sizeof(wchar_t) == sizeof(char16_t), "automation strings are UTF-16");

tavrin::unique_bstr bstr_of(std::u16string_view text) {
    return tavrin::unique_bstr(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}
}  // namespace

void FileStream::init(const stream_record& record) {
    stream_id_ = record.id;
    attributes_ = record.attributes;
    ULARGE_INTEGER size;
    size.QuadPart = record.size;
    checked_call(tsLargeIntegerToDouble, &size, &size_);
    name_ = stream_display_name(record);
}

HRESULT FileStream::id_is(std::uint32_t id, VARIANT_BOOL* result) noexcept {
    return com_call(result, [&] { return vbool(stream_id_ == id); });
}

HRESULT FileStream::has_attribute(std::uint32_t bit, VARIANT_BOOL* result) noexcept {
    return com_call(result, [&] { return vbool((attributes_ & bit) != 0); });
}

STDMETHODIMP FileStream::get_StreamID(LONG *Result) {
    return com_call(Result, [&] { return LONG(stream_id_); });
}

STDMETHODIMP FileStream::get_Attributes(LONG *Result) {
    return com_call(Result, [&] { return LONG(attributes_); });
}

STDMETHODIMP FileStream::get_Size(double *Result) {
    return com_call(Result, [&] { return size_; });
}

STDMETHODIMP FileStream::get_Name(BSTR *Result) {
    return com_call(Result, [&] { return bstr_of(name_); });
}

STDMETHODIMP FileStream::get_ShortName(BSTR *Result) {
    return com_call(Result, [&] { return bstr_of(stream_short_name(name_)); });
}

STDMETHODIMP FileStream::get_StreamIDInvalid(VARIANT_BOOL *Result) { return id_is(backup_invalid, Result); }
STDMETHODIMP FileStream::get_StreamIDData(VARIANT_BOOL *Result) { return id_is(backup_data, Result); }
STDMETHODIMP FileStream::get_StreamIDEAData(VARIANT_BOOL *Result) { return id_is(backup_ea_data, Result); }
STDMETHODIMP FileStream::get_StreamIDSecurityData(VARIANT_BOOL *Result) { return id_is(backup_security_data, Result); }
STDMETHODIMP FileStream::get_StreamIDAlternateData(VARIANT_BOOL *Result) { return id_is(backup_alternate_data, Result); }
STDMETHODIMP FileStream::get_StreamIDLink(VARIANT_BOOL *Result) { return id_is(backup_link, Result); }
STDMETHODIMP FileStream::get_StreamIDPropertyData(VARIANT_BOOL *Result) { return id_is(backup_property_data, Result); }
STDMETHODIMP FileStream::get_StreamIDObjectID(VARIANT_BOOL *Result) { return id_is(backup_object_id, Result); }
STDMETHODIMP FileStream::get_StreamIDReparseData(VARIANT_BOOL *Result) { return id_is(backup_reparse_data, Result); }
STDMETHODIMP FileStream::get_StreamIDSparseBlock(VARIANT_BOOL *Result) { return id_is(backup_sparse_block, Result); }

STDMETHODIMP FileStream::get_AttributeModifiedWhenRead(VARIANT_BOOL *Result) {
    return has_attribute(stream_modified_when_read, Result);
}
STDMETHODIMP FileStream::get_AttributeContainsSecurity(VARIANT_BOOL *Result) {
    return has_attribute(stream_contains_security, Result);
}
STDMETHODIMP FileStream::get_AttributeContainsProperties(VARIANT_BOOL *Result) {
    return has_attribute(stream_contains_properties, Result);
}
STDMETHODIMP FileStream::get_AttributeSparseAttribute(VARIANT_BOOL *Result) {
    return has_attribute(stream_sparse_attribute, Result);
}

}  // namespace brindle
