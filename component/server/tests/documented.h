// The library's public classes and members as they are documented, read from the tables each
// class family keeps beside its tests (component/<family>/tests/documented.tsv, joined into
// brindle_documented.tsv beside this test program at build time).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

struct documented_class {
    std::wstring name, clsid, interface_name, iid;
    bool creatable = false;
    std::vector<std::wstring> older_iids;  // earlier identities of the default interface, oldest first
};

struct documented_member {
    std::wstring interface_name;
    int slot = 0;
    std::wstring name;
    DISPID id = 0;
};

struct documented_library {
    std::vector<documented_class> classes;
    std::vector<documented_member> members;
    const documented_class* find(const std::wstring& name) const;
};

// Read once; an empty library when the joined table is missing (the test then fails on it).
const documented_library& documented();
