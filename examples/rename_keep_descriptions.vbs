' Renames files by extension and keeps their descriptions in the folder's Descript.ion.
'
'   cscript //nologo rename_keep_descriptions.vbs C:\Photos .jpeg .jpg
'
' Descript.ion holds one line per file: the name (in quotes when it has a space), a space, the
' description. File managers keep it beside the files but a plain rename leaves the old name in
' it. tavDescriptIon reads the file, and the entries are written back under the new names, in
' their old order, hidden as before.
Option Explicit

Dim fso, folder, oldExt, newExt, list, entry, newName, renamed, d, entries, i, pair, name
Set fso = CreateObject("Scripting.FileSystemObject")
folder = WScript.Arguments(0)
oldExt = WScript.Arguments(1)
newExt = WScript.Arguments(2)

' Rename the files; remember old name -> new name (compared without regard to case, as
' Descript.ion compares names).
Set renamed = CreateObject("Scripting.Dictionary")
renamed.CompareMode = vbTextCompare
Set list = CreateObject("Brindle.tavFoundedFiles")
list.Refresh folder, "*" & oldExt
For Each entry In list
    If Not entry.AttributeDirectory Then
        newName = Left(entry.FileName, Len(entry.FileName) - Len(oldExt)) & newExt
        fso.MoveFile entry.Path & "\" & entry.FileName, entry.Path & "\" & newName
        renamed.Add entry.FileName, newName
        WScript.Echo entry.FileName & " -> " & newName
    End If
Next

' The descriptions. ReadDirectoryFile is True also when the folder has no Descript.ion.
Set d = CreateObject("Brindle.tavDescriptIon")
If Not d.ReadDirectoryFile(folder) Then
    WScript.Echo "Descript.ion cannot be read; the descriptions stay under the old names."
    WScript.Quit 1
End If
' AddItem puts a changed entry last, so the entries are taken out in order and added back.
Set entries = CreateObject("Scripting.Dictionary")
For i = 0 To d.ItemCount - 1
    entries.Add i, Array(d.ItemFileName(i), d.ItemDescription(i))
Next
d.Clear
For i = 0 To entries.Count - 1
    pair = entries(i)
    name = pair(0)
    If renamed.Exists(name) Then name = renamed(name)
    d.AddItem name, pair(1)
Next
' Clear also forgot the file's name, so it is given again.
If Not d.WriteDirectoryFile(folder) Then WScript.Echo "Descript.ion cannot be written."

WScript.Echo "Descript.ion now:"
For i = 0 To d.ItemCount - 1
    WScript.Echo "  " & d.ItemFileName(i) & ": " & d.ItemDescription(i)
Next
