// Every failure point of the members that write files. A run that succeeds is counted first:
// how many platform calls of each kind (create, read, write, flush, rename, ...) it makes. Then
// each of those calls is failed in turn, on a fresh folder, and the folder must hold afterwards
// either exactly what the successful run left (the member said it succeeded) or exactly what
// was there before, byte for byte and with the same attributes (it said it failed): nothing of
// ours left beside the files, and no handle left open.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <utility>

#include "common/safearray.h"
#include "common/unique_bstr.h"
#include "component/descriptions/tavDescriptIon.h"
#include "component/files/file_platform.h"
#include "component/fso/tavFSO.h"
#include "tests/support/com_test.h"
#include "tests/support/process_usage.h"
#include "tests/support/test_files.h"

using brindle::files::file_platform;
using tavrin::unique_bstr;

namespace {

enum kind { create, read, write, flush, set_size, set_attributes, set_delete_on_close, rename, replace, move, remove,
            read_profile, write_profile, kinds };
const char* const kind_names[kinds] = {"create", "read", "write", "flush", "set_size", "set_attributes",
                                       "set_delete_on_close", "rename", "replace", "move", "remove", "read_profile",
                                       "write_profile"};
// How each kind of call fails: as a full disk, a device, or a refusal would make it.
const DWORD kind_errors[kinds] = {ERROR_ACCESS_DENIED, ERROR_READ_FAULT, ERROR_DISK_FULL, ERROR_WRITE_FAULT,
                                  ERROR_DISK_FULL, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_WRITE_FAULT,
                                  ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
                                  ERROR_READ_FAULT, ERROR_WRITE_FAULT};

// The plain calls, counted by kind; the `fail_at`th call of the kind `failing` fails instead.
struct counting {
    std::array<int, kinds> calls{};
    int failing = -1, fail_at = 0;

