// The class FileStream (default interface _FileStream): one stream of a file's backup data, as
// tavFileStreams found it. It never changes after init and holds no handle.
#pragma once

#include "Brindle.h"
#include "component/server/object.h"
#include "component/streams/backup_streams.h"

#include <string>

namespace brindle {

class FileStream : public dispatch_object<FileStream, _FileStream> {
public:
    // Fills a new object from a header and its name; only the stream list calls it.
    void init(const streams::stream_record& record);

    STDMETHODIMP get_StreamID(LONG *Result) override;
    STDMETHODIMP get_Attributes(LONG *Result) override;
    STDMETHODIMP get_Size(double *Result) override;
    STDMETHODIMP get_Name(BSTR *Result) override;
    STDMETHODIMP get_ShortName(BSTR *Result) override;
    STDMETHODIMP get_StreamIDInvalid(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDEAData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDSecurityData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDAlternateData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDLink(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDPropertyData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDObjectID(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDReparseData(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_StreamIDSparseBlock(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeModifiedWhenRead(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeContainsSecurity(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeContainsProperties(VARIANT_BOOL *Result) override;
    STDMETHODIMP get_AttributeSparseAttribute(VARIANT_BOOL *Result) override;

private:
    HRESULT id_is(std::uint32_t id, VARIANT_BOOL* result) noexcept;
    HRESULT has_attribute(std::uint32_t bit, VARIANT_BOOL* result) noexcept;

    std::uint32_t stream_id_ = 0;
    std::uint32_t attributes_ = 0;
    double size_ = 0;
    std::u16string name_;
};

}  // namespace brindle
