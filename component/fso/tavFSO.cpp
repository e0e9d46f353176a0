// tavFSO holds no state and has no members of its own here: each family of members is defined
// with the code it uses, the whole-file members in whole_file_members.cpp, the zone mark in
// zone_members.cpp, the description of one file in description_members.cpp, and
// ReadStandardListFile with the list reader in component/listfile/.
#include "component/fso/tavFSO.h"

BRINDLE_CLASS_FACTORY(tavFSO)
