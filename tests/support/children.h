// Several processes at once for tests of concurrent use: this test program runs again as child
// processes, each running one disabled test of its own (a writer, a reader) that reads its part
// (child_role, child_target) and reports through its exit code.
//
//   TEST(Files, DISABLED_SoakChild) { ...; std::exit(bad_reads); }  // the child's work
//   auto codes = run_children(L"Files.DISABLED_SoakChild", target, {L"writer", L"writer", L"reader"});
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unique_handle.h"

namespace test_support {

inline std::wstring environment_variable(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    return GetEnvironmentVariableW(name, value, MAX_PATH) < MAX_PATH ? value : L"";
}

// This child's role ("" in the test program itself).
inline std::wstring child_role() { return environment_variable(L"TAVRIN_CHILD_ROLE"); }

// The file this child works on ("" in the test program itself).
inline std::wstring child_target() { return environment_variable(L"TAVRIN_CHILD_TARGET"); }

// Starts this test program again as a child that runs the disabled test `test`, in `role`, on
// `target`; no handle when it cannot be started.
inline tavrin::unique_kernel_handle start_child(const wchar_t* test, const std::wstring& role,
                                                const std::wstring& target) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
    SetEnvironmentVariableW(L"TAVRIN_CHILD_ROLE", role.c_str());
    SetEnvironmentVariableW(L"TAVRIN_CHILD_TARGET", target.c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << "cannot start a child, error " << GetLastError();
    SetEnvironmentVariableW(L"TAVRIN_CHILD_ROLE", nullptr);
    SetEnvironmentVariableW(L"TAVRIN_CHILD_TARGET", nullptr);
    if (pi.hThread) CloseHandle(pi.hThread);
    return tavrin::unique_kernel_handle(pi.hProcess);
}

// Starts one child per role, all on `target` and all before any is waited for, and gives their
// exit codes (a child still running at the deadline is ended, and gives STILL_ACTIVE).
inline std::vector<DWORD> run_children(const wchar_t* test, const std::wstring& target,
                                       const std::vector<std::wstring>& roles, DWORD deadline_ms = 120000) {
    std::vector<tavrin::unique_kernel_handle> processes;
    for (const std::wstring& role : roles) processes.push_back(start_child(test, role, target));
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
