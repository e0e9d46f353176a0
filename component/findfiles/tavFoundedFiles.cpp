#include "component/findfiles/tavFoundedFiles.h"

#include "component/findfiles/descent_path.h"
#include "component/findfiles/find_callback.h"
#include "component/files/whole_file_io.h"
#include "component/server/errors.h"
#include "common/unique_handle.h"
#include "support/TavrinSupport0100.h"

#include <shlwapi.h>

#include <climits>
#include <cwchar>
#include <vector>

namespace brindle {
namespace {

tavrin::unique_bstr build_file_name(BSTR directory, BSTR name) {
    tavrin::unique_bstr joined;
    checked_call(tsBuildFileName, directory, name, joined.put());
    return joined;
}

bool is_blank(BSTR mask) {
    tavrin::unique_bstr trimmed;
    checked_call(tsTrimEx, mask, trimmed.put());
    return trimmed.empty();
}

shared_path share(tavrin::unique_bstr text) { return std::make_shared<tavrin::unique_bstr>(std::move(text)); }

// With-parent mode: an entry whose name ends the listed path gets the path without that name
// (and without one backslash before it): "C:\Windows" and "Windows" give "C:", the root "C:\"
// and the entry "C:\" give "". Any other entry keeps the listed path.
// Upper-cased the platform's way and compared code unit by code unit.
bool equal_ignoring_case(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    std::wstring x(a), y(b);
    CharUpperBuffW(x.data(), static_cast<DWORD>(x.size()));
    CharUpperBuffW(y.data(), static_cast<DWORD>(y.size()));
    return x == y;
}

shared_path path_without_name(const shared_path& path, std::wstring_view name) {
    std::wstring_view text = path->view();
    if (name.size() > text.size()) return path;
    std::wstring_view tail = text.substr(text.size() - name.size());
    if (!equal_ignoring_case(tail, name)) return path;
    text.remove_suffix(name.size());
    if (!text.empty() && text.back() == L'\\') text.remove_suffix(1);
    return make_shared_path(text);
}

}  // namespace

// One enumeration (RefreshEx2), depth first. The levels of the current descent path are kept on
// a heap stack rather than the call stack, so a tree of any depth is listed in constant stack,
// and each level owns its open search: however the enumeration ends, every search is closed.
class tree_listing {
public:
    tree_listing(BSTR mask, bool follow_reparse_points, tavrin::com_ptr<_IFindFilesCallback> callback)
        : mask_(tavrin::bstr_view(mask)), blank_mask_(is_blank(mask)), follow_(follow_reparse_points),
          callback_(std::move(callback)) {}

    bool run(tavFoundedFiles& top, BSTR path, bool with_parent) {
        if (!open(top, make_shared_path(tavrin::bstr_view(path)), with_parent)) return false;
        // The top directory itself is on the descent path, so that a link back to it is caught
        // at the first level; in with-parent mode the top entry is that directory and enters it.
        if (!with_parent) levels_.back().on_descent_path = enter_listed(levels_.back());
        while (!levels_.empty()) {
            switch (levels_.back().next) {
            case step::set_up_entry: set_up_entry(); break;
            case step::entry_listed: finish_entry(); break;
            case step::complete: complete_level(); break;
            case step::cancelled: cancel_level(); break;
            }
        }
        return result_;
    }

private:
    enum class step { set_up_entry, entry_listed, complete, cancelled };
    struct level {
        tavrin::com_ptr<tavFoundedFiles> list;
        bool with_parent = false;
        bool root = false;
        bool on_descent_path = false;
        tavrin::unique_find search;
        WIN32_FIND_DATAW record{};           // the current find record
        tavrin::com_ptr<FoundedFile> entry;  // the entry made of it
        shared_path entry_path;              // the full path of that entry, when it is needed
        step next = step::set_up_entry;
    };

    // Starts listing `path` into `list`: false, with the list empty, when the search cannot be
    // opened; otherwise a new level holds the first record.
    bool open(tavFoundedFiles& list, shared_path path, bool with_parent) {
        list.replace_items();
        list.path_ = std::move(path);
        list.has_sub_items_ = true;
        list.cancelled_ = false;

        BSTR listed = list.path_->get();
        tavrin::unique_bstr joined;
        if (!with_parent && !blank_mask_) joined = build_file_name(listed, mask_.get());
        const BSTR searched = joined.get() ? joined.get() : listed;
        const wchar_t* search = tavrin::bstr_text(searched);

        level opened;
        opened.list = tavrin::com_ptr<tavFoundedFiles>::copy(&list);
        opened.with_parent = with_parent;
        WIN32_FIND_DATAW& record = opened.record;
        bool found;
        if (!files::is_usable_name(tavrin::bstr_view(searched))) {
            found = false;  // a path or mask with a NUL names no search, not even a root's
        } else if (PathIsRootW(search)) {
            // A root yields one record built here. A root name longer than the record's name
            // field cannot be recorded: such a search counts as one that cannot be opened.
            std::size_t length = wcslen(search);
            found = length < sizeof record.cFileName / sizeof record.cFileName[0];
            if (found) {
                record = WIN32_FIND_DATAW{};
                wmemcpy(record.cFileName, search, length);
                record.dwFileAttributes = GetFileAttributesW(search);
                opened.root = true;
            }
        } else {
            opened.search.reset(FindFirstFileW(search, &record));
            found = opened.search.valid();
        }
        if (!found) {
            list.has_sub_items_ = false;
            list.replace_items();
            return false;
        }
        levels_.push_back(std::move(opened));
        return true;
    }

