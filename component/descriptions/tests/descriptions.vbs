' tavDescriptIon late bound from VBScript, in the order a script uses it: read a folder's
' description file, query and change entries, write back with no argument, read again.
Option Explicit
Begin
Dim d, file
Set d = CreateObject("Brindle.tavDescriptIon")
MakeTestFolder "tavdescvbs"
file = P("Descript.ion")

WriteTextFile file, "readme.txt Read this first" & vbCrLf & """my file.doc""   Version 2" & vbLf & "README.TXT loses" & vbLf

Check d.ReadDirectoryFile(folder) And d.FileName = file, "ReadDirectoryFile, FileName " & d.FileName
Check d.ItemCount = 2 And d.ItemFileName(1) = "my file.doc", "two entries over CR LF and LF, the quoted name"
Check d.ItemDescriptionByFileName("ReadMe.Txt") = "Read this first", "by name without regard to case; the first line wins"
d.AddItem "new file.txt", "added" & vbCrLf & "on two lines"
d.AddItem "readme.txt", "changed"
Check d.ItemFileName(2) = "readme.txt" And d.RemoveItem(0) And Not d.RemoveItem(2), "a changed entry moves to the end; RemoveItem"
Check d.WriteDirectoryFile() And 2 = (fso.GetFile(file).Attributes And 2), "WriteDirectoryFile() writes back a hidden file"
Check d.ReadFile(file) And d.ItemCount = 2, "read again: no bogus entry from the line break"
Check d.ItemDescriptionByFileName("new file.txt") = "added  on two lines", "the line break became spaces"
d.Clear
Check d.ItemCount = 0 And d.FileName = "" And Not d.WriteFile(), "Clear; WriteFile() with no name gives False"

On Error Resume Next
d.AddItem Array(1), "x"
Check Err.Number = 13, "an array as name is a type mismatch (got " & Err.Number & ")"
On Error GoTo 0

fso.GetFile(file).Attributes = 0
Finish
