#include "component/streams/backup_file_reader.h"

#include <limits>

namespace brindle::streams {

backup_file_reader::backup_file_reader(const wchar_t* file_name, bool process_security) noexcept
    : file_(CreateFileW(file_name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS, nullptr)),
      process_security_(process_security ? TRUE : FALSE) {}

backup_file_reader::~backup_file_reader() {
    if (file_ && context_) {
        DWORD ignored = 0;
        BackupRead(file_.get(), nullptr, 0, &ignored, TRUE, process_security_, &context_);
    }
}

std::optional<std::size_t> backup_file_reader::read(void* buffer, std::size_t size) {
    if (!file_) return std::nullopt;
    DWORD ask = size > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max() : DWORD(size);
    DWORD got = 0;
    if (!BackupRead(file_.get(), static_cast<BYTE*>(buffer), ask, &got, FALSE, process_security_, &context_))
        return std::nullopt;
    return got;
}

std::optional<std::uint64_t> backup_file_reader::seek(std::uint64_t distance) {
    if (!file_) return std::nullopt;
    DWORD low = 0, high = 0;
    BOOL ok = BackupSeek(file_.get(), DWORD(distance), DWORD(distance >> 32), &low, &high, &context_);
    std::uint64_t moved = std::uint64_t(low) | std::uint64_t(high) << 32;
    // A seek longer than the stream fails after moving to the stream's end: that is progress.
    if (!ok && moved == 0) return std::nullopt;
    return moved;
}

}  // namespace brindle::streams