    struct nothing {
        template <class... Args>
        void operator()(Args...) const {}
    };
    // `before_failing` does what the failing call gets done before it fails.
    template <class Call, class Before = nothing>
    auto counted(kind k, Call call, Before before_failing = {}) {
        return [this, k, call, before_failing](auto... args) {
            if (++calls[k] == fail_at && k == failing) {
                before_failing(args...);
                SetLastError(kind_errors[k]);
                using result = decltype(call(args...));
                if constexpr (std::is_same_v<result, HANDLE>) return INVALID_HANDLE_VALUE;
                else return result{};
            }
            return call(args...);
        };
    }
    file_platform calls_of() {
        const file_platform& d = brindle::files::default_platform();
        file_platform p;
        p.create = counted(create, d.create);
        p.read = counted(read, d.read);
        // A write that fails writes half of its data first, as on a disk that fills up part-way.
        p.write = counted(write, d.write, [write = d.write](HANDLE file, const void* data, DWORD size, DWORD* written) {
            write(file, data, size / 2, written);
        });
        p.flush = counted(flush, d.flush);
        p.set_size = counted(set_size, d.set_size);
        p.set_attributes = counted(set_attributes, d.set_attributes);
        p.set_delete_on_close = counted(set_delete_on_close, d.set_delete_on_close);
        p.rename = counted(rename, d.rename);
        p.replace = counted(replace, d.replace);
        p.move = counted(move, d.move);
        p.remove = counted(remove, d.remove);
        p.read_profile = counted(read_profile, d.read_profile);
        p.write_profile = counted(write_profile, d.write_profile);
        return p;
    }
};

// A folder's files: bytes and the attributes a write keeps or sets.
using folder_state = std::map<std::wstring, std::pair<std::string, DWORD>>;

folder_state state_of(const test_support::scratch_folder& dir) {
    folder_state state;
    for (const std::wstring& name : dir.names())
        state[name] = {dir.get(dir.file(name)), dir.attributes(dir.file(name))};
    return state;
}

struct member_case {
    const char* what;
    std::function<void(const test_support::scratch_folder&)> set_up;
    std::function<bool(const test_support::scratch_folder&)> run;  // the member's result
};

tavrin::unique_safearray bytes_of(const std::string& text) {
    auto array = tavrin::make_byte_array(text.size());
    tavrin::safearray_lock lock(array.get());
    std::copy(text.begin(), text.end(), lock.data());
    return array;
}

bool put_file_b(const std::wstring& name, const std::string& content, bool append = false) {
    auto fso = brindle::tavFSO::create();
    tavrin::unique_safearray data = bytes_of(content);
    SAFEARRAY* array = data.get();
    VARIANT_BOOL ok = VARIANT_FALSE;
    unique_bstr file(name);
    HRESULT hr = append ? fso->AppendFileB(file.get(), &array, VARIANT_FALSE, &ok)
                        : fso->PutFileB(file.get(), &array, VARIANT_FALSE, &ok);
    return SUCCEEDED(hr) && ok;
}

class FaultWalk : public test_support::ComTest {};

TEST_F(FaultWalk, EveryFailurePointLeavesTheOldStateOrTheNewOne) {
    const std::string old_content = "the old content\r\n", new_content(300000, 'n');
    auto hidden_file = [&](const test_support::scratch_folder& dir, const wchar_t* name, const std::string& bytes) {
        dir.put(name, bytes);
        SetFileAttributesW(dir.file(name).c_str(), FILE_ATTRIBUTE_HIDDEN);
    };
    const member_case cases[] = {
        {"PutFileB over a hidden file", [&](auto& dir) { hidden_file(dir, L"data.bin", old_content); },
         [&](auto& dir) { return put_file_b(dir.file(L"data.bin"), new_content); }},
        {"PutFileB onto a new name", [&](auto& dir) { dir.put(L"other.bin", old_content); },
         [&](auto& dir) { return put_file_b(dir.file(L"data.bin"), new_content); }},
        {"PutFileB over a file with a second name (written in place)",
         [&](auto& dir) {
             dir.put(L"data.bin", old_content);
             ASSERT_TRUE(CreateHardLinkW(dir.file(L"link.bin").c_str(), dir.file(L"data.bin").c_str(), nullptr));
         },
         [&](auto& dir) { return put_file_b(dir.file(L"data.bin"), new_content); }},
        {"AppendFileB", [&](auto& dir) { dir.put(L"data.bin", old_content); },
         [&](auto& dir) { return put_file_b(dir.file(L"data.bin"), new_content, true); }},
        {"tavDescriptIon.WriteFile", [&](auto& dir) { hidden_file(dir, L"Descript.ion", "a.txt first\r\n"); },
         [&](auto& dir) {
             auto model = brindle::tavDescriptIon::create();
             unique_bstr file(dir.file(L"Descript.ion")), name(L"b.txt"), text(L"second");
             VARIANT_BOOL ok = VARIANT_FALSE;
             if (FAILED(model->ReadFile(file.get(), &ok)) || !ok) return false;  // as a client checks
             model->AddItem(name.get(), text.get());
             return SUCCEEDED(model->WriteFile(file.get(), &ok)) && ok;
         }},
        {"tavFSO.SetFileDescription", [&](auto& dir) { hidden_file(dir, L"Descript.ion", "a.txt first\r\n"); },
         [&](auto& dir) {
             auto fso = brindle::tavFSO::create();
             unique_bstr file(dir.file(L"b.txt")), text(L"second");
             VARIANT_BOOL ok = VARIANT_FALSE;
             return SUCCEEDED(fso->SetFileDescription(file.get(), text.get(), &ok)) && ok;
         }},
        {"tavFSO.SetFileZone", [&](auto& dir) { dir.put(L"data.bin", old_content); },
         [&](auto& dir) {
             auto fso = brindle::tavFSO::create();
             unique_bstr file(dir.file(L"data.bin"));
             VARIANT_BOOL ok = VARIANT_FALSE;
             return SUCCEEDED(fso->SetFileZone(file.get(), fzInternet, &ok)) && ok;
         }},
    };

    // One run of a member on a fresh folder through `calls`: its result, the folder before and
    // after, and the handles it left open.
    struct outcome {
        bool ok = false;
        folder_state before, after;
        long long handles_left = 0;
    };
    auto run_with = [](const member_case& c, counting& calls) {
        test_support::scratch_folder dir{L"tavfault"};
        c.set_up(dir);
        outcome o;
        o.before = state_of(dir);
        const long long handles = test_support::handle_count();
        {
            brindle::files::platform_override watched(calls.calls_of());
            o.ok = c.run(dir);
        }
        o.handles_left = test_support::handle_count() - handles;
        o.after = state_of(dir);
        return o;
    };

    int points = 0;
    for (const member_case& c : cases) {
        SCOPED_TRACE(c.what);
        counting counted;
        const outcome success = run_with(c, counted);
        ASSERT_TRUE(success.ok) << "the run without failures";
        const std::array<int, kinds> successful = counted.calls;
        for (int k = 0; k < kinds; ++k) {
            for (int n = 1; n <= successful[k]; ++n) {
                SCOPED_TRACE(testing::Message() << kind_names[k] << " call " << n << " of " << successful[k] << " fails");
                counting failing;
                failing.failing = k;
                failing.fail_at = n;
                const outcome o = run_with(c, failing);
                EXPECT_TRUE(o.ok ? o.after == success.after : o.after == success.before)
                    << (o.ok ? "succeeded, but the folder is not what a successful run leaves"
                             : "failed, but the folder is not as it was before");
                EXPECT_EQ(o.handles_left, 0) << "a handle was left open";
                ++points;
            }
        }
    }
    RecordProperty("failure_points", points);
    EXPECT_GT(points, 40) << "the walk reached the calls of every member";
}

}  // namespace
