// Several processes at once for tests of concurrent use: this test program runs again as child
// processes, each running one disabled test of its own (a writer, a reader) that reads its part
// from the environment and reports through its exit code.
//
//   TEST(Files, DISABLED_SoakChild) { ...; std::exit(bad_reads); }  // the child's work
//   auto codes = run_children(L"Files.DISABLED_SoakChild", {L"writer", L"writer", L"reader"});
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unique_handle.h"

namespace test_support {

// This child's role ("" in the test program itself).
inline std::wstring child_role() {
    wchar_t role[64] = {};
    GetEnvironmentVariableW(L"TAVRIN_CHILD_ROLE", role, 64);
    return role;
}

// Starts one child per role, all before any is waited for, and gives their exit codes (a child
// still running at the deadline is ended, and gives STILL_ACTIVE). The environment of this
// process (set the parts the children read before) is theirs.
inline std::vector<DWORD> run_children(const wchar_t* test, const std::vector<std::wstring>& roles,
                                       DWORD deadline_ms = 120000) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<tavrin::unique_kernel_handle> processes;
    for (const std::wstring& role : roles) {
        std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
        SetEnvironmentVariableW(L"TAVRIN_CHILD_ROLE", role.c_str());
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            << "cannot start a child, error " << GetLastError();
        if (pi.hThread) CloseHandle(pi.hThread);
        processes.emplace_back(pi.hProcess);
    }
    SetEnvironmentVariableW(L"TAVRIN_CHILD_ROLE", nullptr);
    std::vector<DWORD> codes;
    const DWORD start = GetTickCount();
    for (auto& process : processes) {
        DWORD code = STILL_ACTIVE;
        if (process) {
            DWORD spent = GetTickCount() - start;
            WaitForSingleObject(process.get(), spent < deadline_ms ? deadline_ms - spent : 0);
            GetExitCodeProcess(process.get(), &code);
            if (code == STILL_ACTIVE) TerminateProcess(process.get(), 1);
        }
        codes.push_back(code);
    }
    return codes;
}

}  // namespace test_support
