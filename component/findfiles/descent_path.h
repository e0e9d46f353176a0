// The directories on the current descent path of a tree listing, so that a link leading back
// into its own tree is listed but never entered again. A directory is known by its volume serial
// number and file index, so links the platform does not flag as reparse points (and mount
// points) are caught as well: each names the directory it leads to.
//
// Reading an identity costs a file open per directory, as much as a good part of listing it. A
// directory's listing usually begins with its own "." record, and one directory gives the same
// creation time whichever way it is reached; identities are read only for directories whose
// creation times agree (or are not known).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brindle {

class descent_path {
public:
    // Enters the directory `path` names, whose listing began with `first` (null when none was
    // read): false, and nothing entered, when that directory is already on the path. A directory
    // that cannot be identified matches nothing.
    bool enter(const std::wstring& path, const WIN32_FIND_DATAW* first);
    // Leaves the directory entered last.
    void leave() noexcept;

private:
    struct step {
        std::wstring path;
        bool created_known = false;
        FILETIME created{};
        // Read on demand.
        bool identity_read = false;
        bool identified = false;
        std::uint64_t index = 0;
        bool volume_read = false;
        bool volume_known = false;
        DWORD volume = 0;
    };
    static void read_identity(step& s);
    static bool same_volume(step& a, step& b);
    static bool same_directory(step& a, step& b);

    std::vector<step> steps_;
};

}  // namespace brindle
