// The list-file reader behind tavFSO.ReadStandardListFile.
#pragma once

#include <windows.h>
#include <oleauto.h>


#include "common/com_ptr.h"
#include "component/listfile/list_file_format.h"
#include "component/server/collection.h"

namespace brindle {

// Reads the standard list file FileName into a new Collection of its items as strings, in file
// order, each under the key that is its one-based position in decimal ("1", "2", ...). The file
// is ANSI text, or OEM text when IsOem is true (each stored item is then converted with
// tsOemToAnsi). The whole file is read in one piece while other processes may read it but not
// write it. Every failure raises, and no partly filled list is returned: 53 for a missing file,
// 76 for a missing folder, 75 for a folder or a file held by another process, 70 when access
// is denied, 52 for an empty name or one holding a NUL, 7 for a file of 2 GiB or more.
tavrin::com_ptr<Collection> LoadListFile(BSTR FileName, bool IsOem, BSTR CommentChar, bool IgnoreBlanks,
                                         bool TrimStrings);

// The reader's own part of LoadListFile: the file's items, in file order, gathered in one
// buffer; raises as LoadListFile does.
Collection::loaded_items read_list_file_items(BSTR FileName, bool IsOem, const list_file::options& how);

}  // namespace brindle