    void set_up_entry() {
        level& at = levels_.back();
        const std::wstring_view record_name(at.record.cFileName, wcsnlen(at.record.cFileName, MAX_PATH));
        if ((at.record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (record_name == L"." || record_name == L"..")) {
            fetch_next(at);
            return;
        }
        at.entry = FoundedFile::create();
        FoundedFile& entry = *at.entry.get();
        entry.take_record(at.record);
        const shared_path& listed = at.list->path_;
        entry.set_path(at.with_parent ? path_without_name(listed, entry.file_name()) : listed);

        std::wstring_view name = entry.file_name();
        bool descend = entry.is_directory() && (!entry.is_reparse_point() || follow_);
        if (descend || entry.needs_full_path()) {
            if (at.with_parent) {
                at.entry_path = listed;
            } else {
                tavrin::unique_bstr name_text(name);
                at.entry_path = share(build_file_name(listed->get(), name_text.get()));
            }
        }
        at.next = step::entry_listed;
        if (descend && open(entry.childs(), at.entry_path, false)) {
            // `at` may have moved: the child's level was pushed. A directory already on the
            // descent path (a link back into the tree) is listed but not entered again: its
            // Childs stay as they were before, empty, and it counts as complete.
            level& child = levels_.back();
            child.on_descent_path = enter_listed(child);
            if (!child.on_descent_path) {
                tavFoundedFiles& list = *child.list.get();
                levels_.pop_back();
                list.path_.reset();
                list.has_sub_items_ = false;
            }
        }
    }

    // Puts the directory a new level lists on the descent path; false when it is there already.
    bool enter_listed(level& listed) {
        return descent_.enter(std::wstring(listed.list->path_->view()), &listed.record);
    }

    void finish_entry() {
        level& at = levels_.back();
        FoundedFile& entry = *at.entry.get();
        entry.take_compressed_size(at.entry_path);
        if (entry.childs_cancelled()) {
            at.next = step::cancelled;
            return;
        }
        at.list->append(entry.as_interface());
        at.entry.reset();
        at.entry_path.reset();
        fetch_next(at);
    }

    void fetch_next(level& at) {
        at.next = step::complete;
        if (at.root) return;  // a root yields exactly one record
        // A failing FindNextFile ends the listing as if it were complete, whatever the reason.
        if (FindNextFileW(at.search.get(), &at.record)) at.next = step::set_up_entry;
    }

    // The directory's listing is complete: the search is closed, then the caller is told.
    void complete_level() {
        level& at = levels_.back();
        at.search.reset();
        tavrin::com_ptr<tavFoundedFiles> list = std::move(at.list);
        list->has_sub_items_ = list->items().count() > 0;
        pop_level();
        list->cancelled_ = callback_ && directory_completed(*callback_.get(), list->path_->get());
        if (levels_.empty()) result_ = true;
    }

    // An entry's own listing was cancelled: this level drops its list and reports no callback.
    void cancel_level() {
        level& at = levels_.back();
        at.search.reset();
        tavFoundedFiles& list = *at.list.get();
        list.cancelled_ = true;
        list.has_sub_items_ = false;
        list.replace_items();
        pop_level();
        if (levels_.empty()) result_ = false;
    }

    void pop_level() {
        if (levels_.back().on_descent_path) descent_.leave();
        levels_.pop_back();
    }

    tavrin::unique_bstr mask_;
    bool blank_mask_;
    bool follow_;
    tavrin::com_ptr<_IFindFilesCallback> callback_;
    descent_path descent_;
    std::vector<level> levels_;
    bool result_ = false;
};

// ---- _tavFoundedFiles ------------------------------------------------------------------------

STDMETHODIMP tavFoundedFiles::get_HasSubItems(VARIANT_BOOL *Result) {
    return com_call(Result, [&] { return vbool(has_sub_items_); });
}

STDMETHODIMP tavFoundedFiles::get_Path(BSTR *Result) {
    return com_call(Result, [&] { return tavrin::unique_bstr(path_ ? path_->view() : std::wstring_view()); });
}

STDMETHODIMP tavFoundedFiles::get_Size(double *Result) {
    return com_call(Result, [&] {
        double total = 0;
        Collection& list = items();
        for (long i = 1; i <= list.count(); ++i)
            total += static_cast<FoundedFile*>(list.item_as<_FoundedFile>(i).get())->file_size();
        return total;
    });
}

STDMETHODIMP tavFoundedFiles::Refresh(BSTR Path, BSTR Mask, VARIANT_BOOL *Result) {
    return RefreshEx2(Path, Mask, VARIANT_TRUE, nullptr, VARIANT_FALSE, Result);
}

STDMETHODIMP tavFoundedFiles::RefreshEx(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL *Result) {
    return RefreshEx2(Path, Mask, FollowReparsePoints, CallBackObject, VARIANT_FALSE, Result);
}

STDMETHODIMP tavFoundedFiles::RefreshEx2(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL SearchWithParent, VARIANT_BOOL *Result) {
    return com_call(Result, [&] {
        // A callback that refreshes the very list being filled would interleave two trees.
        if (filling_) raise(err_invalid_call);
        // The object is asked for the interface, never taken for it.
        tavrin::com_ptr<_IFindFilesCallback> callback = resolve_callback(CallBackObject);
        tavrin::com_ptr<tavFoundedFiles> keep = tavrin::com_ptr<tavFoundedFiles>::copy(this);
        struct filling_guard {
            bool& flag;
            ~filling_guard() { flag = false; }
        } guard{filling_};
        filling_ = true;
        tree_listing listing(Mask, FollowReparsePoints != VARIANT_FALSE, std::move(callback));
        return vbool(listing.run(*this, Path, SearchWithParent != VARIANT_FALSE));
    });
}

}  // namespace brindle

BRINDLE_CLASS_FACTORY(tavFoundedFiles)
