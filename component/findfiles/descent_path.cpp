#include "component/findfiles/descent_path.h"

#include "common/unique_handle.h"

namespace brindle {
namespace {

// The file index alone, without the volume query that GetFileInformationByHandle adds to it:
// the file system's internal information, as the platform's own file identification reads it.
struct io_status_block {
    union {
        LONG status;
        void* pointer;
    };
    ULONG_PTR information;
};
using query_information_file = LONG(WINAPI*)(HANDLE, io_status_block*, void*, ULONG, int);
constexpr int file_internal_information = 6;

query_information_file internal_information_query() noexcept {
    static const query_information_file query = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll ? reinterpret_cast<query_information_file>(GetProcAddress(ntdll, "NtQueryInformationFile"))
                     : nullptr;
    }();
    return query;
}

tavrin::unique_handle open_directory(const std::wstring& path) {
    return tavrin::unique_handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool read_volume(HANDLE directory, DWORD& serial) noexcept {
    return GetVolumeInformationByHandleW(directory, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) != FALSE;
}

}  // namespace

bool descent_path::same_volume(step& ancestor, HANDLE directory, step& candidate) {
    // A volume that cannot be read counts as the same one: entering a directory twice is the
    // fault to avoid, not skipping one.
    if (!candidate.volume_known) {
        if (!read_volume(directory, candidate.volume)) return true;
        candidate.volume_known = true;
    }
    if (!ancestor.volume_known) {
        tavrin::unique_handle again = open_directory(ancestor.path);
        if (!again || !read_volume(again.get(), ancestor.volume)) return true;
        ancestor.volume_known = true;
    }
    return ancestor.volume == candidate.volume;
}

bool descent_path::enter(const std::wstring& path) {
    step candidate;
    tavrin::unique_handle directory = open_directory(path);
    if (directory) {
        io_status_block io{};
        LARGE_INTEGER index{};
        if (query_information_file query = internal_information_query();
            query && query(directory.get(), &io, &index, sizeof index, file_internal_information) >= 0) {
            candidate.index = static_cast<std::uint64_t>(index.QuadPart);
        } else if (BY_HANDLE_FILE_INFORMATION info; GetFileInformationByHandle(directory.get(), &info)) {
            candidate.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
            candidate.volume = info.dwVolumeSerialNumber;
            candidate.volume_known = true;
        }
        // Some file systems (network redirectors among them) answer 0 for every file: no identity.
        candidate.known = candidate.index != 0;
    }
    if (candidate.known) {
        for (step& ancestor : steps_)
            if (ancestor.known && ancestor.index == candidate.index && same_volume(ancestor, directory.get(), candidate))
                return false;
        candidate.path = path;
    }
    steps_.push_back(std::move(candidate));
    return true;
}

void descent_path::leave() noexcept {
    if (!steps_.empty()) steps_.pop_back();
}

}  // namespace brindle
