' (e) of findfiles_bench: the total size of a tree the way scripts get it without Brindle0100,
' with the script host's Scripting.FileSystemObject (Folder.SubFolders / Folder.Files).
' Prints "<seconds> <total bytes>".
'   cscript //nologo findfiles_fso.vbs <folder>
Function SumFolder(folder)
    Dim file, child, total
    total = 0
    For Each file In folder.Files
        total = total + file.Size
    Next
    For Each child In folder.SubFolders
        total = total + SumFolder(child)
    Next
    SumFolder = total
End Function

Dim started, fso, total
started = Timer
Set fso = CreateObject("Scripting.FileSystemObject")
total = SumFolder(fso.GetFolder(WScript.Arguments(0)))
WScript.Echo Replace(CStr(Timer - started), ",", ".") & " " & CStr(total)
