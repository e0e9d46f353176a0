// The platform's backup data of one file or directory, as a backup_reader: one handle opened
// with backup semantics and one backup context, both released when the reader goes (the
// context by the abort call, then the handle), on every path.
#pragma once

#include <windows.h>

#include "common/unique_handle.h"
#include "component/streams/backup_streams.h"

namespace brindle::streams {

class backup_file_reader final : public backup_reader {
public:
    // Opens the file for reading with read sharing; opened() tells whether that worked.
    backup_file_reader(const wchar_t* file_name, bool process_security) noexcept;
    ~backup_file_reader() override;
    backup_file_reader(const backup_file_reader&) = delete;
    backup_file_reader& operator=(const backup_file_reader&) = delete;

    bool opened() const noexcept { return file_.valid(); }

    std::optional<std::size_t> read(void* buffer, std::size_t size) override;
    std::optional<std::uint64_t> seek(std::uint64_t distance) override;

private:
    tavrin::unique_handle file_;
    BOOL process_security_;
    void* context_ = nullptr;  // shared by every backup call on this handle
};

}  // namespace brindle::streams
