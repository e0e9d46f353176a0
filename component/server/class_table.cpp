#include "component/server/class_table.h"

#include "Brindle.h"
#include "component/descriptions/tavDescriptIon.h"
#include "component/findfiles/FoundedFile.h"
#include "component/findfiles/IFindFilesCallback.h"
#include "component/findfiles/tavFoundedFiles.h"
#include "component/fso/tavFSO.h"
#include "component/server/object.h"
#include "component/shellinfo/ShellFileEXE.h"
#include "component/shellinfo/ShellFileIcon.h"
#include "component/shellinfo/tavShellFileInfo.h"
#include "component/streams/FileStream.h"
#include "component/streams/tavFileStreams.h"
#include "component/version/tavFileVersion.h"

namespace brindle {

const wchar_t progid_prefix[] = L"Brindle.";
const wchar_t type_library_name[] = L"Tavrin - File I/O support 1.00";
const GUID type_library_id = {0x9F8CBC4A, 0xA075, 0x4A88, {0xAB, 0x70, 0x07, 0xD3, 0x66, 0x34, 0x02, 0x14}};

namespace {

// Identities of _tavFSO in earlier releases, oldest first.
const IID tavFSO_older_iids[] = {
    {0x92186C97, 0x5A68, 0x4CD7, {0x95, 0xFB, 0x9A, 0xF7, 0x27, 0x75, 0x89, 0xCC}},
    {0x0EDDC961, 0x7CB0, 0x4833, {0xBA, 0x46, 0xA6, 0x87, 0x4D, 0x2D, 0x00, 0xFB}},
    {0x4D941858, 0x88C7, 0x4491, {0x81, 0x46, 0x87, 0xC7, 0x44, 0xEE, 0xCB, 0x73}},
    {0x6C4B789F, 0x8D9A, 0x435A, {0xA2, 0xBE, 0xC0, 0xFE, 0x7C, 0x92, 0x99, 0xDA}},
};

const class_info classes[] = {
    {L"tavDescriptIon", &CLSID_tavDescriptIon, L"_tavDescriptIon", &IID__tavDescriptIon, nullptr, 0,
     &create_instance<tavDescriptIon>},
    {L"tavFSO", &CLSID_tavFSO, L"_tavFSO", &IID__tavFSO, tavFSO_older_iids, 4, &create_instance<tavFSO>},
    {L"tavFileStreams", &CLSID_tavFileStreams, L"_tavFileStreams", &IID__tavFileStreams, nullptr, 0,
     &create_instance<tavFileStreams>},
    {L"FileStream", &CLSID_FileStream, L"_FileStream", &IID__FileStream, nullptr, 0, nullptr},
    {L"tavFoundedFiles", &CLSID_tavFoundedFiles, L"_tavFoundedFiles", &IID__tavFoundedFiles, nullptr, 0,
     &create_instance<tavFoundedFiles>},
    {L"FoundedFile", &CLSID_FoundedFile, L"_FoundedFile", &IID__FoundedFile, nullptr, 0, nullptr},
    {L"IFindFilesCallback", &CLSID_IFindFilesCallback, L"_IFindFilesCallback", &IID__IFindFilesCallback, nullptr, 0,
     &create_instance<IFindFilesCallback>},
    {L"tavFileVersion", &CLSID_tavFileVersion, L"_tavFileVersion", &IID__tavFileVersion, nullptr, 0,
     &create_instance<tavFileVersion>},
    {L"tavShellFileInfo", &CLSID_tavShellFileInfo, L"_tavShellFileInfo", &IID__tavShellFileInfo, nullptr, 0,
     &create_instance<tavShellFileInfo>},
    {L"ShellFileEXE", &CLSID_ShellFileEXE, L"_ShellFileEXE", &IID__ShellFileEXE, nullptr, 0, nullptr},
    {L"ShellFileIcon", &CLSID_ShellFileIcon, L"_ShellFileIcon", &IID__ShellFileIcon, nullptr, 0, nullptr},
};

}  // namespace

class_range class_table() noexcept { return {std::begin(classes), std::end(classes)}; }

const class_info* find_class(REFCLSID clsid) noexcept {
    for (const class_info& c : classes)
        if (IsEqualCLSID(*c.clsid, clsid)) return &c;
    return nullptr;
}

const class_info* find_class_by_interface(REFIID iid) noexcept {
    for (const class_info& c : classes) {
        if (IsEqualIID(*c.iid, iid)) return &c;
        for (std::size_t i = 0; i < c.older_count; ++i)
            if (IsEqualIID(c.older_iids[i], iid)) return &c;
    }
    return nullptr;
}

}  // namespace brindle
