// The library's public classes and members as they are documented, read from the tables each
// class family keeps beside its tests (component/<family>/tests/documented.tsv, joined into
// brindle_documented.tsv beside this test program at build time), and from the users' reference
// page (docs/reference.md, copied there as brindle_reference.md).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <map>
#include <set>
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

// What the reference page states, in the regular forms it keeps: the rows of its "Classes" and
// "Interfaces" tables, the signatures (code spans starting "Function ", "Sub " or
// "Property Get ") under each "## <class>" heading, the rows of each enumeration's table and the
// lines of the two constant blocks. Table cells lose their backticks.
struct reference_page {
    struct class_row {
        std::wstring name, progid, clsid, interface_name;
    };
    struct interface_row {
        std::wstring name, iid, section;
    };
    std::vector<class_row> classes;
    std::vector<interface_row> interfaces;
    std::map<std::wstring, std::set<std::wstring>> signatures;            // by section
    std::map<std::wstring, std::map<std::wstring, long>> enumerations;    // by enumeration
    std::map<std::wstring, long> vbscript_constants, jscript_constants;  // "Const x = 1", "var x = 1;"
};

// Read once; empty when the page is missing (the test then fails on it).
const reference_page& reference();
