// The directories on the current descent path of a tree listing, so that a link leading back
// into its own tree is listed but never entered again. A directory is known by its volume serial
// number and file index; links the platform does not flag as reparse points (and mount points)
// are caught the same way, because both name the directory they lead to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brindle {

class descent_path {
public:
    // Enters the directory `path` names: false, and nothing entered, when that directory is
    // already on the path. A directory that cannot be identified is entered unidentified (it
    // matches nothing; a search that cannot open it either finds nothing below it).
    bool enter(const std::wstring& path);
    // Leaves the directory entered last.
    void leave() noexcept;
    std::size_t depth() const noexcept { return steps_.size(); }

private:
    struct step {
        bool known = false;
        std::uint64_t index = 0;
        // The volume serial is read only when two file indexes agree: on most volumes that
        // never happens, and reading it costs more than the rest of the identification.
        bool volume_known = false;
        DWORD volume = 0;
        std::wstring path;
    };
    bool same_volume(step& ancestor, HANDLE directory, step& candidate);

    std::vector<step> steps_;
};

}  // namespace brindle
