#include "component/findfiles/descent_path.h"

#include "common/file_information.h"
#include "common/unique_handle.h"

namespace brindle {
namespace {

// FileInternalInformation: the file index alone, without the volume query that
// GetFileInformationByHandle adds to it.
constexpr int file_internal_information = 6;

tavrin::unique_handle open_directory(const std::wstring& path) {
    return tavrin::unique_handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool is_own_record(const WIN32_FIND_DATAW* record) noexcept {
    return record && (record->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && record->cFileName[0] == L'.' &&
           record->cFileName[1] == L'\0';
}

}  // namespace

void descent_path::read_identity(step& s) {
    if (s.identity_read) return;
    s.identity_read = true;
    tavrin::unique_handle directory = open_directory(s.path);
    if (!directory) return;
    LARGE_INTEGER index{};
    if (tavrin::query_file_information(directory.get(), &index, sizeof index, file_internal_information)) {
        s.index = static_cast<std::uint64_t>(index.QuadPart);
    } else if (BY_HANDLE_FILE_INFORMATION info; GetFileInformationByHandle(directory.get(), &info)) {
        s.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        s.volume = info.dwVolumeSerialNumber;
        s.volume_read = s.volume_known = true;
    }
    // Some file systems (network redirectors among them) answer 0 for every file: no identity.
    s.identified = s.index != 0;
}

bool descent_path::same_volume(step& a, step& b) {
    for (step* s : {&a, &b}) {
        if (s->volume_read) continue;
        s->volume_read = true;
        tavrin::unique_handle directory = open_directory(s->path);
        BY_HANDLE_FILE_INFORMATION info;
        s->volume_known = directory && GetFileInformationByHandle(directory.get(), &info);
        if (s->volume_known) s->volume = info.dwVolumeSerialNumber;
    }
    // A volume that cannot be read counts as the same one: entering a directory twice is the
    // fault to avoid, not leaving one out.
    return !a.volume_known || !b.volume_known || a.volume == b.volume;
}

bool descent_path::same_directory(step& a, step& b) {
    if (a.created_known && b.created_known && CompareFileTime(&a.created, &b.created) != 0) return false;
    read_identity(a);
    read_identity(b);
    return a.identified && b.identified && a.index == b.index && same_volume(a, b);
}

bool descent_path::enter(const std::wstring& path, const WIN32_FIND_DATAW* first) {
    step candidate;
    candidate.path = path;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (is_own_record(first)) {
        candidate.created = first->ftCreationTime;
        candidate.created_known = true;
    } else if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
               !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        // Drive roots list no "."; the attributes of a link would be the link's own, not those of
        // the directory it leads to, so only a directory that is no reparse point counts here.
        candidate.created = data.ftCreationTime;
        candidate.created_known = true;
    }
    for (step& ancestor : steps_)
        if (same_directory(ancestor, candidate)) return false;
    steps_.push_back(std::move(candidate));
    return true;
}

void descent_path::leave() noexcept {
    if (!steps_.empty()) steps_.pop_back();
}

}  // namespace brindle
