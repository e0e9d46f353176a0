' tavShellFileInfo late bound from VBScript: a text file, a folder, our own program, a missing
' path; icons as pictures, kept per read; a held icon outlives the next read.
Option Explicit
Begin
Dim info, file, program, r, i, small, old, oldIndex, exe, shown
Set info = CreateObject("Brindle.tavShellFileInfo")
program = Replace(CreateObject("WScript.Shell").Environment("PROCESS")("TAVRIN_PROGRAM"), "/", "\")
MakeTestFolder "tavshellvbs"
file = P("note.txt")
WriteTextFile file, "a note"

Check info.Icon Is Nothing And info.SmallIcon Is Nothing, "a new object has no icons"
Check info.EXEType Is Nothing, "nor an executable type"
Check info.DisplayName = "" And info.hSystemImageList = 0, "and empty values"

r = info.ReadFile(file)
Check r = True And VarType(r) = vbBoolean, "ReadFile of a text file is True"
Check info.FileName = file, "FileName is the path read"
Check info.ReadFile("\\?\" & file) And info.FileName = "\\?\" & file, "a \\?\ name of an existing file reads"
Check Not info.ReadFile(P("*.txt")) And info.DisplayName = "", "a wildcard name is refused"
Check Not info.ReadFile(String(260, "a")), "a relative name too long for the shell is refused"
Check Not info.ReadFile(file & Chr(0) & "x"), "a name with a NUL is refused"
r = info.ReadFile(file)
Check Left(info.DisplayName, 4) = "note", "DisplayName: " & info.DisplayName
Check info.TypeName <> "", "TypeName: " & info.TypeName
Check 0 <> (info.Attributes And &H40000000) And 0 = (info.Attributes And &H20000000), "a file of the file system, no folder"
Check info.hSystemImageList <> 0 And info.SystemIconIndex >= 0, "the system image list and the index in it"
Set i = info.Icon
Check i Is info.Icon, "Icon read twice is the same object"
Check i.Index = info.SystemIconIndex, "Icon.Index is the system icon index"
Check i.Icon.Type = 3 And i.Icon.Handle <> 0, "Icon.Icon is an icon picture"
Set small = info.SmallIcon
Check small.Icon.Width < i.Icon.Width, "SmallIcon is smaller"
Check info.LinkOverlayIcon.Index >= 0 And info.LinkOverlaySmallIcon.Index >= 0, "link overlay icons"
Check info.OpenIcon.Index >= 0 And info.OpenSmallIcon.Index >= 0, "open icons"
Check info.SelectedIcon.Index >= 0 And info.SelectedSmallIcon.Index >= 0, "selected icons"
Check info.ShellSizeIcon.Icon.Handle <> 0, "the shell-size icon"
Set exe = info.EXEType
Check exe.Signature = "" And exe.OSVersionMajor = 0 And exe.OSVersionMinor = 0, "a text file is no program"
Check exe Is info.EXEType, "EXEType read twice is the same object"

Set old = i
oldIndex = i.Index
r = info.ReadFile(program)
Check r = True, "ReadFile of our program"
Check info.EXEType.Signature = "PE", "its signature is PE (" & info.EXEType.Signature & ")"
Check info.EXEType.OSVersionMajor >= 4, "it expects Windows " & info.EXEType.OSVersionMajor & "." & info.EXEType.OSVersionMinor
Check Not (info.Icon Is old), "a new read gives new icons"
Check old.Index = oldIndex And old.Icon.Handle <> 0, "the held icon keeps the text file's picture"

r = info.ReadFile(folder)
Check r = True And (info.Attributes And &H20000000) <> 0, "a folder"
Check info.OpenIcon.Index <> info.Icon.Index, "an open folder looks different"

' The file goes after the read: the queries made later fail and fall back.
r = info.ReadFile(file)
fso.DeleteFile file
Check info.Icon.Index = -1 And info.Icon.Icon.Handle <> 0, "a failed icon query gives index -1 and a fallback picture"
Check info.SmallIcon.Index = -1 And info.SmallIcon.Icon.Width < info.Icon.Icon.Width, "a small one when small"
Check info.EXEType.Signature = "" And Left(info.DisplayName, 4) = "note", "an empty executable type; the snapshot stays"

r = info.ReadFile(P("missing.txt"))
Check r = False, "a missing path gives False"
Check info.FileName = "" And info.DisplayName = "" And info.TypeName = "" And info.IconLocation = "", "and empty texts"
Check info.Attributes = 0 And info.SystemIconIndex = 0 And info.hSystemImageList = 0, "and zeros"
Check info.Icon Is Nothing And info.ShellSizeIcon Is Nothing And info.EXEType Is Nothing, "and no objects"

On Error Resume Next
r = info.ReadFile(Array(1))
Check Err.Number = 13, "an array as path is a type mismatch (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

Set old = Nothing
Set i = Nothing
Set small = Nothing
Set exe = Nothing
Finish
