' Converts the UTF-16 big-endian files of a folder to little-endian without losing a byte.
'
'   cscript //nologo utf16_to_le.vbs C:\Exports
'
' GetFileW recognises a big-endian file by its first two bytes, FE FF, and returns its text;
' PutFileW writes that text back little-endian after the mark FF FE. Every two bytes of the old
' file become two bytes of the new one, so the length stays the same; the script reads the new
' file back to show it. A file of odd length is not whole UTF-16 (GetFileW would drop its last
' byte), so it is left alone, and so is every file that does not start FE FF.
Option Explicit

Dim tav, fso, list, entry, path, size, text
Set tav = CreateObject("Brindle.tavFSO")
Set fso = CreateObject("Scripting.FileSystemObject")
Set list = CreateObject("Brindle.tavFoundedFiles")

' The folder's files (and the files of its subfolders, through Childs, which this script skips).
list.Refresh WScript.Arguments(0), "*"
For Each entry In list
    If Not entry.AttributeDirectory Then
        path = entry.Path & "\" & entry.FileName     ' Path is the folder that was listed
        size = entry.FileSize
        If Not StartsBigEndian(path) Then
            WScript.Echo entry.FileName & ": not big-endian UTF-16, left alone"
        ElseIf size Mod 2 = 1 Then
            WScript.Echo entry.FileName & ": odd length, left alone"
        Else
            ' RaiseErrors True: a file that cannot be read or written stops the script with
            ' the reason, instead of an empty text that would empty the file.
            text = tav.GetFileW(path, True)
            tav.PutFileW path, text, True
            If tav.GetFileW(path, True) = text And fso.GetFile(path).Size = size Then
                WScript.Echo entry.FileName & ": now little-endian, " & size & " bytes, " & Len(text) & " characters"
            Else
                WScript.Echo entry.FileName & ": changed in the conversion!"
            End If
        End If
    End If
Next

' True when the file starts with the bytes FE FF. VBScript cannot look inside a byte array, but
' GetFile turns bytes into characters of the ANSI code page, as Chr does.
Function StartsBigEndian(path)
    StartsBigEndian = (Left(tav.GetFile(path), 2) = Chr(&HFE) & Chr(&HFF))
End Function
